#include "loopbackpeer.h"

#include "monotonic.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {
const unsigned char cameraAnswer[] = {0x90, 0x41, 0xFF, 0x90, 0x51, 0xFF};
// How often the serving loop looks at the stop flag when nothing happens.
constexpr int idlePollMs = 100;
} // namespace

LoopbackPeer::LoopbackPeer(const Options &options)
    : options(options)
    , stamps(options.capacity, 0)
{
}

LoopbackPeer::~LoopbackPeer()
{
    stopping.store(true);
    if (thread.joinable())
        thread.join();
    closeClient();
    if (listener >= 0)
        ::close(listener);
}

bool LoopbackPeer::start(std::string &error)
{
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in where {};
    where.sin_family = AF_INET;
    where.sin_port = htons(options.port);
    if (::inet_pton(AF_INET, options.address.c_str(), &where.sin_addr) != 1) {
        error = "bad address " + options.address;
        return false;
    }
    if (::bind(listener, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0
        || ::listen(listener, 4) != 0) {
        error = options.address + ":" + std::to_string(options.port) + ": " + std::strerror(errno);
        return false;
    }
    thread = std::thread(&LoopbackPeer::serve, this);
    return true;
}

bool LoopbackPeer::waitForArrivals(std::size_t count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex);
    return arrivedSignal.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return arrivals() >= count; });
}

void LoopbackPeer::serve()
{
    while (!stopping.load()) {
        pollfd watched[2] = {{listener, POLLIN, 0}, {client, POLLIN, 0}};
        const int ready = ::poll(watched, client >= 0 ? 2 : 1, idlePollMs);
        if (ready <= 0)
            continue;
        if (client >= 0 && (watched[1].revents & (POLLIN | POLLHUP | POLLERR)))
            readClient();
        if (watched[0].revents & POLLIN)
            acceptClient();
    }
}

void LoopbackPeer::acceptClient()
{
    const int accepted = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (accepted < 0)
        return;
    closeClient();
    client = accepted;
    pendingBytes = 0;
    clientOpen.store(true, std::memory_order_release);
}

void LoopbackPeer::readClient()
{
    unsigned char buffer[4096];
    const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
    // The stamp is taken before anything else, as close to the kernel's hand-over as
    // user space can see it.
    const std::int64_t stamp = monotonicNanos();
    if (got <= 0) {
        closeClient();
        return;
    }
    pendingBytes += static_cast<std::size_t>(got);
    const std::size_t complete = pendingBytes / options.messageLength;
    pendingBytes %= options.messageLength;
    if (options.answer) {
        for (std::size_t i = 0; i < complete; ++i)
            ::send(client, cameraAnswer, sizeof cameraAnswer, MSG_NOSIGNAL);
    }
    record(stamp, complete);
}

void LoopbackPeer::record(std::int64_t stamp, std::size_t complete)
{
    if (complete == 0)
        return;
    std::size_t count = arrived.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < complete && count < stamps.size(); ++i)
        stamps[count++] = stamp;
    {
        std::lock_guard<std::mutex> lock(mutex);
        arrived.store(count, std::memory_order_release);
    }
    arrivedSignal.notify_all();
    if (arrivalHook)
        arrivalHook();
}

void LoopbackPeer::closeClient()
{
    if (client >= 0)
        ::close(client);
    client = -1;
    clientOpen.store(false, std::memory_order_release);
}
