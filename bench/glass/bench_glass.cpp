// Glass to glass: from the moment the test server made a frame until the screen shows
// it, for the remote's preview and, on the same stream, screen and machine, for the
// players an operator would use instead. Every frame carries its capture time as a
// band of cells (tools/framestamp), drawn before it is encoded; a thread with an X
// connection of its own reads the band from the screen every 2 ms, and a frame counts
// as shown at the first read that finds it. Both stamps are CLOCK_MONOTONIC.
//
// Peers, each started as a user would start it: ffplay with its low-delay flags,
// GStreamer's rtspsrc with latency=300 (the remote's own cache) and latency=0, and
// libVLC's own player (cvlc) with --network-caching=300 and the program's RTSP module.
#include "peerplayer.h"
#include "stampwatcher.h"
#include "rtsp_test_server.h"

#include "benchoptions.h"
#include "remotedriver.h"
#include "remoteunderbench.h"
#include "resultfile.h"

#include "settings/previewlatency.h"
#include "ui/previewdlg.h"

#include <X11/Xlib.h>

#include <QAbstractButton>
#include <QFrame>
#include <QJsonArray>
#include <QMainWindow>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QString cameraAddress = QStringLiteral("127.0.0.67");

struct Stream
{
    int width;
    int height;
    int fps;
    int jitterMs = 0;
    int jitterFrom = 0; // with jitterTo: the jitter only from here to there, in seconds
    int jitterTo = 0;

    QString label() const
    {
        QString text = QStringLiteral("%1×%2 @ %3 fps").arg(width).arg(height).arg(fps);
        if (jitterMs > 0)
            text += QStringLiteral(", packets held back up to %1 ms").arg(jitterMs);
        if (jitterTo > 0)
            text += QStringLiteral(" from %1 s to %2 s").arg(jitterFrom).arg(jitterTo);
        return text;
    }
    QStringList serverOptions() const
    {
        QStringList options{"--codec", "h264", "--keyframe-interval", "1", "--stamp", "--width",
                            QString::number(width), "--height", QString::number(height), "--fps", QString::number(fps)};
        if (jitterMs > 0)
            options << "--jitter" << QString::number(jitterMs);
        if (jitterTo > 0)
            options << "--jitter-between" << QStringLiteral("%1,%2").arg(jitterFrom).arg(jitterTo);
        return options;
    }
};

// What one player showed of one stream.
struct Figures
{
    std::size_t shown = 0;
    double medianMs = 0;
    double p95Ms = 0;
    double maxMs = 0;
    std::size_t dropped = 0;
    std::size_t late = 0;

    QString text() const
    {
        if (shown == 0)
            return QStringLiteral("no frames");
        return QStringLiteral("%1 / %2 / %3 ms").arg(medianMs, 0, 'f', 0).arg(p95Ms, 0, 'f', 0).arg(maxMs, 0, 'f', 0);
    }
    QJsonObject toJson() const
    {
        return QJsonObject{{"frames_shown", qint64(shown)}, {"median_ms", medianMs}, {"p95_ms", p95Ms},
                           {"max_ms", maxMs}, {"frames_dropped", qint64(dropped)}, {"frames_late", qint64(late)}};
    }
};

double percentile(std::vector<double> sorted, double share)
{
    if (sorted.empty())
        return 0;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::min(sorted.size() - 1, rank == 0 ? 0 : rank - 1)];
}

// The frames first shown between `from` and `to` seconds after the first one.
Figures figuresOf(const std::vector<ShownFrame> &frames, double from, double to, int fps)
{
    Figures figures;
    if (frames.empty())
        return figures;
    const std::int64_t start = frames.front().shownNanos;
    std::vector<double> latencies;
    std::int64_t firstCaptured = -1, lastCaptured = -1;
    for (const ShownFrame &frame : frames) {
        const double at = static_cast<double>(frame.shownNanos - start) / 1e9;
        if (at < from || at >= to)
            continue;
        latencies.push_back(static_cast<double>(frame.shownNanos - frame.capturedNanos) / 1e6);
        if (firstCaptured < 0)
            firstCaptured = frame.capturedNanos;
        lastCaptured = frame.capturedNanos;
    }
    if (latencies.empty())
        return figures;
    figures.shown = latencies.size();
    figures.medianMs = percentile(latencies, 0.5);
    figures.p95Ms = percentile(latencies, 0.95);
    figures.maxMs = *std::max_element(latencies.begin(), latencies.end());
    const double intervalMs = 1000.0 / fps;
    const auto made = static_cast<std::size_t>(std::lround(static_cast<double>(lastCaptured - firstCaptured) / 1e6 / intervalMs)) + 1;
    figures.dropped = made > figures.shown ? made - figures.shown : 0;
    figures.late = static_cast<std::size_t>(std::count_if(latencies.begin(), latencies.end(), [&](double ms) {
        return ms > figures.medianMs + intervalMs;
    }));
    return figures;
}

// Reads the window until `seconds` have passed since the first frame it showed.
// The geometry is taken when reading starts, so reading restarts until the player
// has settled on its size and shows stamps.
bool watchFor(unsigned long window, double seconds, std::vector<ShownFrame> &frames)
{
    StampWatcher watcher;
    bool showing = false;
    for (int attempt = 0; attempt < 15 && !showing; ++attempt) {
        if (!watcher.start(window)) {
            RemoteDriver::settle(1000);
            continue;
        }
        showing = RemoteDriver::pollUntil([&] { return watcher.framesSoFar() > 0; }, 20, 1000);
        if (!showing)
            watcher.stop();
    }
    if (!showing)
        return false;
    RemoteDriver::settle(static_cast<int>(seconds * 1000));
    frames = watcher.stop();
    return !frames.empty();
}

struct Run
{
    QString player;
    std::vector<ShownFrame> frames;
};

class GlassBench
{
public:
    // `players`: the names of the players to measure ("remote", "remote low-latency",
    // a peer's name), or empty for all of them.
    GlassBench(RemoteDriver &driver, const QString &binDirectory, const QStringList &players)
        : driver(driver)
        , binDirectory(binDirectory)
        , players(players)
    {
    }

    bool measureRemote(const Stream &, double seconds, Run &run, QString &error)
    {
        run.player = QStringLiteral("remote");
        driver.window()->show();
        auto *dialog = driver.window()->findChild<PreviewDlg *>();
        auto *player = dialog ? dialog->findChild<QFrame *>(QStringLiteral("player")) : nullptr;
        if (!player) {
            error = QStringLiteral("no player frame");
            return false;
        }
        RemoteDriver::click(driver.widget<QAbstractButton>("previewBtn"));
        dialog->move(0, 0);
        const bool ok = watchFor(player->winId(), seconds, run.frames);
        dialog->stopStream();
        dialog->hide();
        driver.window()->hide();
        RemoteDriver::settle(500);
        if (!ok)
            error = QStringLiteral("the remote showed no stamped frame");
        return ok;
    }

    bool measurePeer(const PlayerCommand &command, double seconds, Run &run, QString &error)
    {
        const QString name = command.name;
        run.player = name;
        PeerPlayer peer(name, command.program, command.arguments, command.environment);
        if (!peer.start(error))
            return false;
        const bool ok = watchFor(peer.window(), seconds, run.frames);
        peer.stop();
        RemoteDriver::settle(500);
        if (!ok)
            error = name + QStringLiteral(" showed no stamped frame");
        return ok;
    }

    // The remote and every peer on one stream.
    std::vector<Run> measureAll(const Stream &stream, double seconds, bool allPeers, QStringList &failures)
    {
        std::vector<Run> runs;
        RtspTestServer server(cameraAddress, stream.serverOptions());
        if (server.start() != RtspTestServer::Start::Ready) {
            failures << stream.label() + QStringLiteral(": ") + server.diagnostics();
            return runs;
        }
        QString error;
        const QString url = server.url();
        const std::vector<std::pair<PlayerCommand, bool>> peers{
            // (command, caches 300 ms as the remote does)
            {{"ffplay", "ffplay", {"-fflags", "nobuffer", "-flags", "low_delay", "-framedrop", "-loglevel", "error", url}},
             false},
            {{"gst latency=300", "gst-launch-1.0",
              {"-q", "rtspsrc", "location=" + url, "latency=300", "!", "decodebin", "!", "videoconvert", "!",
               "autovideosink"}},
             true},
            {{"gst latency=0", "gst-launch-1.0",
              {"-q", "rtspsrc", "location=" + url, "latency=0", "!", "decodebin", "!", "videoconvert", "!",
               "autovideosink"}},
             false},
            {cvlc.command("cvlc 300", {"--network-caching=300", "--no-audio", "--no-video-title-show"}, url,
                          binDirectory + QStringLiteral("/plugins")),
             true},
        };
        // The remote in its default mode, then in its low-latency mode, beside the same peers.
        const auto measureMode = [&](PreviewLatency mode, const QString &name) {
            if (!chosen(name))
                return;
            PreviewLatencyChoice::setCurrent(mode);
            Run run;
            if (measureRemote(stream, seconds, run, error)) {
                run.player = name;
                runs.push_back(run);
            } else {
                failures << stream.label() + QStringLiteral(" (") + name + QStringLiteral("): ") + error;
            }
            PreviewLatencyChoice::setCurrent(PreviewLatency::Default);
        };
        measureMode(PreviewLatency::Default, QStringLiteral("remote"));
        measureMode(PreviewLatency::Low, QStringLiteral("remote low-latency"));
        for (const auto &[peer, sameCache] : peers) {
            if ((!allPeers && !sameCache) || !chosen(peer.name))
                continue;
            const QString player = peer.arguments.contains(QStringLiteral("cvlc")) ? QStringLiteral("cvlc") : peer.program;
            if (QStandardPaths::findExecutable(player).isEmpty()) {
                failures << peer.name + QStringLiteral(": ") + player + QStringLiteral(" is not installed");
                continue;
            }
            Run run;
            if (measurePeer(peer, seconds, run, error))
                runs.push_back(run);
            else
                failures << stream.label() + QStringLiteral(": ") + error;
        }
        return runs;
    }

private:
    bool chosen(const QString &player) const { return players.isEmpty() || players.contains(player); }

    RemoteDriver &driver;
    QString binDirectory;
    QStringList players;
    CvlcHome cvlc;
};

// The lowest median among the peers that cache 300 ms, as the remote does.
double lowestSameCachePeer(const std::vector<Run> &runs, const std::vector<Figures> &figures)
{
    double lowest = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const bool sameCache = runs[i].player == QLatin1String("gst latency=300") || runs[i].player == QLatin1String("cvlc 300");
        if (sameCache && figures[i].shown > 0 && (lowest == 0 || figures[i].medianMs < lowest))
            lowest = figures[i].medianMs;
    }
    return lowest;
}

void addLatencyRow(ResultFile &result, const QString &what, const Stream &stream, const std::vector<Run> &runs,
                   double from, double to, QJsonArray &json)
{
    std::vector<Figures> figures;
    QStringList peers;
    const Figures *remote = nullptr;
    for (const Run &run : runs)
        figures.push_back(figuresOf(run.frames, from, to, stream.fps));
    QJsonObject record{{"stream", stream.label()}, {"from_s", from}, {"to_s", to}};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        record.insert(runs[i].player, figures[i].toJson());
        if (runs[i].player == QLatin1String("remote"))
            remote = &figures[i];
        else
            peers << runs[i].player + QStringLiteral(" ") + figures[i].text();
    }
    json.append(record);
    const double intervalMs = 1000.0 / stream.fps;
    const double lowest = lowestSameCachePeer(runs, figures);
    // Medians closer than one reading of the screen are the same figure (cvlc
    // plays through the same module and clock, and lands either side).
    const double readingMs = StampWatcher::kReadingMicros / 1000.0;
    const bool met = remote && remote->shown > 0 && lowest > 0 && remote->medianMs <= lowest + readingMs
        && remote->p95Ms <= remote->medianMs + intervalMs;
    result.addRow({what + QStringLiteral(" (median / p95 / max)"), remote ? remote->text() : QStringLiteral("failed"),
                   peers.join(QStringLiteral("; ")),
                   QStringLiteral("median ≤ lowest 300 ms peer (%1 ms) + %2 ms reading, p95 ≤ median + %3 ms")
                       .arg(lowest, 0, 'f', 0)
                       .arg(readingMs, 0, 'f', 0)
                       .arg(intervalMs, 0, 'f', 0),
                   verdict(met)});
}

// The median of each of the first `count` seconds of a stream: libVLC's clock moves
// the picture in its first seconds (see bench/README.md), the other players' do not.
void addSecondsRow(ResultFile &result, const Stream &stream, const std::vector<Run> &runs, int count, QJsonArray &json)
{
    QStringList peers;
    QString remote = QStringLiteral("failed");
    QJsonObject record{{"stream", stream.label()}, {"by_second", true}};
    for (const Run &run : runs) {
        QStringList medians;
        QJsonArray values;
        for (int second = 0; second < count; ++second) {
            const Figures figures = figuresOf(run.frames, second, second + 1, stream.fps);
            medians << QString::number(figures.medianMs, 'f', 0);
            values.append(figures.medianMs);
        }
        record.insert(run.player, values);
        const QString text = medians.join(QStringLiteral(", ")) + QStringLiteral(" ms");
        if (run.player == QLatin1String("remote"))
            remote = text;
        else
            peers << run.player + QStringLiteral(" ") + text;
    }
    json.append(record);
    result.addRow({QStringLiteral("  the same, median of each of the first %1 s").arg(count), remote,
                   peers.join(QStringLiteral("; ")), QString(), QString()});
}

void addJitterRow(ResultFile &result, const Stream &stream, const std::vector<Run> &runs, QJsonArray &json)
{
    QStringList peers;
    QString remote = QStringLiteral("failed");
    std::size_t remoteBad = 0, fewestBad = 0;
    bool anyPeer = false;
    QJsonObject record{{"stream", stream.label()}};
    for (const Run &run : runs) {
        const Figures figures = figuresOf(run.frames, 0, 1e9, stream.fps);
        record.insert(run.player, figures.toJson());
        const QString text = QStringLiteral("%1 late, %2 dropped of %3").arg(figures.late).arg(figures.dropped).arg(figures.shown + figures.dropped);
        if (run.player == QLatin1String("remote")) {
            remote = text;
            remoteBad = figures.late + figures.dropped;
        } else {
            peers << run.player + QStringLiteral(" ") + text;
            if (!anyPeer || figures.late + figures.dropped < fewestBad)
                fewestBad = figures.late + figures.dropped;
            anyPeer = true;
        }
    }
    json.append(record);
    result.addRow({QStringLiteral("Frames late or dropped, ") + stream.label(), remote, peers.join(QStringLiteral("; ")),
                   QStringLiteral("no more than the best peer"), verdict(anyPeer && remoteBad <= fewestBad)});
}

// Jitter that starts and stops: per player, the delay before, during and after it,
// how long after it stopped the delay was back within a frame interval of before
// (every later second's median too), and the longest the picture stood still.
void addScheduleRow(ResultFile &result, const Stream &stream, const std::vector<Run> &runs, double seconds,
                    QJsonArray &json)
{
    const double intervalMs = 1000.0 / stream.fps;
    QStringList texts;
    QJsonObject record{{"stream", stream.label()}, {"schedule", true}};
    bool met = false;
    for (const Run &run : runs) {
        const double before = figuresOf(run.frames, 1, stream.jitterFrom, stream.fps).medianMs;
        const double during = figuresOf(run.frames, stream.jitterFrom + 2, stream.jitterTo, stream.fps).medianMs;
        int back = -1;
        for (int second = stream.jitterTo; second < static_cast<int>(seconds) && back < 0; ++second) {
            bool settled = true;
            for (int later = second; later < static_cast<int>(seconds) && settled; ++later)
                settled = figuresOf(run.frames, later, later + 1, stream.fps).medianMs <= before + intervalMs;
            if (settled)
                back = second - stream.jitterTo;
        }
        double stillMs = 0;
        for (std::size_t i = 1; i < run.frames.size(); ++i)
            stillMs = std::max(stillMs, static_cast<double>(run.frames[i].shownNanos - run.frames[i - 1].shownNanos) / 1e6);
        record.insert(run.player, QJsonObject{{"before_ms", before}, {"during_ms", during}, {"back_after_s", back},
                                              {"longest_still_ms", stillMs}});
        texts << QStringLiteral("%1: %2 → %3 ms, back %4, still ≤ %5 ms")
                     .arg(run.player)
                     .arg(before, 0, 'f', 0)
                     .arg(during, 0, 'f', 0)
                     .arg(back < 0 ? QStringLiteral("never") : QStringLiteral("after %1 s").arg(back))
                     .arg(stillMs, 0, 'f', 0);
        if (run.player == QLatin1String("remote low-latency"))
            met = back >= 0 && back <= 30 && stillMs <= 2 * intervalMs;
    }
    json.append(record);
    result.addRow({QStringLiteral("Jitter that starts and stops, ") + stream.label(), texts.join(QStringLiteral("; ")),
                   QString(), QStringLiteral("low-latency back within 30 s, never still > %1 ms").arg(2 * intervalMs, 0, 'f', 0),
                   verdict(met)});
}

int fail(const QString &out, const QString &why, int exitCode = 1)
{
    return reportNotMeasured(QStringLiteral("glass"), QStringLiteral("Glass to glass"), why, out, exitCode);
}

} // namespace

int main(int argc, char **argv)
{
    XInitThreads();
    const BenchOptions options(argc, argv);
    const int seconds = options.number(QStringLiteral("seconds"), 15);
    const int longSeconds = options.number(QStringLiteral("long-seconds"), 75);
    const QString out = options.outDirectory();
    if (!RtspTestServer::mayServeUsualPort())
        return fail(out, QString::fromLatin1(RtspTestServer::needsRootNote), 0);
    RemoteUnderBench remote(argc, argv);
    RemoteDriver &driver = remote.driver();
    if (!remote.show(QPoint(0, 0)))
        return fail(out, QStringLiteral("failed: the main window did not show"));
    const QString notConnected = remote.connectToQuietCamera(cameraAddress);
    if (!notConnected.isEmpty())
        return fail(out, QStringLiteral("failed: ") + notConnected);

    // "--players 'remote low-latency,gst latency=0'" measures those players only.
    const QString players = options.text(QStringLiteral("players"), QString());
    GlassBench bench(driver, QCoreApplication::applicationDirPath(),
                     players.isEmpty() ? QStringList() : players.split(QLatin1Char(',')));
    ResultFile result(QStringLiteral("glass"));
    QJsonArray figures;
    QStringList failures;
    // "--streams long,360p50,1080p25,1080p50,jitter,schedule" (the default: all) measures some only.
    const QStringList chosen = options.text(QStringLiteral("streams"), QStringLiteral("long,360p50,1080p25,1080p50,jitter,schedule"))
                                   .split(QLatin1Char(','));
    // Over time: the first 10 s of a stream, second by second over its first 5 s, and 60 s on.
    const Stream small25{640, 360, 25};
    if (chosen.contains(QStringLiteral("long"))) {
        const std::vector<Run> longRuns = bench.measureAll(small25, longSeconds, true, failures);
        addLatencyRow(result, QStringLiteral("Glass to glass, ") + small25.label() + QStringLiteral(", first 10 s"), small25,
                      longRuns, 0, 10, figures);
        addSecondsRow(result, small25, longRuns, 5, figures);
        if (longSeconds > 61)
            addLatencyRow(result, QStringLiteral("Glass to glass, ") + small25.label() + QStringLiteral(", after 60 s"),
                          small25, longRuns, 60, longSeconds, figures);
    }
    const std::vector<std::pair<QString, Stream>> others{
        {"360p50", {640, 360, 50}}, {"1080p25", {1920, 1080, 25}}, {"1080p50", {1920, 1080, 50}}};
    for (const auto &[name, stream] : others) {
        if (!chosen.contains(name))
            continue;
        const std::vector<Run> runs = bench.measureAll(stream, seconds, true, failures);
        addLatencyRow(result, QStringLiteral("Glass to glass, ") + stream.label(), stream, runs, 1, seconds, figures);
    }
    const Stream jittery{640, 360, 25, 150};
    if (chosen.contains(QStringLiteral("jitter"))) {
        const std::vector<Run> runs = bench.measureAll(jittery, seconds, true, failures);
        addJitterRow(result, jittery, runs, figures);
        addSecondsRow(result, jittery, runs, 5, figures);
    }
    if (chosen.contains(QStringLiteral("schedule"))) {
        const Stream scheduled{640, 360, 25, 150, 10, 20};
        const double scheduleSeconds = std::max<double>(seconds, 55);
        const std::vector<Run> runs = bench.measureAll(scheduled, scheduleSeconds, true, failures);
        addScheduleRow(result, scheduled, runs, scheduleSeconds, figures);
    }
    result.setFigure(QStringLiteral("streams"), figures);
    result.setFigure(QStringLiteral("failures"), QJsonArray::fromStringList(failures));
    result.write(out);
    for (const QString &failure : failures)
        std::fprintf(stderr, "bench_glass: %s\n", qPrintable(failure));
    QTextStream(stdout) << "glass: " << figures.size() << " streams measured, " << failures.size() << " failures\n";
    return 0;
}
