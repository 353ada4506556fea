#pragma once
// Reading the pointer and one pixel of the screen for a pick.
#include <windows.h>

#include <cstdint>
#include <optional>

namespace tresk {

// The pointer's position in physical screen pixels, or nothing when it cannot be
// read (while another desktop is the input desktop: a UAC prompt, the lock screen).
std::optional<POINT> PointerPosition() noexcept;

// The physical screen point of a point in this thread's own screen coordinates (a
// mouse message's point). On a monitor whose scale differs from the program's, the
// system hands the program coordinates scaled to its own resolution; elsewhere, and
// on systems without per-monitor scaling, both are the same.
POINT PhysicalPoint(POINT logical) noexcept;

// The colour of the screen pixel at a physical screen point, as 0x00BBGGRR, or
// nothing when it cannot be read (off the screen, or another desktop current).
std::optional<COLORREF> ScreenPixel(std::int32_t x, std::int32_t y) noexcept;

}  // namespace tresk
