// Stand-in for builds without gst-rtsp-server: control works, video says why not.
#include "videoserver.h"

struct VideoServer::Private
{
};

VideoServer::VideoServer(FrameSource source, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>()), source_(std::move(source))
{
}

VideoServer::~VideoServer() = default;

bool VideoServer::start(const QHostAddress &, quint16, QString *why)
{
    *why = QStringLiteral("this camera-sim was built without gst-rtsp-server "
                          "(Debian package libgstrtspserver-1.0-dev)");
    return false;
}

int VideoServer::viewerPipelines() const
{
    return 0;
}

void VideoServer::pushFrame()
{
}
