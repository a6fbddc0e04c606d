#include "packet_forwarding.h"

#include "demux_sys.h"
#include "pictures_lost.h"

#include <cstring>

namespace {

// What goes to libVLC as one block: a frame, or a picture put together.
struct Frame {
    const uint8_t *data;
    std::size_t size;
    int64_t pts;
    int64_t dts;
    bool key;
};

block_t *blockFromFrame(const Frame &frame)
{
    block_t *block = block_Alloc(frame.size);
    if (block)
        std::memcpy(block->p_buffer, frame.data, frame.size);
    return block;
}

// The low-latency preview's hold on a packet: what the network's jitter needs,
// and what the decoder and display need beyond it. All streams get the same,
// so that they stay in step.
mtime_t lowLatencyDelay(demux_t *demux, demux_sys_t &sys, int stream, const PacketTiming &timing, mtime_t arrival)
{
    const mtime_t networkDelay = sys.delay->delayFor(arrival, timing.dts, timing.lateness);
    const bool picture = sys.connection.context()->streams[stream]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    const bool lateFromTheNetwork = picture && timing.lateness != VLC_TS_INVALID && timing.lateness > networkDelay;
    const mtime_t before = sys.allowance.current();
    const mtime_t allowance = sys.allowance.allowanceFor(arrival, timing.dts, picturesLost(demux), lateFromTheNetwork);
    if (allowance > before)
        msg_Dbg(demux, "pictures reached the display too late; now held back %lld ms more than the network needs",
                static_cast<long long>(allowance / 1000));
    return networkDelay + allowance;
}

void forwardFrame(demux_t *demux, demux_sys_t &sys, int stream, Track &track, const Frame &frame)
{
    if (!track.gate.admit(frame.key))
        return;
    if (track.gate.justOpened())
        msg_Dbg(demux, "stream %d: first key frame, %u frame(s) skipped before it", stream, track.gate.skipped());

    const AVRational timeBase = sys.connection.context()->streams[stream]->time_base;
    const mtime_t arrival = mdate();
    const PacketTiming timing = sys.clock->stamp(stream, frame.pts, frame.dts, timeBase, arrival);
    block_t *block = blockFromFrame(frame);
    if (!block)
        return;
    // The adaptive delay moves the packets' times, not the PCR: libVLC's clock
    // stays where the quickest packets put it, and each picture is shown its
    // delay later than that (libVLC's own clock follows a changed delay only by
    // buffering anew, and never comes back down).
    const mtime_t delay = sys.delay ? lowLatencyDelay(demux, sys, stream, timing, arrival) : 0;
    block->i_pts = timing.pts != VLC_TS_INVALID ? timing.pts + delay : VLC_TS_INVALID;
    block->i_dts = timing.dts != VLC_TS_INVALID ? timing.dts + delay : VLC_TS_INVALID;
    if (frame.key)
        block->i_flags |= BLOCK_FLAG_TYPE_I;
    if (timing.discontinuity) {
        // The clock has given this stream new ticks that go on from the
        // program's; the PCR does not step, so no ES_OUT_RESET_PCR (which
        // would make libVLC buffer network-caching anew: a visible stall).
        // The flag lets the decoder drop what it held of the old times.
        msg_Dbg(demux, "stream %d: times restarted", stream);
        block->i_flags |= BLOCK_FLAG_DISCONTINUITY;
    }
    if (timing.pcr != VLC_TS_INVALID)
        es_out_SetPCR(demux->out, timing.pcr);
    es_out_Send(demux->out, track.es, block);
}

void assembleAndForward(demux_t *demux, demux_sys_t &sys, int stream, Track &track, const AVPacket &packet)
{
    AccessUnitAssembler &assembler = *track.assembler;
    const bool early = assembler.handsOverOnTheGuess();
    const bool gaveUp = assembler.gaveUp();
    assembler.push(packet.data, static_cast<std::size_t>(packet.size), packet.pts,
                   [&](const AccessUnitAssembler::Unit &unit) {
                       // RTP carries presentation times only.
                       forwardFrame(demux, sys, stream, track,
                                    {unit.data, unit.size, unit.pts, AV_NOPTS_VALUE, unit.key});
                   });
    if (assembler.handsOverOnTheGuess() != early)
        msg_Dbg(demux, "stream %d: pictures handed over %s", stream,
                early ? "when the next one begins" : "as their last packet comes");
    if (assembler.gaveUp() && !gaveUp)
        msg_Warn(demux, "stream %d: a picture went out short of its end; pictures are handed over "
                        "when the next one begins from now on", stream);
}

} // namespace

void forwardPacket(demux_t *demux, demux_sys_t &sys, const AVPacket &packet)
{
    if (packet.stream_index < 0 || static_cast<size_t>(packet.stream_index) >= sys.tracks.size())
        return;
    // Side data only, or a damaged RTP payload: nothing for a decoder (and
    // nothing memcpy() may be given).
    if (packet.size <= 0 || !packet.data)
        return;
    Track &track = sys.tracks[packet.stream_index];
    if (!track.es)
        return;
    if (track.assembler) {
        assembleAndForward(demux, sys, packet.stream_index, track, packet);
        return;
    }
    forwardFrame(demux, sys, packet.stream_index, track,
                 {packet.data, static_cast<std::size_t>(packet.size), packet.pts, packet.dts,
                  (packet.flags & AV_PKT_FLAG_KEY) != 0});
}
