#pragma once

#include <vlc_common.h>

#include <algorithm>

// How far the stream's own time went on with each packet, for delays that move
// with the stream rather than with the arrivals: packets that come in a burst
// after a gap are still a frame interval apart.
class StreamTime {
public:
    // The time that passed from the newest packet before to this one's `tick`;
    // 0 for a packet that is no newer, or has no time.
    mtime_t advance(mtime_t tick)
    {
        const mtime_t passed = newest_ != VLC_TS_INVALID && tick > newest_ ? tick - newest_ : 0;
        if (passed > 0)
            step_ = passed;
        if (tick != VLC_TS_INVALID)
            newest_ = std::max(newest_, tick);
        return passed;
    }
    // Between the stream's last two packet times, or 0 before there were two.
    mtime_t step() const { return step_; }

private:
    mtime_t newest_ = VLC_TS_INVALID;
    mtime_t step_ = 0;
};
