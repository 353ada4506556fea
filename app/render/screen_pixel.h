#pragma once
// Reading one pixel of the screen.
#include <windows.h>

#include <cstdint>

namespace tresk {

// The colour of the screen pixel at a screen point, as 0x00BBGGRR. A point off the
// screen reads as white.
COLORREF ScreenPixel(std::int32_t x, std::int32_t y) noexcept;

}  // namespace tresk
