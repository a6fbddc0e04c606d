#ifndef HALVORINE_BENCH_VIDEOAREA_H
#define HALVORINE_BENCH_VIDEOAREA_H

// Where a player draws its video on the X screen, for the benches that read the
// picture back from the screen on a thread of their own.
struct VideoArea
{
    void *display = nullptr; // an X connection of the caller's own (Display *), or null
    int x = 0;               // root-window coordinates of the video's top left
    int y = 0;
    int width = 0;
    int height = 0;
};

// Opens an X connection of its own (to be read from one other thread, and closed
// with XCloseDisplay by whoever reads) and finds the video in `window`: as large as
// fits at 16:9, centred, as the players draw it. A null display when the window is
// not on the screen.
VideoArea openVideoArea(unsigned long window);

#endif
