#include "app/render/bands.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tresk::BandOfLine;

TEST(BandMax, IsTwiceThePercentage) {
    for (std::int16_t p = 0; p <= 100; ++p) {
        EXPECT_EQ(tresk::BandMax(p), 2 * p) << p;
    }
}

TEST(BandMax, HoldsOddPercentagesToTheRange) {
    EXPECT_EQ(tresk::BandMax(-1), 0);
    EXPECT_EQ(tresk::BandMax(-32768), 0);
    EXPECT_EQ(tresk::BandMax(101), 200);
    EXPECT_EQ(tresk::BandMax(32767), 200);
}

TEST(BandOfLine, WorkedExample) {
    // 200 pixels wide, 50 percent, no Invert.
    const std::vector<std::int32_t> expected = {0, 0, 1, 2, 2, 2, 3};
    for (std::int32_t d = 0; d < static_cast<std::int32_t>(expected.size()); ++d) {
        EXPECT_EQ(BandOfLine(100, d, 200, 200, false), expected[static_cast<std::size_t>(d)]) << d;
    }
    EXPECT_EQ(BandOfLine(100, 198, 200, 200, false), 99);
    EXPECT_EQ(BandOfLine(100, 199, 200, 200, false), 100);  // 99.5 goes to the even 100
}

TEST(BandOfLine, InvertStartsAtTheDarkestBand) {
    EXPECT_EQ(BandOfLine(100, 0, 200, 200, true), 100);
    EXPECT_EQ(BandOfLine(100, 1, 200, 200, true), 100);  // 99.5
    EXPECT_EQ(BandOfLine(100, 2, 200, 200, true), 99);
    EXPECT_EQ(BandOfLine(100, 199, 200, 200, true), 0);  // 0.5
    // Every line with Invert mirrors the line without it.
    for (std::int32_t d = 0; d < 200; ++d) {
        EXPECT_EQ(BandOfLine(100, d, 200, 200, true), BandOfLine(100, 200 - d, 200, 200, false));
    }
}

TEST(BandOfLine, ClampsWhenSizeAndExtentDisagree) {
    // A picture size larger than the extent would reach beyond the darkest band.
    EXPECT_EQ(BandOfLine(100, 0, 200, 260, true), 100);
    EXPECT_EQ(BandOfLine(100, 10, 200, 260, true), 100);
    // A smaller one (or a line beyond it) would reach below band 0.
    EXPECT_EQ(BandOfLine(100, 199, 200, 150, true), 0);
    EXPECT_EQ(BandOfLine(100, 250, 200, 200, false), 100);
    EXPECT_EQ(BandOfLine(100, -3, 200, 200, false), 0);
}

TEST(BandOfLine, SingleBandAndEmptyExtent) {
    for (std::int32_t d = 0; d < 50; ++d) {
        EXPECT_EQ(BandOfLine(0, d, 50, 50, false), 0);
        EXPECT_EQ(BandOfLine(0, d, 50, 50, true), 0);
    }
    EXPECT_EQ(BandOfLine(100, 0, 0, 0, false), 0);
    EXPECT_EQ(BandOfLine(100, 0, 0, 0, true), 0);
    EXPECT_EQ(BandOfLine(100, 5, -10, 0, false), 0);
}

TEST(BandOfLine, LargestWindowStaysInRange) {
    const std::int32_t extent = 32767;
    std::int32_t previous = 0;
    for (std::int32_t d = 0; d < extent; ++d) {
        const std::int32_t band = BandOfLine(200, d, extent, extent, false);
        ASSERT_GE(band, previous) << d;  // never lightens along the ramp
        ASSERT_LE(band, 200) << d;
        previous = band;
        const std::int32_t inverted = BandOfLine(200, d, extent, extent, true);
        ASSERT_GE(inverted, 0) << d;
        ASSERT_LE(inverted, 200) << d;
    }
    EXPECT_EQ(BandOfLine(200, extent - 1, extent, extent, false), 200);  // 199.99...
    EXPECT_EQ(BandOfLine(200, 0, extent, extent, true), 200);
}

TEST(BandOfLine, AbsurdArgumentsDoNotOverflow) {
    constexpr std::int32_t kMax = 2147483647;
    constexpr std::int32_t kMin = -kMax - 1;
    EXPECT_EQ(BandOfLine(kMax, kMax, 1, kMin, false), kMax);
    EXPECT_EQ(BandOfLine(kMax, kMax, 1, kMin, true), 0);
    EXPECT_EQ(BandOfLine(kMax, kMin, 1, kMax, true), kMax);
}

}  // namespace
