#ifndef HALVORINE_BENCH_FRAMEWATCHER_H
#define HALVORINE_BENCH_FRAMEWATCHER_H

typedef struct _XDisplay Display;

// Looks at what the X server shows inside one window (the preview's player frame),
// through an X connection of its own, and tells whether the test pattern's colour
// bars are there. Reading the screen rather than asking libVLC means "visible" is
// what the operator sees, after decoding, scaling and drawing.
class FrameWatcher
{
public:
    FrameWatcher();
    ~FrameWatcher();
    FrameWatcher(const FrameWatcher &) = delete;
    FrameWatcher &operator=(const FrameWatcher &) = delete;

    bool isOpen() const { return display != nullptr; }
    // True when a strip across the window's upper third shows yellow, cyan and
    // magenta bars; false while it is black, unmapped or anything else.
    bool showsColourBars(unsigned long window);

private:
    Display *display = nullptr;
};

#endif
