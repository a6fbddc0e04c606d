#pragma once

#include "access_unit_assembler.h"
#include "ffmpeg.h"
#include "key_frame_gate.h"

#include <vlc_common.h>
#include <vlc_demux.h>

#include <optional>
#include <vector>

// One libVLC elementary stream per stream of the session that libVLC can
// decode; the others are left out (a null `es`).
struct Track {
    es_out_id_t *es = nullptr;
    KeyFrameGate gate;
    // Only when libavformat hands over RTP payloads uncut: puts H.264/H.265
    // pictures together from them.
    std::optional<AccessUnitAssembler> assembler;
};

// Indexed like the AVFormatContext's streams.
using Tracks = std::vector<Track>;

// Announces the session's streams to libVLC. May throw (std::bad_alloc) before
// any ES exists, never after.
Tracks addTracks(demux_t *demux, const AVFormatContext &context);

// Whether libavformat hands every stream of the session over whole without its
// parsers: H.264 and H.265 come as RTP payloads (which an assembler puts
// together), the other codecs here as frames from their depacketizers alone.
bool cutWithoutParsers(const AVFormatContext &context);

// Gives the H.264 and H.265 tracks an assembler, for payloads handed over uncut.
void assemblePictures(const AVFormatContext &context, Tracks &tracks);
