#include "packet_forwarding.h"

#include "demux_sys.h"

#include <cstring>

namespace {

block_t *blockFromPacket(const AVPacket &packet)
{
    block_t *block = block_Alloc(packet.size);
    if (block)
        std::memcpy(block->p_buffer, packet.data, packet.size);
    return block;
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
    if (!track.gate.admit(packet.flags & AV_PKT_FLAG_KEY))
        return;
    if (track.gate.justOpened())
        msg_Dbg(demux, "stream %d: first key frame, %u frame(s) skipped before it", packet.stream_index,
                track.gate.skipped());

    const AVRational timeBase = sys.connection.context()->streams[packet.stream_index]->time_base;
    const mtime_t arrival = mdate();
    const PacketTiming timing = sys.clock->stamp(packet.stream_index, packet.pts, packet.dts, timeBase, arrival);
    block_t *block = blockFromPacket(packet);
    if (!block)
        return;
    // The adaptive delay moves the packets' times, not the PCR: libVLC's clock
    // stays where the quickest packets put it, and each picture is shown its
    // delay later than that (libVLC's own clock follows a changed delay only by
    // buffering anew, and never comes back down).
    const mtime_t delay = sys.delay ? sys.delay->delayFor(arrival, timing.dts, timing.lateness) : 0;
    block->i_pts = timing.pts != VLC_TS_INVALID ? timing.pts + delay : VLC_TS_INVALID;
    block->i_dts = timing.dts != VLC_TS_INVALID ? timing.dts + delay : VLC_TS_INVALID;
    if (packet.flags & AV_PKT_FLAG_KEY)
        block->i_flags |= BLOCK_FLAG_TYPE_I;
    if (timing.discontinuity) {
        // The clock has given this stream new ticks that go on from the
        // program's; the PCR does not step, so no ES_OUT_RESET_PCR (which
        // would make libVLC buffer network-caching anew: a visible stall).
        // The flag lets the decoder drop what it held of the old times.
        msg_Dbg(demux, "stream %d: times restarted", packet.stream_index);
        block->i_flags |= BLOCK_FLAG_DISCONTINUITY;
    }
    if (timing.pcr != VLC_TS_INVALID)
        es_out_SetPCR(demux->out, timing.pcr);
    es_out_Send(demux->out, track.es, block);
}
