#include "rtsp_connection.h"

#include <vlc_common.h>
#include <vlc_interrupt.h>

namespace {

// Time that close may spend sending TEARDOWN to a live but slow server.
constexpr int64_t kTeardownGraceUs = 100 * 1000;

// libavformat follows RTSP redirects without a limit, each on a new
// connection: a camera that redirects to itself would get thousands a second.
constexpr int kMaxRedirects = 5;

// Kernel receive buffer for RTP over UDP: a key frame arrives as one burst of
// packets, which the default buffer (about 200 kB) may not hold.
constexpr int kUdpBufferBytes = 2 * 1024 * 1024;

AVDictionary *sessionOptions(int64_t ioTimeoutUs, RtspConnection::Transport transport)
{
    AVDictionary *options = nullptr;
    if (transport == RtspConnection::Transport::Tcp) {
        av_dict_set(&options, "rtsp_transport", "tcp", 0);
    } else {
        av_dict_set(&options, "rtsp_transport", "udp", 0);
        av_dict_set_int(&options, "buffer_size", kUdpBufferBytes, 0);
    }
    // Only what libVLC can show; cameras often offer an ONVIF metadata track too.
    av_dict_set(&options, "allowed_media_types", "video+audio", 0);
#if LIBAVFORMAT_VERSION_MAJOR >= 59
    av_dict_set_int(&options, "timeout", ioTimeoutUs, 0);
#else
    av_dict_set_int(&options, "stimeout", ioTimeoutUs, 0);
#endif
    av_dict_set(&options, "user_agent", "Halvorine Camera OSD Remote", 0);
    return options;
}

// How libavformat reports a server that will not stream RTP over the RTSP
// connection: 461 Unsupported Transport when TCP was the only transport
// offered, or, from servers that do not know that status, a plain 400, some
// other 4xx or a 5xx to the SETUP.
bool transportRefused(int result)
{
    return result == AVERROR(EPROTONOSUPPORT) || result == AVERROR_HTTP_BAD_REQUEST
        || result == AVERROR_HTTP_OTHER_4XX || result == AVERROR_HTTP_SERVER_ERROR;
}

} // namespace

RtspConnection::~RtspConnection()
{
    close();
}

int RtspConnection::interruptRequested(void *self)
{
    auto *connection = static_cast<RtspConnection *>(self);
    if (connection->closing_)
        return mdate() >= connection->closeDeadline_;
    return vlc_killed() || connection->pastDeadline() || connection->redirectedTooOften();
}

// On a redirect libavformat gives the context the new location as a new
// string (allocated while the old one is still held, so never at the same
// address); the callback is polled on every connection, so it sees each one.
bool RtspConnection::redirectedTooOften()
{
    if (context_ && context_->url != seenUrl_) {
        if (seenUrl_)
            ++redirects_;
        seenUrl_ = context_->url;
    }
    return redirects_ > kMaxRedirects;
}

bool RtspConnection::pastDeadline() const
{
    return mdate() >= deadline_;
}

// libavformat reports an interruption as AVERROR_EXIT, whoever asked for it:
// tell the log a step that ran out of time from a Stop.
int RtspConnection::withDeadline(int result) const
{
    if (result != AVERROR_EXIT || vlc_killed())
        return result;
    if (redirects_ > kMaxRedirects)
        return AVERROR(ELOOP);
    return pastDeadline() ? AVERROR(ETIMEDOUT) : result;
}

// RTP interleaved on the RTSP TCP connection first: nothing is lost when a
// large key frame arrives at once, it passes NAT and firewalls, and the server
// notices at once when we disconnect. UDP only for a server that refuses
// that, within what is left of the same deadline.
int RtspConnection::open(const std::string &url, int64_t ioTimeoutUs)
{
    close();
    stepBudgetUs_ = 2 * ioTimeoutUs;
    deadline_ = mdate() + stepBudgetUs_;
    int result = openWith(url, ioTimeoutUs, Transport::Tcp);
    if (transportRefused(result) && !vlc_killed() && !pastDeadline())
        result = openWith(url, ioTimeoutUs, Transport::Udp);
    return result;
}

int RtspConnection::openWith(const std::string &url, int64_t ioTimeoutUs, Transport transport)
{
    closing_ = false;
    transport_ = transport;
    seenUrl_ = nullptr;
    redirects_ = 0;
    context_ = avformat_alloc_context();
    if (!context_)
        return AVERROR(ENOMEM);
    context_->interrupt_callback.callback = &RtspConnection::interruptRequested;
    context_->interrupt_callback.opaque = this;

    AVDictionary *options = sessionOptions(ioTimeoutUs, transport);
    // No avformat_find_stream_info(): it would decode frames for seconds
    // before the first one is shown. The SDP already carries what libVLC's
    // decoders need (codec, clock rate, parameter sets as extradata).
    int result = avformat_open_input(&context_, url.c_str(), av_find_input_format("rtsp"), &options);
    av_dict_free(&options);
    return withDeadline(result); // on failure avformat_open_input() has freed context_
}

int RtspConnection::read(AVPacket *packet)
{
    deadline_ = mdate() + stepBudgetUs_;
    return withDeadline(av_read_frame(context_, packet));
}

// libavformat sets up a stream's parser at its first packet, so this holds
// after open too. Without parsers there are no frames to fill in missing
// times from either.
void RtspConnection::handOverPayloadsUncut()
{
    if (context_)
        context_->flags |= AVFMT_FLAG_NOPARSE | AVFMT_FLAG_NOFILLIN;
}

void RtspConnection::close()
{
    if (!context_)
        return;
    closing_ = true;
    closeDeadline_ = mdate() + kTeardownGraceUs;
    avformat_close_input(&context_);
}
