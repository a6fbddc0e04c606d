#pragma once

#include <vlc_common.h>

#include <array>

// The low-latency preview's jitter buffer: how long to hold every picture back
// beyond libVLC's small fixed cache, from how late the packets come.
//
// A packet's lateness is how long after the quickest packets of the last
// seconds it came (StreamClock). The delay is the largest lateness of the last
// few seconds plus a small margin, so that on a clean network it is the margin
// alone and under jitter no packet is shown later than its delay allows.
//
// It rises at once: a packet later than the delay would otherwise be shown late
// or dropped, and the picture holds only for as long as the packet was missing.
// It comes down only once the lateness has stayed lower for the whole memory,
// and then slowly (a fraction of the stream's time that passes): the pictures
// come a little closer together for a while, which the eye does not see,
// instead of skipping.
class AdaptiveDelay {
public:
    struct Tuning {
        mtime_t margin = 4 * 1000;
        mtime_t ceiling = 1000 * 1000; // a network worse than this drops frames
        mtime_t window = 2 * CLOCK_FREQ; // the memory is kWindows of these
        int fallDivider = 16; // coming down: 1/16 of the stream's time that passes
    };
    static constexpr int kWindows = 4;

    AdaptiveDelay() = default;
    explicit AdaptiveDelay(const Tuning &tuning) : tuning_(tuning) {}

    // `lateness` of a packet of time `tick` that came at `now` (mdate()), or
    // VLC_TS_INVALID when the clock has no transit to measure it against (a
    // stream's first packets, a restart). Returns the delay to add to this
    // packet's times; never negative.
    mtime_t delayFor(mtime_t now, mtime_t tick, mtime_t lateness);
    mtime_t current() const { return delay_; }

private:
    void roll(mtime_t now);
    mtime_t peak() const;

    Tuning tuning_;
    std::array<mtime_t, kWindows> peaks_ {}; // [0] the window under way
    mtime_t windowStart_ = VLC_TS_INVALID;
    mtime_t newestTick_ = VLC_TS_INVALID;
    mtime_t delay_ = 0;
    bool haveDelay_ = false;
};
