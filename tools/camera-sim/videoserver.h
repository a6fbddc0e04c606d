#pragma once

#include <QHostAddress>
#include <QImage>
#include <QObject>
#include <functional>
#include <memory>

// Serves the camera picture as H.264 over RTSP at rtsp://<address>[:port]/1.
// gst-rtsp-server runs in a GLib loop on a thread of its own; frames are drawn
// here on the Qt thread, 25 a second while anyone watches, and pushed into the
// appsrc of the (shared) media pipeline.
class VideoServer : public QObject
{
    Q_OBJECT
public:
    using FrameSource = std::function<QImage()>;
    static constexpr int FramesPerSecond = 25;
    static QSize frameSize() { return {640, 360}; }

    explicit VideoServer(FrameSource source, QObject *parent = nullptr);
    ~VideoServer() override;

    // Binds and starts serving. On failure says why in *why (one line, with a
    // hint on what to do) and serves nothing.
    bool start(const QHostAddress &address, quint16 port, QString *why);

    int viewerPipelines() const; // media pipelines being fed right now

private:
    void pushFrame();

    struct Private;
    std::unique_ptr<Private> d;
    FrameSource source_;
};
