#include "resize_schedule.h"

#include "event_lines.h"
#include "launch_description.h"

#include <cmath>
#include <string>

namespace {

struct Schedule {
    GWeakRef media;
    GstElement *size = nullptr; // the capsfilter named sizeElementName, held
    int width = 0;
    int height = 0;
    bool large = false;
};

void freeSchedule(gpointer data)
{
    auto *schedule = static_cast<Schedule *>(data);
    g_weak_ref_clear(&schedule->media);
    gst_object_unref(schedule->size);
    delete schedule;
}

// Ends with its media; skips the ticks while the media is not playing (before
// PLAY, or paused), so that every change reaches a client.
gboolean changeSize(gpointer data)
{
    auto *schedule = static_cast<Schedule *>(data);
    auto *media = static_cast<GstRTSPMedia *>(g_weak_ref_get(&schedule->media));
    if (!media)
        return G_SOURCE_REMOVE;
    const bool unprepared = gst_rtsp_media_get_status(media) == GST_RTSP_MEDIA_STATUS_UNPREPARED;
    g_object_unref(media);
    if (unprepared)
        return G_SOURCE_REMOVE;
    GstState state = GST_STATE_NULL;
    gst_element_get_state(schedule->size, &state, nullptr, 0);
    if (state != GST_STATE_PLAYING)
        return G_SOURCE_CONTINUE;

    schedule->large = !schedule->large;
    const int factor = schedule->large ? 2 : 1;
    const int width = schedule->width * factor;
    const int height = schedule->height * factor;
    GstCaps *caps = gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, width, "height", G_TYPE_INT, height,
                                        nullptr);
    // capsfilter asks upstream to renegotiate; the scaler's next frame has the new size.
    g_object_set(schedule->size, "caps", caps, nullptr);
    gst_caps_unref(caps);
    printEvent("resized " + std::to_string(width) + "x" + std::to_string(height));
    return G_SOURCE_CONTINUE;
}

void startResizeSchedule(GstRTSPMediaFactory *, GstRTSPMedia *media, gpointer data)
{
    const auto *options = static_cast<const ServerOptions *>(data);
    GstElement *bin = gst_rtsp_media_get_element(media);
    if (!bin)
        return;
    GstElement *size = gst_bin_get_by_name(GST_BIN(bin), sizeElementName);
    gst_object_unref(bin);
    if (!size)
        return;
    auto *schedule = new Schedule;
    g_weak_ref_init(&schedule->media, media);
    schedule->size = size;
    schedule->width = options->width;
    schedule->height = options->height;
    const auto intervalMs = static_cast<guint>(std::lround(options->resizeEverySeconds * 1000));
    g_timeout_add_full(G_PRIORITY_DEFAULT, intervalMs, changeSize, schedule, freeSchedule);
}

} // namespace

void addResizeSchedule(GstRTSPMediaFactory *factory, const ServerOptions &options)
{
    if (options.resizeEverySeconds <= 0)
        return;
    // The options outlive the server's main loop: they are main()'s own.
    g_signal_connect(factory, "media-configure", G_CALLBACK(startResizeSchedule), const_cast<ServerOptions *>(&options));
}
