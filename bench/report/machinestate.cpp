#include "machinestate.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

namespace {

// Files under /proc report a size of 0, so they are read whole rather than by line.
QString firstLineWith(const QString &path, const QString &prefix)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(prefix))
            return line.mid(line.indexOf(QLatin1Char(':')) + 1).trimmed();
    }
    return QString();
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

// Without the cache (Debian's libvlc-bin makes it) libvlc_new opens every module.
bool libvlcModuleCachePresent()
{
    return QFileInfo::exists(QStringLiteral("/usr/lib/x86_64-linux-gnu/vlc/plugins/plugins.dat"));
}

} // namespace

QJsonObject machineState(const QString &loadBefore)
{
    return QJsonObject{{"date", QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                       {"cpu", firstLineWith(QStringLiteral("/proc/cpuinfo"), QStringLiteral("model name"))},
                       {"cores", QThread::idealThreadCount()},
                       {"memory", firstLineWith(QStringLiteral("/proc/meminfo"), QStringLiteral("MemTotal"))},
                       {"kernel", QSysInfo::kernelVersion()},
                       {"os", QSysInfo::prettyProductName()},
                       {"load_before", loadBefore.section(QLatin1Char(' '), 0, 2)},
                       {"load_after", loadAverage()},
                       {"libvlc_module_cache", libvlcModuleCachePresent()}};
}

QString machineSummary(const QJsonObject &state)
{
    return QStringLiteral("%1, %2 cores, %3, %4, kernel %5; load average %6 before, %7 after; "
                          "libVLC module cache %8")
        .arg(state.value("cpu").toString())
        .arg(state.value("cores").toInt())
        .arg(state.value("memory").toString(), state.value("os").toString(), state.value("kernel").toString(),
             state.value("load_before").toString(), state.value("load_after").toString(),
             state.value("libvlc_module_cache").toBool() ? QStringLiteral("present") : QStringLiteral("absent"));
}
