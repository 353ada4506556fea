#include "toolkit/windowless.h"

#include <vector>

#include "toolkit/app.h"

namespace tk {
namespace {

std::vector<std::string> SplitRows(const std::string& text) {
    std::vector<std::string> rows(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            rows.emplace_back();
        } else {
            rows.back().push_back(c);
        }
    }
    return rows;
}

}  // namespace

void Label::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (autoSize_) {
        FitToText();
    }
    Invalidate();
}

void Label::SetBackColor(COLORREF color) {
    backColor_ = color;
    Invalidate();
}

void Label::SetForeColor(COLORREF color) {
    foreColor_ = color;
    Invalidate();
}

void Label::SetFont(const FontSpec& font) {
    fontSpec_ = font;
    font_ = MakeFont(font);
    if (autoSize_) {
        FitToText();
    }
    Invalidate();
}

void Label::SetUnderline(bool underline) {
    if (fontSpec_.underline == underline && font_) {
        return;
    }
    FontSpec font = fontSpec_;
    font.underline = underline;
    SetFont(font);
}

void Label::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_) {
        FitToText();
    }
}

void Label::FitToText() {
    // Measured the way Paint draws each row, so no row is clipped.
    WindowDc screen(nullptr);
    if (screen.Get() == nullptr) {
        return;
    }
    int widest = 0;
    {
        SelectedObject keep(screen.Get(), font_ ? static_cast<HGDIOBJ>(font_.Get())
                                                : GetStockObject(DEFAULT_GUI_FONT));
        for (const std::string& row : SplitRows(caption_)) {
            RECT extent{0, 0, 0, 0};
            DrawTextA(screen.Get(), row.c_str(), static_cast<int>(row.size()), &extent,
                      DT_CALCRECT | DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
            if (extent.right > widest) {
                widest = extent.right;
            }
        }
    }
    width_ = ToTwipsX(widest);
    Invalidate();
}

void Label::Paint(HDC dc) const {
    RECT r = PixelRect();
    Brush back(CreateSolidBrush(backColor_));
    FillRect(dc, &r, back.Get());
    if (caption_.empty()) {
        return;
    }
    SelectedObject keep(
        dc, font_ ? static_cast<HGDIOBJ>(font_.Get()) : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, foreColor_);
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    RECT row = r;
    for (const std::string& text : SplitRows(caption_)) {
        row.bottom = row.top + tm.tmHeight;
        // A label sized to its text is not clipped: glyphs may reach a pixel or two
        // past the advance widths it was measured by.
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &row,
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | (autoSize_ ? DT_NOCLIP : 0u));
        row.top = row.bottom;
        if (row.top >= r.bottom) {
            break;
        }
    }
}

void Image::SetPicture(Bitmap picture) {
    picture_ = std::move(picture);
    Invalidate();
}

void Image::Paint(HDC dc) const {
    if (!picture_) {
        return;
    }
    RECT r = PixelRect();
    BITMAP bm{};
    GetObjectA(picture_.Get(), sizeof(bm), &bm);
    MemoryDc source(CreateCompatibleDC(dc));
    SelectedObject keep(source.Get(), picture_.Get());
    BitBlt(dc, r.left, r.top, bm.bmWidth, bm.bmHeight, source.Get(), 0, 0, SRCCOPY);
}

}  // namespace tk
