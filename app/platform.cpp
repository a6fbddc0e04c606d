#include "app/platform.h"

#include <QtGlobal>
#include <cstring>

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

} // namespace Platform
