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
    bool discontinuity = false;   // this stream's times restarted here
};

// Turns packet times (stream time base, as libavformat derives them from the
// RTP timestamps and RTCP sender reports) into libVLC ticks, and keeps the
// program clock reference that libVLC's input clock is fed with.
//
// Each stream maps its times to ticks through an offset of its own. All start
// with the same offset, so that the streams stay in step as the camera sent
// them. A stream whose times jump (its encoder restarted while the others
// carried on) gets a new offset that puts it where the program is now; the
// others, and the PCR, go on undisturbed. The PCR never goes back, and never
// passes the next packet of a stream that is still sending.
class StreamClock {
public:
    explicit StreamClock(std::size_t streamCount);

    // `dts` may be AV_NOPTS_VALUE: RTP carries presentation times only, and
    // without B-frames (cameras send none) decoding order is presentation order.
    PacketTiming stamp(std::size_t stream, int64_t pts, int64_t dts, AVRational timeBase);

private:
    struct Stream {
        bool anchored = false;
        int64_t offsetUs = 0; // tick = time in µs + offset
        mtime_t lastDts = VLC_TS_INVALID;
        mtime_t lastStep = 0; // between its last two packets
    };

    mtime_t newestTick(std::size_t except) const;
    bool fitsTheProgram(std::size_t stream, mtime_t tick) const;
    bool jumped(const Stream &stream, mtime_t tick) const;
    void reanchor(std::size_t stream, int64_t dtsUs);
    mtime_t advancePcr(std::size_t stream, mtime_t dtsTick);

    std::vector<Stream> streams_;
    bool haveOrigin_ = false;
    int64_t originOffsetUs_ = 0;
    mtime_t pcr_ = VLC_TS_INVALID;
};
