#include "framewatcher.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// An unmapped window cannot be read; that only means "not visible yet".
int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

struct BarCount
{
    int yellow = 0, cyan = 0, magenta = 0, samples = 0;

    void add(unsigned long pixel)
    {
        const bool red = ((pixel >> 16) & 0xFF) > 140;
        const bool green = ((pixel >> 8) & 0xFF) > 140;
        const bool blue = (pixel & 0xFF) > 140;
        yellow += red && green && !blue;
        cyan += !red && green && blue;
        magenta += red && !green && blue;
        ++samples;
    }
    // Each bar is a seventh of the width; a twentieth leaves room for scaling edges.
    bool allThree() const
    {
        return yellow > samples / 20 && cyan > samples / 20 && magenta > samples / 20;
    }
};

} // namespace

FrameWatcher::FrameWatcher()
    : display(XOpenDisplay(nullptr))
{
    if (display)
        XSetErrorHandler(ignoreXError);
}

FrameWatcher::~FrameWatcher()
{
    if (display)
        XCloseDisplay(display);
}

bool FrameWatcher::showsColourBars(unsigned long window)
{
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable
        || attributes.width < 8 || attributes.height < 8)
        return false;
    // The root window at the frame's place: what is on the screen there, whatever
    // window (libVLC's own child, say) drew it.
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    const int stripHeight = 4;
    XImage *strip = XGetImage(display, DefaultRootWindow(display), x, y + attributes.height / 3,
                              static_cast<unsigned>(attributes.width), stripHeight, AllPlanes, ZPixmap);
    if (!strip)
        return false;
    BarCount bars;
    for (int row = 0; row < stripHeight; ++row) {
        for (int column = 0; column < attributes.width; ++column)
            bars.add(XGetPixel(strip, column, row));
    }
    XDestroyImage(strip);
    return bars.allThree();
}
