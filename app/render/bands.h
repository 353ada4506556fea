#pragma once
// Band arithmetic of the shade ramp. No Windows dependency.
#include <cstdint>

namespace tresk {

// Highest band index for a percentage of 0..100: n = 2 x percentage.
std::int16_t BandMax(std::int16_t percent);

// Band of pixel line `line` (0 = start edge) of a ramp with `extent` lines and
// highest band `bandMax`: round-half-even(bandMax * P / extent), where P = line, or
// P = size - line with `invert` (`size` is the picture size from its properties).
// The result is clamped to 0..bandMax. `extent` must be positive.
std::int32_t BandOfLine(std::int32_t bandMax, std::int32_t line, std::int32_t extent,
                        std::int32_t size, bool invert);

}  // namespace tresk
