#include "server_options.h"

#include <cstdlib>
#include <set>

namespace {

bool parseInt(const std::string &text, int min, int max, int &out)
{
    char *end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < min || value > max)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool parseSeconds(const std::string &text, double &out)
{
    char *end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value > 0.0) || value > 3600.0)
        return false;
    out = value;
    return true;
}

// "A,B": seconds, 0 <= A < B.
bool parseSpan(const std::string &text, double &from, double &until)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    char *end = nullptr;
    const std::string first = text.substr(0, comma);
    const double a = std::strtod(first.c_str(), &end);
    if (first.empty() || *end != '\0' || !(a >= 0.0))
        return false;
    double b = 0;
    if (!parseSeconds(text.substr(comma + 1), b) || b <= a)
        return false;
    from = a;
    until = b;
    return true;
}

bool oneOf(const std::string &value, const std::set<std::string> &allowed)
{
    return allowed.count(value) != 0;
}

} // namespace

ParseResult parseServerOptions(int argc, char **argv, ServerOptions &options, std::string &error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h")
            return ParseResult::ShowHelp;
        if (name == "--no-sdp-parameter-sets") {
            options.sdpParameterSets = false;
            continue;
        }
        if (name == "--shared" || name == "--motion" || name == "--stamp") {
            (name == "--shared" ? options.shared : name == "--motion" ? options.motion : options.stamp) = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value for " + name;
            return ParseResult::Error;
        }
        const std::string value = argv[++i];
        bool ok = true;
        if (name == "--address")
            options.address = value;
        else if (name == "--port")
            ok = parseInt(value, 1, 65535, options.port);
        else if (name == "--mount")
            ok = !value.empty() && value[0] == '/' && (options.mount = value, true);
        else if (name == "--codec")
            ok = oneOf(value, {"h264", "h265", "mjpeg"}) && (options.codec = value, true);
        else if (name == "--audio")
            ok = oneOf(value, {"none", "aac", "pcmu", "pcma"}) && (options.audio = value, true);
        else if (name == "--keyframe-interval")
            ok = parseSeconds(value, options.keyframeIntervalSeconds);
        else if (name == "--pattern")
            ok = !value.empty() && (options.pattern = value, true);
        else if (name == "--width")
            ok = parseInt(value, 16, 4096, options.width);
        else if (name == "--height")
            ok = parseInt(value, 16, 4096, options.height);
        else if (name == "--fps")
            ok = parseInt(value, 1, 120, options.fps);
        else if (name == "--jitter")
            ok = parseInt(value, 0, 1000, options.jitterMilliseconds);
        else if (name == "--jitter-between")
            ok = parseSpan(value, options.jitterFromSeconds, options.jitterUntilSeconds);
        else if (name == "--resize-every")
            ok = parseSeconds(value, options.resizeEverySeconds);
        else if (name == "--transport")
            ok = oneOf(value, {"any", "udp", "tcp"}) && (options.transport = value, true);
        else {
            error = "unknown option " + name;
            return ParseResult::Error;
        }
        if (!ok) {
            error = "bad value '" + value + "' for " + name;
            return ParseResult::Error;
        }
    }
    return ParseResult::Run;
}

std::string serverUsage(const char *programName)
{
    return std::string("Usage: ") + programName + " [options]\n"
        "Serves a live test pattern over RTSP (gst-rtsp-server) for tests and benchmarks.\n"
        "\n"
        "Options:\n"
        "  --address A              listen address (default 127.0.0.1)\n"
        "  --port N                 listen port (default 554, needs root)\n"
        "  --mount PATH             stream path (default /1); other paths answer 404\n"
        "  --codec C                h264 | h265 | mjpeg (default h264)\n"
        "  --audio A                none | aac | pcmu | pcma (default none); a 440 Hz sine\n"
        "  --keyframe-interval S    seconds between key frames (default 1)\n"
        "  --pattern NAME           videotestsrc pattern (default smpte: colour bars\n"
        "                           white yellow cyan green magenta red blue)\n"
        "  --width N, --height N    picture size (default 640x360)\n"
        "  --fps N                  frame rate (default 25)\n"
        "  --transport T            any | udp | tcp (default any): the RTP transports that\n"
        "                           SETUP accepts; others are answered 461, as cameras\n"
        "                           that do not stream RTP over the RTSP connection\n"
        "  --shared                 one pipeline for all clients; gst-rtsp-server restarts\n"
        "                           it (and the running clients' timestamps) when a\n"
        "                           client joins, as a camera whose encoder restarts\n"
        "  --motion                 a moving block in the bottom-right quarter, so that\n"
        "                           every frame differs from the one before\n"
        "  --stamp                  the capture time (CLOCK_MONOTONIC, ms) drawn as a band\n"
        "                           of cells across the top of every frame, before it is\n"
        "                           encoded, for latency measured from the screen\n"
        "  --jitter MS              hold each RTP packet back by up to MS at random (in\n"
        "                           order), as a jittery network would (default 0)\n"
        "  --jitter-between A,B     the --jitter only for frames captured from A to B\n"
        "                           seconds after the stream began: a network that turns\n"
        "                           bad, then calms down (default: all the time)\n"
        "  --resize-every S         every S seconds the picture changes size while playing,\n"
        "                           from --width x --height to twice that and back, as a\n"
        "                           camera whose operator changes its resolution: the\n"
        "                           encoder starts anew, with new parameter sets in-band\n"
        "  --no-sdp-parameter-sets  leave the H.264/H.265 parameter sets (sprop-*) out of\n"
        "                           the SDP, so that they come only in-band, before each\n"
        "                           key frame\n"
        "  --help                   this text\n"
        "\n"
        "Lines printed on stdout (one event per line, flushed at once):\n"
        "  ready rtsp://A:N/PATH    listening; clients may connect\n"
        "  client-connected IP      an RTSP connection was accepted\n"
        "  playing IP               that client sent PLAY\n"
        "  client-closed IP         that client's connection ended (TEARDOWN or drop)\n"
        "  resized WxH              (--resize-every) the picture is W x H from the next\n"
        "                           frame on\n"
        "Errors go to stderr. Exit status: 0 after SIGINT/SIGTERM, 1 on a bad command\n"
        "line, 2 when the address cannot be bound, 3 on a bad pipeline.\n";
}
