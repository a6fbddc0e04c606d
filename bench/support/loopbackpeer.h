#ifndef HALVORINE_BENCH_LOOPBACKPEER_H
#define HALVORINE_BENCH_LOOPBACKPEER_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A stand-in camera on a loopback address, in a thread of its own with plain blocking
// sockets, so that it notices a message the moment the kernel hands it over whatever
// the measured side's thread is doing. It stamps the arrival of the last byte of every
// fixed-length message on the monotonic clock. Serves one client at a time: a new
// connection replaces the old one.
class LoopbackPeer
{
public:
    struct Options
    {
        std::string address;
        std::uint16_t port = 5678;
        std::size_t messageLength = 9;
        // Answer each message as a camera does: acknowledgement 90 41 FF, then
        // completion 90 51 FF.
        bool answer = false;
        std::size_t capacity = 65536;
    };

    explicit LoopbackPeer(const Options &options);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer &) = delete;
    LoopbackPeer &operator=(const LoopbackPeer &) = delete;

    // Binds and listens, then starts serving. False with a reason when the address
    // cannot be had.
    bool start(std::string &error);

    // Complete messages received so far, on all connections together.
    std::size_t arrivals() const { return arrived.load(std::memory_order_acquire); }
    std::int64_t arrivalNanos(std::size_t index) const { return stamps[index]; }
    bool hasClient() const { return clientOpen.load(std::memory_order_acquire); }

    // Blocks until `count` messages have arrived; false after the time-out.
    bool waitForArrivals(std::size_t count, int timeoutMs) const;

    // Called from the peer's thread after each arrival, e.g. to wake an event loop.
    void setArrivalHook(std::function<void()> hook) { arrivalHook = std::move(hook); }

private:
    void serve();
    void acceptClient();
    void readClient();
    void record(std::int64_t stamp, std::size_t complete);
    void closeClient();

    Options options;
    int listener = -1;
    int client = -1;
    std::size_t pendingBytes = 0;
    std::vector<std::int64_t> stamps;
    std::atomic<std::size_t> arrived {0};
    std::atomic<bool> clientOpen {false};
    std::atomic<bool> stopping {false};
    std::function<void()> arrivalHook;
    mutable std::mutex mutex;
    mutable std::condition_variable arrivedSignal;
    std::thread thread;
};

#endif
