#pragma once
// Number conversions of the toolkit. No Windows dependency.
#include <cstdint>
#include <optional>

namespace tk {

// Nearest integer, halves going to the even neighbour (14.5 -> 14, 15.5 -> 16).
double RoundHalfEven(double value);

// Twips per screen pixel at `dpi` dots per inch: 1440 / dpi rounded half to even, a
// whole number as the screen reports it to programs (120 dpi gives 12, 192 gives 8
// rather than 7.5), and at least 1. Every twips <-> pixels conversion uses this one
// value, so sizes a program divides by it are the sizes its windows really have. A
// resolution the screen does not report (0 or less) counts as 96.
std::int32_t TwipsPerPixelAt(int dpi);

// Pixels of a length in twips: twips / twipsPerPixel rounded half to even. Every
// twips-to-pixels conversion of the toolkit and the program uses this one rule. A
// ratio of 0 gives 0 (the program's record holds 0 until its main window has loaded,
// before which nothing is laid out, painted or saved).
std::int32_t TwipsToPixels(std::int32_t twips, std::int32_t twipsPerPixel);

// The value rounded half-to-even as a 16-bit or 32-bit integer; nullopt when the
// rounded value does not fit or the input is not a finite number.
std::optional<std::int16_t> ToInt16(double value);
std::optional<std::int32_t> ToInt32(double value);

}  // namespace tk
