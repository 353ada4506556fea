#include "app/render/colors.h"

#include <algorithm>

namespace tresk {

Color RGBFromBytes(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<Color>(red) | static_cast<Color>(green) << 8 |
           static_cast<Color>(blue) << 16;
}

std::uint8_t RedOf(Color color) {
    return static_cast<std::uint8_t>(color & 0xFF);
}

std::uint8_t GreenOf(Color color) {
    return static_cast<std::uint8_t>((color >> 8) & 0xFF);
}

std::uint8_t BlueOf(Color color) {
    return static_cast<std::uint8_t>((color >> 16) & 0xFF);
}

namespace {

// The difference is taken in full width and stopped at 0 before it becomes a byte again.
std::uint8_t Darken(std::uint8_t channel, std::int32_t band) {
    return static_cast<std::uint8_t>(std::max(std::int32_t{channel} - band, std::int32_t{0}));
}

}  // namespace

Color BandColor(Color base, std::int32_t band) {
    // A negative band would brighten past the base colour; it counts as band 0.
    const std::int32_t steps = std::max(band, std::int32_t{0});
    return RGBFromBytes(Darken(RedOf(base), steps), Darken(GreenOf(base), steps),
                        Darken(BlueOf(base), steps));
}

}  // namespace tresk
