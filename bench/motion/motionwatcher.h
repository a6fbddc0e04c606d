#ifndef HALVORINE_BENCH_MOTIONWATCHER_H
#define HALVORINE_BENCH_MOTIONWATCHER_H

#include "picturechange.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// One frame of the simulator as the screen showed it: when a read first found its
// stamp, and the stamp (when the simulator drew it), both CLOCK_MONOTONIC.
struct FrameOnScreen
{
    std::int64_t shownNanos;
    std::int64_t drawnNanos;
};

// The first read after a press whose picture had moved against the reference.
struct SeenMotion
{
    std::int64_t shownNanos = 0;
    std::int64_t drawnNanos = 0; // the stamp in the same read; 0 when it could not be read
    double changedShare = 0;
};

// Reads the player's picture from the screen on a thread and an X connection of its
// own, every couple of milliseconds, as one XGetImage from the stamp band's middle row
// down to three quarters of the picture, so that the stamp and the picture under it
// come from the same moment. The video is taken as filling the window's middle at
// 16:9, as the remote draws it. The picture compared is the middle half of the width
// between a quarter and three quarters of the height: clear of the stamp band at the
// top, the position and clock overlay at the bottom, and the picture's edges.
class MotionWatcher
{
public:
    MotionWatcher() = default;
    ~MotionWatcher();
    MotionWatcher(const MotionWatcher &) = delete;
    MotionWatcher &operator=(const MotionWatcher &) = delete;

    bool start(unsigned long window, int intervalMicros = 2000);
    std::vector<FrameOnScreen> stop();
    std::size_t framesSoFar() const { return seen.load(std::memory_order_acquire); }
    std::vector<FrameOnScreen> framesSince(std::size_t index);

    // Takes the next read whose stamp is at or after `drawnAfterNanos` as the still
    // reference, then watches for motion against it.
    void arm(std::int64_t drawnAfterNanos);
    bool armed() const { return state.load(std::memory_order_acquire) == Watching; }
    bool motionSeen() const { return state.load(std::memory_order_acquire) == Seen; }
    SeenMotion motion();
    // The largest changed share against the reference among reads before motion was
    // seen that showed another frame than the reference: coding noise on a still head
    // (and motion below the threshold).
    double stillNoise() const { return noise.load(std::memory_order_acquire); }
    void disarm() { state.store(Idle, std::memory_order_release); }

private:
    enum State { Idle, TakingReference, Watching, Seen };
    void watch(void *display, int x, int top, int width, int height, int intervalMicros);
    void compare(const LumaPicture &picture, std::int64_t now, std::int64_t drawn);

    std::thread thread;
    std::atomic<bool> stopping {false};
    std::atomic<std::size_t> seen {0};
    std::atomic<int> state {Idle};
    std::atomic<std::int64_t> referenceAfter {0};
    std::atomic<double> noise {0};
    std::int64_t referenceDrawn = 0; // watcher thread only
    LumaPicture reference;           // watcher thread only
    std::mutex mutex;
    std::vector<FrameOnScreen> frames;
    SeenMotion seenMotion;
};

#endif
