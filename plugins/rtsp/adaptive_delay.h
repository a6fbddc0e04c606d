#pragma once

#include "stream_time.h"

#include <vlc_common.h>

#include <deque>
#include <vector>

// The low-latency preview's jitter buffer: how long to hold every picture back
// beyond libVLC's small fixed cache, from how late the packets come.
//
// A packet's lateness is how long after the quickest packets of the last
// seconds it came (StreamClock). The delay is the lateness that all but a small
// share of the last few seconds' packets stayed under, plus a small margin: on a
// clean network it is the margin alone, under jitter no more than that share of
// packets is shown late, and a lone hiccup (the machine busy elsewhere for a
// moment) does not hold the picture back for seconds after it: the late packet
// itself is late whatever the delay does next.
//
// It rises at once once more than that share came late. It comes down only once
// the lateness has stayed lower for the whole memory, and then slowly (a
// fraction of the stream's time that passes): the pictures come a little closer
// together for a while, which the eye does not see, instead of skipping.
class AdaptiveDelay {
public:
    struct Tuning {
        mtime_t margin = 4 * 1000;
        mtime_t ceiling = 1000 * 1000; // a network worse than this drops frames
        mtime_t memory = 8 * CLOCK_FREQ;
        int forgivenPerMille = 30; // of the memory's packets, may come later than the delay
        int fallDivider = 16; // coming down: 1/16 of the stream's time that passes
    };

    AdaptiveDelay() = default;
    explicit AdaptiveDelay(const Tuning &tuning) : tuning_(tuning) {}

    // `lateness` of a packet of time `tick` that came at `now` (mdate()), or
    // VLC_TS_INVALID when the clock has no transit to measure it against (a
    // stream's first packets, a restart). Returns the delay to add to this
    // packet's times; never negative.
    mtime_t delayFor(mtime_t now, mtime_t tick, mtime_t lateness);
    mtime_t current() const { return delay_; }

private:
    mtime_t unforgiven();

    struct Sample {
        mtime_t at;
        mtime_t lateness;
    };

    Tuning tuning_;
    std::deque<Sample> samples_; // the memory's, oldest first
    std::vector<mtime_t> scratch_;
    StreamTime time_;
    mtime_t delay_ = 0;
    bool haveDelay_ = false;
};
