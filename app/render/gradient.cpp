#include "app/render/gradient.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/render/bands.h"
#include "app/render/colors.h"
#include "app/shell/main_window.h"
#include "app/shell/shared_state.h"
#include "toolkit/handles.h"

namespace tresk {
namespace {

// Fills each span across the window with the DC's own brush set to the span's
// colour: one rectangle per band, and no brush made or freed.
void FillSpans(HDC dc, const std::vector<BandSpan>& spans, COLORREF base, bool vertical,
               std::int32_t w, std::int32_t h) {
    const HGDIOBJ previous = SelectObject(dc, GetStockObject(DC_BRUSH));
    for (const BandSpan& span : spans) {
        SetDCBrushColor(dc, BandColor(base, span.band));
        if (vertical) {
            PatBlt(dc, 0, span.from, w, span.count, PATCOPY);
        } else {
            PatBlt(dc, span.from, 0, span.count, h, PATCOPY);
        }
    }
    if (previous != nullptr && previous != HGDI_ERROR) {
        SelectObject(dc, previous);
    }
}

// Copies the ramp across the window from a strip of identical pixel rows, a strip
// at a time: the system copies whole rows. Columns filled one by one cost the system
// a call per band on every row, several times slower for tall windows. False when
// the strip could not be made (nothing was drawn).
bool FillColumns(HDC dc, const std::vector<BandSpan>& spans, COLORREF base, std::int32_t w,
                 std::int32_t h) {
    constexpr std::int32_t kStripRows = 32;
    const std::int32_t rows = std::min(h, kStripRows);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -rows;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    tk::Bitmap strip(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    tk::MemoryDc memory(CreateCompatibleDC(dc));
    if (strip.Get() == nullptr || memory.Get() == nullptr || bits == nullptr) {
        return false;
    }
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (const BandSpan& span : spans) {
        const COLORREF c = BandColor(base, span.band);
        const std::uint32_t pixel =
            (std::uint32_t{GetRValue(c)} << 16) | (std::uint32_t{GetGValue(c)} << 8) | GetBValue(c);
        std::fill(pixels + span.from, pixels + span.from + span.count, pixel);
    }
    for (std::int32_t row = 1; row < rows; ++row) {
        std::copy(pixels, pixels + w, pixels + static_cast<std::ptrdiff_t>(row) * w);
    }
    const HGDIOBJ previous = SelectObject(memory.Get(), strip.Get());
    for (std::int32_t top = 0; top < h; top += rows) {
        BitBlt(dc, 0, top, w, std::min(rows, h - top), memory.Get(), 0, 0, SRCCOPY);
    }
    SelectObject(memory.Get(), previous);
    return true;
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
    const mainwindow::RampInputs in = mainwindow::ReadRampInputs();
    s.paintBaseColor = in.baseColor;
    s.bandMax = BandMax(in.percent);
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

    const std::int32_t extent = in.vertical ? h : w;
    const std::int32_t size = in.vertical ? in.heightPx : in.widthPx;
    if (extent <= 0) {
        return;
    }

    tk::WindowDc dc(hWnd, tk::WindowDc::Area::Window);
    s.paintDC = dc.Get();
    const std::vector<BandSpan> spans = BandSpans(n, extent, size, in.invert);
    // The strip's 32-bit colours reach the screen unchanged only on a true-colour
    // display; on others the system may map a bitmap's colour and a solid brush of
    // the same colour differently, and only solid brushes are used there.
    const bool trueColour =
        GetDeviceCaps(s.paintDC, BITSPIXEL) * GetDeviceCaps(s.paintDC, PLANES) >= 24;
    if (in.vertical || !trueColour || !FillColumns(s.paintDC, spans, s.paintBaseColor, w, h)) {
        FillSpans(s.paintDC, spans, s.paintBaseColor, in.vertical, w, h);
    }

    char text[256] = {};
    const int length = GetWindowTextA(hWnd, text, 255);
    s.lastApiResult = length;
    SetTextColor(s.paintDC, s.paintTextColor);
    SetBkMode(s.paintDC, TRANSPARENT);
    RECT textRect{3, 3, w, h};
    DrawTextA(s.paintDC, text, length, &textRect, 0);

    s.lastApiResult = dc.ReleaseNow();
    s.paintDC = nullptr;
}

}  // namespace tresk
