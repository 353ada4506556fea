#include "toolkit/bmp_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes.at(at)) |
           static_cast<std::uint32_t>(bytes.at(at + 1)) << 8 |
           static_cast<std::uint32_t>(bytes.at(at + 2)) << 16 |
           static_cast<std::uint32_t>(bytes.at(at + 3)) << 24;
}

std::uint16_t Read16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}

TEST(Bmp24Stride, PadsRowsToFourBytes) {
    EXPECT_EQ(tk::Bmp24Stride(1), 4u);
    EXPECT_EQ(tk::Bmp24Stride(2), 8u);
    EXPECT_EQ(tk::Bmp24Stride(3), 12u);
    EXPECT_EQ(tk::Bmp24Stride(4), 12u);
    EXPECT_EQ(tk::Bmp24Stride(5), 16u);
    EXPECT_EQ(tk::Bmp24Stride(553), 1660u);
}

TEST(Bmp24Stride, IsZeroForWidthsWithoutARow) {
    EXPECT_EQ(tk::Bmp24Stride(0), 0u);
    EXPECT_EQ(tk::Bmp24Stride(-4), 0u);
    EXPECT_EQ(tk::Bmp24Stride(std::numeric_limits<std::int32_t>::min()), 0u);
    // 3 bytes per pixel would not fit the 32-bit size fields.
    EXPECT_EQ(tk::Bmp24Stride(std::numeric_limits<std::int32_t>::max()), 0u);
    EXPECT_EQ(tk::Bmp24Stride(1431655764), 4294967292u);  // the widest that fits
    EXPECT_EQ(tk::Bmp24Stride(1431655765), 0u);
}

TEST(EncodeBmp24, WritesBothHeaders) {
    const std::vector<std::uint8_t> rows(tk::Bmp24Stride(3) * 2, 0x7F);
    const auto file = tk::EncodeBmp24(3, 2, rows);
    ASSERT_EQ(file.size(), 54u + 24u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Read32(file, 2), 78u);  // file size
    EXPECT_EQ(Read32(file, 6), 0u);   // reserved
    EXPECT_EQ(Read32(file, 10), 54u);
    EXPECT_EQ(Read32(file, 14), 40u);
    EXPECT_EQ(Read32(file, 18), 3u);
    EXPECT_EQ(Read32(file, 22), 2u);  // positive: bottom-up
    EXPECT_EQ(Read16(file, 26), 1u);
    EXPECT_EQ(Read16(file, 28), 24u);
    EXPECT_EQ(Read32(file, 30), 0u);  // BI_RGB
    EXPECT_EQ(Read32(file, 34), 24u);
    EXPECT_EQ(Read32(file, 38), 3780u);
    EXPECT_EQ(Read32(file, 42), 3780u);
    EXPECT_EQ(Read32(file, 46), 0u);
    EXPECT_EQ(Read32(file, 50), 0u);
}

TEST(EncodeBmp24, HeaderFieldsAreLittleEndian) {
    const std::int32_t width = 300;  // 0x012C
    const std::vector<std::uint8_t> rows(tk::Bmp24Stride(width) * 1);
    const auto file = tk::EncodeBmp24(width, 1, rows);
    ASSERT_EQ(file.size(), 54u + 900u);
    EXPECT_EQ(file[18], 0x2C);
    EXPECT_EQ(file[19], 0x01);
    EXPECT_EQ(file[2], (54 + 900) & 0xFF);
    EXPECT_EQ(file[3], (54 + 900) >> 8);
}

TEST(EncodeBmp24, CopiesThePixelRowsAndZeroesThePadding) {
    // 2 x 2: bottom row blue, red; top row green, white (bytes in blue, green, red order).
    const std::vector<std::uint8_t> rows = {
        0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xAA, 0xBB,  // bottom row + 2 padding bytes
        0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xCC, 0xDD,  // top row + 2 padding bytes
    };
    const auto file = tk::EncodeBmp24(2, 2, rows);
    ASSERT_EQ(file.size(), 54u + 16u);
    const std::vector<std::uint8_t> pixels(file.begin() + 54, file.end());
    const std::vector<std::uint8_t> expected = {
        0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00,
        0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
    };
    EXPECT_EQ(pixels, expected);
}

TEST(EncodeBmp24, RefusesBadSizes) {
    const std::vector<std::uint8_t> rows(64, 0);
    EXPECT_TRUE(tk::EncodeBmp24(0, 1, rows).empty());
    EXPECT_TRUE(tk::EncodeBmp24(1, 0, rows).empty());
    EXPECT_TRUE(tk::EncodeBmp24(-1, 2, rows).empty());
    EXPECT_TRUE(tk::EncodeBmp24(2, -1, rows).empty());
    // Rows one byte short of 3 x 2 pixels (stride 12).
    EXPECT_TRUE(tk::EncodeBmp24(3, 2, std::span(rows).first(23)).empty());
    EXPECT_FALSE(tk::EncodeBmp24(3, 2, std::span(rows).first(24)).empty());
    // Sizes whose image would overflow the 32-bit fields must not wrap into a small one.
    EXPECT_TRUE(tk::EncodeBmp24(65536, 65536, rows).empty());
    EXPECT_TRUE(tk::EncodeBmp24(std::numeric_limits<std::int32_t>::max(),
                                std::numeric_limits<std::int32_t>::max(), rows)
                    .empty());
    // A single row whose stride fits, but not with the 54 header bytes added.
    EXPECT_TRUE(tk::EncodeBmp24(1431655764, 1, rows).empty());
}

}  // namespace
