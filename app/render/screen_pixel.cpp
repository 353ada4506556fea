#include "app/render/screen_pixel.h"

#include "app/shell/shared_state.h"

namespace tresk {

COLORREF ScreenPixel(std::int32_t x, std::int32_t y) noexcept {
    HDC screen = GetDC(nullptr);
    COLORREF pixel = GetPixel(screen, x, y);
    Shared().lastApiResult = ReleaseDC(nullptr, screen);
    return pixel & 0xFFFFFF;
}

}  // namespace tresk
