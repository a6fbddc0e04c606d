#include "xkeywatch.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

XKeyWatch::XKeyWatch(unsigned long window)
    : window(window)
{
    display = XOpenDisplay(nullptr);
    if (!display)
        return;
    // Key events go to every client that selected them on the focus window.
    XSelectInput(display, window, KeyPressMask | KeyReleaseMask);
    XSync(display, False);
}

XKeyWatch::~XKeyWatch()
{
    if (display)
        XCloseDisplay(display);
}

void XKeyWatch::drain()
{
    if (!display)
        return;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == KeyPress)
            ++count;
    }
}

int XKeyWatch::presses()
{
    drain();
    return count;
}

void XKeyWatch::reset()
{
    drain();
    count = 0;
}

bool XKeyWatch::setAutoRepeat(unsigned delayMs, unsigned intervalMs)
{
    if (!display)
        return false;
    XAutoRepeatOn(display);
    const Bool set = XkbSetAutoRepeatRate(display, XkbUseCoreKbd, delayMs, intervalMs);
    XSync(display, False);
    return set;
}
