#include "cachedpluginfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

CachedPluginFolder::CachedPluginFolder(const QString &pluginFolder)
{
    const QString cacheGenerator = QStringLiteral(HALVORINE_VLC_CACHE_GEN);
    if (!copy.isValid() || !QFileInfo::exists(cacheGenerator))
        return;
    const QDir source(pluginFolder);
    for (const QString &module : source.entryList({QStringLiteral("*.so")}, QDir::Files)) {
        if (!QFile::copy(source.filePath(module), QDir(copy.path()).filePath(module)))
            return;
    }
    const int status = QProcess::execute(cacheGenerator, {copy.path()});
    ready = status == 0 && QFileInfo::exists(QDir(copy.path()).filePath(QStringLiteral("plugins.dat")));
}
