#pragma once

#include "server_options.h"

#include <gst/rtsp-server/rtsp-server.h>

// --resize-every: in every media the factory builds, the picture alternates
// between --width x --height and twice that, each change S seconds after the
// last while the media plays. The encoder gets new caps, so it starts anew
// with a key frame and new parameter sets, which the payloader sends in-band
// (config-interval=-1). Prints "resized WxH" at each change.
void addResizeSchedule(GstRTSPMediaFactory *factory, const ServerOptions &options);
