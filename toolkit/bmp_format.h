#pragma once
// Layout of an uncompressed 24-bit Windows bitmap file. No Windows dependency.
#include <cstdint>
#include <span>
#include <vector>

namespace tk {

// Bytes in one pixel row: 3 per pixel, padded to a multiple of 4.
std::uint32_t Bmp24Stride(std::int32_t width);

// A complete file: BITMAPFILEHEADER (14 bytes), BITMAPINFOHEADER (40 bytes), then
// `rows`: `height` rows of Bmp24Stride(width) bytes each, bottom row first, pixels
// in blue, green, red order (the layout GetDIBits gives for a bottom-up 24-bit DIB).
// Returns an empty vector when the sizes are not positive or `rows` is too short.
std::vector<std::uint8_t> EncodeBmp24(std::int32_t width, std::int32_t height,
                                      std::span<const std::uint8_t> rows);

}  // namespace tk
