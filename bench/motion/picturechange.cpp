#include "picturechange.h"

#include <cstdlib>

double PictureChange::changedShare(const LumaPicture &reference, const LumaPicture &now)
{
    if (reference.width != now.width || reference.height != now.height || reference.pixels.size() != now.pixels.size())
        return 1;
    if (now.pixels.empty())
        return 0;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < now.pixels.size(); ++i) {
        if (std::abs(int(now.pixels[i]) - int(reference.pixels[i])) > levelThreshold)
            ++changed;
    }
    return static_cast<double>(changed) / static_cast<double>(now.pixels.size());
}
