#pragma once
// Controls without a window of their own: label and image.
#include <windows.h>

#include <string>

#include "toolkit/control.h"
#include "toolkit/handles.h"

namespace tk {

class Label : public Windowless {
public:
    const std::string& Caption() const noexcept { return caption_; }
    // Rows break at each carriage return (a CR LF pair counts as one break).
    void SetCaption(const std::string& caption);
    COLORREF BackColor() const noexcept { return backColor_; }
    void SetBackColor(COLORREF color);
    void SetForeColor(COLORREF color);
    void SetFont(const FontSpec& font);
    const FontSpec& GetFontSpec() const noexcept { return fontSpec_; }
    void SetUnderline(bool underline);
    // Width follows the caption's text width.
    void SetAutoSize(bool autoSize);

    void Paint(HDC dc) const override;

private:
    void FitToText();
    std::string caption_;
    COLORREF backColor_ = GetSysColor(COLOR_BTNFACE);
    COLORREF foreColor_ = GetSysColor(COLOR_BTNTEXT);
    FontSpec fontSpec_;
    Font font_;
    bool autoSize_ = false;
};

class Image : public Windowless {
public:
    // The image owns the picture; it is drawn at its own size.
    void SetPicture(Bitmap picture);
    HBITMAP Picture() const noexcept { return picture_.Get(); }
    void Paint(HDC dc) const override;

private:
    Bitmap picture_;
};

}  // namespace tk
