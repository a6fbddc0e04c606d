#include "session_start.h"

#include "demux_sys.h"
#include "host_lookup.h"
#include "without_credentials.h"

#include <vlc_interrupt.h>
#include <vlc_network.h>

namespace {

// Dating a picture from the next one's first packet (see StreamClock) leaves
// that packet the cache less a frame. libavcodec's frame threads hold a frame
// for each thread past the first, and the video output wants a picture ahead
// of its time: with a cache as small as 100 ms they need all of it, and every
// picture came late. The program's own 300 ms has room to spare.
constexpr int64_t kCachingMsToDateFromTheNextPacket = 200;

} // namespace

int startSession(demux_t *demux, demux_sys_t &sys)
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
    const AVFormatContext &context = *sys.connection.context();
    msg_Dbg(demux, "session open, %u stream(s), RTP over %s", context.nb_streams,
            sys.connection.transport() == RtspConnection::Transport::Tcp ? "the RTSP connection" : "UDP");
    auto clock = std::make_unique<StreamClock>(context.nb_streams);
    if (var_InheritInteger(demux, "network-caching") >= kCachingMsToDateFromTheNextPacket) {
        for (unsigned i = 0; i < context.nb_streams; ++i) {
            // libavformat runs its parser over these to cut the RTP payloads into
            // pictures; the other codecs' payloads come out as they are complete.
            const AVCodecID codec = context.streams[i]->codecpar->codec_id;
            if (codec == AV_CODEC_ID_H264 || codec == AV_CODEC_ID_HEVC)
                clock->setHandedOverWithNextUnit(i);
        }
    }
    sys.tracks = addTracks(demux, context);
    // The low-latency preview takes each picture as its last packet comes
    // rather than when the next one begins (AccessUnitAssembler).
    if (sys.delay && cutWithoutParsers(context)) {
        sys.connection.handOverPayloadsUncut();
        assemblePictures(context, sys.tracks);
        msg_Dbg(demux, "pictures put together from the RTP payloads");
    }
    sys.clock = std::move(clock);
    return VLC_DEMUXER_SUCCESS;
}
