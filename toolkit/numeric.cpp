#include "toolkit/numeric.h"

#include <cmath>
#include <limits>

namespace tk {

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    // Independent of the floating-point rounding mode: value - floor(value) is exact.
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5) {
        return lower;
    }
    if (fraction > 0.5) {
        return lower + 1.0;
    }
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::int32_t TwipsPerPixelAt(int dpi) {
    constexpr int kStandardDpi = 96;
    const double exact = 1440.0 / (dpi > 0 ? dpi : kStandardDpi);
    const auto rounded = static_cast<std::int32_t>(RoundHalfEven(exact));
    return rounded > 0 ? rounded : 1;
}

std::int32_t TwipsToPixels(std::int32_t twips, std::int32_t twipsPerPixel) {
    if (twipsPerPixel == 0) {
        return 0;
    }
    return static_cast<std::int32_t>(
        RoundHalfEven(static_cast<double>(twips) / static_cast<double>(twipsPerPixel)));
}

namespace {

template <typename Int>
std::optional<Int> ToInteger(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = RoundHalfEven(value);
    // Both limits are exactly representable as doubles for 16-bit and 32-bit types.
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

}  // namespace

std::optional<std::int16_t> ToInt16(double value) {
    return ToInteger<std::int16_t>(value);
}

std::optional<std::int32_t> ToInt32(double value) {
    return ToInteger<std::int32_t>(value);
}

}  // namespace tk
