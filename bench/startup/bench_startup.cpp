// Start-up: from just before the remote's process is created until its main window
// is mapped on the X server, beside a minimal Qt program that maps one empty
// QMainWindow, and libVLC's instance creation timed apart in a process of its own.
// Run under an X server with no other clients (tests/with-xvfb).
#include "cachedpluginfolder.h"
#include "mapwatcher.h"

#include "benchhome.h"
#include "benchoptions.h"
#include "monotonic.h"
#include "resultfile.h"
#include "summary.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <thread>

namespace {

constexpr int mapTimeoutMs = 30000;

std::string besideThisProgram(const char *argv0, const char *name)
{
    return (QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath() + QLatin1Char('/') + QLatin1String(name))
        .toStdString();
}

// Runs the libVLC timer once, on the program's module folder or on `folder`; its own
// output is the figure.
std::int64_t libvlcNewNanos(const std::string &timer, const QString &folder = QString())
{
    const std::string command = folder.isEmpty() ? timer : timer + " '" + folder.toStdString() + "'";
    FILE *output = popen(command.c_str(), "r");
    if (!output)
        return -1;
    long long nanos = -1;
    if (std::fscanf(output, "%lld", &nanos) != 1)
        nanos = -1;
    return pclose(output) == 0 ? nanos : -1;
}

struct StartupTimes
{
    std::vector<std::int64_t> remote, minimal, libvlcNew, libvlcNewCachedFolder;
};

// One of each per run, taking turns, so that a change of load hits all three alike.
bool measure(MapWatcher &watcher, const std::string &remote, const std::string &minimal,
             const std::string &timer, const CachedPluginFolder &cached, int runs, StartupTimes &times)
{
    for (int run = -1; run < runs; ++run) { // run -1 warms the page cache
        const std::int64_t remoteNanos = watcher.timeToFirstMap(remote, mapTimeoutMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const std::int64_t minimalNanos = watcher.timeToFirstMap(minimal, mapTimeoutMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const std::int64_t vlcNanos = libvlcNewNanos(timer);
        if (remoteNanos < 0 || minimalNanos < 0 || vlcNanos < 0)
            return false;
        const std::int64_t cachedNanos = cached.isReady() ? libvlcNewNanos(timer, cached.path()) : -1;
        if (run >= 0) {
            times.remote.push_back(remoteNanos);
            times.minimal.push_back(minimalNanos);
            times.libvlcNew.push_back(vlcNanos);
            if (cachedNanos >= 0)
                times.libvlcNewCachedFolder.push_back(cachedNanos);
        }
    }
    return true;
}

void report(const StartupTimes &times, int runs, const QString &out)
{
    const Summary remote = summarize(times.remote);
    const Summary minimal = summarize(times.minimal);
    const Summary vlc = summarize(times.libvlcNew);
    ResultFile result(QStringLiteral("startup"));
    result.addRow({QStringLiteral("Start-up: process start → main window mapped (median of %1)").arg(runs),
                   formatMicros(remote.medianMicros),
                   formatMicros(minimal.medianMicros) + QStringLiteral(" minimal QMainWindow"),
                   QStringLiteral("≤ 1.5× minimal (") + formatMicros(1.5 * minimal.medianMicros) + QLatin1Char(')'),
                   verdict(remote.medianMicros <= 1.5 * minimal.medianMicros)});
    const double share = remote.medianMicros > 0 ? 100.0 * vlc.medianMicros / remote.medianMicros : 0.0;
    result.addRow({QStringLiteral("  of which libvlc_new (own process, same plugin path)"),
                   formatMicros(vlc.medianMicros) + QStringLiteral(" (%1 %)").arg(share, 0, 'f', 0), QString(),
                   QString(), QString()});
    if (!times.libvlcNewCachedFolder.empty()) {
        const Summary cached = summarize(times.libvlcNewCachedFolder);
        result.addRow({QStringLiteral("  libvlc_new if the plugin folder had its own module cache"),
                       formatMicros(cached.medianMicros), QString(), QString(), QString()});
        result.setFigure(QStringLiteral("libvlc_new_cached_plugin_folder"), cached.toJson());
    }
    result.setFigure(QStringLiteral("runs"), runs);
    result.setFigure(QStringLiteral("remote_to_mapped"), remote.toJson());
    result.setFigure(QStringLiteral("minimal_to_mapped"), minimal.toJson());
    result.setFigure(QStringLiteral("libvlc_new"), vlc.toJson());
    result.setFigure(QStringLiteral("libvlc_new_share_percent"), share);
    result.write(out);
    QTextStream(stdout) << "startup: remote " << formatMicros(remote.medianMicros) << ", minimal "
                        << formatMicros(minimal.medianMicros) << ", libvlc_new " << formatMicros(vlc.medianMicros)
                        << "\n";
}

} // namespace

int main(int argc, char **argv)
{
    const BenchOptions options(argc, argv);
    const int runs = options.number(QStringLiteral("runs"), 10);
    BenchHome home; // the remote's saved cameras go here, never to the real user's list
    qputenv("QT_QPA_PLATFORM", "xcb");
    MapWatcher watcher;
    if (!watcher.isOpen()) {
        std::fprintf(stderr, "bench_startup: no X display\n");
        return 1;
    }
    const CachedPluginFolder cached(QString::fromStdString(besideThisProgram(argv[0], "plugins")));
    StartupTimes times;
    if (!measure(watcher, besideThisProgram(argv[0], "halvorine-remote"),
                 besideThisProgram(argv[0], "bench_minimal_window"), besideThisProgram(argv[0], "bench_vlc_new_time"),
                 cached, runs, times)) {
        std::fprintf(stderr, "bench_startup: a program did not map its window or libVLC did not start\n");
        return 1;
    }
    report(times, runs, options.outDirectory());
    return 0;
}
