#include "adaptive_delay.h"

#include <algorithm>

void AdaptiveDelay::roll(mtime_t now)
{
    if (windowStart_ == VLC_TS_INVALID) {
        windowStart_ = now;
        return;
    }
    // A gap longer than the whole memory leaves nothing of it.
    if (now - windowStart_ >= kWindows * tuning_.window) {
        peaks_.fill(0);
        windowStart_ = now;
        return;
    }
    while (now - windowStart_ >= tuning_.window) {
        std::copy_backward(peaks_.begin(), peaks_.end() - 1, peaks_.end());
        peaks_[0] = 0;
        windowStart_ += tuning_.window;
    }
}

mtime_t AdaptiveDelay::peak() const
{
    return *std::max_element(peaks_.begin(), peaks_.end());
}

mtime_t AdaptiveDelay::delayFor(mtime_t now, mtime_t tick, mtime_t lateness)
{
    roll(now);
    if (lateness != VLC_TS_INVALID)
        peaks_[0] = std::max(peaks_[0], std::min(lateness, tuning_.ceiling));
    const mtime_t wanted = std::min(tuning_.ceiling, peak() + tuning_.margin);
    // Counted in the stream's time, not the arrivals': packets that come in a
    // burst after a gap are shown a frame interval apart all the same.
    const mtime_t passed = newestTick_ != VLC_TS_INVALID && tick > newestTick_ ? tick - newestTick_ : 0;
    if (tick != VLC_TS_INVALID)
        newestTick_ = std::max(newestTick_, tick);
    if (!haveDelay_ || wanted >= delay_)
        delay_ = wanted;
    else
        delay_ = std::max(wanted, delay_ - passed / tuning_.fallDivider);
    haveDelay_ = true;
    return delay_;
}
