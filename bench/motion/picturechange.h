#ifndef HALVORINE_BENCH_PICTURECHANGE_H
#define HALVORINE_BENCH_PICTURECHANGE_H

#include <cstdint>
#include <vector>

// A rectangle of the screen as luma, 8 bits a pixel, row after row.
struct LumaPicture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
};

// Whether the picture has moved against a reference taken while the head stood still.
//
// A decoded still scene is not the same picture twice: every key frame is coded anew
// and the frames after it drift back, so pixels near edges wander by some levels
// from frame to frame. A pixel counts as changed only when its luma differs from the
// reference by more than `levelThreshold` (of 255), and the picture as moved only
// when at least `shareThreshold` of the pixels did. A tilt of one screen pixel moves
// the horizon across the whole width and the mast's stripes: about 1 % of the pixels
// by more than 32 levels, twice the threshold; half a pixel stays below it. Coding
// noise between frames of a still head stays far below (the bench reports the
// largest share it saw while the head stood still, beside the threshold).
struct PictureChange
{
    static constexpr int levelThreshold = 32;
    static constexpr double shareThreshold = 0.005;

    // The share of pixels that changed by more than levelThreshold; 1 when the two
    // differ in size (a resized player is no still picture).
    static double changedShare(const LumaPicture &reference, const LumaPicture &now);
    static bool moved(const LumaPicture &reference, const LumaPicture &now)
    {
        return changedShare(reference, now) >= shareThreshold;
    }
};

#endif
