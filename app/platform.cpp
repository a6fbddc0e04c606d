#include "app/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QtGlobal>
#include <cstring>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Platform {

#ifdef Q_OS_WIN
static const char separator[] = "\\";
#else
static const char separator[] = "/";
#endif

QString pluginDirectory(const QString &applicationDir)
{
    // Qt reports the directory with forward slashes; the join keeps them as they are.
    return applicationDir + QLatin1String(separator) + QLatin1String("plugins");
}

namespace {

// The folder QCoreApplication::applicationDirPath() will report, found the way Qt finds
// it, as that call needs the application object.
QString programDirectory(int argc, char **argv)
{
#if defined(Q_OS_WIN)
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    return QFileInfo(QDir::fromNativeSeparators(QString::fromWCharArray(path.data(), int(length)))).path();
#else
#if defined(Q_OS_LINUX)
    const QString running = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!running.isEmpty())
        return QFileInfo(running).path();
#endif
    QString program = argc > 0 ? QFile::decodeName(argv[0]) : QString();
    if (!program.contains(QLatin1Char('/')))
        program = QStandardPaths::findExecutable(program);
    return QFileInfo(QFileInfo(program).canonicalFilePath()).path();
#endif
}

} // namespace

void setPluginPath(int argc, char **argv)
{
    qputenv("VLC_PLUGIN_PATH", pluginDirectory(programDirectory(argc, argv)).toUtf8());
}

QString settingsFile(const QString &appDataDir)
{
    return appDataDir + QLatin1String(separator) + QLatin1String("settings.ini");
}

void preferNativeWindowPlatform(int argc, char **argv)
{
#if defined(Q_OS_LINUX)
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0
            || std::strncmp(argv[i], "-platform=", 10) == 0)
            return;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#endif
}

// The one place where the Qt 5.15 and Qt 6 builds need different calls to scale alike.
void scaleForTheScreenAsQt5Does()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Always on in Qt 6.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
#else
    // Qt 6 changed two defaults for fractional scales (125 %, 150 %): it passes the factor
    // through instead of rounding it to a whole one, and where it does round up it shrinks
    // the text to match. Both back to Qt 5.15's ways. The second has no call in Qt 6, only
    // the variable; an operator's own QT_SCALE_FACTOR_ROUNDING_POLICY or
    // QT_DPI_ADJUSTMENT_POLICY still wins.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    if (!qEnvironmentVariableIsSet("QT_DPI_ADJUSTMENT_POLICY"))
        qputenv("QT_DPI_ADJUSTMENT_POLICY", "AdjustUpOnly");
#endif
}

} // namespace Platform
