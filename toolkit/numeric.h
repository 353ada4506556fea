#pragma once
// Number conversions of the toolkit. No Windows dependency.
#include <cstdint>
#include <optional>

namespace tk {

// Nearest integer, halves going to the even neighbour (14.5 -> 14, 15.5 -> 16).
double RoundHalfEven(double value);

// The value rounded half-to-even as a 16-bit or 32-bit integer; nullopt when the
// rounded value does not fit or the input is not a finite number.
std::optional<std::int16_t> ToInt16(double value);
std::optional<std::int32_t> ToInt32(double value);

}  // namespace tk
