#include "app/shell/caption_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(SizeCaption, WritesTitleAndSize) {
    EXPECT_EQ(tresk::SizeCaption("Tresk Color", 553, 95), "Tresk Color [Size: 553x95]");
    EXPECT_EQ(tresk::SizeCaption("Tresk Color", 0, 0), "Tresk Color [Size: 0x0]");
    EXPECT_EQ(tresk::SizeCaption("", 1, 2), " [Size: 1x2]");
}

TEST(SizeCaption, WritesNegativeAndExtremeSizes) {
    EXPECT_EQ(tresk::SizeCaption("T", -12, 7), "T [Size: -12x7]");
    EXPECT_EQ(tresk::SizeCaption("T", std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()),
              "T [Size: -2147483648x2147483647]");
}

TEST(PickCaption, AddsTheRedGreenAndBlueBytes) {
    EXPECT_EQ(tresk::PickCaption("Tresk Color", 553, 95, 0x00123456),
              "Tresk Color [Size: 553x95; RGB: 86,52,18]");
    EXPECT_EQ(tresk::PickCaption("Tresk Color", 10, 20, 0x00000000),
              "Tresk Color [Size: 10x20; RGB: 0,0,0]");
    EXPECT_EQ(tresk::PickCaption("Tresk Color", 10, 20, 0x00FFFFFF),
              "Tresk Color [Size: 10x20; RGB: 255,255,255]");
    EXPECT_EQ(tresk::PickCaption("X", 1, 1, 0x000A0B0C), "X [Size: 1x1; RGB: 12,11,10]");
}

TEST(PickCaption, IgnoresTheTopByte) {
    EXPECT_EQ(tresk::PickCaption("X", 1, 1, 0xFF010203), "X [Size: 1x1; RGB: 3,2,1]");
}

}  // namespace
