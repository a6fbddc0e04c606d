#ifndef HALVORINE_BENCH_STAMPWATCHER_H
#define HALVORINE_BENCH_STAMPWATCHER_H

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// One picture as the operator saw it: when the screen first showed it, and when the
// test server captured it (the stamp drawn into the frame).
struct ShownFrame
{
    std::int64_t shownNanos;
    std::int64_t capturedNanos;
};

// Reads the capture stamp that a window of the X server shows, from a thread and an
// X connection of its own, every couple of milliseconds: a frame counts as shown at
// the first read that finds its stamp. The video is taken as filling the window's
// middle at 16:9, as every player here draws it.
class StampWatcher
{
public:
    StampWatcher() = default;
    ~StampWatcher();
    StampWatcher(const StampWatcher &) = delete;
    StampWatcher &operator=(const StampWatcher &) = delete;

    // How often the window is read by default: a picture's display time is
    // known to within this.
    static constexpr int kReadingMicros = 2000;

    // Starts reading the window; false when it cannot be read.
    bool start(unsigned long window, int intervalMicros = kReadingMicros);
    // Stops reading; what was seen since start().
    std::vector<ShownFrame> stop();
    std::size_t framesSoFar() const { return seen.load(std::memory_order_acquire); }
    // Hands over what was seen since start() or the last call and goes on reading: a
    // long watch keeps no growing list of its own.
    std::vector<ShownFrame> takeFrames();
    // The reading thread's id (for its CPU time in /proc), 0 while none runs.
    long threadId() const { return readerThreadId.load(std::memory_order_acquire); }

private:
    void watch(void *display, int x, int y, int width, int intervalMicros);

    std::thread thread;
    std::atomic<bool> stopping {false};
    std::atomic<std::size_t> seen {0};
    std::atomic<long> readerThreadId {0};
    std::mutex mutex;
    std::vector<ShownFrame> frames;
};

#endif
