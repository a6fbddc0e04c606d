// halvorine_rtsp: an "access_demux" module for rtsp:// media, for libVLC 3
// builds without live555 (Debian's). RTSP/RTP is done by libavformat; the
// elementary streams go to libVLC's own decoders.

#include "es_format_from_stream.h"
#include "host_lookup.h"
#include "rtsp_connection.h"
#include "stream_clock.h"
#include "without_credentials.h"

#include <vlc_common.h>
#include <vlc_demux.h>
#include <vlc_interrupt.h>
#include <vlc_network.h>
#include <vlc_plugin.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// Bounds every socket wait: a server that stops answering or sending ends the
// input after about twice this long (measured with libavformat 59). The
// program may set it per media (":halvorine-rtsp-timeout=N"). Stop does not
// wait for it (see RtspConnection).
constexpr const char *kTimeoutOption = "halvorine-rtsp-timeout";
constexpr int kDefaultTimeoutSeconds = 5;

struct Track {
    es_out_id_t *es = nullptr;
    bool isVideo = false;
    // A picture can only be decoded from a key frame on: anything earlier
    // (joining a running stream mid-interval) would show as grey smear.
    bool waitingForKeyFrame = false;
    unsigned skippedBeforeKeyFrame = 0;
};

} // namespace

struct demux_sys_t {
    std::string url;
    int64_t timeoutUs = 0;
    RtspConnection connection;
    std::unique_ptr<StreamClock> clock; // set once the session is up
    std::vector<Track> tracks; // indexed like the AVFormatContext's streams
    AVPacket *packet = nullptr;
};

namespace {

// libavformat asked to be called again: wait a little, so that a connection
// that keeps answering so does not spin a core, but wake at once on Stop.
constexpr mtime_t kRetryPauseUs = 10 * 1000;

void addTracks(demux_t *demux, demux_sys_t &sys)
{
    AVFormatContext *context = sys.connection.context();
    sys.tracks.resize(context->nb_streams); // may throw: before any ES exists
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        es_format_t fmt;
        if (!esFormatFromStream(*context->streams[i], fmt)) {
            msg_Warn(demux, "stream %u (%s) not passed on", i,
                     avcodec_get_name(context->streams[i]->codecpar->codec_id));
            continue;
        }
        Track &track = sys.tracks[i];
        track.isVideo = fmt.i_cat == VIDEO_ES;
        track.waitingForKeyFrame = track.isVideo;
        track.es = es_out_Add(demux->out, &fmt);
        msg_Dbg(demux, "stream %u: %4.4s, %d bytes of extradata", i,
                reinterpret_cast<const char *>(&fmt.i_codec), fmt.i_extra);
        es_format_Clean(&fmt);
    }
}

block_t *blockFromPacket(const AVPacket &packet)
{
    block_t *block = block_Alloc(packet.size);
    if (block)
        std::memcpy(block->p_buffer, packet.data, packet.size);
    return block;
}

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
    if (track.waitingForKeyFrame) {
        if (!(packet.flags & AV_PKT_FLAG_KEY)) {
            ++track.skippedBeforeKeyFrame;
            return;
        }
        track.waitingForKeyFrame = false;
        msg_Dbg(demux, "stream %d: first key frame, %u frame(s) skipped before it", packet.stream_index,
                track.skippedBeforeKeyFrame);
    }

    const AVRational timeBase = sys.connection.context()->streams[packet.stream_index]->time_base;
    const PacketTiming timing = sys.clock->stamp(packet.stream_index, packet.pts, packet.dts, timeBase);
    block_t *block = blockFromPacket(packet);
    if (!block)
        return;
    block->i_pts = timing.pts;
    block->i_dts = timing.dts;
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

// The session is set up here, in the first Demux, rather than in Open. An
// Open that fails (or that a Stop cuts short, as every preview start does
// once) makes libVLC go on to its other rtsp:// inputs, satip and
// access_realrtsp, which connect to the camera again and can hold a Stop for
// minutes; a Demux that fails just ends the input.
int connectSession(demux_t *demux, demux_sys_t &sys)
{
    const HostLookup lookup = lookUpHost(sys.url);
    if (lookup.result == HostLookup::Result::Interrupted)
        return VLC_DEMUXER_EOF;
    if (lookup.result == HostLookup::Result::Failed) {
        msg_Err(demux, "cannot resolve rtsp://%s: %s", withoutCredentials(demux->psz_location).c_str(),
                gai_strerror(lookup.error));
        return VLC_DEMUXER_EGENERIC;
    }
    msg_Dbg(demux, "camera at %s", lookup.address.c_str());
    const int result = sys.connection.open(lookup.url, sys.timeoutUs);
    // Stopped while connecting; libavformat may then report a reply cut short.
    if (result == AVERROR_EXIT || vlc_killed())
        return VLC_DEMUXER_EOF;
    if (result < 0) {
        msg_Err(demux, "cannot open rtsp://%s: %s", withoutCredentials(demux->psz_location).c_str(),
                avErrorText(result).c_str());
        return VLC_DEMUXER_EGENERIC;
    }
    const unsigned streams = sys.connection.context()->nb_streams;
    msg_Dbg(demux, "session open, %u stream(s), RTP over %s", streams,
            sys.connection.transport() == RtspConnection::Transport::Tcp ? "the RTSP connection" : "UDP");
    auto clock = std::make_unique<StreamClock>(streams);
    addTracks(demux, sys);
    sys.clock = std::move(clock);
    return VLC_DEMUXER_SUCCESS;
}

int demuxOne(demux_t *demux)
{
    demux_sys_t &sys = *demux->p_sys;
    if (!sys.clock)
        return connectSession(demux, sys);
    const int result = sys.connection.read(sys.packet);
    if (result == AVERROR(EAGAIN)) {
        vlc_msleep_i11e(kRetryPauseUs);
        return VLC_DEMUXER_SUCCESS;
    }
    if (result == AVERROR_EOF || result == AVERROR_EXIT) {
        msg_Dbg(demux, "end of stream: %s", avErrorText(result).c_str());
        return VLC_DEMUXER_EOF;
    }
    if (result < 0) {
        msg_Err(demux, "reading failed: %s", avErrorText(result).c_str());
        return VLC_DEMUXER_EGENERIC;
    }
    forwardPacket(demux, sys, *sys.packet);
    av_packet_unref(sys.packet);
    return VLC_DEMUXER_SUCCESS;
}

int Demux(demux_t *demux)
{
    // No C++ exception may unwind through libVLC's C frames.
    try {
        return demuxOne(demux);
    } catch (...) {
        av_packet_unref(demux->p_sys->packet);
        msg_Err(demux, "reading failed: out of memory");
        return VLC_DEMUXER_EGENERIC;
    }
}

int Control(demux_t *demux, int query, va_list args)
{
    switch (query) {
    case DEMUX_CAN_SEEK:
    case DEMUX_CAN_PAUSE:
    case DEMUX_CAN_CONTROL_PACE:
        // A live camera: the server sets the pace, libVLC follows the PCR.
        *va_arg(args, bool *) = false;
        return VLC_SUCCESS;
    case DEMUX_GET_PTS_DELAY: {
        // The media's network-caching: libVLC shows the first picture at once,
        // then buffers this long before it plays on, each frame this long
        // after its PCR.
        const int64_t cachingMs = var_InheritInteger(demux, "network-caching");
        *va_arg(args, int64_t *) = cachingMs * 1000;
        msg_Dbg(demux, "network-caching %lld ms", static_cast<long long>(cachingMs));
        return VLC_SUCCESS;
    }
    default:
        return VLC_EGENERIC;
    }
}

void destroySys(demux_sys_t *sys)
{
    sys->connection.close();
    av_packet_free(&sys->packet);
    delete sys;
}

struct SysDeleter {
    void operator()(demux_sys_t *sys) const { destroySys(sys); }
};
using SysPointer = std::unique_ptr<demux_sys_t, SysDeleter>;

// psz_location is the URL without "rtsp://" (and may carry user:pass@ and a
// port). Nothing goes to the network yet (see connectSession).
int prepareSession(demux_t *demux)
{
    SysPointer sys(new demux_sys_t);
    sys->packet = av_packet_alloc();
    if (!sys->packet)
        return VLC_ENOMEM;
    sys->url = std::string("rtsp://") + demux->psz_location;
    sys->timeoutUs = var_InheritInteger(demux, kTimeoutOption) * CLOCK_FREQ;
    demux->p_sys = sys.release();
    demux->pf_demux = Demux;
    demux->pf_control = Control;
    return VLC_SUCCESS;
}

int Open(vlc_object_t *object)
{
    demux_t *demux = reinterpret_cast<demux_t *>(object);
    if (!demux->psz_location || !*demux->psz_location)
        return VLC_EGENERIC;
    try {
        return prepareSession(demux);
    } catch (const std::bad_alloc &) {
        return VLC_ENOMEM;
    } catch (...) {
        return VLC_EGENERIC;
    }
}

void Close(vlc_object_t *object)
{
    demux_t *demux = reinterpret_cast<demux_t *>(object);
    // The ES belong to the es_out, which deletes them after this returns.
    destroySys(demux->p_sys);
}

} // namespace

// Below live555 (which libVLC builds usually bring for rtsp://), so that a
// libVLC with its own RTSP input keeps using it; above 0 so that ours is
// still picked when it is the only one.
vlc_module_begin()
    set_shortname("Halvorine RTSP")
    set_description("RTSP input through libavformat")
    set_category(CAT_INPUT)
    set_subcategory(SUBCAT_INPUT_ACCESS)
    set_capability("access_demux", 1)
    add_shortcut("rtsp")
    set_callbacks(Open, Close)
    add_integer(kTimeoutOption, kDefaultTimeoutSeconds, "RTSP timeout (seconds)",
                "How long to wait for a silent RTSP server before the input ends.", true)
        change_integer_range(1, 600)
vlc_module_end()
