#ifndef HALVORINE_FRAMESTAMP_H
#define HALVORINE_FRAMESTAMP_H

#include <cstdint>

// A frame's capture time as a band of black and white cells across the top of the
// picture, large enough to survive encoding, scaling and a screen read-back:
//
//   cell  0      white (reference)
//   cell  1      black (reference)
//   cells 2-25   the milliseconds of CLOCK_MONOTONIC modulo 2^24, most significant first
//   cells 26-31  check: the four 6-bit groups of the value summed modulo 64, XOR 0x2A
//
// The band is the top eighth of the picture, each cell 1/32 of its width. A read
// taken while the screen is half way from one frame to the next fails the check
// rather than giving a wrong time.
namespace FrameStamp {

constexpr int cellCount = 32;
constexpr int valueBits = 24;
constexpr std::uint32_t valueMask = (1u << valueBits) - 1;
constexpr int bandHeightDivisor = 8;

// Writes the band into an 8-bit luma plane (white 235, black 16, as video levels)
// and, when given, sets the chroma planes under it to grey. Chroma planes are
// subsampled by two both ways (I420).
void write(std::uint8_t *luma, int lumaStride, int width, int height, std::uint32_t milliseconds,
           std::uint8_t *chromaU = nullptr, std::uint8_t *chromaV = nullptr, int chromaStride = 0);

// Reads the value back from one row of luma through the middle of the band, as
// shown (any width, any levels): false when the references lack contrast or the
// check does not hold.
bool read(const std::uint8_t *lumaRow, int width, std::uint32_t *milliseconds);

// The full time that a 24-bit value stands for: the latest time at or before `now`
// whose low 24 bits are `value`.
std::int64_t unwrap(std::uint32_t value, std::int64_t nowMilliseconds);

} // namespace FrameStamp

#endif
