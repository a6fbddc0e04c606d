#include "framestamp.h"

#include <algorithm>

namespace FrameStamp {

namespace {

constexpr std::uint8_t white = 235;
constexpr std::uint8_t black = 16;
constexpr int firstValueCell = 2;
constexpr int firstCheckCell = firstValueCell + valueBits;
constexpr int checkBits = cellCount - firstCheckCell;

std::uint32_t checkOf(std::uint32_t value)
{
    std::uint32_t sum = 0;
    for (int group = 0; group < valueBits / 6; ++group)
        sum += (value >> (group * 6)) & 0x3F;
    return (sum & 0x3F) ^ 0x2A;
}

// Cell i as black or white: the references, then value and check bits, MSB first.
bool cellIsWhite(int cell, std::uint32_t value, std::uint32_t check)
{
    if (cell == 0)
        return true;
    if (cell == 1)
        return false;
    if (cell < firstCheckCell)
        return (value >> (valueBits - 1 - (cell - firstValueCell))) & 1u;
    return (check >> (checkBits - 1 - (cell - firstCheckCell))) & 1u;
}

int cellStart(int cell, int width)
{
    return static_cast<int>(static_cast<std::int64_t>(cell) * width / cellCount);
}

} // namespace

void write(std::uint8_t *luma, int lumaStride, int width, int height, std::uint32_t milliseconds,
           std::uint8_t *chromaU, std::uint8_t *chromaV, int chromaStride)
{
    const std::uint32_t value = milliseconds & valueMask;
    const std::uint32_t check = checkOf(value);
    const int bandHeight = std::max(1, height / bandHeightDivisor);
    for (int y = 0; y < bandHeight; ++y) {
        std::uint8_t *row = luma + static_cast<std::ptrdiff_t>(y) * lumaStride;
        for (int cell = 0; cell < cellCount; ++cell) {
            const std::uint8_t level = cellIsWhite(cell, value, check) ? white : black;
            std::fill(row + cellStart(cell, width), row + cellStart(cell + 1, width), level);
        }
    }
    if (!chromaU || !chromaV)
        return;
    for (int y = 0; y < (bandHeight + 1) / 2; ++y) {
        const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(y) * chromaStride;
        std::fill(chromaU + offset, chromaU + offset + (width + 1) / 2, std::uint8_t(128));
        std::fill(chromaV + offset, chromaV + offset + (width + 1) / 2, std::uint8_t(128));
    }
}

bool read(const std::uint8_t *lumaRow, int width, std::uint32_t *milliseconds)
{
    if (width < cellCount * 2)
        return false;
    int level[cellCount];
    for (int cell = 0; cell < cellCount; ++cell) {
        // The middle half of the cell: its edges blur in scaling and compression.
        const int start = cellStart(cell, width);
        const int length = cellStart(cell + 1, width) - start;
        const int from = start + length / 4;
        const int to = std::max(from + 1, start + length - length / 4);
        int sum = 0;
        for (int x = from; x < to; ++x)
            sum += lumaRow[x];
        level[cell] = sum / (to - from);
    }
    if (level[0] - level[1] < 64)
        return false;
    const int threshold = (level[0] + level[1]) / 2;
    std::uint32_t value = 0;
    std::uint32_t check = 0;
    for (int cell = firstValueCell; cell < firstCheckCell; ++cell)
        value = (value << 1) | (level[cell] > threshold ? 1u : 0u);
    for (int cell = firstCheckCell; cell < cellCount; ++cell)
        check = (check << 1) | (level[cell] > threshold ? 1u : 0u);
    if (check != checkOf(value))
        return false;
    *milliseconds = value;
    return true;
}

std::int64_t unwrap(std::uint32_t value, std::int64_t nowMilliseconds)
{
    const std::int64_t period = std::int64_t(1) << valueBits;
    const std::int64_t behind = ((nowMilliseconds - static_cast<std::int64_t>(value & valueMask)) % period + period) % period;
    return nowMilliseconds - behind;
}

} // namespace FrameStamp
