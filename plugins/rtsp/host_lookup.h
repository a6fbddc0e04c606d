#pragma once

#include <string>

// The numeric address of an rtsp:// URL's host, looked up so that a Stop
// need not wait for the resolver.
//
// libavformat resolves with a plain getaddrinfo(), which no interrupt
// callback reaches: with a dead or slow name server that holds the input
// thread, and so libvlc_media_player_stop() and the GUI thread that calls
// it, for the resolver's whole timeout (seconds, times the retries).
// vlc_getaddrinfo_i11e() resolves on a thread of its own and returns as soon
// as libVLC interrupts the input; libavformat then gets the numeric address,
// for which getaddrinfo() asks no one.
//
// The RTSP requests then name the camera by its address instead of its host
// name; RTSP has no virtual hosts, so a camera serves the same either way.
struct HostLookup {
    enum class Result { Resolved, Interrupted, Failed };
    Result result = Result::Failed;
    std::string url;     // with a numeric host, when Resolved
    std::string address; // the numeric host alone
    int error = 0;       // getaddrinfo()'s EAI_ code, when Failed
};

HostLookup lookUpHost(const std::string &url);
