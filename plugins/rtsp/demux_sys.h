#pragma once

#include "adaptive_delay.h"
#include "display_allowance.h"
#include "rtsp_connection.h"
#include "stream_clock.h"
#include "tracks.h"

#include <memory>
#include <string>

// The input's state between libVLC's calls: one per media being played.
struct demux_sys_t {
    std::string url;
    int64_t timeoutUs = 0;
    RtspConnection connection;
    std::unique_ptr<StreamClock> clock; // set once the session is up
    std::unique_ptr<AdaptiveDelay> delay; // the low-latency preview's, or none
    DisplayAllowance allowance;           // with `delay` only
    Tracks tracks;
    AVPacket *packet = nullptr;
};
