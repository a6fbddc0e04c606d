// Press to visible motion: with camera-sim as the camera, an arrow pressed through the
// real main window's button, until the preview's `player` frame shows the picture
// moving, split into its three parts, each stamped with CLOCK_MONOTONIC:
//
//   press → wire        the press QMouseEvent handed to the button, until camera-sim
//                       logs the drive message ("[monotonic … ms]" under --stamp);
//   simulator reaction  from there until camera-sim drew the frame that the screen
//                       shows moving (its stamp, tools/framestamp's band across the
//                       top of each frame, holds when it was drawn);
//   glass to glass      from that frame's drawing until a read of the screen first
//                       shows it moved.
//
// The screen is read every 2 ms on a thread with an X connection of its own; the
// picture counts as moving when enough of its middle differs from the still picture
// before the press (PictureChange). 20 presses in the first 10 s of a stream (the
// preview opened anew as often as it takes), and 20 after the stream has played 60 s.
// Then the first 10 s again in the low-latency preview.
// The arrow is held 120 ms, up when the head is below the horizon and down when
// above, so that the compared middle of the picture always holds the horizon.
#include "motionpresses.h"
#include "picturechange.h"
#include "simulatorprocess.h"

#include "rtsp_test_server.h"

#include "benchoptions.h"
#include "remotedriver.h"
#include "remoteunderbench.h"
#include "resultfile.h"

#include "settings/previewlatency.h"


#include <X11/Xlib.h>

#include <QAbstractButton>
#include <QJsonArray>
#include <QLineEdit>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

namespace {

const QString cameraAddress = QStringLiteral("127.0.0.160");
constexpr double earlySeconds = 10;

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::min(values.size(), std::max<std::size_t>(rank, 1)) - 1];
}

QString medianAndP95(const std::vector<double> &values)
{
    // Tenths where the whole figure is a few milliseconds (the wire).
    const double median = percentile(values, 0.5), p95 = percentile(values, 0.95);
    const int decimals = p95 < 10 ? 1 : 0;
    return QStringLiteral("%1 / %2 ms").arg(median, 0, 'f', decimals).arg(p95, 0, 'f', decimals);
}

// Glass to glass of every frame a stream showed between `from` and `to` seconds after
// its first one.
std::vector<double> glassOfFrames(const std::vector<FrameOnScreen> &frames, double from, double to)
{
    std::vector<double> delays;
    if (frames.empty())
        return delays;
    for (const FrameOnScreen &frame : frames) {
        const double at = static_cast<double>(frame.shownNanos - frames.front().shownNanos) / 1e9;
        if (at >= from && at < to)
            delays.push_back(static_cast<double>(frame.shownNanos - frame.drawnNanos) / 1e6);
    }
    return delays;
}

// Glass to glass over time: the median of each `binSeconds` of a stream, from its
// first frame on.
QJsonArray timeline(const std::vector<FrameOnScreen> &frames, double binSeconds)
{
    QJsonArray medians;
    if (frames.empty())
        return medians;
    const double length = static_cast<double>(frames.back().shownNanos - frames.front().shownNanos) / 1e9;
    for (double from = 0; from < length; from += binSeconds) {
        const std::vector<double> delays = glassOfFrames(frames, from, from + binSeconds);
        if (!delays.empty())
            medians.append(QJsonArray{from, percentile(delays, 0.5), percentile(delays, 0.95)});
    }
    return medians;
}

struct Series
{
    QString label;
    std::vector<Press> presses;
    std::vector<double> frameGlass; // glass to glass of every frame shown in the same stretch
    QJsonArray timelines;           // per stream: [from s, median ms, p95 ms] for each second

    std::vector<double> of(double (Press::*part)() const) const
    {
        std::vector<double> values;
        for (const Press &press : presses)
            values.push_back((press.*part)());
        return values;
    }
};

void addRows(ResultFile &result, const Series &series)
{
    const QString count = QString::number(series.presses.size());
    result.addRow({QStringLiteral("Press → picture moving in player, %1 (median / p95 of %2)").arg(series.label, count),
                   medianAndP95(series.of(&Press::total)), QString(), QString(), QString()});
    result.addRow({QStringLiteral("  of which press → drive message at camera-sim"), medianAndP95(series.of(&Press::wire)),
                   QString(), QString(), QString()});
    int first = 0;
    for (const Press &press : series.presses)
        first += press.seenFirstMovingFrame() ? 1 : 0;
    result.addRow({QStringLiteral("  of which camera-sim: drive → drew the frame seen moving"),
                   medianAndP95(series.of(&Press::reaction)),
                   QStringLiteral("its first moving frame in %1 of %2 presses").arg(first).arg(count), QString(),
                   QString()});
    result.addRow({QStringLiteral("  of which glass to glass of that frame"), medianAndP95(series.of(&Press::glass)),
                   QStringLiteral("every frame of the same stretch: %1 (%2 frames)")
                       .arg(medianAndP95(series.frameGlass))
                       .arg(series.frameGlass.size()),
                   QString(), QString()});
}

QJsonObject seriesJson(const Series &series)
{
    QJsonArray presses;
    for (const Press &press : series.presses)
        presses.append(press.toJson());
    auto summary = [](const std::vector<double> &values) {
        return QJsonObject{{"count", qint64(values.size())}, {"median_ms", percentile(values, 0.5)},
                           {"p95_ms", percentile(values, 0.95)},
                           {"max_ms", values.empty() ? 0 : *std::max_element(values.begin(), values.end())}};
    };
    return QJsonObject{{"presses", presses},
                       {"total", summary(series.of(&Press::total))},
                       {"press_to_wire", summary(series.of(&Press::wire))},
                       {"simulator_reaction", summary(series.of(&Press::reaction))},
                       {"glass_to_glass", summary(series.of(&Press::glass))},
                       {"every_frame_glass_to_glass", summary(series.frameGlass)},
                       {"glass_to_glass_each_second", series.timelines}};
}

int fail(const QString &out, const QString &why, int exitCode = 1)
{
    return reportNotMeasured(QStringLiteral("motion"), QStringLiteral("Press → picture moving"), why, out, exitCode);
}

bool connectToSimulator(RemoteDriver &driver, SimulatorProcess &simulator)
{
    driver.widget<QLineEdit>("ipEdit")->setText(cameraAddress);
    auto *connectButton = driver.widget<QAbstractButton>("connectBtn");
    RemoteDriver::click(connectButton);
    SimulatorLine line;
    return simulator.waitFor(QStringLiteral("client "), 0, 10000, &line)
        && RemoteDriver::runUntil([&] { return connectButton->text() == QLatin1String("Disconnect"); }, 10000);
}

} // namespace

int main(int argc, char **argv)
{
    XInitThreads();
    const BenchOptions options(argc, argv);
    const int presses = options.number(QStringLiteral("presses"), 20);
    const int longSeconds = options.number(QStringLiteral("long-seconds"), 60);
    const QString out = options.outDirectory();
    if (!RtspTestServer::mayServeUsualPort())
        return fail(out, QString::fromLatin1(RtspTestServer::needsRootNote), 0);
    RemoteUnderBench remote(argc, argv);
    RemoteDriver &driver = remote.driver();
    // Below the preview, which opens at the top left: the two never overlap.
    if (!remote.show(QPoint(0, 520)))
        return fail(out, QStringLiteral("failed: the main window did not show"));

    SimulatorProcess simulator(cameraAddress);
    QString error;
    if (!simulator.start(QCoreApplication::applicationDirPath() + QStringLiteral("/camera-sim"), error))
        return fail(out, QStringLiteral("failed: ") + error);
    if (!connectToSimulator(driver, simulator))
        return fail(out, QStringLiteral("failed: the remote did not connect to camera-sim"));
    MotionPresses bench(driver, simulator);
    if (!bench.hasPlayer())
        return fail(out, QStringLiteral("failed: no player frame"));

    QStringList failures;
    // The first 10 s of a stream: the preview opened anew until the presses are in.
    std::vector<double> firstSecond, laterSeconds; // glass to glass of every frame, 0-1 s and 1-10 s
    const auto measureEarly = [&](Series &series, std::vector<double> *first, std::vector<double> *later) {
        for (int stream = 0; stream < 3 * presses && static_cast<int>(series.presses.size()) < presses; ++stream) {
            if (!bench.openPreview()) {
                failures << QStringLiteral("the preview showed no stamped picture");
                bench.closePreview();
                continue;
            }
            while (static_cast<int>(series.presses.size()) < presses && bench.streamAgeSeconds() < earlySeconds - 1.5) {
                Press press;
                if (bench.press(press, error) && press.complete() && press.streamAgeSeconds < earlySeconds)
                    series.presses.push_back(press);
                else if (!error.isEmpty())
                    failures << error;
                error.clear();
            }
            const std::vector<FrameOnScreen> frames = bench.closePreview();
            const std::vector<double> glass = glassOfFrames(frames, 0, earlySeconds);
            series.timelines.append(timeline(frames, 1));
            series.frameGlass.insert(series.frameGlass.end(), glass.begin(), glass.end());
            for (const auto &[from, to, into] : {std::make_tuple(0.0, 1.0, first), std::make_tuple(1.0, earlySeconds, later)}) {
                const std::vector<double> part = glassOfFrames(frames, from, to);
                into->insert(into->end(), part.begin(), part.end());
            }
        }
    };
    Series early{QStringLiteral("first 10 s of a stream"), {}, {}, {}};
    measureEarly(early, &firstSecond, &laterSeconds);
    // The same in the low-latency preview (--preview-latency low), the mode to drive by.
    Series lowLatency{QStringLiteral("low-latency preview, first 10 s of a stream"), {}, {}, {}};
    {
        std::vector<double> unusedFirst, unusedLater;
        PreviewLatencyChoice::setCurrent(PreviewLatency::Low);
        measureEarly(lowLatency, &unusedFirst, &unusedLater);
        PreviewLatencyChoice::setCurrent(PreviewLatency::Default);
    }

    // After 60 s: one stream, left to play, then the presses.
    Series late{QStringLiteral("after %1 s of a stream").arg(longSeconds), {}, {}, {}};
    std::vector<double> lateFirst10s;
    if (bench.openPreview()) {
        RemoteDriver::settle(longSeconds * 1000);
        for (int attempt = 0; attempt < 2 * presses && static_cast<int>(late.presses.size()) < presses; ++attempt) {
            Press press;
            if (bench.press(press, error) && press.complete())
                late.presses.push_back(press);
            else
                failures << error;
            error.clear();
        }
        const std::vector<FrameOnScreen> frames = bench.closePreview();
        late.frameGlass = glassOfFrames(frames, longSeconds, 1e9);
        lateFirst10s = glassOfFrames(frames, 0, earlySeconds);
        late.timelines.append(timeline(frames, 1));
    } else {
        failures << QStringLiteral("the long stream showed no stamped picture");
    }

    ResultFile result(QStringLiteral("motion"));
    addRows(result, early);
    addRows(result, late);
    addRows(result, lowLatency);
    const double lowMedian = percentile(lowLatency.of(&Press::total), 0.5);
    result.addRow({QStringLiteral("Low-latency press → picture moving, median against its target"),
                   QStringLiteral("%1 ms").arg(lowMedian, 0, 'f', 0),
                   QStringLiteral("default mode, same run: %1 ms").arg(percentile(early.of(&Press::total), 0.5), 0, 'f', 0),
                   QStringLiteral("≤ 150 ms"), verdict(!lowLatency.presses.empty() && lowMedian <= 150)});
    result.addRow({QStringLiteral("  glass to glass of every frame: a stream's first second / seconds 1 to 10 / after %1 s")
                       .arg(longSeconds),
                   QStringLiteral("%1; %2; %3").arg(medianAndP95(firstSecond), medianAndP95(laterSeconds),
                                                    medianAndP95(late.frameGlass)),
                   QStringLiteral("the long stream's own first 10 s: %1").arg(medianAndP95(lateFirst10s)), QString(),
                   QString()});
    std::vector<double> noise;
    for (const Series *series : {&early, &late})
        for (const Press &press : series->presses)
            noise.push_back(press.stillNoise);
    result.addRow({QStringLiteral("  motion criterion: pixels changed by > %1 levels, largest share while still / threshold")
                       .arg(PictureChange::levelThreshold),
                   QStringLiteral("%1 % / %2 %")
                       .arg(noise.empty() ? 0 : 100 * *std::max_element(noise.begin(), noise.end()), 0, 'f', 2)
                       .arg(100 * PictureChange::shareThreshold, 0, 'f', 2),
                   QStringLiteral("still picture taken for moving: %1 times").arg(bench.falseMotions()), QString(),
                   QString()});
    result.setFigure(QStringLiteral("first_10_s"), seriesJson(early));
    result.setFigure(QStringLiteral("after_long"), seriesJson(late));
    result.setFigure(QStringLiteral("low_latency_first_10_s"), seriesJson(lowLatency));
    result.setFigure(QStringLiteral("long_stream_first_10_s_every_frame_glass_to_glass_median_ms"),
                     percentile(lateFirst10s, 0.5));
    result.setFigure(QStringLiteral("still_picture_taken_for_moving"), bench.falseMotionDetails());
    result.setFigure(QStringLiteral("failures"), QJsonArray::fromStringList(failures));
    result.write(out);
    for (const QString &failure : failures)
        std::fprintf(stderr, "bench_motion: %s\n", qPrintable(failure));
    QTextStream(stdout) << "motion: first 10 s " << medianAndP95(early.of(&Press::total)) << " ("
                        << early.presses.size() << " presses), after " << longSeconds << " s "
                        << medianAndP95(late.of(&Press::total)) << " (" << late.presses.size() << " presses), low latency "
                        << medianAndP95(lowLatency.of(&Press::total)) << ", "
                        << failures.size() << " failures\n";
    return early.presses.empty() || late.presses.empty() || lowLatency.presses.empty() ? 1 : 0;
}
