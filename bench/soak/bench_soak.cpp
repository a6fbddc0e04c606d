// Soak and stress: the remote's preview left playing a live stream for a long time,
// then Play/Stop and Snap/unsnap, each a thousand times, all through the real widgets
// of the real main window. rtsp-test-server draws every frame's capture time into the
// picture (--stamp); a thread reading the player frame from the screen counts a new
// stamp as a new picture, which is how "the picture froze" is seen from outside, as
// the operator would see it. Memory is the whole process's resident set (the remote,
// libVLC and the bench's own reader), CPU the process's less the reader's thread.
#include "cycles.h"
#include "longplay.h"
#include "previewunderload.h"

#include "benchoptions.h"
#include "remotedriver.h"
#include "remoteunderbench.h"
#include "resultfile.h"
#include "rtsp_test_server.h"

#include "ui/previewdlg.h"

#include <X11/Xlib.h>

#include <QJsonArray>
#include <QLocale>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

const QString cameraAddress = QStringLiteral("127.0.0.130");
constexpr double kMiB = 1024.0 * 1024.0;

QString mebibytes(double bytes)
{
    return QString::number(bytes / kMiB, 'f', 1) + QStringLiteral(" MiB");
}

QString percent(double share)
{
    return QString::number(share * 100.0, 'f', 1) + QStringLiteral(" %");
}

QString thousands(int number)
{
    return QLocale(QLocale::English).toString(number);
}

QJsonArray toJson(const std::vector<qint64> &values)
{
    QJsonArray array;
    for (qint64 value : values)
        array.append(value);
    return array;
}

QJsonArray toJson(const std::vector<double> &values)
{
    QJsonArray array;
    for (double value : values)
        array.append(value);
    return array;
}

void addLongPlayRows(ResultFile &result, const LongPlayFigures &play, int minutes, int warmUpSeconds)
{
    const QString what = QStringLiteral("Preview played %1 min (after %2 s warm-up), 640×360 @ 25 fps")
                             .arg(minutes)
                             .arg(warmUpSeconds);
    if (!play.error.isEmpty()) {
        result.addRow({what, QStringLiteral("failed: ") + play.error, QString(), QString(), verdict(false)});
        return;
    }
    const double first = static_cast<double>(play.rssBytes.front());
    const double last = static_cast<double>(play.rssBytes.back());
    const double highest = static_cast<double>(*std::max_element(play.rssBytes.begin(), play.rssBytes.end()));
    const double growth = last - first;
    result.addRow({what + QStringLiteral(": resident memory growth, last / highest reading minus first"),
                   QStringLiteral("%1 / %2 (%3 → %4, read every %5 s)")
                       .arg(mebibytes(growth), mebibytes(highest - first), mebibytes(first), mebibytes(last))
                       .arg(play.sampleSeconds),
                   QString(), QStringLiteral("≤ 5 MiB"), verdict(growth <= 5 * kMiB)});
    if (!play.cpuPerMinute.empty()) {
        const double firstMinute = play.cpuPerMinute.front();
        const double lastMinute = play.cpuPerMinute.back();
        const auto [low, high] = std::minmax_element(play.cpuPerMinute.begin(), play.cpuPerMinute.end());
        // Flat: the last minute within a fifth of the first, or a point of a core, whichever is more.
        const double allowed = std::max(0.2 * firstMinute, 0.01);
        result.addRow({QStringLiteral("  CPU (of one core), first / last minute (lowest / highest minute)"),
                       QStringLiteral("%1 / %2 (%3 / %4)")
                           .arg(percent(firstMinute), percent(lastMinute), percent(*low), percent(*high)),
                       QStringLiteral("screen reader thread, not counted: %1").arg(percent(play.readerCpuPerMinute.back())),
                       QStringLiteral("flat: last within ±%1 of first").arg(percent(allowed)),
                       verdict(std::fabs(lastMinute - firstMinute) <= allowed)});
    }
    result.addRow({QStringLiteral("  longest time without a new picture on the screen"),
                   QStringLiteral("%1 ms (ended %2 s in; %3 pictures)")
                       .arg(play.longestGapMs, 0, 'f', 0)
                       .arg(play.longestGapEndedAtS, 0, 'f', 0)
                       .arg(play.pictures),
                   QString(), QStringLiteral("≤ 1 s"), verdict(play.pictures > 0 && play.longestGapMs <= 1000)});
}

void addCycleRows(ResultFile &result, const QString &what, const CycleFigures &cycles, const QString &check)
{
    const double growth = static_cast<double>(cycles.rssEnd - cycles.rssStart);
    // Start and end are both read with the preview stopped and settled; the highest
    // reading is taken right after a cycle, with the stopped player's memory not yet
    // handed back, so it is shown but not judged.
    const bool met = cycles.error.isEmpty() && cycles.done == cycles.cycles && std::fabs(growth) <= 10 * kMiB;
    // The reading after the first tenth tells growth that levels off (caches, the
    // allocator's per-thread arenas) from growth that goes on.
    const double afterTenth = cycles.rssAtTenths.size() > 1 ? double(cycles.rssAtTenths[1]) : double(cycles.rssEnd);
    QString memory = QStringLiteral("%1 of %2 done; RSS %3 before, %4 after the first tenth, %5 after the last "
                                    "(highest right after a cycle %6; %7 once malloc_trim returned what the allocator kept)")
                         .arg(thousands(cycles.done), thousands(cycles.cycles), mebibytes(double(cycles.rssStart)),
                              mebibytes(afterTenth), mebibytes(double(cycles.rssEnd)),
                              mebibytes(double(cycles.rssMax)), mebibytes(double(cycles.rssAfterTrim)));
    if (!cycles.error.isEmpty())
        memory += QStringLiteral("; failed at ") + cycles.error;
    result.addRow({what, memory, QString(), QStringLiteral("no crash, every cycle done, within 10 MiB of the start"),
                   verdict(met)});
    result.addRow({QStringLiteral("  one cycle (median / p99 / max); ") + check,
                   QStringLiteral("%1 / %2 / %3; %4 of %5")
                       .arg(formatMicros(cycles.perCycle.medianMicros), formatMicros(cycles.perCycle.p99Micros),
                            formatMicros(cycles.perCycle.maxMicros))
                       .arg(cycles.picturesFound)
                       .arg(cycles.picturesLookedFor),
                   QString(), QString(), QString()});
}

QJsonObject cycleJson(const CycleFigures &cycles)
{
    return QJsonObject{{"cycles", cycles.cycles},
                       {"done", cycles.done},
                       {"rss_start_bytes", cycles.rssStart},
                       {"rss_end_bytes", cycles.rssEnd},
                       {"rss_max_bytes", cycles.rssMax},
                       {"rss_after_malloc_trim_bytes", cycles.rssAfterTrim},
                       {"rss_at_tenths_bytes", toJson(cycles.rssAtTenths)},
                       {"per_cycle", cycles.perCycle.toJson()},
                       {"pictures_looked_for", cycles.picturesLookedFor},
                       {"pictures_found", cycles.picturesFound},
                       {"sessions_ended", cycles.sessionsEnded},
                       {"error", cycles.error}};
}

int fail(const QString &out, const QString &why, int exitCode = 1)
{
    return reportNotMeasured(QStringLiteral("soak"), QStringLiteral("Soak and stress of the preview"), why, out,
                             exitCode);
}

} // namespace

int main(int argc, char **argv)
{
    XInitThreads();
    const BenchOptions options(argc, argv);
    const int minutes = options.number(QStringLiteral("minutes"), 30);
    const int warmUpSeconds = options.number(QStringLiteral("warm-up-seconds"), 60);
    const int sampleSeconds = std::max(1, options.number(QStringLiteral("sample-seconds"), 10));
    const int playStops = options.number(QStringLiteral("play-stop-cycles"), 1000);
    const int snaps = options.number(QStringLiteral("snap-cycles"), 1000);
    const int checkEvery = std::max(1, options.number(QStringLiteral("check-every"), 50));
    const QString out = options.outDirectory();
    if (!RtspTestServer::mayServeUsualPort())
        return fail(out, QString::fromLatin1(RtspTestServer::needsRootNote), 0);
    RemoteUnderBench remote(argc, argv);
    RemoteDriver &driver = remote.driver();
    if (!remote.show(QPoint(0, 0)))
        return fail(out, QStringLiteral("failed: the main window did not show"));
    RtspTestServer server(cameraAddress, {"--codec", "h264", "--keyframe-interval", "1", "--stamp"});
    if (server.start() != RtspTestServer::Start::Ready)
        return fail(out, QStringLiteral("failed: ") + server.diagnostics());
    const QString notConnected = remote.connectToQuietCamera(cameraAddress);
    if (!notConnected.isEmpty())
        return fail(out, QStringLiteral("failed: ") + notConnected);
    PreviewUnderLoad preview(driver, server);
    if (!preview.missingWidget().isEmpty())
        return fail(out, QStringLiteral("failed: no widget ") + preview.missingWidget());

    ResultFile result(QStringLiteral("soak"));
    if (minutes > 0) {
        const LongPlayFigures play = playForLong(preview, warmUpSeconds, minutes, sampleSeconds);
        addLongPlayRows(result, play, minutes, warmUpSeconds);
        result.setFigure(QStringLiteral("long_play"),
                         QJsonObject{{"minutes", minutes},
                                     {"warm_up_seconds", warmUpSeconds},
                                     {"sample_seconds", sampleSeconds},
                                     {"rss_bytes", toJson(play.rssBytes)},
                                     {"cpu_share_per_minute", toJson(play.cpuPerMinute)},
                                     {"reader_cpu_share_per_minute", toJson(play.readerCpuPerMinute)},
                                     {"pictures", qint64(play.pictures)},
                                     {"longest_gap_ms", play.longestGapMs},
                                     {"longest_gap_ended_at_s", play.longestGapEndedAtS},
                                     {"error", play.error}});
    } else {
        // One play to the picture first, as the long play does: what a first play
        // loads once (the decoder, the video output and their libraries) is not growth.
        RemoteDriver::click(preview.previewButton);
        preview.dialog->move(0, 0);
        if (!preview.showsNewPictures(10000))
            return fail(out, QStringLiteral("failed: no picture after Preview"));
    }
    if (playStops > 0) {
        const CycleFigures cycles = playStopCycles(preview, playStops, checkEvery);
        addCycleRows(result, QStringLiteral("%1 Play/Stop cycles").arg(thousands(playStops)), cycles,
                     QStringLiteral("picture on the screen after Play, every %1th cycle").arg(checkEvery));
        result.setFigure(QStringLiteral("play_stop"), cycleJson(cycles));
    }
    if (snaps > 0) {
        const CycleFigures cycles = snapCycles(preview, snaps, checkEvery);
        addCycleRows(result, QStringLiteral("%1 Snap/unsnap cycles while streaming").arg(thousands(snaps)), cycles,
                     QStringLiteral("picture in the snapped panel, every %1th cycle; sessions ended: %2")
                         .arg(checkEvery)
                         .arg(cycles.sessionsEnded));
        result.setFigure(QStringLiteral("snap"), cycleJson(cycles));
    }
    result.write(out);
    QTextStream(stdout) << "soak: " << minutes << " min played, " << playStops << " Play/Stop and " << snaps
                        << " Snap cycles tried; see " << out << "/soak.json\n";
    return 0;
}
