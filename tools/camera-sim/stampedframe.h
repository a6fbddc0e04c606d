#pragma once

#include "headstate.h"

#include <QImage>
#include <QString>
#include <optional>

// With --stamp, every frame carries the moment it was drawn, so that a bench can
// tell when the simulator reacted to a drive and how late the picture reached a
// screen: tools/framestamp's band of cells across the top eighth of the picture,
// holding CLOCK_MONOTONIC in milliseconds (std::chrono::steady_clock is that clock
// on Linux, the same one the benches stamp with).
namespace StampedFrame {

qint64 monotonicMs();
// The band, in grey, over the top of the picture.
void drawStamp(QImage &image, qint64 monotonicMs);

} // namespace StampedFrame

// Notices the first frame that shows the head moving after it stood still, and
// the first that shows it still again: the simulator's reaction to a drive or a
// stop is the time from the message to that frame.
class MotionNotice
{
public:
    // A line for the log when this frame (drawn at `stampMs`, showing `drawn`)
    // is such a first frame; empty otherwise.
    QString frameDrawn(const PanTilt &drawn, qint64 stampMs);

private:
    std::optional<PanTilt> last_;
    bool moving_ = false;
};
