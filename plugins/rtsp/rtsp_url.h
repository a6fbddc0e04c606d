#pragma once

#include <string>

// An rtsp:// URL cut up as libavformat cuts it (av_url_split), so that the
// host we resolve is the one it would have connected to.
struct RtspUrl {
    std::string userInfo; // "user:password", or empty
    std::string host;     // without the brackets of an IPv6 literal
    int port = -1;        // -1: none given
    std::string path;     // from the "/" on, with any query

    static RtspUrl parse(const std::string &url);
    // An IPv4 or IPv6 literal, which needs no lookup.
    bool hostIsNumeric() const;
    // The same URL with `address` (numeric) as its host.
    std::string withHost(const std::string &address) const;
};
