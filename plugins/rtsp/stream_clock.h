#pragma once

#include "ffmpeg.h"

#include <vlc_common.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// libVLC's view of one packet's times.
struct PacketTiming {
    mtime_t pts = VLC_TS_INVALID;
    mtime_t dts = VLC_TS_INVALID;
    mtime_t pcr = VLC_TS_INVALID; // to announce before the packet, if valid
    bool discontinuity = false;   // this stream's times restarted here
    // How long after the quickest packets of the stream's last seconds this one
    // came (its arrival less its tick less the smallest transit), or
    // VLC_TS_INVALID without arrival times or a transit yet.
    mtime_t lateness = VLC_TS_INVALID;
};

// Turns packet times (stream time base, as libavformat derives them from the
// RTP timestamps and RTCP sender reports) into libVLC ticks, and keeps the
// program clock reference that libVLC's input clock is fed with.
//
// Each stream maps its times to ticks through an offset of its own. All start
// with the same offset, so that the streams stay in step as the camera sent
// them. A stream whose times jump (its encoder restarted while the others
// carried on) gets a new offset that puts it where the program is now; the
// others, and the PCR, go on undisturbed. The PCR never goes back.
//
// Given the packets' arrival times, the PCR is the camera's clock as the
// quickest packets of the last seconds place it: the arrival time less the
// smallest transit (arrival minus tick) each stream has shown, for the stream
// whose clock is furthest behind. libVLC shows each picture the network
// cache after the PCR that announced its time arrived, and averages how late
// PCRs arrive into its clock: a PCR that followed each packet as it came would
// carry the network's jitter into the picture (held-back packets make every
// picture later on average, a burst makes them wobble). Counted from the
// quickest packets, a packet held back by less than the cache is still shown
// in time, and the picture is no later than on a quiet network. Without
// arrival times the PCR is the newest tick of the stream that lags most.
//
// libavformat's H.264 and H.265 parser hands a picture over only when the
// first packet of the next one has come, a frame interval after the picture
// itself. What that moment tells of the camera's clock is the next picture's
// tick, so for such a stream the transit is taken from the previous handover
// to this picture's tick. The PCR then runs a frame ahead of the picture just
// sent (at the next one's time, which nothing sent yet precedes), and a
// picture is shown the cache after its own packets came rather than a frame
// later; the next picture's first packet, which the handover waits for, has
// the cache less a frame.
class StreamClock {
public:
    explicit StreamClock(std::size_t streamCount);

    // `dts` may be AV_NOPTS_VALUE: RTP carries presentation times only, and
    // without B-frames (cameras send none) decoding order is presentation order.
    // `arrival` is when the packet came (mdate()), or VLC_TS_INVALID.
    PacketTiming stamp(std::size_t stream, int64_t pts, int64_t dts, AVRational timeBase,
                       mtime_t arrival = VLC_TS_INVALID);

    // This stream's units are handed over when the next unit's first packet
    // arrives (see above).
    void setHandedOverWithNextUnit(std::size_t stream);

private:
    struct Stream {
        bool anchored = false;
        int64_t offsetUs = 0; // tick = time in µs + offset
        mtime_t lastDts = VLC_TS_INVALID;
        mtime_t lastStep = 0; // between its last two packets
        // Smallest transit (arrival - tick) in this window and the one before.
        mtime_t windowStart = VLC_TS_INVALID;
        mtime_t transitNow = INT64_MAX;
        mtime_t transitBefore = INT64_MAX;
        bool handedOverWithNext = false;
        mtime_t lastArrival = VLC_TS_INVALID;
    };

    mtime_t newestTick(std::size_t except) const;
    bool fitsTheProgram(std::size_t stream, mtime_t tick) const;
    bool jumped(const Stream &stream, mtime_t tick) const;
    void reanchor(std::size_t stream, int64_t dtsUs);
    void noteTransit(Stream &stream, mtime_t tick, mtime_t arrival);
    mtime_t clockOf(const Stream &stream, mtime_t arrival) const;
    mtime_t advancePcr(std::size_t stream, mtime_t dtsTick, mtime_t arrival);

    std::vector<Stream> streams_;
    bool haveOrigin_ = false;
    int64_t originOffsetUs_ = 0;
    mtime_t pcr_ = VLC_TS_INVALID;
};
