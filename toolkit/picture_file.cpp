#include "toolkit/picture_file.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "toolkit/bmp_format.h"
#include "toolkit/handles.h"
#include "toolkit/runtime_error.h"
#include "toolkit/safe_save.h"

namespace tk {
namespace {

// Larger pictures are refused rather than allocated: a file of this size is far
// beyond anything a window can show.
constexpr std::uint64_t kMaxPixelBytes = 0x40000000;

// The picture's pixels as bottom-up 24-bit rows.
std::vector<std::uint8_t> ReadRows(HBITMAP picture, std::int32_t& width, std::int32_t& height) {
    BITMAP info{};
    if (picture == nullptr || GetObjectA(picture, sizeof info, &info) != sizeof info ||
        info.bmWidth <= 0 || info.bmHeight == 0) {
        throw RuntimeError(kErrInvalidPicture, "Invalid picture");
    }
    width = info.bmWidth;
    height = std::abs(info.bmHeight);
    const std::uint64_t size = std::uint64_t{Bmp24Stride(width)} * std::uint64_t(height);
    if (size > kMaxPixelBytes) {
        throw RuntimeError(kErrInvalidPicture, "Invalid picture: too large to save");
    }

    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;  // positive: bottom row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;

    std::vector<std::uint8_t> rows(static_cast<std::size_t>(size));
    WindowDc screen(nullptr);
    const int lines = GetDIBits(screen.Get(), picture, 0, static_cast<UINT>(height), rows.data(),
                                &format, DIB_RGB_COLORS);
    if (lines != height) {
        throw RuntimeError(kErrInvalidPicture, "Invalid picture: its pixels could not be read");
    }
    return rows;
}

}  // namespace

void SavePictureFile(HBITMAP picture, const std::string& path) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::vector<std::uint8_t> rows = ReadRows(picture, width, height);
    const std::vector<std::uint8_t> file = EncodeBmp24(width, height, rows);
    if (file.empty()) {
        throw RuntimeError(kErrInvalidPicture, "Invalid picture");
    }
    SaveFileSafely(path, file);
}

}  // namespace tk
