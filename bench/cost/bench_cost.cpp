// Preview cost: what the remote spends while it previews a real camera's stream
// (1920x1080 at 30 fps, H.264 and H.265) for a minute, beside ffplay and cvlc (with
// the program's RTSP module) on the same stream, and in the low-latency preview. CPU is user and system time of all
// of a process's threads over the minute, as a share of one core (so both cores
// busy would be 200 %); memory is resident at the end. Measuring starts once the
// picture is on the screen.
#include "framewatcher.h"
#include "peerplayer.h"
#include "rtsp_test_server.h"

#include "benchoptions.h"
#include "processusage.h"
#include "remotedriver.h"
#include "remoteunderbench.h"
#include "resultfile.h"

#include "settings/previewlatency.h"

#include "ui/previewdlg.h"

#include <QAbstractButton>
#include <QFrame>
#include <QJsonArray>
#include <QMainWindow>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <tuple>
#include <cstdio>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

const QString cameraAddress = QStringLiteral("127.0.0.68");
constexpr int warmUpMs = 3000;

struct Cost
{
    QString player;
    double cpuPercent = -1;
    qint64 residentBytes = -1;
    // The remote's only: a player that cannot keep up drops pictures and spends
    // less, so its CPU is read beside what it showed.
    double picturesPerSecond = -1;
    // The remote's only: how much the heap has handed out (whether its pages
    // were ever touched or not) and keeps free, and the resident memory once
    // malloc_trim gave the free pages back: to tell memory a mode takes from
    // memory it touches, and from what the plays before it left.
    qint64 heapInUseBytes = -1;
    qint64 heapFreeBytes = -1;
    qint64 residentAfterTrimBytes = -1;

    QString text() const
    {
        if (cpuPercent < 0)
            return QStringLiteral("failed");
        QString text = QStringLiteral("%1 % / %2 MiB").arg(cpuPercent, 0, 'f', 1).arg(double(residentBytes) / 1048576.0, 0, 'f', 1);
        if (picturesPerSecond >= 0)
            text += QStringLiteral(" / %1 pictures/s").arg(picturesPerSecond, 0, 'f', 1);
        return text;
    }
};

// Over `seconds` from now, while the event loop keeps running; `shown`, if given,
// counts the pictures shown so far.
Cost measure(const QString &player, qint64 pid, int seconds, const std::function<int()> &shown = {})
{
    Cost cost;
    cost.player = player;
    const double before = cpuSecondsOf(pid);
    const int shownBefore = shown ? shown() : -1;
    RemoteDriver::settle(seconds * 1000);
    const double after = cpuSecondsOf(pid);
    const int shownAfter = shown ? shown() : -1;
    if (before < 0 || after < 0)
        return cost;
    cost.cpuPercent = 100.0 * (after - before) / seconds;
    cost.residentBytes = residentBytesOf(pid);
#if defined(__GLIBC__)
    if (pid == getpid()) {
        const struct mallinfo2 heap = mallinfo2();
        cost.heapInUseBytes = qint64(heap.uordblks + heap.hblkhd);
        cost.heapFreeBytes = qint64(heap.fordblks);
        malloc_trim(0);
        cost.residentAfterTrimBytes = residentBytesOf(pid);
    }
#endif
    if (shownBefore >= 0 && shownAfter >= shownBefore)
        cost.picturesPerSecond = double(shownAfter - shownBefore) / seconds;
    return cost;
}

Cost meanOf(const Cost &a, const Cost &b)
{
    if (a.cpuPercent < 0 || b.cpuPercent < 0)
        return a.cpuPercent < 0 ? a : b;
    Cost mean = a;
    mean.cpuPercent = (a.cpuPercent + b.cpuPercent) / 2;
    mean.residentBytes = (a.residentBytes + b.residentBytes) / 2;
    mean.heapInUseBytes = (a.heapInUseBytes + b.heapInUseBytes) / 2;
    mean.heapFreeBytes = (a.heapFreeBytes + b.heapFreeBytes) / 2;
    mean.residentAfterTrimBytes = (a.residentAfterTrimBytes + b.residentAfterTrimBytes) / 2;
    mean.picturesPerSecond = a.picturesPerSecond >= 0 && b.picturesPerSecond >= 0
                                 ? (a.picturesPerSecond + b.picturesPerSecond) / 2
                                 : -1;
    return mean;
}

bool remoteShowsPicture(RemoteDriver &driver, FrameWatcher &watcher, QFrame *&player)
{
    auto *dialog = driver.window()->findChild<PreviewDlg *>();
    player = dialog ? dialog->findChild<QFrame *>(QStringLiteral("player")) : nullptr;
    if (!player)
        return false;
    RemoteDriver::click(driver.widget<QAbstractButton>("previewBtn"));
    return RemoteDriver::pollUntil([&] { return watcher.showsColourBars(player->winId()); }, 20, 20000);
}

std::vector<Cost> measureStream(RemoteDriver &driver, FrameWatcher &watcher, const QString &codec, int seconds,
                                const CvlcHome &cvlc, QStringList &failures)
{
    std::vector<Cost> costs;
    RtspTestServer server(cameraAddress, {"--codec", codec, "--keyframe-interval", "1", "--width", "1920", "--height",
                                      "1080", "--fps", "30"});
    const QString bin = QCoreApplication::applicationDirPath();
    if (server.start() != RtspTestServer::Start::Ready) {
        failures << codec + QStringLiteral(": ") + server.diagnostics();
        return costs;
    }
    // The remote in its default mode, then in its low-latency mode (one decoding
    // thread, the adaptive delay), which must cost no more. The process's resident
    // memory drifts by several MiB from one play to the next (the heap the previous
    // play, or the other codec, left), so the low-latency play is measured between
    // two default ones and set against their mean, after an unmeasured warm-up.
    const std::vector<std::tuple<PreviewLatency, QString, bool>> modes{
        {PreviewLatency::Low, QString(), false},
        {PreviewLatency::Default, QStringLiteral("remote"), true},
        {PreviewLatency::Low, QStringLiteral("remote low-latency"), true},
        {PreviewLatency::Default, QStringLiteral("remote"), true}};
    for (const auto &[mode, name, measured] : modes) {
        PreviewLatencyChoice::setCurrent(mode);
        driver.window()->show();
        QFrame *player = nullptr;
        if (remoteShowsPicture(driver, watcher, player)) {
            RemoteDriver::settle(warmUpMs);
            if (measured) {
                auto *dialog = driver.window()->findChild<PreviewDlg *>();
                const Cost cost = measure(name, getpid(), seconds, [dialog] { return dialog ? dialog->picturesShown() : -1; });
                if (!costs.empty() && costs.front().player == name)
                    costs.front() = meanOf(costs.front(), cost);
                else
                    costs.push_back(cost);
            }
        } else {
            failures << codec + QStringLiteral(": the ") + (measured ? name : QStringLiteral("warm-up"))
                            + QStringLiteral(" showed no picture");
        }
        if (auto *dialog = driver.window()->findChild<PreviewDlg *>()) {
            dialog->stopStream();
            dialog->hide();
        }
        driver.window()->hide();
        RemoteDriver::settle(500);
    }
    PreviewLatencyChoice::setCurrent(PreviewLatency::Default);

    const std::vector<PlayerCommand> peers{
        {"ffplay", "ffplay", {"-loglevel", "error", server.url()}},
        cvlc.command("cvlc", {"--network-caching=300", "--no-audio"}, server.url(), bin + QStringLiteral("/plugins")),
    };
    for (const PlayerCommand &command : peers) {
        PeerPlayer peer(command.name, command.program, command.arguments, command.environment);
        QString error;
        if (!peer.start(error)) {
            failures << codec + QStringLiteral(": ") + error;
            continue;
        }
        if (!RemoteDriver::pollUntil([&] { return watcher.showsColourBars(peer.window()); }, 20, 20000)) {
            failures << codec + QStringLiteral(": ") + command.name + QStringLiteral(" showed no picture");
            continue;
        }
        RemoteDriver::settle(warmUpMs);
        costs.push_back(measure(command.name, peer.processId(), seconds));
        peer.stop();
        RemoteDriver::settle(500);
    }
    return costs;
}

int fail(const QString &out, const QString &why, int exitCode = 1)
{
    return reportNotMeasured(QStringLiteral("cost"), QStringLiteral("Preview cost"), why, out, exitCode);
}

} // namespace

int main(int argc, char **argv)
{
    const BenchOptions options(argc, argv);
    const int seconds = options.number(QStringLiteral("seconds"), 60);
    const QString out = options.outDirectory();
    if (!RtspTestServer::mayServeUsualPort())
        return fail(out, QString::fromLatin1(RtspTestServer::needsRootNote), 0);
    RemoteUnderBench remote(argc, argv);
    RemoteDriver &driver = remote.driver();
    FrameWatcher watcher;
    if (!watcher.isOpen() || !remote.show(QPoint(0, 0)))
        return fail(out, QStringLiteral("failed: the main window did not show"));
    const QString notConnected = remote.connectToQuietCamera(cameraAddress);
    if (!notConnected.isEmpty())
        return fail(out, QStringLiteral("failed: ") + notConnected);

    const CvlcHome cvlc;
    ResultFile result(QStringLiteral("cost"));
    QJsonArray figures;
    QStringList failures;
    // "--codecs h265" measures that codec only.
    const QStringList codecs = options.text(QStringLiteral("codecs"), QStringLiteral("h264,h265")).split(QLatin1Char(','));
    for (const QString &codec : codecs) {
        const std::vector<Cost> costs = measureStream(driver, watcher, codec, seconds, cvlc, failures);
        const Cost *remote = nullptr;
        const Cost *low = nullptr;
        const Cost *vlc = nullptr;
        QStringList peers;
        QJsonObject record{{"codec", codec}, {"seconds", seconds}};
        for (const Cost &cost : costs) {
            record.insert(cost.player, QJsonObject{{"cpu_percent_of_one_core", cost.cpuPercent},
                                                   {"resident_bytes", cost.residentBytes},
                                                   {"pictures_per_second", cost.picturesPerSecond},
                                                   {"heap_in_use_bytes", cost.heapInUseBytes},
                                                   {"heap_free_bytes", cost.heapFreeBytes},
                                                   {"resident_after_malloc_trim_bytes", cost.residentAfterTrimBytes}});
            if (cost.player == QLatin1String("remote"))
                remote = &cost;
            else if (cost.player == QLatin1String("remote low-latency"))
                low = &cost;
            else
                peers << cost.player + QStringLiteral(" ") + cost.text();
            if (cost.player == QLatin1String("cvlc"))
                vlc = &cost;
        }
        figures.append(record);
        const bool met = remote && vlc && remote->cpuPercent >= 0 && remote->cpuPercent <= vlc->cpuPercent;
        result.addRow({QStringLiteral("Preview cost, 1920×1080 @ 30 fps %1, %2 s: CPU (of one core) / RSS")
                           .arg(codec == QLatin1String("h264") ? QStringLiteral("H.264") : QStringLiteral("H.265"))
                           .arg(seconds),
                       remote ? remote->text() : QStringLiteral("failed"), peers.join(QStringLiteral("; ")),
                       QStringLiteral("CPU ≤ cvlc"), verdict(met)});
        // CPU per picture shown where both counted them: a mode that drops pictures
        // spends less for showing less.
        const auto perPicture = [](const Cost *cost) {
            return cost->picturesPerSecond > 0 ? cost->cpuPercent / cost->picturesPerSecond : cost->cpuPercent;
        };
        const bool bothCounted = remote && low && remote->picturesPerSecond > 0 && low->picturesPerSecond > 0;
        const bool lowMet = remote && low && low->cpuPercent >= 0
                            && (bothCounted ? perPicture(low) <= perPicture(remote) : low->cpuPercent <= remote->cpuPercent)
                            && low->residentBytes <= remote->residentBytes;
        result.addRow({QStringLiteral("  the same in the low-latency preview"), low ? low->text() : QStringLiteral("failed"),
                       remote ? QStringLiteral("default mode ") + remote->text() : QString(),
                       bothCounted ? QStringLiteral("CPU per picture shown and RSS ≤ default mode")
                                   : QStringLiteral("CPU and RSS ≤ default mode"),
                       verdict(lowMet)});
    }
    result.setFigure(QStringLiteral("streams"), figures);
    result.setFigure(QStringLiteral("failures"), QJsonArray::fromStringList(failures));
    result.write(out);
    for (const QString &failure : failures)
        std::fprintf(stderr, "bench_cost: %s\n", qPrintable(failure));
    QTextStream(stdout) << "cost: " << figures.size() << " streams, " << failures.size() << " failures\n";
    return 0;
}
