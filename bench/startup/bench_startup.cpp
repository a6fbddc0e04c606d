// Start-up: from just before the remote's process is created until its main window
// is mapped on the X server, beside a minimal Qt program that maps one empty
// QMainWindow, and libVLC's instance creation timed apart in a process of its own.
// Taking turns with them, the remote built without its keyboard and controller input
// (bench_remote_without_input: no key filters, no auto-repeat marker, no signal
// handling, no controller input, no SDL), to show what that input costs.
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
    std::vector<std::int64_t> remote, withoutInput, minimal, libvlcNew, libvlcNewCachedFolder;
};

struct Programs
{
    std::string remote, withoutInput, minimal, libvlcTimer;
};

std::int64_t timeToMapThenRest(MapWatcher &watcher, const std::string &program)
{
    const std::int64_t nanos = watcher.timeToFirstMap(program, mapTimeoutMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return nanos;
}

// One of each per run, taking turns, so that a change of load hits all alike. The two
// builds of the remote swap places every run: neither always starts on the heels of
// the other.
bool measure(MapWatcher &watcher, const Programs &programs, const CachedPluginFolder &cached, int runs,
             StartupTimes &times)
{
    for (int run = -1; run < runs; ++run) { // run -1 warms the page cache
        std::int64_t remoteNanos = -1, withoutInputNanos = -1;
        if (run % 2 == 0) {
            remoteNanos = timeToMapThenRest(watcher, programs.remote);
            withoutInputNanos = timeToMapThenRest(watcher, programs.withoutInput);
        } else {
            withoutInputNanos = timeToMapThenRest(watcher, programs.withoutInput);
            remoteNanos = timeToMapThenRest(watcher, programs.remote);
        }
        const std::int64_t minimalNanos = timeToMapThenRest(watcher, programs.minimal);
        const std::int64_t vlcNanos = libvlcNewNanos(programs.libvlcTimer);
        if (remoteNanos < 0 || withoutInputNanos < 0 || minimalNanos < 0 || vlcNanos < 0)
            return false;
        const std::int64_t cachedNanos = cached.isReady() ? libvlcNewNanos(programs.libvlcTimer, cached.path()) : -1;
        if (run >= 0) {
            times.remote.push_back(remoteNanos);
            times.withoutInput.push_back(withoutInputNanos);
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
    // "Not measurably slower": within 5 %, about what the medians of two runs of the
    // same program differ by here.
    const Summary withoutInput = summarize(times.withoutInput);
    result.addRow({QStringLiteral("Start-up beside the remote built without keyboard and controller input (median of %1)")
                       .arg(runs),
                   formatMicros(remote.medianMicros),
                   formatMicros(withoutInput.medianMicros) + QStringLiteral(" without the input (and SDL)"),
                   QStringLiteral("not measurably slower: ≤ 1.05× (") + formatMicros(1.05 * withoutInput.medianMicros)
                       + QLatin1Char(')'),
                   verdict(remote.medianMicros <= 1.05 * withoutInput.medianMicros)});
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
    result.setFigure(QStringLiteral("without_input_to_mapped"), withoutInput.toJson());
    result.setFigure(QStringLiteral("libvlc_new"), vlc.toJson());
    result.setFigure(QStringLiteral("libvlc_new_share_percent"), share);
    result.write(out);
    QTextStream(stdout) << "startup: remote " << formatMicros(remote.medianMicros) << ", without input "
                        << formatMicros(withoutInput.medianMicros) << ", minimal "
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
    const Programs programs{besideThisProgram(argv[0], "halvorine-remote"),
                            besideThisProgram(argv[0], "bench_remote_without_input"),
                            besideThisProgram(argv[0], "bench_minimal_window"),
                            besideThisProgram(argv[0], "bench_vlc_new_time")};
    if (!measure(watcher, programs, cached, runs, times)) {
        std::fprintf(stderr, "bench_startup: a program did not map its window or libVLC did not start\n");
        return 1;
    }
    report(times, runs, options.outDirectory());
    return 0;
}
