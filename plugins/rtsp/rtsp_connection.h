#pragma once

#include "ffmpeg.h"

#include <cstdint>
#include <string>

#include <vlc_common.h>

// One RTSP session through libavformat: DESCRIBE/SETUP/PLAY on open, RTP
// packets on read, TEARDOWN on close.
//
// Every network wait inside libavformat polls an interrupt callback about
// every 100 ms. While opening and reading, that callback follows libVLC's
// interruption of the calling thread (vlc_killed()), so
// libvlc_media_player_stop() never waits for the network. It also ends an
// open, or a read, that has taken twice the socket timeout in all: a server
// that trickles bytes (or loops on redirects) never lets one socket wait time
// out. On close, it allows a short grace period so that the TEARDOWN can still
// be written, then gives up.
class RtspConnection {
public:
    enum class Transport { Tcp, Udp };

    RtspConnection() = default;
    ~RtspConnection();
    RtspConnection(const RtspConnection &) = delete;
    RtspConnection &operator=(const RtspConnection &) = delete;

    // Returns 0 or a negative AVERROR. `ioTimeoutUs` bounds each socket wait
    // so that a server that goes silent ends the session. RTP comes
    // interleaved on the RTSP connection, or over UDP from a server that
    // refuses that.
    int open(const std::string &url, int64_t ioTimeoutUs);
    // av_read_frame(): 0, AVERROR_EOF, AVERROR_EXIT (interrupted),
    // AVERROR(ETIMEDOUT) (no whole packet in twice the socket timeout) or an
    // error. open() also gives AVERROR(ELOOP) after more than a few redirects.
    int read(AVPacket *packet);
    // From the next read on, each RTP payload as it came instead of whole
    // frames cut by libavformat's parsers (which wait for the next frame's
    // first packet). For streams whose depacketizer needs no parser.
    void handOverPayloadsUncut();
    void close();

    AVFormatContext *context() const { return context_; }
    Transport transport() const { return transport_; }

private:
    int openWith(const std::string &url, int64_t ioTimeoutUs, Transport transport);
    static int interruptRequested(void *self);
    bool pastDeadline() const;
    bool redirectedTooOften();
    int withDeadline(int result) const;

    AVFormatContext *context_ = nullptr;
    Transport transport_ = Transport::Tcp;
    mtime_t stepBudgetUs_ = 0; // for one open or one read
    mtime_t deadline_ = 0;     // mdate() at which the open or read under way gives up
    const char *seenUrl_ = nullptr; // context_->url when last polled
    int redirects_ = 0;
    bool closing_ = false;
    mtime_t closeDeadline_ = 0; // mdate() after which close gives up
};
