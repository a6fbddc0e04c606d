#include "es_format_from_stream.h"

#include <cstdlib>
#include <cstring>

namespace {

struct CodecMapping {
    AVCodecID avCodec;
    int category;
    vlc_fourcc_t fourcc;
};

constexpr CodecMapping kCodecs[] = {
    {AV_CODEC_ID_H264, VIDEO_ES, VLC_CODEC_H264},
    {AV_CODEC_ID_HEVC, VIDEO_ES, VLC_CODEC_HEVC},
    {AV_CODEC_ID_MJPEG, VIDEO_ES, VLC_CODEC_MJPG},
    {AV_CODEC_ID_AAC, AUDIO_ES, VLC_CODEC_MP4A},
    {AV_CODEC_ID_PCM_MULAW, AUDIO_ES, VLC_CODEC_MULAW},
    {AV_CODEC_ID_PCM_ALAW, AUDIO_ES, VLC_CODEC_ALAW},
};

const CodecMapping *findMapping(AVCodecID codec)
{
    for (const CodecMapping &mapping : kCodecs) {
        if (mapping.avCodec == codec)
            return &mapping;
    }
    return nullptr;
}

int channelCount(const AVCodecParameters &par)
{
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 24, 100)
    return par.ch_layout.nb_channels;
#else
    return par.channels;
#endif
}

void copyExtradata(const AVCodecParameters &par, es_format_t &fmt)
{
    if (par.extradata_size <= 0 || !par.extradata)
        return;
    fmt.p_extra = std::malloc(par.extradata_size);
    if (!fmt.p_extra)
        return;
    std::memcpy(fmt.p_extra, par.extradata, par.extradata_size);
    fmt.i_extra = par.extradata_size;
}

void fillVideo(const AVCodecParameters &par, es_format_t &fmt)
{
    if (par.width <= 0 || par.height <= 0)
        return; // the decoder finds out from the first frame
    fmt.video.i_width = fmt.video.i_visible_width = static_cast<unsigned>(par.width);
    fmt.video.i_height = fmt.video.i_visible_height = static_cast<unsigned>(par.height);
}

// libVLC keeps the channel count in a uint8_t and handles up to
// INPUT_CHAN_MAX; an SDP may claim any count ("L16/8000/300"), which a plain
// cast would turn into 44, or into 0 for 256.
bool fillAudio(const AVCodecParameters &par, es_format_t &fmt)
{
    const int channels = channelCount(par);
    if (channels > INPUT_CHAN_MAX || par.sample_rate < 0)
        return false;
    fmt.audio.i_rate = static_cast<unsigned>(par.sample_rate);
    fmt.audio.i_channels = channels > 0 ? static_cast<uint8_t>(channels) : 1;
    if (fmt.i_codec == VLC_CODEC_MULAW || fmt.i_codec == VLC_CODEC_ALAW)
        fmt.audio.i_bitspersample = 8;
    return true;
}

} // namespace

bool esFormatFromStream(const AVStream &stream, es_format_t &fmt)
{
    const AVCodecParameters &par = *stream.codecpar;
    const CodecMapping *mapping = findMapping(par.codec_id);
    if (!mapping)
        return false;

    es_format_Init(&fmt, mapping->category, mapping->fourcc);
    fmt.i_id = stream.index;
    // libavformat's parsers already hand over whole frames (H.264/H.265
    // access units). A libVLC packetizer would hold each one back until the
    // next begins: 40 ms more delay at 25 fps, enough for libVLC to drop
    // frames as late with a small network-caching.
    fmt.b_packetized = true;
    if (mapping->category == VIDEO_ES) {
        fillVideo(par, fmt);
    } else if (!fillAudio(par, fmt)) {
        es_format_Clean(&fmt);
        return false;
    }
    copyExtradata(par, fmt);
    return true;
}
