#pragma once
// Colour values laid out as 0x00BBGGRR (red in the low byte). No Windows dependency.
#include <cstdint>

namespace tresk {

using Color = std::uint32_t;

Color RGBFromBytes(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
std::uint8_t RedOf(Color color);
std::uint8_t GreenOf(Color color);
std::uint8_t BlueOf(Color color);

// Band `band` of a ramp from `base`: each channel `band` units darker, stopping at 0.
Color BandColor(Color base, std::int32_t band);

}  // namespace tresk
