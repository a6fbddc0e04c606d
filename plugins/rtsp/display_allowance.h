#pragma once

#include "stream_time.h"

#include <vlc_common.h>

#include <cstdint>
#include <deque>

// How much longer than the network needs the low-latency preview holds its
// pictures back, because libVLC's video output dropped pictures that reached it
// too late. A small network-caching leaves the decoder and the display only
// tens of milliseconds: a slow machine, a large H.265 picture, a window drawn
// in software, or a decoder that holds frames (frame threads) take longer, and
// the preview would lose picture after picture, or every one, and stay black.
//
// It rises by a frame interval when pictures were lost, then waits for that to
// take effect (pictures decoded against the old delay are still lost on their
// way) before it rises again. Once no picture was lost for a quiet while it
// comes down slowly, as AdaptiveDelay does, to give back what a passing load
// took. Each time coming down loses pictures again, the quiet while doubles:
// a machine that needs the allowance loses a picture ever more rarely.
// Losses while the play starts (libVLC's clock is still settling) are not held
// against it, nor pictures whose packets came later than the network's delay
// allowed: AdaptiveDelay leaves those late on purpose.
class DisplayAllowance {
public:
    struct Tuning {
        mtime_t settle = 2 * CLOCK_FREQ;
        mtime_t smallestStep = 10 * 1000;
        mtime_t holdOff = CLOCK_FREQ / 2; // libVLC counts lost pictures every 250 ms
        mtime_t quiet = 10 * CLOCK_FREQ;
        mtime_t longestQuiet = 300 * CLOCK_FREQ;
        mtime_t ceiling = 200 * 1000; // beyond it, holding back does not help
        int fallDivider = 16;
    };

    // For a packet of time `tick` that came at `now` (mdate()); `lost` is how
    // many pictures libVLC has counted lost in this play so far, or -1 when it
    // keeps no count; `lateFromTheNetwork`: this packet is a picture's and came
    // later than the network's delay allowed. Returns the allowance to add to
    // this packet's times.
    mtime_t allowanceFor(mtime_t now, mtime_t tick, int64_t lost, bool lateFromTheNetwork = false);
    mtime_t current() const { return allowance_; }

private:
    void rise(mtime_t now);
    int64_t excuse(int64_t losses);

    Tuning tuning_;
    mtime_t quiet_ = tuning_.quiet;
    mtime_t start_ = VLC_TS_INVALID;
    StreamTime time_;
    int64_t lostSeen_ = -1;
    std::deque<mtime_t> lateFromTheNetwork_; // when such pictures came, the last second's
    mtime_t lastLoss_ = VLC_TS_INVALID;
    mtime_t lastRise_ = VLC_TS_INVALID;
    bool fellSinceRise_ = false;
    mtime_t allowance_ = 0;
};
