#include "tracks.h"

#include "es_format_from_stream.h"

Tracks addTracks(demux_t *demux, const AVFormatContext &context)
{
    Tracks tracks(context.nb_streams);
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        es_format_t fmt;
        if (!esFormatFromStream(*context.streams[i], fmt)) {
            msg_Warn(demux, "stream %u (%s) not passed on", i,
                     avcodec_get_name(context.streams[i]->codecpar->codec_id));
            continue;
        }
        Track &track = tracks[i];
        track.gate = KeyFrameGate(fmt.i_cat == VIDEO_ES);
        track.es = es_out_Add(demux->out, &fmt);
        msg_Dbg(demux, "stream %u: %4.4s, %d bytes of extradata", i,
                reinterpret_cast<const char *>(&fmt.i_codec), fmt.i_extra);
        es_format_Clean(&fmt);
    }
    return tracks;
}

bool cutWithoutParsers(const AVFormatContext &context)
{
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        switch (context.streams[i]->codecpar->codec_id) {
        case AV_CODEC_ID_H264:
        case AV_CODEC_ID_HEVC:
        case AV_CODEC_ID_MJPEG: // whole on the RTP marker
        case AV_CODEC_ID_AAC:
        case AV_CODEC_ID_PCM_MULAW:
        case AV_CODEC_ID_PCM_ALAW:
            break;
        default:
            return false;
        }
    }
    return true;
}

void assemblePictures(const AVFormatContext &context, Tracks &tracks)
{
    for (unsigned i = 0; i < context.nb_streams && i < tracks.size(); ++i) {
        const AVCodecID codec = context.streams[i]->codecpar->codec_id;
        if (codec == AV_CODEC_ID_H264)
            tracks[i].assembler.emplace(AccessUnitAssembler::Codec::H264);
        else if (codec == AV_CODEC_ID_HEVC)
            tracks[i].assembler.emplace(AccessUnitAssembler::Codec::H265);
    }
}
