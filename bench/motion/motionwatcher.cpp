#include "motionwatcher.h"

#include "framestamp.h"
#include "monotonic.h"
#include "videoarea.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>

namespace {

std::uint8_t lumaOf(unsigned long pixel)
{
    const unsigned red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
    return static_cast<std::uint8_t>((77 * red + 150 * green + 29 * blue) >> 8);
}

// Luma of a rectangle of the image. A 32-bit image (Xvfb's depth 24) is read in
// place: XGetPixel per pixel would cost more than the read itself.
void toLuma(XImage *image, int x, int y, int width, int height, std::uint8_t *out)
{
    const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
    for (int row = 0; row < height; ++row) {
        const auto *line = reinterpret_cast<const std::uint32_t *>(image->data + static_cast<std::ptrdiff_t>(y + row) * image->bytes_per_line) + x;
        for (int column = 0; column < width; ++column)
            *out++ = lumaOf(direct ? line[column] : XGetPixel(image, x + column, y + row));
    }
}

} // namespace

MotionWatcher::~MotionWatcher()
{
    stop();
}

bool MotionWatcher::start(unsigned long window, int intervalMicros)
{
    stop();
    const VideoArea area = openVideoArea(window);
    if (!area.display)
        return false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        frames.clear();
    }
    seen.store(0, std::memory_order_release);
    state.store(Idle, std::memory_order_release);
    stopping.store(false, std::memory_order_release);
    thread = std::thread(&MotionWatcher::watch, this, area.display, area.x, area.y, area.width, area.height,
                         intervalMicros);
    return true;
}

std::vector<FrameOnScreen> MotionWatcher::stop()
{
    if (thread.joinable()) {
        stopping.store(true, std::memory_order_release);
        thread.join();
    }
    std::lock_guard<std::mutex> lock(mutex);
    return frames;
}

std::vector<FrameOnScreen> MotionWatcher::framesSince(std::size_t index)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (index >= frames.size())
        return {};
    return std::vector<FrameOnScreen>(frames.begin() + static_cast<std::ptrdiff_t>(index), frames.end());
}

void MotionWatcher::arm(std::int64_t drawnAfterNanos)
{
    referenceAfter.store(drawnAfterNanos, std::memory_order_release);
    noise.store(0, std::memory_order_release);
    state.store(TakingReference, std::memory_order_release);
}

SeenMotion MotionWatcher::motion()
{
    std::lock_guard<std::mutex> lock(mutex);
    return seenMotion;
}

void MotionWatcher::compare(const LumaPicture &picture, std::int64_t now, std::int64_t drawn)
{
    const int current = state.load(std::memory_order_acquire);
    if (current == TakingReference) {
        if (drawn != 0 && drawn >= referenceAfter.load(std::memory_order_acquire)) {
            reference = picture;
            referenceDrawn = drawn;
            state.store(Watching, std::memory_order_release);
        }
        return;
    }
    if (current != Watching)
        return;
    const double share = PictureChange::changedShare(reference, picture);
    if (share >= PictureChange::shareThreshold) {
        std::lock_guard<std::mutex> lock(mutex);
        seenMotion = SeenMotion{now, drawn, share};
        state.store(Seen, std::memory_order_release);
    } else if (drawn != referenceDrawn && share > noise.load(std::memory_order_acquire)) {
        noise.store(share, std::memory_order_release);
    }
}

void MotionWatcher::watch(void *opaqueDisplay, int x, int top, int width, int height, int intervalMicros)
{
    auto *display = static_cast<Display *>(opaqueDisplay);
    // One read from the band's middle row down to three quarters of the picture.
    const int bandRow = height / (2 * FrameStamp::bandHeightDivisor);
    const int readHeight = height * 3 / 4 - bandRow;
    LumaPicture picture;
    picture.width = width / 2;
    picture.height = height / 2;
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    std::vector<std::uint8_t> band(static_cast<std::size_t>(width));
    std::uint32_t last = 0;
    bool any = false;
    while (!stopping.load(std::memory_order_acquire)) {
        XImage *image = XGetImage(display, DefaultRootWindow(display), x, top + bandRow, static_cast<unsigned>(width),
                                  static_cast<unsigned>(readHeight), AllPlanes, ZPixmap);
        const std::int64_t now = monotonicNanos();
        if (image) {
            toLuma(image, 0, 0, width, 1, band.data());
            toLuma(image, width / 4, height / 4 - bandRow, picture.width, picture.height, picture.pixels.data());
            XDestroyImage(image);
            std::uint32_t value = 0;
            std::int64_t drawn = 0;
            if (FrameStamp::read(band.data(), width, &value)) {
                drawn = FrameStamp::unwrap(value, now / 1000000) * 1000000;
                if (!any || value != last) {
                    any = true;
                    last = value;
                    std::lock_guard<std::mutex> lock(mutex);
                    frames.push_back({now, drawn});
                    seen.store(frames.size(), std::memory_order_release);
                }
            }
            compare(picture, now, drawn);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(intervalMicros));
    }
    XCloseDisplay(display);
}
