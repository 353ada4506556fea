#pragma once
// The percentage box's reading rule. No Windows dependency.
#include <cstdint>
#include <string_view>

namespace tresk {

// The leading number of `text` (tk::Val), rounded half to even, clamped to 0..100.
// A number outside the 16-bit range clamps like any other: 100, or 0 when negative.
std::int16_t PercentFromText(std::string_view text);

}  // namespace tresk
