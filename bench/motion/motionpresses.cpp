#include "motionpresses.h"

#include "monotonic.h"
#include "remotedriver.h"

#include "ui/previewdlg.h"

#include <QAbstractButton>
#include <QFrame>
#include <QRandomGenerator>

namespace {

// The arrow is held this long: the head turns 5 degrees (42 degrees a second at the
// arrow's speed 14), so that, driven up and down in turn, the horizon and the mast
// never leave the middle of the picture that is compared. The picture starts moving
// on the screen well after the release; the stop changes nothing before that.
constexpr int holdMs = 120;

} // namespace

MotionPresses::MotionPresses(RemoteDriver &driver, SimulatorProcess &simulator)
    : driver(driver)
    , simulator(simulator)
{
    dialog = driver.window()->findChild<PreviewDlg *>();
    player = dialog ? dialog->findChild<QFrame *>(QStringLiteral("player")) : nullptr;
}

bool MotionPresses::openPreview()
{
    RemoteDriver::click(driver.widget<QAbstractButton>("previewBtn"));
    dialog->move(0, 0);
    for (int attempt = 0; attempt < 15; ++attempt) {
        if (!watcher.start(player->winId())) {
            RemoteDriver::settle(500);
            continue;
        }
        if (RemoteDriver::pollUntil([&] { return watcher.framesSoFar() > 0; }, 5, 2000)) {
            streamStart = watcher.framesSince(0).front().shownNanos;
            return true;
        }
        watcher.stop();
    }
    return false;
}

std::vector<FrameOnScreen> MotionPresses::closePreview()
{
    std::vector<FrameOnScreen> frames = watcher.stop();
    dialog->stopStream();
    dialog->hide();
    RemoteDriver::settle(500);
    return frames;
}

double MotionPresses::streamAgeSeconds() const
{
    return static_cast<double>(monotonicNanos() - streamStart) / 1e9;
}

bool MotionPresses::press(Press &result, QString &error)
{
    // The picture still: the simulator has drawn the head still after the last
    // stop, and the screen shows that picture (or a later one) as the reference.
    std::int64_t stillSince = monotonicNanos();
    if (moved) {
        SimulatorLine still;
        if (!simulator.waitFor(QStringLiteral("frame "), stopLine + 1, 3000, &still)) {
            error = QStringLiteral("camera-sim drew no still frame after the stop");
            return false;
        }
        stillSince = SimulatorLine::frameStampNanos(still.words);
    }
    for (int attempt = 0;; ++attempt) {
        watcher.arm(stillSince);
        if (!RemoteDriver::pollUntil([&] { return watcher.armed() || watcher.motionSeen(); }, 2, 3000)) {
            error = QStringLiteral("the still picture did not reach the screen");
            return false;
        }
        // A random pause puts the press anywhere in the simulator's frame interval.
        RemoteDriver::settle(100 + static_cast<int>(QRandomGenerator::global()->bounded(60)));
        if (!watcher.motionSeen())
            break;
        // The still picture taken for moving: noted, and the reference retaken.
        ++falseMotion;
        falseMotionSeen.append(QJsonObject{{"stream_age_s", streamAgeSeconds()},
                                           {"changed_share", watcher.motion().changedShare}});
        if (attempt == 5) {
            error = QStringLiteral("the still picture keeps changing");
            return false;
        }
    }
    result.up = head < 0;
    auto *button = driver.widget<QAbstractButton>(result.up ? "upBtn" : "downBtn");
    const std::size_t before = simulator.lineCount();
    result.streamAgeSeconds = streamAgeSeconds();
    result.stillNoise = watcher.stillNoise();
    result.pressed = monotonicNanos();
    RemoteDriver::press(button);
    RemoteDriver::pollUntil([&] { return watcher.motionSeen(); }, 2, holdMs);
    RemoteDriver::release(button);
    const bool seen = RemoteDriver::pollUntil([&] { return watcher.motionSeen(); }, 2, 5000);
    moved = true;
    const SeenMotion motion = watcher.motion();
    watcher.disarm();

    SimulatorLine drive, frame, stop;
    std::size_t driveLine = 0;
    if (!simulator.waitFor(QStringLiteral("pan-tilt drive"), before, 3000, &drive, &driveLine)
        || !simulator.waitFor(QStringLiteral("frame "), driveLine + 1, 3000, &frame)
        || !simulator.waitFor(QStringLiteral("pan-tilt stop"), driveLine + 1, 3000, &stop, &stopLine)) {
        error = QStringLiteral("camera-sim did not log the drive, its moving frame and the stop");
        return false;
    }
    head = SimulatorLine::tiltIn(stop.words);
    if (!seen) {
        error = QStringLiteral("the player never showed the picture moving");
        return false;
    }
    result.atSimulator = drive.monotonicNanos;
    result.firstMovingDrawn = SimulatorLine::frameStampNanos(frame.words);
    result.seenShown = motion.shownNanos;
    result.seenDrawn = motion.drawnNanos;
    result.changedShare = motion.changedShare;
    for (const FrameOnScreen &shown : watcher.framesSince(0)) {
        if (shown.drawnNanos == result.firstMovingDrawn) {
            result.firstMovingShown = shown.shownNanos;
            break;
        }
    }
    return true;
}
