// Preview: from the operator's click on Preview (camera connected) until the test
// pattern's colour bars are on the screen inside the preview's player frame, beside
// FFmpeg's wall time to its first decoded frame of the same stream. Also the remote's
// resident memory before the preview and while it plays; and camera select with the
// preview open (Ctrl+2 from a camera showing plain red, until the second camera's bars
// are on the screen), beside the click. Needs root (port 554).
#include "framewatcher.h"
#include "rtsp_test_server.h"

#include "benchoptions.h"
#include "monotonic.h"
#include "processmemory.h"
#include "recordingpeer.h"
#include "remotedriver.h"
#include "remoteunderbench.h"
#include "resultfile.h"
#include "summary.h"


#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextStream>

#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

const QString cameraAddress = QStringLiteral("127.0.0.63");
const QString redCameraAddress = QStringLiteral("127.0.0.64");
// How often the screen is read while waiting; the figure is late by at most this.
constexpr int grabIntervalMs = 5;
constexpr int frameTimeoutMs = 20000;

struct PreviewTimes
{
    std::vector<std::int64_t> remote, ffmpeg, clickReturns, selectToBars;
    qint64 rssBefore = -1, rssPlaying = -1;
};

QDialog *previewDialog()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("PreviewDlg"))
            return qobject_cast<QDialog *>(top);
    }
    return nullptr;
}

// One click on Preview until the bars show; the dialog is left open. Also notes how
// long the click's own handling held the GUI thread.
std::int64_t clickUntilVisible(RemoteDriver &driver, FrameWatcher &watcher, PreviewTimes &times)
{
    auto *previewButton = driver.widget<QAbstractButton>("previewBtn");
    const std::int64_t start = monotonicNanos();
    RemoteDriver::click(previewButton);
    times.clickReturns.push_back(monotonicNanos() - start);
    QFrame *player = nullptr;
    const bool visible = RemoteDriver::pollUntil(
        [&] {
            QDialog *dialog = previewDialog();
            player = dialog ? dialog->findChild<QFrame *>(QStringLiteral("player")) : nullptr;
            return player && player->internalWinId() && watcher.showsColourBars(player->internalWinId());
        },
        grabIntervalMs, frameTimeoutMs);
    return visible ? monotonicNanos() - start : -1;
}

// Closes the preview as the operator does, and waits until it is off the screen.
void closePreview()
{
    if (QDialog *dialog = previewDialog())
        dialog->close();
    RemoteDriver::settle(500);
}

// FFmpeg's own time to its first decoded frame: the whole process, start to exit.
std::int64_t ffmpegFirstFrame(const QString &url)
{
    const QByteArray source = url.toUtf8();
    const char *arguments[] = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-i",
                               source.constData(), "-frames:v", "1", "-f", "null", "-", nullptr};
    pid_t pid = 0;
    const std::int64_t start = monotonicNanos();
    if (posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, const_cast<char **>(arguments), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const std::int64_t ended = monotonicNanos();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ended - start : -1;
}

// Remote and FFmpeg take turns, so that a change of load falls on both alike. The
// last remote preview is left playing for a few seconds to read its memory.
bool measure(RemoteDriver &driver, FrameWatcher &watcher, const QString &url, int runs, PreviewTimes &times)
{
    times.rssBefore = residentBytes();
    for (int run = 0; run < runs; ++run) {
        const std::int64_t remote = clickUntilVisible(driver, watcher, times);
        if (remote < 0)
            return false;
        times.remote.push_back(remote);
        if (run == runs - 1) {
            RemoteDriver::settle(3000);
            times.rssPlaying = residentBytes();
        }
        closePreview();
        const std::int64_t ffmpeg = ffmpegFirstFrame(url);
        if (ffmpeg < 0)
            return false;
        times.ffmpeg.push_back(ffmpeg);
    }
    return true;
}

// Ctrl+digit, as the keyboard sends it (X11 key code 10 is the 1 key), to the widget
// with the focus, or the OSD button, which keeps no keys.
void selectCamera(RemoteDriver &driver, int number)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : driver.widget<QWidget>("osdBtn");
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, Qt::Key_0 + number, Qt::ControlModifier, quint32(9 + number), 0, 0);
        QApplication::sendEvent(target, &event);
    }
}

// Camera 1 (red) and camera 2 (the bars) saved, camera 1 selected with the preview open;
// then Ctrl+2 until the bars show, and back to camera 1 for the next run.
bool measureSelect(RemoteDriver &driver, FrameWatcher &watcher, int runs, PreviewTimes &times)
{
    const auto save = [&](const QString &address, const char *name) {
        driver.widget<QLineEdit>("ipEdit")->setText(address);
        driver.widget<QLineEdit>("camNameEdit")->setText(QString::fromLatin1(name));
        RemoteDriver::click(driver.widget<QAbstractButton>("saveBtn"));
    };
    save(redCameraAddress, "1 red");
    save(cameraAddress, "2 bars");
    driver.widget<QWidget>("osdBtn")->setFocus(Qt::OtherFocusReason);
    auto *connectButton = driver.widget<QAbstractButton>("connectBtn");
    const auto linked = [&] {
        return RemoteDriver::runUntil([&] { return connectButton->text() == QLatin1String("Disconnect"); }, 5000);
    };
    selectCamera(driver, 1);
    if (!linked())
        return false;
    RemoteDriver::click(driver.widget<QAbstractButton>("previewBtn"));
    QFrame *player = nullptr;
    for (int run = 0; run < runs; ++run) {
        RemoteDriver::settle(2000); // camera 1's red on the screen, the bars long gone
        QDialog *dialog = previewDialog();
        player = dialog ? dialog->findChild<QFrame *>(QStringLiteral("player")) : nullptr;
        if (!player || watcher.showsColourBars(player->internalWinId()))
            return false;
        const std::int64_t start = monotonicNanos();
        selectCamera(driver, 2);
        if (!RemoteDriver::pollUntil([&] { return watcher.showsColourBars(player->internalWinId()); }, grabIntervalMs,
                                     frameTimeoutMs))
            return false;
        times.selectToBars.push_back(monotonicNanos() - start);
        selectCamera(driver, 1);
        if (!linked())
            return false;
    }
    closePreview();
    return true;
}

QString mebibytes(qint64 bytes)
{
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MiB");
}

void report(const PreviewTimes &times, int runs, const QString &out)
{
    const Summary remote = summarize(times.remote);
    const Summary ffmpeg = summarize(times.ffmpeg);
    ResultFile result(QStringLiteral("preview"));
    result.addRow({QStringLiteral("Preview click → colour bars visible in player (median of %1)").arg(runs),
                   formatMicros(remote.medianMicros),
                   formatMicros(ffmpeg.medianMicros) + QStringLiteral(" ffmpeg to 1st decoded frame"),
                   QStringLiteral("≤ ffmpeg"), verdict(remote.medianMicros <= ffmpeg.medianMicros)});
    result.addRow({QStringLiteral("  of which the click's own handling (GUI thread busy)"),
                   formatMicros(summarize(times.clickReturns).medianMicros), QString(), QString(), QString()});
    const Summary select = summarize(times.selectToBars);
    result.addRow({QStringLiteral("Camera select (Ctrl+2), preview open → new camera's bars visible (median of %1)")
                       .arg(times.selectToBars.size()),
                   formatMicros(select.medianMicros),
                   formatMicros(remote.medianMicros) + QStringLiteral(" Preview click, same run"),
                   QStringLiteral("≤ click + 10 %"),
                   verdict(!times.selectToBars.empty() && select.medianMicros <= 1.1 * remote.medianMicros)});
    result.addRow({QStringLiteral("Resident memory, connected / while a preview plays"),
                   mebibytes(times.rssBefore) + QStringLiteral(" / ") + mebibytes(times.rssPlaying), QString(),
                   QString(), QString()});
    result.setFigure(QStringLiteral("runs"), runs);
    result.setFigure(QStringLiteral("remote_click_to_visible"), remote.toJson());
    result.setFigure(QStringLiteral("ffmpeg_first_frame"), ffmpeg.toJson());
    result.setFigure(QStringLiteral("remote_click_returns"), summarize(times.clickReturns).toJson());
    result.setFigure(QStringLiteral("camera_select_to_visible"), select.toJson());
    result.setFigure(QStringLiteral("grab_interval_ms"), grabIntervalMs);
    result.setFigure(QStringLiteral("rss_connected_bytes"), times.rssBefore);
    result.setFigure(QStringLiteral("rss_playing_bytes"), times.rssPlaying);
    result.write(out);
    QTextStream(stdout) << "preview: remote " << formatMicros(remote.medianMicros) << ", ffmpeg "
                        << formatMicros(ffmpeg.medianMicros) << "\n";
}

// Leaves a row that says why there is no figure; a skip (not root) is no failure.
int notMeasured(const QString &out, const QString &why, int exitCode = 1)
{
    return reportNotMeasured(QStringLiteral("preview"), QStringLiteral("Preview click → colour bars visible in player"),
                             why, out, exitCode);
}

} // namespace

int main(int argc, char **argv)
{
    const BenchOptions options(argc, argv);
    const int runs = options.number(QStringLiteral("runs"), 10);
    const QString out = options.outDirectory();
    if (!RtspTestServer::mayServeUsualPort())
        return notMeasured(out, QString::fromLatin1(RtspTestServer::needsRootNote), 0);
    RemoteUnderBench remote(argc, argv);
    RemoteDriver &driver = remote.driver();
    FrameWatcher watcher;
    if (!watcher.isOpen() || !remote.show())
        return notMeasured(out, QStringLiteral("failed: the main window did not show"));

    RtspTestServer server(cameraAddress);
    if (server.start() != RtspTestServer::Start::Ready)
        return notMeasured(out, QStringLiteral("failed: ") + server.diagnostics());
    const QString notConnected = remote.connectToQuietCamera(cameraAddress);
    if (!notConnected.isEmpty())
        return notMeasured(out, QStringLiteral("failed: ") + notConnected);

    PreviewTimes times;
    if (!measure(driver, watcher, server.url(), runs, times))
        return notMeasured(out, QStringLiteral("failed: no picture within %1 s, or ffmpeg failed").arg(frameTimeoutMs / 1000));

    RtspTestServer redServer(redCameraAddress, {QStringLiteral("--pattern"), QStringLiteral("red")});
    RecordingPeer::Options peerOptions;
    peerOptions.address = redCameraAddress.toStdString();
    RecordingPeer redCamera(peerOptions);
    std::string peerError;
    if (redServer.start() != RtspTestServer::Start::Ready || !redCamera.start(peerError))
        return notMeasured(out, QStringLiteral("failed: the second camera: ") + redServer.diagnostics()
                                    + QString::fromStdString(peerError));
    if (!measureSelect(driver, watcher, runs, times))
        std::fprintf(stderr, "bench_preview: camera select did not show the second camera's picture\n");
    report(times, runs, out);
    return 0;
}
