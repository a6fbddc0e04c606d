#pragma once

// FFmpeg's headers are C; one place wraps them for the C++ sources.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
}

// An AVERROR as text, for the log. Held in place rather than in a std::string,
// so that it allocates nothing and throws nothing in libVLC's C callbacks.
class AvErrorText {
public:
    explicit AvErrorText(int error) { av_strerror(error, text_, sizeof text_); }
    const char *c_str() const { return text_; }

private:
    char text_[AV_ERROR_MAX_STRING_SIZE] = {};
};

inline AvErrorText avErrorText(int error)
{
    return AvErrorText(error);
}
