#pragma once

#include <vlc_common.h>
#include <vlc_demux.h>

struct demux_sys_t;

// Looks the camera up, opens the RTSP session and announces its streams.
// Returns a VLC_DEMUXER_* value: EOF when stopped while connecting.
//
// This runs in the first Demux rather than in Open. An Open that fails (or
// that a Stop cuts short, as every preview start does once) makes libVLC go on
// to its other rtsp:// inputs, satip and access_realrtsp, which connect to the
// camera again and can hold a Stop for minutes; a Demux that fails just ends
// the input.
int startSession(demux_t *demux, demux_sys_t &sys);
