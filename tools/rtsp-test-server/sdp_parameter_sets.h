#pragma once

#include <gst/rtsp-server/rtsp-server.h>

#include <string>

// An SDP's text without the sprop-* parameters of its a=fmtp lines (H.264's
// sprop-parameter-sets, H.265's sprop-vps/-sps/-pps), as from a camera that
// sends its parameter sets only in-band.
std::string withoutParameterSets(const std::string &sdp);

// --no-sdp-parameter-sets: every DESCRIBE answer this client gets carries the
// SDP without them. gst-rtsp-server puts them in from the payloader's caps and
// has no setting to leave them out, so the answer is edited on its way out.
void leaveParameterSetsOutOfSdp(GstRTSPClient *client);
