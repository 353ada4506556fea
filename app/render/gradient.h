#pragma once
// The gradient painter: a stepped shade ramp from the base colour over a window.
#include <windows.h>

#include <cstdint>

namespace tresk {

// Paints the ramp over the whole window rectangle of `hWnd` (border included),
// then the window's own text. `Active` false (0) paints nothing; `Reserved` is unused.
void PaintGradient(HWND hWnd, std::int16_t Active, std::int32_t Reserved);

// The system's active-caption colour, the default base colour.
COLORREF ActiveCaptionColor() noexcept;

}  // namespace tresk
