#ifndef HALVORINE_BENCH_MAPWATCHER_H
#define HALVORINE_BENCH_MAPWATCHER_H

#include <cstdint>
#include <string>
#include <sys/types.h>

typedef struct _XDisplay Display;

// An X client that hears about every top-level window being mapped on the display
// (SubstructureNotify on the root window). It is listening before the measured
// program is started, so no map can slip by, and it stamps each event on the
// monotonic clock as soon as the X connection turns readable.
class MapWatcher
{
public:
    MapWatcher();
    ~MapWatcher();
    MapWatcher(const MapWatcher &) = delete;
    MapWatcher &operator=(const MapWatcher &) = delete;

    bool isOpen() const { return display != nullptr; }
    // Starts the program and returns the nanoseconds from just before the process is
    // created until a window of that process (by _NET_WM_PID) is mapped; -1 on
    // failure or time-out. The process is ended afterwards.
    std::int64_t timeToFirstMap(const std::string &program, int timeoutMs);

private:
    void discardPendingEvents();
    std::int64_t waitForMapBy(pid_t pid, std::int64_t deadline);
    pid_t ownerOf(unsigned long window);

    Display *display = nullptr;
};

#endif
