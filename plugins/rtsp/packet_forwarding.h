#pragma once

#include "ffmpeg.h"

#include <vlc_common.h>
#include <vlc_demux.h>

struct demux_sys_t;

// Hands one packet of the session to its elementary stream in libVLC, with
// libVLC's times and the program clock before it. Packets of streams left
// out, packets before a video stream's first key frame and packets without
// data go nowhere. A track with an assembler gets whole pictures, put
// together from the packets (RTP payloads).
void forwardPacket(demux_t *demux, demux_sys_t &sys, const AVPacket &packet);
