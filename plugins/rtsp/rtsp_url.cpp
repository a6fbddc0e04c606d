#include "rtsp_url.h"

#include "ffmpeg.h"

#include <vector>

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

RtspUrl RtspUrl::parse(const std::string &url)
{
    // Each part is at most as long as the whole.
    const size_t size = url.size() + 1;
    std::vector<char> scheme(size), userInfo(size), host(size), path(size);
    RtspUrl parts;
    av_url_split(scheme.data(), static_cast<int>(size), userInfo.data(), static_cast<int>(size), host.data(),
                 static_cast<int>(size), &parts.port, path.data(), static_cast<int>(size), url.c_str());
    parts.userInfo = userInfo.data();
    parts.host = host.data();
    parts.path = path.data();
    return parts;
}

bool RtspUrl::hostIsNumeric() const
{
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

std::string RtspUrl::withHost(const std::string &address) const
{
    std::string url = "rtsp://";
    if (!userInfo.empty())
        url += userInfo + '@';
    if (address.find(':') != std::string::npos)
        url += '[' + address + ']';
    else
        url += address;
    if (port >= 0)
        url += ':' + std::to_string(port);
    return url + path;
}
