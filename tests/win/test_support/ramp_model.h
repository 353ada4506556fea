#pragma once
// What the picture area must show, worked out here from what the ramp is and not
// from the painter's own band functions: a ramp that starts at the base colour on its
// start edge (the right column, or the bottom row when Vertical) and darkens every
// channel by one unit per band, bands 0 to 2 x percentage spread evenly over the
// pixel lines. Also reads the pixels of a saved 24-bit bitmap file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "window_utils.h"

namespace tresk::test {

inline std::string Rgb(COLORREF c) {
    std::ostringstream out;
    out << "RGB(" << int{GetRValue(c)} << "," << int{GetGValue(c)} << "," << int{GetBValue(c)}
        << ")";
    return out.str();
}

struct Ramp {
    COLORREF base;  // before a black base is replaced by silver
    int percent;
    bool vertical = false;
    bool invert = false;
    int size = 0;  // the picture size from its properties along the ramp; 0: the extent
};

// Band of pixel line `line` (0 on the start edge) of `extent` lines: the nearest
// whole number to n x P / extent, a half going to the even one, with n = 2 x percent
// and P = line, or size - line with Invert; kept within 0..n. Exact integer sums.
inline int ModelBand(int percent, int line, int extent, int size, bool invert) {
    const std::int64_t n = 2 * percent;
    const std::int64_t num = n * (invert ? size - line : line);
    std::int64_t band = num / extent;
    const std::int64_t twiceRest = 2 * (num % extent);
    if (twiceRest > extent || (twiceRest == extent && band % 2 != 0)) {
        ++band;
    }
    return static_cast<int>(std::clamp<std::int64_t>(band, 0, n));
}

inline COLORREF ModelColour(COLORREF base, int band) {
    if (base == RGB(0, 0, 0)) {
        base = RGB(192, 192, 192);
    }
    const auto down = [band](BYTE c) { return static_cast<BYTE>(std::max(int{c} - band, 0)); };
    return RGB(down(GetRValue(base)), down(GetGValue(base)), down(GetBValue(base)));
}

// The colour of pixel (x, y) of a ramp `width` x `height` pixels, (0, 0) top left.
inline COLORREF ModelPixel(const Ramp& ramp, int x, int y, int width, int height) {
    const int extent = ramp.vertical ? height : width;
    const int line = extent - 1 - (ramp.vertical ? y : x);
    const int size = ramp.size != 0 ? ramp.size : extent;
    return ModelColour(ramp.base, ModelBand(ramp.percent, line, extent, size, ramp.invert));
}

// Every pixel of a picture (a ScreenShot or a BmpPicture) against the model, naming
// the first few that differ.
template <class Picture>
::testing::AssertionResult ShowsRamp(const Picture& picture, const Ramp& ramp) {
    const int width = picture.Width();
    const int height = picture.Height();
    if (width <= 0 || height <= 0) {
        return ::testing::AssertionFailure() << "no pixels (" << width << "x" << height << ")";
    }
    int wrong = 0;
    std::ostringstream report;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF expected = ModelPixel(ramp, x, y, width, height);
            if (picture.At(x, y) != expected && ++wrong <= 5) {
                report << " at (" << x << "," << y << ") expected " << Rgb(expected) << ", seen "
                       << Rgb(picture.At(x, y)) << ";";
            }
        }
    }
    if (wrong == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << wrong << " pixels differ:" << report.str();
}

inline std::uint32_t Le32(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// The pixels of a bottom-up 24-bit bitmap file; empty (0 x 0) when it is not one.
class BmpPicture {
public:
    explicit BmpPicture(std::vector<unsigned char> file) : file_(std::move(file)) {
        if (file_.size() < 54 || file_[0] != 'B' || file_[1] != 'M' || file_[28] != 24) {
            return;
        }
        const auto width = static_cast<std::int32_t>(Le32(file_, 18));
        const auto height = static_cast<std::int32_t>(Le32(file_, 22));
        offset_ = Le32(file_, 10);
        stride_ = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
        if (width > 0 && height > 0 &&
            file_.size() >= offset_ + stride_ * static_cast<std::size_t>(height)) {
            width_ = width;
            height_ = height;
        }
    }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    // (0, 0) is the top-left pixel.
    COLORREF At(int x, int y) const {
        const std::size_t at = offset_ + stride_ * static_cast<std::size_t>(height_ - 1 - y) +
                               static_cast<std::size_t>(x) * 3;
        return RGB(file_[at + 2], file_[at + 1], file_[at]);
    }

private:
    std::vector<unsigned char> file_;
    std::size_t offset_ = 0;
    std::size_t stride_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace tresk::test
