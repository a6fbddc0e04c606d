#pragma once

#include "ffmpeg.h"

#include <vlc_common.h>
#include <vlc_es.h>

// Describes an RTSP stream to libVLC: the codec's fourcc and the extradata
// from the SDP (H.264/H.265 parameter sets, AAC AudioSpecificConfig), so
// that libVLC's own decoders take it from there.
// Returns false, with nothing in fmt to clean, for codecs this module does not
// pass on and for values libVLC cannot take (an absurd channel count).
bool esFormatFromStream(const AVStream &stream, es_format_t &fmt);
