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

int64_t toUs(int64_t time, AVRational timeBase)
{
    return time == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : av_rescale_q(time, timeBase, AVRational{1, CLOCK_FREQ});
}

} // namespace

StreamClock::StreamClock(std::size_t streamCount)
    : lastDts_(streamCount, VLC_TS_INVALID)
{
}

PacketTiming StreamClock::stamp(std::size_t stream, int64_t pts, int64_t dts, AVRational timeBase)
{
    const int64_t ptsUs = toUs(pts, timeBase);
    const int64_t dtsUs = dts != AV_NOPTS_VALUE ? toUs(dts, timeBase) : ptsUs;
    PacketTiming timing;
    if (dtsUs == AV_NOPTS_VALUE || stream >= lastDts_.size())
        return timing; // e.g. parameter sets ahead of a frame: nothing to time

    if (!haveOrigin_) {
        restartAt(dtsUs);
    } else if (jumped(stream, toTick(dtsUs))) {
        restartAt(dtsUs);
        timing.discontinuity = true;
    }
    timing.dts = toTick(dtsUs);
    timing.pts = ptsUs == AV_NOPTS_VALUE ? VLC_TS_INVALID : toTick(ptsUs);
    timing.pcr = advancePcr(stream, timing.dts);
    return timing;
}

mtime_t StreamClock::toTick(int64_t us) const
{
    const mtime_t tick = kFirstTick + (us - originUs_);
    return tick >= VLC_TS_0 ? tick : VLC_TS_INVALID;
}

bool StreamClock::jumped(std::size_t stream, mtime_t dtsTick) const
{
    const mtime_t last = lastDts_[stream];
    if (last == VLC_TS_INVALID)
        return false;
    return dtsTick == VLC_TS_INVALID || dtsTick < last - kMaxBackStep || dtsTick > last + kMaxLeap;
}

void StreamClock::restartAt(int64_t originUs)
{
    haveOrigin_ = true;
    originUs_ = originUs;
    std::fill(lastDts_.begin(), lastDts_.end(), VLC_TS_INVALID);
    pcr_ = VLC_TS_INVALID;
}

mtime_t StreamClock::advancePcr(std::size_t stream, mtime_t dtsTick)
{
    if (dtsTick == VLC_TS_INVALID)
        return VLC_TS_INVALID;
    lastDts_[stream] = dtsTick;

    const mtime_t newest = *std::max_element(lastDts_.begin(), lastDts_.end());
    mtime_t slowest = newest;
    for (mtime_t dts : lastDts_) {
        if (dts != VLC_TS_INVALID && dts >= newest - kMaxLag)
            slowest = std::min(slowest, dts);
    }
    if (pcr_ != VLC_TS_INVALID && slowest <= pcr_)
        return VLC_TS_INVALID;
    pcr_ = slowest;
    return pcr_;
}
