#include "rtsp_connection.h"

#include <vlc_common.h>
#include <vlc_interrupt.h>

namespace {

// Time that close may spend sending TEARDOWN to a live but slow server.
constexpr int64_t kTeardownGraceUs = 100 * 1000;

AVDictionary *sessionOptions(int64_t ioTimeoutUs)
{
    AVDictionary *options = nullptr;
    // RTP interleaved on the RTSP TCP connection: nothing is lost when a large
    // key frame arrives at once (UDP on loopback drops it when the socket
    // buffer fills), it passes NAT and firewalls, and the server notices at
    // once when we disconnect.
    av_dict_set(&options, "rtsp_transport", "tcp", 0);
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
    return vlc_killed() || connection->pastDeadline();
}

bool RtspConnection::pastDeadline() const
{
    return mdate() >= deadline_;
}

// libavformat reports an interruption as AVERROR_EXIT, whoever asked for it:
// tell the log a step that ran out of time from a Stop.
int RtspConnection::withDeadline(int result) const
{
    return result == AVERROR_EXIT && !vlc_killed() && pastDeadline() ? AVERROR(ETIMEDOUT) : result;
}

int RtspConnection::open(const std::string &url, int64_t ioTimeoutUs)
{
    close();
    closing_ = false;
    stepBudgetUs_ = 2 * ioTimeoutUs;
    deadline_ = mdate() + stepBudgetUs_;
    context_ = avformat_alloc_context();
    if (!context_)
        return AVERROR(ENOMEM);
    context_->interrupt_callback.callback = &RtspConnection::interruptRequested;
    context_->interrupt_callback.opaque = this;

    AVDictionary *options = sessionOptions(ioTimeoutUs);
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

void RtspConnection::close()
{
    if (!context_)
        return;
    closing_ = true;
    closeDeadline_ = mdate() + kTeardownGraceUs;
    avformat_close_input(&context_);
}
