#pragma once

#include "ffmpeg.h"

#include <vlc_common.h>

#include <cstddef>
#include <vector>

// libVLC's view of one packet's times.
struct PacketTiming {
    mtime_t pts = VLC_TS_INVALID;
    mtime_t dts = VLC_TS_INVALID;
    mtime_t pcr = VLC_TS_INVALID; // to announce before the packet, if valid
    bool discontinuity = false;   // times restarted; the PCR starts again from here
};

// Turns packet times (stream time base, as libavformat derives them from the
// RTP timestamps and RTCP sender reports) into libVLC ticks, and keeps the
// program clock reference that libVLC's input clock is fed with.
class StreamClock {
public:
    explicit StreamClock(std::size_t streamCount);

    // `dts` may be AV_NOPTS_VALUE: RTP carries presentation times only, and
    // without B-frames (cameras send none) decoding order is presentation order.
    PacketTiming stamp(std::size_t stream, int64_t pts, int64_t dts, AVRational timeBase);

private:
    mtime_t toTick(int64_t us) const;
    bool jumped(std::size_t stream, mtime_t dtsTick) const;
    void restartAt(int64_t originUs);
    mtime_t advancePcr(std::size_t stream, mtime_t dtsTick);

    bool haveOrigin_ = false;
    int64_t originUs_ = 0;
    std::vector<mtime_t> lastDts_;
    mtime_t pcr_ = VLC_TS_INVALID;
};
