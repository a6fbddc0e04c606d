#include "host_lookup.h"

#include "rtsp_url.h"

#include <vlc_common.h>
#include <vlc_interrupt.h>
#include <vlc_network.h>

namespace {

constexpr unsigned kRtspPort = 554;

} // namespace

HostLookup lookUpHost(const std::string &url)
{
    HostLookup lookup;
    const RtspUrl parts = RtspUrl::parse(url);
    if (parts.host.empty() || parts.hostIsNumeric()) {
        lookup.result = HostLookup::Result::Resolved;
        lookup.url = url;
        lookup.address = parts.host;
        return lookup;
    }

    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo *found = nullptr;
    const unsigned port = parts.port > 0 ? static_cast<unsigned>(parts.port) : kRtspPort;
    lookup.error = vlc_getaddrinfo_i11e(parts.host.c_str(), port, &hints, &found);
    if (vlc_killed()) {
        if (lookup.error == 0)
            freeaddrinfo(found);
        lookup.result = HostLookup::Result::Interrupted;
        return lookup;
    }
    if (lookup.error != 0)
        return lookup;

    // The first answer is the one getaddrinfo() ranks best (RFC 6724).
    char numeric[NI_MAXHOST];
    const int error = getnameinfo(found->ai_addr, found->ai_addrlen, numeric, sizeof numeric, nullptr, 0,
                                  NI_NUMERICHOST);
    freeaddrinfo(found);
    if (error != 0) {
        lookup.error = error;
        return lookup;
    }
    lookup.address = numeric;
    lookup.url = parts.withHost(lookup.address);
    lookup.result = HostLookup::Result::Resolved;
    return lookup;
}
