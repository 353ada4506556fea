#include "app/render/colors.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using tresk::Color;

TEST(Colors, LayoutIsRedInTheLowByte) {
    EXPECT_EQ(tresk::RGBFromBytes(0x56, 0x34, 0x12), 0x00123456u);
    EXPECT_EQ(tresk::RGBFromBytes(255, 0, 0), 0x000000FFu);
    EXPECT_EQ(tresk::RGBFromBytes(0, 255, 0), 0x0000FF00u);
    EXPECT_EQ(tresk::RGBFromBytes(0, 0, 255), 0x00FF0000u);
    EXPECT_EQ(tresk::RedOf(0x00123456), 0x56);
    EXPECT_EQ(tresk::GreenOf(0x00123456), 0x34);
    EXPECT_EQ(tresk::BlueOf(0x00123456), 0x12);
    EXPECT_EQ(tresk::BlueOf(0xFF123456), 0x12);  // the top byte is not blue
}

TEST(Colors, BuildingAndSplittingAreInverses) {
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 17) {
            for (int b = 0; b < 256; b += 5) {
                const auto red = static_cast<std::uint8_t>(r);
                const auto green = static_cast<std::uint8_t>(g);
                const auto blue = static_cast<std::uint8_t>(b);
                const Color color = tresk::RGBFromBytes(red, green, blue);
                ASSERT_EQ(color & 0xFF000000u, 0u);
                ASSERT_EQ(tresk::RedOf(color), red);
                ASSERT_EQ(tresk::GreenOf(color), green);
                ASSERT_EQ(tresk::BlueOf(color), blue);
                ASSERT_EQ(tresk::RGBFromBytes(tresk::RedOf(color), tresk::GreenOf(color),
                                              tresk::BlueOf(color)),
                          color);
            }
        }
    }
}

TEST(BandColor, DarkensEachChannelAndStopsAtZero) {
    const Color base = tresk::RGBFromBytes(100, 150, 250);
    EXPECT_EQ(tresk::BandColor(base, 0), base);
    EXPECT_EQ(tresk::BandColor(base, 1), tresk::RGBFromBytes(99, 149, 249));
    EXPECT_EQ(tresk::BandColor(base, 99), tresk::RGBFromBytes(1, 51, 151));
    EXPECT_EQ(tresk::BandColor(base, 100), tresk::RGBFromBytes(0, 50, 150));
    EXPECT_EQ(tresk::BandColor(base, 101), tresk::RGBFromBytes(0, 49, 149));
    EXPECT_EQ(tresk::BandColor(base, 200), tresk::RGBFromBytes(0, 0, 50));
    EXPECT_EQ(tresk::BandColor(tresk::RGBFromBytes(192, 192, 192), 200),
              tresk::RGBFromBytes(0, 0, 0));
}

TEST(BandColor, OddBandsAreHarmless) {
    const Color base = tresk::RGBFromBytes(10, 20, 30);
    EXPECT_EQ(tresk::BandColor(base, -5), base);
    EXPECT_EQ(tresk::BandColor(base, std::numeric_limits<std::int32_t>::min()), base);
    EXPECT_EQ(tresk::BandColor(base, std::numeric_limits<std::int32_t>::max()), 0u);
    EXPECT_EQ(tresk::BandColor(0xFF1E140A, 0), base);  // result is always 0x00BBGGRR
}

}  // namespace
