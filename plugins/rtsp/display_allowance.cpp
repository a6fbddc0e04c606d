#include "display_allowance.h"

#include <algorithm>

namespace {

// A picture the network made late is lost, and counted, well within this.
constexpr mtime_t kExcusedFor = CLOCK_FREQ;

} // namespace

// The losses left once those of pictures the network made late are taken out.
int64_t DisplayAllowance::excuse(int64_t losses)
{
    while (losses > 0 && !lateFromTheNetwork_.empty()) {
        lateFromTheNetwork_.pop_front();
        --losses;
    }
    return losses;
}

void DisplayAllowance::rise(mtime_t now)
{
    if (now - start_ < tuning_.settle)
        return;
    if (fellSinceRise_)
        quiet_ = std::min(2 * quiet_, tuning_.longestQuiet);
    allowance_ = std::min(tuning_.ceiling, allowance_ + std::max(time_.step(), tuning_.smallestStep));
    lastRise_ = now;
    fellSinceRise_ = false;
}

mtime_t DisplayAllowance::allowanceFor(mtime_t now, mtime_t tick, int64_t lost, bool lateFromTheNetwork)
{
    if (start_ == VLC_TS_INVALID)
        start_ = now;
    const mtime_t passed = time_.advance(tick);

    while (!lateFromTheNetwork_.empty() && now - lateFromTheNetwork_.front() > kExcusedFor)
        lateFromTheNetwork_.pop_front();
    if (lateFromTheNetwork)
        lateFromTheNetwork_.push_back(now);
    // The first count seen is where this play's count stands; a count that went
    // back (libVLC began anew) is where it stands from then on.
    if (lost >= 0 && lostSeen_ >= 0 && lost > lostSeen_) {
        // Right after a rise, pictures decoded against the delay before it are
        // still being lost; they neither rise again nor use up the excuses of
        // pictures the network made late, which are counted after them.
        if (lastRise_ != VLC_TS_INVALID && now - lastRise_ < tuning_.holdOff) {
            lastLoss_ = now;
        } else if (excuse(lost - lostSeen_) > 0) {
            lastLoss_ = now;
            rise(now);
        }
    }
    if (lost >= 0)
        lostSeen_ = lost;

    if (allowance_ > 0 && now - lastLoss_ >= quiet_) {
        allowance_ = std::max<mtime_t>(0, allowance_ - passed / tuning_.fallDivider);
        fellSinceRise_ = true;
    }
    return allowance_;
}
