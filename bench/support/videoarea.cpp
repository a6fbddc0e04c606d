#include "videoarea.h"

#include <X11/Xlib.h>

namespace {

// The window may go away while a reader still looks at it; a failed read is a
// missed sample, not a reason to end the bench.
int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

VideoArea openVideoArea(unsigned long window)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return {};
    XSetErrorHandler(ignoreXError);
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) {
        XCloseDisplay(display);
        return {};
    }
    VideoArea area;
    area.display = display;
    area.width = attributes.width;
    area.height = attributes.width * 9 / 16;
    if (area.height > attributes.height) {
        area.height = attributes.height;
        area.width = attributes.height * 16 / 9;
    }
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), (attributes.width - area.width) / 2,
                          (attributes.height - area.height) / 2, &area.x, &area.y, &child);
    return area;
}
