#include "app/render/bands.h"

#include <algorithm>

#include "toolkit/numeric.h"

namespace tresk {

std::int16_t BandMax(std::int16_t percent) {
    // Callers pass 0..100; anything else is held to that range so that the band count
    // stays 1..201 and the product below cannot leave 16 bits.
    const std::int32_t p = std::clamp<std::int32_t>(percent, 0, 100);
    const double bands = tk::RoundHalfEven(static_cast<double>(p * 200) / 100.0);
    return static_cast<std::int16_t>(bands);
}

std::int32_t BandOfLine(std::int32_t bandMax, std::int32_t line, std::int32_t extent,
                        std::int32_t size, bool invert) {
    if (bandMax <= 0 || extent <= 0) {
        return 0;
    }
    // In doubles the difference and the product are exact for every size a window can
    // have (the largest is 200 x 32767), and nothing can wrap for absurd ones.
    const double position = invert ? static_cast<double>(size) - line : static_cast<double>(line);
    const double band = tk::RoundHalfEven(bandMax * position / extent);
    // With Invert, a picture size larger than the window's extent would reach past the
    // darkest band.
    return static_cast<std::int32_t>(std::clamp(band, 0.0, static_cast<double>(bandMax)));
}

std::vector<BandSpan> BandSpans(std::int32_t bandMax, std::int32_t extent, std::int32_t size,
                                bool invert) {
    std::vector<BandSpan> spans;
    for (std::int32_t x = 0; x < extent; ++x) {
        const std::int32_t band = BandOfLine(bandMax, extent - 1 - x, extent, size, invert);
        if (!spans.empty() && spans.back().band == band) {
            ++spans.back().count;
        } else {
            spans.push_back(BandSpan{x, 1, band});
        }
    }
    return spans;
}

}  // namespace tresk
