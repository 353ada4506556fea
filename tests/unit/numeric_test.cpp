#include "toolkit/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(tk::RoundHalfEven(0.5), 0.0);
    EXPECT_EQ(tk::RoundHalfEven(1.5), 2.0);
    EXPECT_EQ(tk::RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(tk::RoundHalfEven(14.5), 14.0);
    EXPECT_EQ(tk::RoundHalfEven(15.5), 16.0);
    EXPECT_EQ(tk::RoundHalfEven(99.5), 100.0);
    EXPECT_EQ(tk::RoundHalfEven(-0.5), 0.0);
    EXPECT_EQ(tk::RoundHalfEven(-1.5), -2.0);
    EXPECT_EQ(tk::RoundHalfEven(-2.5), -2.0);
}

TEST(RoundHalfEven, NonHalvesGoToTheNearest) {
    EXPECT_EQ(tk::RoundHalfEven(2.4999999), 2.0);
    EXPECT_EQ(tk::RoundHalfEven(2.5000001), 3.0);
    EXPECT_EQ(tk::RoundHalfEven(-2.5000001), -3.0);
    EXPECT_EQ(tk::RoundHalfEven(-0.2), 0.0);
    EXPECT_EQ(tk::RoundHalfEven(7.0), 7.0);
    // The largest double below one half must not be pushed up by the arithmetic.
    EXPECT_EQ(tk::RoundHalfEven(std::nextafter(0.5, 0.0)), 0.0);
    EXPECT_EQ(tk::RoundHalfEven(std::nextafter(0.5, 1.0)), 1.0);
    // Beyond 2^52 every double is already whole.
    EXPECT_EQ(tk::RoundHalfEven(9007199254740993.0), 9007199254740993.0);
    EXPECT_EQ(tk::RoundHalfEven(4503599627370497.0), 4503599627370497.0);
}

TEST(RoundHalfEven, PassesNonFiniteValuesThrough) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(tk::RoundHalfEven(inf), inf);
    EXPECT_EQ(tk::RoundHalfEven(-inf), -inf);
    EXPECT_TRUE(std::isnan(tk::RoundHalfEven(std::nan(""))));
}

TEST(TwipsPerPixelAt, RoundsTheScreenRatioToAWholeNumber) {
    // Whole ratios as they are.
    EXPECT_EQ(tk::TwipsPerPixelAt(96), 15);
    EXPECT_EQ(tk::TwipsPerPixelAt(120), 12);
    EXPECT_EQ(tk::TwipsPerPixelAt(144), 10);
    EXPECT_EQ(tk::TwipsPerPixelAt(1440), 1);
    // Others to the nearest, halves to the even neighbour.
    EXPECT_EQ(tk::TwipsPerPixelAt(100), 14);  // 14.4
    EXPECT_EQ(tk::TwipsPerPixelAt(168), 9);   // 8.57
    EXPECT_EQ(tk::TwipsPerPixelAt(192), 8);   // 7.5
    EXPECT_EQ(tk::TwipsPerPixelAt(288), 5);
    EXPECT_EQ(tk::TwipsPerPixelAt(576), 2);  // 2.5
    EXPECT_EQ(tk::TwipsPerPixelAt(960), 2);  // 1.5
    // Never 0, which every conversion would divide by.
    EXPECT_EQ(tk::TwipsPerPixelAt(2880), 1);  // 0.5
    EXPECT_EQ(tk::TwipsPerPixelAt(100000), 1);
    // No resolution reported: the standard screen.
    EXPECT_EQ(tk::TwipsPerPixelAt(0), 15);
    EXPECT_EQ(tk::TwipsPerPixelAt(-96), 15);
}

TEST(TwipsToPixels, DividesAndRoundsHalvesToEvenWithNothingForNoRatio) {
    EXPECT_EQ(tk::TwipsToPixels(8295, 15), 553);
    EXPECT_EQ(tk::TwipsToPixels(1185, 12), 99);  // 98.75
    EXPECT_EQ(tk::TwipsToPixels(5, 2), 2);
    EXPECT_EQ(tk::TwipsToPixels(7, 2), 4);
    EXPECT_EQ(tk::TwipsToPixels(-5, 2), -2);
    EXPECT_EQ(tk::TwipsToPixels(8295, 0), 0);
}

TEST(ToInt16, RoundsThenChecksTheRange) {
    EXPECT_EQ(tk::ToInt16(2.5), 2);
    EXPECT_EQ(tk::ToInt16(3.5), 4);
    EXPECT_EQ(tk::ToInt16(-2.5), -2);
    EXPECT_EQ(tk::ToInt16(32767.0), 32767);
    EXPECT_EQ(tk::ToInt16(32767.4), 32767);
    EXPECT_EQ(tk::ToInt16(32766.5), 32766);
    EXPECT_EQ(tk::ToInt16(32767.5), std::nullopt);  // rounds to 32768
    EXPECT_EQ(tk::ToInt16(32768.0), std::nullopt);
    EXPECT_EQ(tk::ToInt16(-32768.0), -32768);
    EXPECT_EQ(tk::ToInt16(-32768.5), -32768);  // rounds to the even -32768
    EXPECT_EQ(tk::ToInt16(-32768.6), std::nullopt);
    EXPECT_EQ(tk::ToInt16(-32769.5), std::nullopt);
    EXPECT_EQ(tk::ToInt16(9e9), std::nullopt);
}

TEST(ToInt32, RoundsThenChecksTheRange) {
    EXPECT_EQ(tk::ToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(tk::ToInt32(2147483646.5), 2147483646);
    EXPECT_EQ(tk::ToInt32(2147483647.5), std::nullopt);  // rounds to 2^31
    EXPECT_EQ(tk::ToInt32(-2147483648.0), -2147483647 - 1);
    EXPECT_EQ(tk::ToInt32(-2147483648.5), -2147483647 - 1);
    EXPECT_EQ(tk::ToInt32(-2147483649.5), std::nullopt);
    EXPECT_EQ(tk::ToInt32(40000.5), 40000);
    EXPECT_EQ(tk::ToInt32(1e300), std::nullopt);
}

TEST(ToInteger, RefusesNonFiniteValues) {
    const double inf = std::numeric_limits<double>::infinity();
    for (const double value : {inf, -inf, std::nan("")}) {
        EXPECT_EQ(tk::ToInt16(value), std::nullopt) << value;
        EXPECT_EQ(tk::ToInt32(value), std::nullopt) << value;
    }
}

}  // namespace
