#include "display_allowance.h"

#include <algorithm>

void DisplayAllowance::rise(mtime_t now)
{
    if (now - start_ < tuning_.settle)
        return;
    if (lastRise_ != VLC_TS_INVALID && now - lastRise_ < tuning_.holdOff)
        return;
    if (fellSinceRise_)
        quiet_ = std::min(2 * quiet_, tuning_.longestQuiet);
    allowance_ = std::min(tuning_.ceiling, allowance_ + std::max(step_, tuning_.smallestStep));
    lastRise_ = now;
    fellSinceRise_ = false;
}

mtime_t DisplayAllowance::allowanceFor(mtime_t now, mtime_t tick, int64_t lost)
{
    if (start_ == VLC_TS_INVALID)
        start_ = now;
    const mtime_t passed = newestTick_ != VLC_TS_INVALID && tick > newestTick_ ? tick - newestTick_ : 0;
    if (passed > 0)
        step_ = passed;
    if (tick != VLC_TS_INVALID)
        newestTick_ = std::max(newestTick_, tick);

    // The first count seen is where this play's count stands; a count that went
    // back (libVLC began anew) is where it stands from then on.
    if (lost >= 0 && lostSeen_ >= 0 && lost > lostSeen_) {
        lastLoss_ = now;
        rise(now);
    }
    if (lost >= 0)
        lostSeen_ = lost;

    if (allowance_ > 0 && now - lastLoss_ >= quiet_) {
        allowance_ = std::max<mtime_t>(0, allowance_ - passed / tuning_.fallDivider);
        fellSinceRise_ = true;
    }
    return allowance_;
}
