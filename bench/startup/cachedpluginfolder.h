#ifndef HALVORINE_BENCH_CACHEDPLUGINFOLDER_H
#define HALVORINE_BENCH_CACHEDPLUGINFOLDER_H

#include <QString>
#include <QTemporaryDir>

// A copy of the program's module folder with libVLC's module cache (plugins.dat)
// written into it by vlc-cache-gen: libvlc_new then reads the module's description
// from the cache instead of loading the module and everything it links. Shows what
// start-up would gain if the build made that cache; not ready where vlc-cache-gen
// (Debian's libvlc-bin) is missing.
class CachedPluginFolder
{
public:
    explicit CachedPluginFolder(const QString &pluginFolder);

    bool isReady() const { return ready; }
    QString path() const { return copy.path(); }

private:
    QTemporaryDir copy;
    bool ready = false;
};

#endif
