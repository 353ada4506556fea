#include "app/render/gradient.h"

#include <vector>

#include "app/render/bands.h"
#include "app/render/colors.h"
#include "app/shell/shared_state.h"
#include "app/shell/tresk_form.h"
#include "toolkit/handles.h"
#include "toolkit/numeric.h"

namespace tresk {
namespace {

std::int32_t PixelsOf(std::int32_t twips, std::int32_t twipsPerPixel) {
    if (twipsPerPixel == 0) {
        return 0;
    }
    return static_cast<std::int32_t>(
        tk::RoundHalfEven(static_cast<double>(twips) / static_cast<double>(twipsPerPixel)));
}

}  // namespace

COLORREF ActiveCaptionColor() noexcept {
    return GetSysColor(COLOR_ACTIVECAPTION);
}

void PaintGradient(HWND hWnd, std::int16_t Active, std::int32_t /*Reserved*/) {
    if (Active == 0) {
        return;
    }
    SharedState& s = Shared();
    TreskForm& form = *s.mainForm;

    // Inputs, read in this order at every call.
    const std::int32_t sw = PixelsOf(form.picTresk.Width(), s.twipsPerPixelX);
    const std::int32_t sh = PixelsOf(form.picTresk.Height(), s.twipsPerPixelY);
    const bool vertical = form.chkVertical.Value() == 1;
    const bool invert = form.chkInvert.Value() == 1;
    s.paintBaseColor = form.BaseColor();
    const std::int16_t percent = form.Percent();

    s.bandMax = BandMax(percent);
    const std::int32_t n = s.bandMax;
    s.paintTextColor = RGB(255, 255, 255);
    // A black base colour paints as a ramp that starts at silver.
    if (s.paintBaseColor == RGB(0, 0, 0)) {
        s.paintBaseColor = RGB(192, 192, 192);
    }
    RECT window{};
    GetWindowRect(hWnd, &window);
    const std::int32_t w = window.right - window.left;
    const std::int32_t h = window.bottom - window.top;
    s.paintRect = RECT{0, 0, w, h};

    const std::int32_t extent = vertical ? h : w;
    const std::int32_t size = vertical ? sh : sw;
    if (extent <= 0) {
        return;
    }

    tk::WindowDc dc(hWnd, tk::WindowDc::Area::Window);
    s.paintDC = dc.Get();
    // All brushes are made before the first line and freed after the last; the
    // brush that was selected before is put back first.
    std::vector<tk::Brush> brushes;
    brushes.reserve(static_cast<std::size_t>(n) + 1);
    HGDIOBJ previous = nullptr;
    for (std::int32_t i = 0; i <= n; ++i) {
        brushes.emplace_back(CreateSolidBrush(BandColor(s.paintBaseColor, i)));
        HGDIOBJ before = SelectObject(s.paintDC, brushes.back().Get());
        if (i == 0) {
            previous = before;
        }
    }

    for (std::int32_t d = 0; d < extent; ++d) {
        RECT line = vertical ? RECT{0, extent - 1 - d, w, extent - d}
                             : RECT{extent - 1 - d, 0, extent - d, h};
        const std::int32_t band = BandOfLine(n, d, extent, size, invert);
        FillRect(s.paintDC, &line, brushes[static_cast<std::size_t>(band)].Get());
    }

    char text[256] = {};
    const int length = GetWindowTextA(hWnd, text, 255);
    s.lastApiResult = length;
    SetTextColor(s.paintDC, s.paintTextColor);
    SetBkMode(s.paintDC, TRANSPARENT);
    RECT textRect{3, 3, w, h};
    DrawTextA(s.paintDC, text, length, &textRect, 0);

    if (previous != nullptr && previous != HGDI_ERROR) {
        SelectObject(s.paintDC, previous);
    }
    brushes.clear();
    s.lastApiResult = dc.ReleaseNow();
    s.paintDC = nullptr;
}

}  // namespace tresk
