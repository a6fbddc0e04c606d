#ifndef HALVORINE_BENCH_MOTIONPRESSES_H
#define HALVORINE_BENCH_MOTIONPRESSES_H

#include "motionwatcher.h"
#include "simulatorprocess.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdint>
#include <vector>

class PreviewDlg;
class QFrame;
class RemoteDriver;

// One press as it was stamped; 0 for a stamp that was not taken.
struct Press
{
    double streamAgeSeconds = 0; // since the stream's first frame on the screen
    bool up = true;
    std::int64_t pressed = 0;      // before the QMouseEvent went to the button
    std::int64_t atSimulator = 0;  // camera-sim logged the drive
    std::int64_t firstMovingDrawn = 0; // camera-sim drew its first frame with the head moved
    std::int64_t firstMovingShown = 0; // that frame first on the screen
    std::int64_t seenDrawn = 0;    // stamp of the frame in which the screen showed motion
    std::int64_t seenShown = 0;    // the read that showed motion
    double changedShare = 0;
    double stillNoise = 0;

    bool complete() const { return pressed && atSimulator && seenDrawn && seenShown; }
    double ms(std::int64_t from, std::int64_t to) const { return static_cast<double>(to - from) / 1e6; }
    double total() const { return ms(pressed, seenShown); }
    double wire() const { return ms(pressed, atSimulator); }
    double reaction() const { return ms(atSimulator, seenDrawn); }
    double glass() const { return ms(seenDrawn, seenShown); }
    bool seenFirstMovingFrame() const { return seenDrawn == firstMovingDrawn; }

    QJsonObject toJson() const
    {
        return QJsonObject{{"stream_age_s", streamAgeSeconds},
                           {"arrow", up ? "up" : "down"},
                           {"total_ms", total()},
                           {"press_to_wire_ms", wire()},
                           {"simulator_reaction_ms", reaction()},
                           {"glass_to_glass_ms", glass()},
                           {"first_moving_frame_drawn_after_wire_ms", ms(atSimulator, firstMovingDrawn)},
                           {"first_moving_frame_glass_to_glass_ms",
                            firstMovingShown ? ms(firstMovingDrawn, firstMovingShown) : QJsonValue()},
                           {"motion_seen_in_first_moving_frame", seenFirstMovingFrame()},
                           {"changed_share", changedShare},
                           {"largest_share_while_still", stillNoise}};
    }
};

// Presses an arrow of the real main window with camera-sim as the camera and stamps
// what follows: opens and closes the preview, keeps the still picture as the
// reference before each press, and reads the drive, the first moving frame and the
// stop from camera-sim's log.
class MotionPresses
{
public:
    MotionPresses(RemoteDriver &driver, SimulatorProcess &simulator);

    bool hasPlayer() const { return player != nullptr; }
    // Opens the preview and waits for the simulator's stamped picture on the screen.
    bool openPreview();
    // Closes the preview; the frames it showed.
    std::vector<FrameOnScreen> closePreview();
    double streamAgeSeconds() const;
    // One press and release; false with the reason when a stamp did not come.
    bool press(Press &result, QString &error);

    int falseMotions() const { return falseMotion; }
    QJsonArray falseMotionDetails() const { return falseMotionSeen; }

private:
    RemoteDriver &driver;
    SimulatorProcess &simulator;
    PreviewDlg *dialog = nullptr;
    QFrame *player = nullptr;
    MotionWatcher watcher;
    std::int64_t streamStart = 0;
    std::size_t stopLine = 0;
    bool moved = false;
    double head = 0; // tilt where the last stop held it
    int falseMotion = 0;
    QJsonArray falseMotionSeen;
};

#endif
