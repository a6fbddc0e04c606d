#include "launch_description.h"

#include <algorithm>
#include <cmath>

namespace {

std::string rawCaps(const ServerOptions &o, int width, int height)
{
    return "video/x-raw,format=I420,width=" + std::to_string(width) + ",height=" + std::to_string(height)
        + ",framerate=" + std::to_string(o.fps) + "/1";
}

std::string pattern(const ServerOptions &o)
{
    return "videotestsrc is-live=true pattern=" + o.pattern + " ! " + rawCaps(o, o.width, o.height);
}

// With --resize-every, a scaler whose output size the schedule changes
// (resize_schedule.cpp); the encoder downstream then starts anew at that size.
std::string sizePoint(const ServerOptions &o)
{
    if (o.resizeEverySeconds <= 0)
        return {};
    return " ! videoscale ! capsfilter name=" + std::string(sizeElementName) + " caps=video/x-raw,width="
        + std::to_string(o.width) + ",height=" + std::to_string(o.height);
}

// Where the capture stamp is drawn (stream_probes.cpp): after the picture is made,
// before the encoder.
std::string stampPoint(const ServerOptions &o)
{
    return o.stamp ? " ! identity name=" + std::string(stampElementName) : std::string();
}

// A queue before the payloader lets the encoder run on while packets are held back.
std::string jitterPoint(const ServerOptions &o)
{
    return o.jitterMilliseconds > 0 ? " ! queue max-size-buffers=0 max-size-bytes=0 max-size-time=0" : std::string();
}

// Where the moving block of --motion is drawn (stream_probes.cpp), so that a client
// can tell a new picture from a repeated one. Drawn into the pattern's own frames:
// a compositor laying a second source over it would, live, give up on a late
// pattern and send its checkered background instead, now and then as the first
// picture on a busy machine.
std::string motionPoint(const ServerOptions &o)
{
    return o.motion ? " ! identity name=" + std::string(motionElementName) : std::string();
}

// Encoders are tuned for latency: no B-frames, no lookahead, one key frame per
// interval. config-interval=-1 repeats the parameter sets before every key
// frame, so a client that joins late can start at the next one.
std::string encodedVideo(const ServerOptions &o)
{
    const std::string jitter = jitterPoint(o);
    const int keyInt = std::max(1, static_cast<int>(std::lround(o.fps * o.keyframeIntervalSeconds)));
    const std::string gop = std::to_string(keyInt);
    if (o.codec == "h265")
        return " ! x265enc tune=zerolatency speed-preset=ultrafast key-int-max=" + gop
            + " ! video/x-h265,profile=main" + jitter + " ! rtph265pay name=pay0 pt=96 config-interval=-1";
    if (o.codec == "mjpeg")
        return " ! jpegenc quality=85" + jitter + " ! rtpjpegpay name=pay0 pt=26";
    // One slice a picture: with zerolatency's sliced threads each key frame comes in
    // several slices, and the payloader's SPS/PPS before each one makes decoders
    // see broken key frames.
    return " ! x264enc tune=zerolatency speed-preset=ultrafast threads=1 key-int-max=" + gop
        + " ! video/x-h264,profile=constrained-baseline" + jitter + " ! rtph264pay name=pay0 pt=96 config-interval=-1";
}

std::string audio(const ServerOptions &o)
{
    const std::string sine = " audiotestsrc is-live=true wave=sine freq=440 volume=0.5 ! audioconvert ! audioresample";
    if (o.audio == "aac")
        return sine + " ! audio/x-raw,rate=48000,channels=1 ! voaacenc ! rtpmp4gpay name=pay1 pt=97";
    if (o.audio == "pcmu")
        return sine + " ! audio/x-raw,rate=8000,channels=1 ! mulawenc ! rtppcmupay name=pay1 pt=0";
    if (o.audio == "pcma")
        return sine + " ! audio/x-raw,rate=8000,channels=1 ! alawenc ! rtppcmapay name=pay1 pt=8";
    return {};
}

} // namespace

std::string launchDescription(const ServerOptions &options)
{
    return "( " + pattern(options) + motionPoint(options) + sizePoint(options) + stampPoint(options)
        + encodedVideo(options) + audio(options) + " )";
}
