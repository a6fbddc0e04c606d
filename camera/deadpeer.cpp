#include "camera/deadpeer.h"

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <mstcpip.h>
#include <ws2tcpip.h>
// The Windows SDK's ws2ipdef.h has it; MinGW's headers may not.
#ifndef TCP_MAXRT
#define TCP_MAXRT 5
#endif
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace DeadPeer {

#ifdef Q_OS_WIN

void watchEstablished(qintptr descriptor)
{
    const SOCKET s = static_cast<SOCKET>(descriptor);
    // Windows takes keepalive's idle time and interval in milliseconds; the probe
    // count is fixed by the system (10 on Vista and later).
    tcp_keepalive settings{};
    settings.onoff = 1;
    settings.keepalivetime = keepAliveIdleSeconds * 1000;
    settings.keepaliveinterval = keepAliveIntervalSeconds * 1000;
    DWORD returned = 0;
    WSAIoctl(s, SIO_KEEPALIVE_VALS, &settings, sizeof settings, nullptr, 0, &returned, nullptr, nullptr);
    // TCP_MAXRT: how long (whole seconds) a segment is retransmitted before the
    // connection is given up.
    DWORD maxRetransmitSeconds = (unacknowledgedLimitMilliseconds + 999) / 1000;
    setsockopt(s, IPPROTO_TCP, TCP_MAXRT, reinterpret_cast<const char *>(&maxRetransmitSeconds),
               sizeof maxRetransmitSeconds);
}

#else

namespace {
void setTcpOption(int descriptor, int level, int option, int value)
{
    // A failure leaves the system's default in force: the link still works, it
    // only takes longer to notice a dead camera.
    setsockopt(descriptor, level, option, &value, sizeof value);
}
} // namespace

void watchEstablished(qintptr descriptor)
{
    const int fd = static_cast<int>(descriptor);
    setTcpOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
#ifdef TCP_KEEPIDLE
    setTcpOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, keepAliveIdleSeconds);
#elif defined(TCP_KEEPALIVE)
    setTcpOption(fd, IPPROTO_TCP, TCP_KEEPALIVE, keepAliveIdleSeconds); // macOS's name
#endif
#ifdef TCP_KEEPINTVL
    setTcpOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, keepAliveIntervalSeconds);
#endif
#ifdef TCP_KEEPCNT
    setTcpOption(fd, IPPROTO_TCP, TCP_KEEPCNT, keepAliveProbeCount);
#endif
#ifdef TCP_USER_TIMEOUT
    setTcpOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, unacknowledgedLimitMilliseconds);
#endif
}

#endif

} // namespace DeadPeer
