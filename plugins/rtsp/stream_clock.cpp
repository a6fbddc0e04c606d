#include "stream_clock.h"

#include <algorithm>

namespace {

// Ticks start here rather than at VLC_TS_0, so that a stream whose first
// packet is slightly older than the first packet of another stream still gets
// a valid (positive) tick.
constexpr mtime_t kFirstTick = VLC_TS_0 + CLOCK_FREQ;

// The PCR must not pass a stream's next packet, so it follows the stream that
// lags most. A stream that falls this far behind the others is taken to have
// stopped (a camera's audio encoder can), and no longer holds the PCR back.
constexpr mtime_t kMaxLag = CLOCK_FREQ;

// A stream whose times go back, or leap forward, this far has restarted (the
// camera's encoder restarted, or a shared server pipeline was reset). Waiting
// for the old times to come round again would freeze the picture.
constexpr mtime_t kMaxBackStep = CLOCK_FREQ / 2;
constexpr mtime_t kMaxLeap = 5 * CLOCK_FREQ;

// The smallest transit is taken over the last one to two windows: long enough
// to hold a quick packet through seconds of jitter, short enough to follow a
// path that got slower, or a camera clock that runs slow against ours.
constexpr mtime_t kTransitWindow = 2 * CLOCK_FREQ;

int64_t toUs(int64_t time, AVRational timeBase)
{
    return time == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : av_rescale_q(time, timeBase, AVRational{1, CLOCK_FREQ});
}

} // namespace

StreamClock::StreamClock(std::size_t streamCount)
    : streams_(streamCount)
{
}

void StreamClock::setHandedOverWithNextUnit(std::size_t stream)
{
    if (stream < streams_.size())
        streams_[stream].handedOverWithNext = true;
}

PacketTiming StreamClock::stamp(std::size_t stream, int64_t pts, int64_t dts, AVRational timeBase, mtime_t arrival)
{
    const int64_t ptsUs = toUs(pts, timeBase);
    const int64_t dtsUs = dts != AV_NOPTS_VALUE ? toUs(dts, timeBase) : ptsUs;
    PacketTiming timing;
    if (dtsUs == AV_NOPTS_VALUE || stream >= streams_.size())
        return timing; // e.g. parameter sets ahead of a frame: nothing to time

    Stream &state = streams_[stream];
    if (!state.anchored) {
        if (!haveOrigin_) {
            haveOrigin_ = true;
            originOffsetUs_ = kFirstTick - dtsUs;
        }
        state.anchored = true;
        state.offsetUs = originOffsetUs_;
        // Times far from the others' (a stream that joins after a restart, or
        // before libavformat has RTCP to align it) would hold the PCR back or
        // be dropped as late.
        if (!fitsTheProgram(stream, dtsUs + state.offsetUs))
            reanchor(stream, dtsUs);
    } else if (jumped(state, dtsUs + state.offsetUs)) {
        reanchor(stream, dtsUs);
        timing.discontinuity = true;
        state.windowStart = VLC_TS_INVALID; // its transits changed with its ticks
    }

    timing.dts = dtsUs + state.offsetUs;
    const mtime_t ptsTick = ptsUs == AV_NOPTS_VALUE ? VLC_TS_INVALID : ptsUs + state.offsetUs;
    timing.pts = ptsTick >= VLC_TS_0 ? ptsTick : VLC_TS_INVALID;
    timing.pcr = advancePcr(stream, timing.dts, arrival);
    if (arrival != VLC_TS_INVALID && state.windowStart != VLC_TS_INVALID)
        timing.lateness = std::max<mtime_t>(0, arrival - timing.dts - std::min(state.transitNow, state.transitBefore));
    return timing;
}

// The latest tick of any stream but `except`, or VLC_TS_INVALID.
mtime_t StreamClock::newestTick(std::size_t except) const
{
    mtime_t newest = VLC_TS_INVALID;
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        if (i != except)
            newest = std::max(newest, streams_[i].lastDts);
    }
    return newest;
}

bool StreamClock::fitsTheProgram(std::size_t stream, mtime_t tick) const
{
    const mtime_t newest = newestTick(stream);
    if (newest == VLC_TS_INVALID)
        return tick >= VLC_TS_0;
    return tick >= newest - kMaxLag && tick <= newest + kMaxLeap;
}

bool StreamClock::jumped(const Stream &stream, mtime_t tick) const
{
    if (stream.lastDts == VLC_TS_INVALID)
        return false;
    return tick < VLC_TS_0 || tick < stream.lastDts - kMaxBackStep || tick > stream.lastDts + kMaxLeap;
}

// From `dtsUs` on, the stream's ticks go on from where the program is: from
// the newest tick of the others, or else one step after its own last packet,
// and never before the PCR, so nothing of it is late.
void StreamClock::reanchor(std::size_t stream, int64_t dtsUs)
{
    Stream &state = streams_[stream];
    mtime_t target = newestTick(stream);
    if (state.lastDts != VLC_TS_INVALID)
        target = std::max(target, state.lastDts + std::max<mtime_t>(state.lastStep, 1));
    if (target == VLC_TS_INVALID)
        target = kFirstTick;
    state.offsetUs = std::max(target, pcr_) - dtsUs;
}

void StreamClock::noteTransit(Stream &stream, mtime_t tick, mtime_t arrival)
{
    if (stream.windowStart == VLC_TS_INVALID) {
        stream.windowStart = arrival;
        stream.transitNow = stream.transitBefore = INT64_MAX;
    } else if (arrival - stream.windowStart >= kTransitWindow) {
        stream.windowStart = arrival;
        stream.transitBefore = stream.transitNow;
        stream.transitNow = INT64_MAX;
    }
    stream.transitNow = std::min(stream.transitNow, arrival - tick);
}

// Where the camera's clock is for this stream at `arrival`, or its newest
// tick without arrival times. Never before that tick.
mtime_t StreamClock::clockOf(const Stream &stream, mtime_t arrival) const
{
    if (arrival == VLC_TS_INVALID || stream.windowStart == VLC_TS_INVALID)
        return stream.lastDts;
    return std::max(stream.lastDts, arrival - std::min(stream.transitNow, stream.transitBefore));
}

mtime_t StreamClock::advancePcr(std::size_t stream, mtime_t dtsTick, mtime_t arrival)
{
    Stream &state = streams_[stream];
    if (state.lastDts != VLC_TS_INVALID && dtsTick > state.lastDts)
        state.lastStep = dtsTick - state.lastDts;
    state.lastDts = dtsTick;
    if (arrival != VLC_TS_INVALID) {
        // A unit handed over with the next one dates that next unit's first packet:
        // the previous handover is when this unit's own first packet came.
        const mtime_t ownArrival = state.handedOverWithNext ? state.lastArrival : arrival;
        if (ownArrival != VLC_TS_INVALID)
            noteTransit(state, dtsTick, ownArrival);
        state.lastArrival = arrival;
    }

    const mtime_t newest = newestTick(streams_.size());
    mtime_t slowest = VLC_TS_INVALID;
    for (const Stream &other : streams_) {
        if (other.lastDts != VLC_TS_INVALID && other.lastDts >= newest - kMaxLag) {
            const mtime_t clock = clockOf(other, arrival);
            slowest = slowest == VLC_TS_INVALID ? clock : std::min(slowest, clock);
        }
    }
    if (slowest == VLC_TS_INVALID || (pcr_ != VLC_TS_INVALID && slowest <= pcr_))
        return VLC_TS_INVALID;
    pcr_ = slowest;
    return pcr_;
}
