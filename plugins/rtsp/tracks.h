#pragma once

#include "ffmpeg.h"
#include "key_frame_gate.h"

#include <vlc_common.h>
#include <vlc_demux.h>

#include <vector>

// One libVLC elementary stream per stream of the session that libVLC can
// decode; the others are left out (a null `es`).
struct Track {
    es_out_id_t *es = nullptr;
    KeyFrameGate gate;
};

// Indexed like the AVFormatContext's streams.
using Tracks = std::vector<Track>;

// Announces the session's streams to libVLC. May throw (std::bad_alloc) before
// any ES exists, never after.
Tracks addTracks(demux_t *demux, const AVFormatContext &context);
