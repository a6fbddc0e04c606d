#include "stampwatcher.h"

#include "framestamp.h"
#include "monotonic.h"
#include "videoarea.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>

StampWatcher::~StampWatcher()
{
    stop();
}

bool StampWatcher::start(unsigned long window, int intervalMicros)
{
    stop();
    const VideoArea area = openVideoArea(window);
    if (!area.display)
        return false;
    // The middle of the stamp's band, the top eighth of the picture.
    const int row = area.y + area.height / (2 * FrameStamp::bandHeightDivisor);
    frames.clear();
    seen.store(0, std::memory_order_release);
    stopping.store(false, std::memory_order_release);
    thread = std::thread(&StampWatcher::watch, this, area.display, area.x, row, area.width, intervalMicros);
    return true;
}

std::vector<ShownFrame> StampWatcher::stop()
{
    if (thread.joinable()) {
        stopping.store(true, std::memory_order_release);
        thread.join();
    }
    std::lock_guard<std::mutex> lock(mutex);
    return frames;
}

void StampWatcher::watch(void *opaqueDisplay, int x, int y, int width, int intervalMicros)
{
    auto *display = static_cast<Display *>(opaqueDisplay);
    std::vector<std::uint8_t> luma(static_cast<std::size_t>(width));
    std::uint32_t last = 0;
    bool any = false;
    while (!stopping.load(std::memory_order_acquire)) {
        // The root window at the video's place: what is on the screen, whichever
        // window (a player's own child, say) drew it.
        XImage *image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width), 1,
                                  AllPlanes, ZPixmap);
        const std::int64_t now = monotonicNanos();
        if (image) {
            for (int column = 0; column < width; ++column) {
                const unsigned long pixel = XGetPixel(image, column, 0);
                const unsigned red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
                luma[static_cast<std::size_t>(column)] = static_cast<std::uint8_t>((77 * red + 150 * green + 29 * blue) >> 8);
            }
            XDestroyImage(image);
            std::uint32_t value = 0;
            if (FrameStamp::read(luma.data(), width, &value) && (!any || value != last)) {
                any = true;
                last = value;
                const std::int64_t captured = FrameStamp::unwrap(value, now / 1000000) * 1000000;
                std::lock_guard<std::mutex> lock(mutex);
                frames.push_back({now, captured});
                seen.store(frames.size(), std::memory_order_release);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(intervalMicros));
    }
    XCloseDisplay(display);
}
