#pragma once

#include "ffmpeg.h"

#include <cstdint>
#include <string>

// One RTSP session through libavformat: DESCRIBE/SETUP/PLAY on open, RTP
// packets on read, TEARDOWN on close.
//
// Every network wait inside libavformat polls an interrupt callback about
// every 100 ms. While reading, that callback follows libVLC's interruption of
// the calling thread (vlc_killed()), so libvlc_media_player_stop() never waits
// for the network. On close, it allows a short grace period so that the
// TEARDOWN can still be written, then gives up.
class RtspConnection {
public:
    RtspConnection() = default;
    ~RtspConnection();
    RtspConnection(const RtspConnection &) = delete;
    RtspConnection &operator=(const RtspConnection &) = delete;

    // Returns 0 or a negative AVERROR. `ioTimeoutUs` bounds each socket wait
    // so that a server that goes silent ends the session.
    int open(const std::string &url, int64_t ioTimeoutUs);
    // av_read_frame(): 0, AVERROR_EOF, AVERROR_EXIT (interrupted) or an error.
    int read(AVPacket *packet);
    void close();

    AVFormatContext *context() const { return context_; }

private:
    static int interruptRequested(void *self);

    AVFormatContext *context_ = nullptr;
    bool closing_ = false;
    int64_t closeDeadline_ = 0; // mdate() after which close gives up
};

std::string avErrorText(int error);
