#pragma once
// Band arithmetic of the shade ramp. No Windows dependency.
#include <cstdint>
#include <vector>

namespace tresk {

// Highest band index for a percentage of 0..100: n = 2 x percentage.
std::int16_t BandMax(std::int16_t percent);

// Band of pixel line `line` (0 = start edge) of a ramp with `extent` lines and
// highest band `bandMax`: round-half-even(bandMax * P / extent), where P = line, or
// P = size - line with `invert` (`size` is the picture size from its properties).
// The result is clamped to 0..bandMax. `extent` must be positive.
std::int32_t BandOfLine(std::int32_t bandMax, std::int32_t line, std::int32_t extent,
                        std::int32_t size, bool invert);

// Pixels from .. from + count - 1 across a ramp, counted from its left edge (or its
// top edge when Vertical), all showing band `band`.
struct BandSpan {
    std::int32_t from;
    std::int32_t count;
    std::int32_t band;

    bool operator==(const BandSpan&) const = default;
};

// A ramp of `extent` pixel lines as spans of one band, from the left (or top) edge
// on, each as long as it can be: the painter fills one rectangle per span. Pixel x
// from that edge shows line extent - 1 - x (line 0 is the right column, or the
// bottom row), whose band is BandOfLine. Empty when `extent` is not positive.
std::vector<BandSpan> BandSpans(std::int32_t bandMax, std::int32_t extent, std::int32_t size,
                                bool invert);

}  // namespace tresk
