#pragma once

#include <vlc_common.h>
#include <vlc_demux.h>

#include <cstdarg>

// libVLC's questions to a live camera's input: no seeking, no pausing, and
// the media's network-caching as the input's delay.
int controlInput(demux_t *demux, int query, va_list args);
