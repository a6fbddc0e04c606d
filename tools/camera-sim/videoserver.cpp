// GLib's headers use "signals" as a name, which Qt defines as a macro: they
// come before any Qt header.
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>

#include "videoserver.h"

#include <QCoreApplication>
#include <QTimer>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// zerolatency + ultrafast keep the delay low; a keyframe every second and the
// parameter sets in-band let a viewer join at any moment. One encoder thread
// means one slice per picture: with zerolatency's sliced threads the payloader
// puts SPS/PPS in front of every IDR slice, and libavcodec (so VLC and FFmpeg)
// then takes each slice for a picture of its own and shows half-grey keyframes.
const char *const Launch =
    "( appsrc name=src ! videoconvert ! video/x-raw,format=I420 "
    "! x264enc tune=zerolatency speed-preset=ultrafast key-int-max=25 bitrate=2000 threads=1 "
    "! video/x-h264,profile=constrained-baseline "
    "! rtph264pay name=pay0 pt=96 config-interval=-1 )";

const char *const NeededElements[][2] = {
    {"appsrc", "gstreamer1.0-plugins-base"},
    {"videoconvert", "gstreamer1.0-plugins-base"},
    {"x264enc", "gstreamer1.0-plugins-ugly"},
    {"rtph264pay", "gstreamer1.0-plugins-good"},
};

} // namespace

struct VideoServer::Private
{
    struct Feed
    {
        GstRTSPMedia *media;
        GstAppSrc *src; // one reference held
    };

    GMainContext *context = nullptr;
    GMainLoop *loop = nullptr;
    GstRTSPServer *server = nullptr;
    GSource *listener = nullptr;
    std::thread thread;
    mutable std::mutex mutex;
    std::vector<Feed> feeds;
    QTimer timer;

    static void onMediaConfigure(GstRTSPMediaFactory *, GstRTSPMedia *media, gpointer self);
    static void onMediaUnprepared(GstRTSPMedia *media, gpointer self);
    QString missingElement() const;
    void stop();
};

void VideoServer::Private::onMediaConfigure(GstRTSPMediaFactory *, GstRTSPMedia *media, gpointer self)
{
    auto *d = static_cast<Private *>(self);
    GstElement *pipeline = gst_rtsp_media_get_element(media);
    GstElement *src = gst_bin_get_by_name_recurse_up(GST_BIN(pipeline), "src");
    gst_object_unref(pipeline);
    const QSize size = VideoServer::frameSize();
    GstCaps *caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx",
                                        "width", G_TYPE_INT, size.width(),
                                        "height", G_TYPE_INT, size.height(),
                                        "framerate", GST_TYPE_FRACTION, VideoServer::FramesPerSecond, 1,
                                        nullptr);
    // Live, stamped on arrival, and never more than two frames queued: the
    // newest picture wins over a backlog.
    g_object_set(src, "caps", caps, "format", GST_FORMAT_TIME, "is-live", TRUE, "do-timestamp", TRUE,
                 "max-buffers", guint64(2), "leaky-type", GST_APP_LEAKY_TYPE_DOWNSTREAM, nullptr);
    gst_caps_unref(caps);
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->feeds.push_back({media, GST_APP_SRC(src)});
    }
    g_signal_connect(media, "unprepared", G_CALLBACK(onMediaUnprepared), d);
}

void VideoServer::Private::onMediaUnprepared(GstRTSPMedia *media, gpointer self)
{
    auto *d = static_cast<Private *>(self);
    std::lock_guard<std::mutex> lock(d->mutex);
    for (auto it = d->feeds.begin(); it != d->feeds.end();) {
        if (it->media == media) {
            gst_object_unref(it->src);
            it = d->feeds.erase(it);
        } else {
            ++it;
        }
    }
}

QString VideoServer::Private::missingElement() const
{
    for (const auto &needed : NeededElements) {
        GstElementFactory *factory = gst_element_factory_find(needed[0]);
        if (!factory)
            return QStringLiteral("GStreamer element %1 is missing (Debian package %2)")
                .arg(QLatin1String(needed[0]), QLatin1String(needed[1]));
        gst_object_unref(factory);
    }
    return {};
}

void VideoServer::Private::stop()
{
    timer.stop();
    if (loop) {
        gst_rtsp_server_client_filter(
            server, [](GstRTSPServer *, GstRTSPClient *, gpointer) { return GST_RTSP_FILTER_REMOVE; },
            nullptr);
        g_main_loop_quit(loop);
        thread.join();
        g_main_loop_unref(loop);
        loop = nullptr;
    }
    if (listener) {
        g_source_destroy(listener);
        g_source_unref(listener);
        listener = nullptr;
    }
    std::lock_guard<std::mutex> lock(mutex);
    for (const Feed &feed : feeds) {
        g_signal_handlers_disconnect_by_data(feed.media, this);
        gst_object_unref(feed.src);
    }
    feeds.clear();
}

VideoServer::VideoServer(FrameSource source, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>()), source_(std::move(source))
{
    d->timer.setInterval(1000 / FramesPerSecond);
    d->timer.setTimerType(Qt::PreciseTimer);
    connect(&d->timer, &QTimer::timeout, this, &VideoServer::pushFrame);
}

VideoServer::~VideoServer()
{
    d->stop();
    if (d->server)
        g_object_unref(d->server);
    if (d->context)
        g_main_context_unref(d->context);
}

bool VideoServer::start(const QHostAddress &address, quint16 port, QString *why)
{
    gst_init(nullptr, nullptr);
    const QString missing = d->missingElement();
    if (!missing.isEmpty()) {
        *why = missing;
        return false;
    }
    d->server = gst_rtsp_server_new();
    gst_rtsp_server_set_address(d->server, address.toString().toUtf8().constData());
    gst_rtsp_server_set_service(d->server, QByteArray::number(port).constData());

    GstRTSPMediaFactory *factory = gst_rtsp_media_factory_new();
    gst_rtsp_media_factory_set_launch(factory, Launch);
    gst_rtsp_media_factory_set_shared(factory, TRUE);
    g_signal_connect(factory, "media-configure", G_CALLBACK(Private::onMediaConfigure), d.get());
    GstRTSPMountPoints *mounts = gst_rtsp_server_get_mount_points(d->server);
    gst_rtsp_mount_points_add_factory(mounts, "/1", factory);
    g_object_unref(mounts);

    // Binding here rather than in gst_rtsp_server_attach() gives the reason a
    // bind fails (privileged port, port taken) instead of a bare failure.
    GError *error = nullptr;
    d->listener = gst_rtsp_server_create_source(d->server, nullptr, &error);
    if (!d->listener) {
        *why = QString::fromUtf8(error->message);
        if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED))
            *why += QStringLiteral("; run as root or grant cap_net_bind_service: "
                                   "sudo setcap cap_net_bind_service=+ep %1")
                        .arg(QCoreApplication::applicationFilePath());
        else if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_ADDRESS_IN_USE))
            *why += QStringLiteral("; another program serves that port (choose one with --port-rtsp)");
        g_error_free(error);
        return false;
    }
    d->context = g_main_context_new();
    g_source_attach(d->listener, d->context);
    d->loop = g_main_loop_new(d->context, FALSE);
    d->thread = std::thread([context = d->context, loop = d->loop] {
        g_main_context_push_thread_default(context);
        g_main_loop_run(loop);
        g_main_context_pop_thread_default(context);
    });
    d->timer.start();
    return true;
}

int VideoServer::viewerPipelines() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return int(d->feeds.size());
}

void VideoServer::pushFrame()
{
    std::vector<GstAppSrc *> targets;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        for (const Private::Feed &feed : d->feeds)
            targets.push_back(GST_APP_SRC(gst_object_ref(feed.src)));
    }
    if (targets.empty())
        return;
    QImage frame = source_();
    if (frame.size() != frameSize() || frame.format() != QImage::Format_RGB32)
        frame = frame.scaled(frameSize()).convertToFormat(QImage::Format_RGB32);
    const gsize bytes = gsize(frame.sizeInBytes());
    for (GstAppSrc *src : targets) {
        GstBuffer *buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
        gst_buffer_fill(buffer, 0, frame.constBits(), bytes);
        gst_app_src_push_buffer(src, buffer); // takes the buffer
        gst_object_unref(src);
    }
}
