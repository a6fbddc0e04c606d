#pragma once

#include "server_options.h"

#include <string>

// The element after which --stamp draws the capture time into each raw frame.
constexpr char stampElementName[] = "stamp";
// The element after which --motion draws its moving block into each raw frame.
constexpr char motionElementName[] = "motion";
// The capsfilter whose size --resize-every changes while the media plays.
constexpr char sizeElementName[] = "size";

// gst-launch style description of the media that gst-rtsp-server builds for
// each client: payloader pay0 carries the video, pay1 the audio (if any).
std::string launchDescription(const ServerOptions &options);
