#include "toolkit/bmp_format.h"

#include <cstddef>
#include <limits>
#include <new>

namespace tk {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize;
// 96 dots per inch, the desktop's usual resolution.
constexpr std::int32_t kPixelsPerMetre = 3780;

// Stride in 64 bits, so that widths near the 32-bit limit cannot wrap.
std::uint64_t WideStride(std::int32_t width) {
    if (width <= 0) {
        return 0;
    }
    return (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
}

// The file format is little-endian whatever the machine is.
void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

void PutSigned32(std::vector<std::uint8_t>& out, std::int32_t value) {
    Put32(out, static_cast<std::uint32_t>(value));
}

}  // namespace

std::uint32_t Bmp24Stride(std::int32_t width) {
    const std::uint64_t stride = WideStride(width);
    // 0 for a width whose row would not fit the format's 32-bit sizes.
    return stride <= std::numeric_limits<std::uint32_t>::max() ? static_cast<std::uint32_t>(stride)
                                                               : 0;
}

std::vector<std::uint8_t> EncodeBmp24(std::int32_t width, std::int32_t height,
                                      std::span<const std::uint8_t> rows) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    const std::uint64_t stride = WideStride(width);
    const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(height);
    const std::uint64_t fileSize = imageSize + kPixelOffset;
    // Both sizes are 32-bit fields of the headers, and the whole file must fit in memory.
    if (fileSize > std::numeric_limits<std::uint32_t>::max() ||
        fileSize > std::numeric_limits<std::size_t>::max() || rows.size() < imageSize) {
        return {};
    }

    std::vector<std::uint8_t> file;
    if (fileSize > file.max_size()) {
        return {};
    }
    try {
        file.reserve(static_cast<std::size_t>(fileSize));
    } catch (const std::bad_alloc&) {
        return {};
    }

    // BITMAPFILEHEADER
    file.push_back('B');
    file.push_back('M');
    Put32(file, static_cast<std::uint32_t>(fileSize));
    Put16(file, 0);
    Put16(file, 0);
    Put32(file, kPixelOffset);

    // BITMAPINFOHEADER: a positive height means the rows are stored bottom-up.
    Put32(file, kInfoHeaderSize);
    PutSigned32(file, width);
    PutSigned32(file, height);
    Put16(file, 1);   // planes
    Put16(file, 24);  // bits per pixel
    Put32(file, 0);   // BI_RGB, uncompressed
    Put32(file, static_cast<std::uint32_t>(imageSize));
    PutSigned32(file, kPixelsPerMetre);
    PutSigned32(file, kPixelsPerMetre);
    Put32(file, 0);  // colours used: none, no palette
    Put32(file, 0);  // important colours

    // The padding at the end of each row is written as zeros, whatever the caller had there.
    const std::size_t rowStride = static_cast<std::size_t>(stride);
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
    for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
        const auto source = rows.subspan(row * rowStride, pixelBytes);
        file.insert(file.end(), source.begin(), source.end());
        file.insert(file.end(), rowStride - pixelBytes, std::uint8_t{0});
    }
    return file;
}

}  // namespace tk
