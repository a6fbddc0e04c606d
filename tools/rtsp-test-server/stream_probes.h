#pragma once

#include "server_options.h"

#include <gst/rtsp-server/rtsp-server.h>

// The pad probes behind --stamp and --jitter, added to every media the factory
// builds (gst-rtsp-server makes one pipeline per client unless --shared).
void addStreamProbes(GstRTSPMediaFactory *factory, const ServerOptions &options);
