#include "stream_probes.h"

#include "framestamp.h"
#include "launch_description.h"

#include <gst/video/video.h>

#include <algorithm>
#include <random>
#include <thread>
#include <time.h>

namespace {

std::int64_t monotonicNanos()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Maps the raw I420 frame that passes the probe for writing, made writable first;
// false for anything else, which then passes untouched.
bool mapWritableFrame(GstPad *pad, GstPadProbeInfo *info, GstVideoFrame &frame)
{
    GstCaps *caps = gst_pad_get_current_caps(pad);
    GstVideoInfo video;
    const bool known = caps && gst_video_info_from_caps(&video, caps);
    if (caps)
        gst_caps_unref(caps);
    if (!known || GST_VIDEO_INFO_FORMAT(&video) != GST_VIDEO_FORMAT_I420)
        return false;
    GstBuffer *buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    return gst_video_frame_map(&frame, &video, buffer, GST_MAP_WRITE);
}

// Draws the capture time into the raw frame as it leaves the source, before the
// encoder sees it.
GstPadProbeReturn stampFrame(GstPad *pad, GstPadProbeInfo *info, gpointer)
{
    const std::uint32_t milliseconds = static_cast<std::uint32_t>(monotonicNanos() / 1000000);
    GstVideoFrame frame;
    if (!mapWritableFrame(pad, info, frame))
        return GST_PAD_PROBE_OK;
    FrameStamp::write(static_cast<std::uint8_t *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                      GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), GST_VIDEO_FRAME_WIDTH(&frame),
                      GST_VIDEO_FRAME_HEIGHT(&frame), milliseconds,
                      static_cast<std::uint8_t *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 1)),
                      static_cast<std::uint8_t *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 2)),
                      GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 1));
    gst_video_frame_unmap(&frame);
    return GST_PAD_PROBE_OK;
}

// A white block that moves a few pixels every frame across a black bottom-right
// quarter: every frame differs from the one before, the rest of the pattern stays.
GstPadProbeReturn drawMotion(GstPad *pad, GstPadProbeInfo *info, gpointer data)
{
    GstVideoFrame frame;
    if (!mapWritableFrame(pad, info, frame))
        return GST_PAD_PROBE_OK;
    const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
    // Even corners and sizes, so that the half-size chroma planes cover the same area.
    const int left = (width - width / 4) & ~1, top = (height - height / 4) & ~1;
    const int side = std::max(2, (height / 16) & ~1);
    const int span = std::max(1, width - left - side);
    const int x = (static_cast<int>((*static_cast<unsigned *>(data))++ * 4) % span) & ~1;
    const int y = top + ((height - top - side) / 2 & ~1);
    auto *luma = static_cast<std::uint8_t *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const int lumaStride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    for (int row = top; row < height; ++row) {
        std::uint8_t *line = luma + row * lumaStride;
        std::fill(line + left, line + width, std::uint8_t(16));
        if (row >= y && row < y + side)
            std::fill(line + left + x, line + left + x + side, std::uint8_t(235));
    }
    for (int plane = 1; plane <= 2; ++plane) {
        auto *chroma = static_cast<std::uint8_t *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane));
        const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane);
        for (int row = top / 2; row < (height + 1) / 2; ++row)
            std::fill(chroma + row * stride + left / 2, chroma + row * stride + (width + 1) / 2, std::uint8_t(128));
    }
    gst_video_frame_unmap(&frame);
    return GST_PAD_PROBE_OK;
}

// Holds each RTP packet back by a random 0..limit from the moment its frame was
// captured, never letting one overtake the packet before it: the arrival jitter of
// a busy network, without loss. The hold is counted from the capture (the buffer's
// running time on the pipeline clock), not from when this thread gets to the
// packet: counted from there, every hold would add to the ones before and the
// stream would fall ever further behind, slower than real time.
struct JitterState
{
    GstClockTime limit = 0;
    GstClockTime from = 0;  // running times between which the holds apply
    GstClockTime until = GST_CLOCK_TIME_NONE;
    GstClockTime lastRelease = 0;
    std::mt19937 random {20261208};
};

// The running time of the buffer's capture: its timestamp in the pad's segment
// (encoders start theirs far from zero).
GstClockTime runningTime(GstPad *pad, GstBuffer *buffer)
{
    if (!GST_BUFFER_PTS_IS_VALID(buffer))
        return GST_CLOCK_TIME_NONE;
    GstEvent *event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0);
    if (!event)
        return GST_CLOCK_TIME_NONE;
    const GstSegment *segment = nullptr;
    gst_event_parse_segment(event, &segment);
    const GstClockTime time = gst_segment_to_running_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    gst_event_unref(event);
    return time;
}

GstPadProbeReturn delayPacket(GstPad *pad, GstPadProbeInfo *info, gpointer data)
{
    auto *state = static_cast<JitterState *>(data);
    GstElement *payloader = GST_PAD_PARENT(pad);
    const GstClockTime running = runningTime(pad, GST_PAD_PROBE_INFO_BUFFER(info));
    GstClock *clock = payloader ? gst_element_get_clock(payloader) : nullptr;
    if (!clock || running == GST_CLOCK_TIME_NONE) {
        if (clock)
            gst_object_unref(clock);
        return GST_PAD_PROBE_OK;
    }
    const GstClockTime captured = gst_element_get_base_time(payloader) + running;
    std::uniform_int_distribution<GstClockTime> hold(0, state->limit);
    const bool jittery = running >= state->from && (state->until == GST_CLOCK_TIME_NONE || running < state->until);
    const GstClockTime release = std::max(state->lastRelease, captured + (jittery ? hold(state->random) : 0));
    state->lastRelease = release;
    const GstClockTime now = gst_clock_get_time(clock);
    gst_object_unref(clock);
    if (release > now)
        std::this_thread::sleep_for(std::chrono::nanoseconds(release - now));
    return GST_PAD_PROBE_OK;
}

void addProbe(GstElement *bin, const char *elementName, GstPadProbeCallback callback, gpointer data,
              GDestroyNotify destroy)
{
    GstElement *element = gst_bin_get_by_name(GST_BIN(bin), elementName);
    if (!element) {
        if (destroy)
            destroy(data);
        return;
    }
    GstPad *pad = gst_element_get_static_pad(element, "src");
    if (pad) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, callback, data, destroy);
        gst_object_unref(pad);
    } else if (destroy) {
        destroy(data);
    }
    gst_object_unref(element);
}

void attachStreamProbes(GstRTSPMediaFactory *, GstRTSPMedia *media, gpointer data)
{
    const auto *options = static_cast<const ServerOptions *>(data);
    GstElement *bin = gst_rtsp_media_get_element(media);
    if (!bin)
        return;
    if (options->stamp)
        addProbe(bin, stampElementName, stampFrame, nullptr, nullptr);
    if (options->motion)
        addProbe(bin, motionElementName, drawMotion, new unsigned(0), [](gpointer p) { delete static_cast<unsigned *>(p); });
    if (options->jitterMilliseconds > 0) {
        auto *state = new JitterState;
        state->limit = GstClockTime(options->jitterMilliseconds) * GST_MSECOND;
        if (options->jitterUntilSeconds > options->jitterFromSeconds) {
            state->from = GstClockTime(options->jitterFromSeconds * GST_SECOND);
            state->until = GstClockTime(options->jitterUntilSeconds * GST_SECOND);
        }
        addProbe(bin, "pay0", delayPacket, state, [](gpointer p) { delete static_cast<JitterState *>(p); });
    }
    gst_object_unref(bin);
}

} // namespace

void addStreamProbes(GstRTSPMediaFactory *factory, const ServerOptions &options)
{
    if (!options.stamp && !options.motion && options.jitterMilliseconds <= 0)
        return;
    // The options outlive the server's main loop: they are main()'s own.
    g_signal_connect(factory, "media-configure", G_CALLBACK(attachStreamProbes),
                     const_cast<ServerOptions *>(&options));
}
