// Prints how long libvlc_new(0, NULL) takes, in nanoseconds, with VLC_PLUGIN_PATH set
// the way the remote sets it (the "plugins" folder beside the executable), so the
// start-up benchmark can report libVLC's share of the remote's start apart. An
// argument names another module folder instead.
#include "monotonic.h"

#include <vlc/vlc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string pluginFolderBesideExecutable()
{
    char path[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string executable(path, length > 0 ? static_cast<std::size_t>(length) : 0);
    return executable.substr(0, executable.rfind('/') + 1) + "plugins";
}

} // namespace

int main(int argc, char **argv)
{
    const std::string folder = argc > 1 ? argv[1] : pluginFolderBesideExecutable();
    setenv("VLC_PLUGIN_PATH", folder.c_str(), 1);
    const std::int64_t start = monotonicNanos();
    libvlc_instance_t *vlc = libvlc_new(0, nullptr);
    const std::int64_t created = monotonicNanos();
    if (!vlc)
        return 1;
    std::printf("%lld\n", static_cast<long long>(created - start));
    libvlc_release(vlc);
    return 0;
}
