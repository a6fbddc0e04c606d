#include "recordingpeer.h"

#include "monotonic.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {
const char cameraAnswer[] = {'\x90', '\x41', '\xFF', '\x90', '\x51', '\xFF'};

RecordingPeer::Options recording(const QHostAddress &address, quint16 port)
{
    RecordingPeer::Options options;
    options.address = address.toString().toStdString();
    options.port = port;
    options.record = true;
    return options;
}
} // namespace

RecordingPeer::RecordingPeer(const QHostAddress &address, quint16 port, QObject *parent)
    : RecordingPeer(recording(address, port), parent)
{
    std::string error;
    start(error);
}

RecordingPeer::RecordingPeer(const Options &options, QObject *parent)
    : QObject(parent)
    , options(options)
    , stamps(options.capacity, 0)
{
}

RecordingPeer::~RecordingPeer()
{
    stopping.store(true);
    wake();
    if (thread.joinable())
        thread.join();
    dropClient();
    for (int fd : {listener, wakePipe[0], wakePipe[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool RecordingPeer::start(std::string &error)
{
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in where {};
    where.sin_family = AF_INET;
    where.sin_port = htons(options.port);
    if (::inet_pton(AF_INET, options.address.c_str(), &where.sin_addr) != 1) {
        error = startError = "bad address " + options.address;
        return false;
    }
    if (::bind(listener, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0
        || ::listen(listener, 4) != 0 || ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = startError = options.address + ":" + std::to_string(options.port) + ": " + std::strerror(errno);
        return false;
    }
    thread = std::thread(&RecordingPeer::serve, this);
    return true;
}

void RecordingPeer::closeClient()
{
    std::lock_guard<std::mutex> lock(mutex);
    // The peer's thread sees the end of the stream and closes the descriptor.
    if (client >= 0 && clientOpen.load())
        ::shutdown(client, SHUT_RDWR);
    clientOpen.store(false, std::memory_order_release);
}

void RecordingPeer::sendToClient(const QByteArray &data)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        outgoing.push_back(data);
        outgoingBytes += data.size();
    }
    wake();
}

qint64 RecordingPeer::bytesToSend() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return outgoingBytes;
}

bool RecordingPeer::waitForArrivals(std::size_t count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex);
    return arrivedSignal.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return arrivals() >= count; });
}

void RecordingPeer::setArrivalHook(std::function<void()> hook)
{
    std::lock_guard<std::mutex> lock(mutex);
    arrivalHook = std::move(hook);
}

void RecordingPeer::wake()
{
    if (wakePipe[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
    }
}

void RecordingPeer::serve()
{
    while (!stopping.load()) {
        bool sending;
        {
            std::lock_guard<std::mutex> lock(mutex);
            sending = outgoingBytes > 0;
        }
        pollfd watched[3] = {{wakePipe[0], POLLIN, 0},
                             {listener, POLLIN, 0},
                             {client, short(POLLIN | (sending ? POLLOUT : 0)), 0}};
        if (::poll(watched, client >= 0 ? 3 : 2, -1) <= 0)
            continue;
        if (watched[0].revents & POLLIN) {
            char drained[64];
            while (::read(wakePipe[0], drained, sizeof drained) > 0) {
            }
        }
        if (client >= 0 && (watched[2].revents & (POLLIN | POLLHUP | POLLERR)))
            readClient();
        if (client >= 0 && (watched[2].revents & POLLOUT))
            writeClient();
        if (watched[1].revents & POLLIN)
            acceptClient();
    }
}

void RecordingPeer::acceptClient()
{
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    dropClient();
    {
        std::lock_guard<std::mutex> lock(mutex);
        client = fd;
    }
    pendingBytes = 0;
    ++acceptsMade;
    clientOpen.store(true, std::memory_order_release);
    if (!options.record) {
        ++accepted;
        return;
    }
    // Counted where the signal is emitted, so that a spy made once the count has risen
    // (or once hasClient() holds) never sees that connection's signal.
    QMetaObject::invokeMethod(
        this,
        [this] {
            ++accepted;
            emit clientConnected();
        },
        Qt::QueuedConnection);
}

void RecordingPeer::readClient()
{
    char buffer[4096];
    const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
    // The stamp is taken before anything else, as close to the kernel's hand-over as
    // user space can see it.
    const std::int64_t stamp = monotonicNanos();
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (got <= 0) {
        dropClient();
        return;
    }
    pendingBytes += static_cast<std::size_t>(got);
    const std::size_t complete = pendingBytes / options.messageLength;
    pendingBytes %= options.messageLength;
    if (options.answer) {
        for (std::size_t i = 0; i < complete; ++i)
            ::send(client, cameraAnswer, sizeof cameraAnswer, MSG_NOSIGNAL);
    }
    if (options.record) {
        // The bytes join received() when the owner's event loop takes them in, together
        // with their signal, as with a peer in that thread.
        const QByteArray chunk(buffer, int(got));
        QMetaObject::invokeMethod(
            this,
            [this, chunk] {
                bytes += chunk;
                emit bytesReceived();
            },
            Qt::QueuedConnection);
    }
    record(stamp, complete);
}

void RecordingPeer::writeClient()
{
    std::lock_guard<std::mutex> lock(mutex);
    while (!outgoing.empty()) {
        const QByteArray &front = outgoing.front();
        const ssize_t sent = ::send(client, front.constData() + sentOfFront, front.size() - sentOfFront, MSG_NOSIGNAL);
        if (sent <= 0)
            return;
        sentOfFront += static_cast<std::size_t>(sent);
        outgoingBytes -= sent;
        if (sentOfFront == static_cast<std::size_t>(front.size())) {
            outgoing.pop_front();
            sentOfFront = 0;
        }
    }
}

void RecordingPeer::record(std::int64_t stamp, std::size_t complete)
{
    if (complete == 0)
        return;
    std::size_t count = arrived.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < complete && count < stamps.size(); ++i)
        stamps[count++] = stamp;
    {
        std::lock_guard<std::mutex> lock(mutex);
        arrived.store(count, std::memory_order_release);
        if (arrivalHook)
            arrivalHook();
    }
    arrivedSignal.notify_all();
}

void RecordingPeer::dropClient()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (client >= 0)
        ::close(client);
    client = -1;
    outgoing.clear();
    sentOfFront = 0;
    outgoingBytes = 0;
    clientOpen.store(false, std::memory_order_release);
}
