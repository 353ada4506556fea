#include "app/shell/percent_text.h"

#include <cmath>

#include "toolkit/numeric.h"
#include "toolkit/val.h"

namespace tresk {

std::int16_t PercentFromText(std::string_view text) {
    const double value = tk::Val(text);
    if (std::isnan(value)) {
        return 0;
    }
    // Clamping the rounded value directly gives the same result as first narrowing it to
    // 16 bits, and lets numbers beyond that range (9e9, +inf) clamp as well.
    const double rounded = tk::RoundHalfEven(value);
    if (rounded <= 0.0) {
        return 0;
    }
    if (rounded >= 100.0) {
        return 100;
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace tresk
