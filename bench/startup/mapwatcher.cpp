#include "mapwatcher.h"

#include "monotonic.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {
// A window may be gone by the time its owner is asked for; Xlib's default handler
// would end the benchmark over that.
int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}
} // namespace

MapWatcher::MapWatcher()
    : display(XOpenDisplay(nullptr))
{
    if (!display)
        return;
    XSetErrorHandler(ignoreXError);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
}

MapWatcher::~MapWatcher()
{
    if (display)
        XCloseDisplay(display);
}

void MapWatcher::discardPendingEvents()
{
    XSync(display, False);
    XEvent event;
    while (XPending(display) > 0)
        XNextEvent(display, &event);
}

std::int64_t MapWatcher::timeToFirstMap(const std::string &program, int timeoutMs)
{
    discardPendingEvents();
    char *arguments[] = {const_cast<char *>(program.c_str()), nullptr};
    pid_t pid = 0;
    const std::int64_t start = monotonicNanos();
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, arguments, environ) != 0)
        return -1;
    const std::int64_t mapped = waitForMapBy(pid, start + std::int64_t(timeoutMs) * 1000000);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return mapped < 0 ? -1 : mapped - start;
}

std::int64_t MapWatcher::waitForMapBy(pid_t pid, std::int64_t deadline)
{
    while (monotonicNanos() < deadline) {
        // Stamp first, read after: the stamp belongs to the moment the news arrived.
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        std::int64_t stamp = monotonicNanos();
        if (XPending(display) == 0) {
            if (poll(&connection, 1, 50) <= 0)
                continue;
            stamp = monotonicNanos();
        }
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && ownerOf(event.xmap.window) == pid)
                return stamp;
        }
    }
    return -1;
}

pid_t MapWatcher::ownerOf(unsigned long window)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    pid_t owner = 0;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &remaining, &data) == Success && data && count == 1 && format == 32)
        owner = static_cast<pid_t>(*reinterpret_cast<unsigned long *>(data));
    if (data)
        XFree(data);
    return owner;
}
