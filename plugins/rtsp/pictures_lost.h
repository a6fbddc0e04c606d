#pragma once

#include <vlc_common.h>
#include <vlc_demux.h>

#include <cstdint>

// How many pictures libVLC's video output has dropped in this play so far
// (they reached it too late to be shown), as the input's statistics count them
// every 250 ms; -1 when libVLC keeps no statistics (--no-stats) or the demux
// has no input.
int64_t picturesLost(demux_t *demux);
