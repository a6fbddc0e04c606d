#pragma once

#include <string>

// Command line of rtsp-test-server. Other test suites and the benchmarks start
// the server with these options, so keep names and defaults stable.
struct ServerOptions {
    std::string address = "127.0.0.1";
    int port = 554;
    std::string mount = "/1";
    std::string codec = "h264";   // h264 | h265 | mjpeg
    std::string audio = "none";   // none | aac | pcmu | pcma
    double keyframeIntervalSeconds = 1.0;
    std::string pattern = "smpte";
    int width = 640;
    int height = 360;
    int fps = 25;
    std::string transport = "any"; // any | udp | tcp: the RTP transports SETUP accepts
    bool shared = false;
    bool motion = false;
    bool stamp = false;          // capture time drawn into every frame (framestamp.h)
    int jitterMilliseconds = 0;  // each RTP packet held back by up to this, at random
    // --jitter-between A,B: the jitter only for frames captured A to B seconds
    // after the stream began (B <= A: from the start on, for ever).
    double jitterFromSeconds = 0;
    double jitterUntilSeconds = 0;
    double resizeEverySeconds = 0; // > 0: the picture alternates between width x height and twice that
    bool sdpParameterSets = true;  // false: H.264/H.265 parameter sets only in-band, none in the SDP
};

enum class ParseResult { Run, ShowHelp, Error };

// Fills `options` from argv. On Error, `error` says what was wrong.
ParseResult parseServerOptions(int argc, char **argv, ServerOptions &options, std::string &error);

std::string serverUsage(const char *programName);
