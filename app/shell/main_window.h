#pragma once
// What the rest of the program may ask of the main window `Tresk`: its handles, the
// ramp's inputs, the writes of a pick and of the pointer tracking, and the export's
// surface. The window's class (tresk_form.h) is the shell's own: nothing outside
// app/shell includes it. Defined in tresk_form.cpp.
#include <windows.h>

#include <cstdint>

namespace tk {
class PictureBox;
}

namespace tresk::mainwindow {

// The main window's handle; null until start-up has created the window.
HWND Handle() noexcept;
// The handle of the picture area `picTresk`.
HWND PictureArea() noexcept;
// The main window's handle, creating the window object first when it does not exist
// yet and loading its window when it is not loaded (the hook's start needs one).
HWND LoadWindow();

// True for the main window and the picture area.
bool MyHWND(HWND lpWnd) noexcept;
// True for the controls of the right-hand column.
bool MyCtrl(HWND lpWnd) noexcept;

// The painter's inputs, read in this order at every call.
struct RampInputs {
    std::int32_t widthPx;  // the picture area's size in pixels
    std::int32_t heightPx;
    bool vertical;  // each check box counts only when checked (1), not when grey
    bool invert;
    COLORREF baseColor;    // `BaseColor`
    std::int16_t percent;  // `Percent`, 0..100
};
// Reading the percentage writes the normalised value back into the percentage box.
RampInputs ReadRampInputs();

// `Mx`, `My` and `RGBColor`: each write rebuilds the caption.
void SetMx(std::int32_t value);
void SetMy(std::int32_t value);
void SetRGBColor(COLORREF value);
// Makes `color` the base colour (the swatch's background).
void SetBaseColor(COLORREF color);

// The picture area's inner (client) size in twips.
SIZE PictureInnerSize() noexcept;
// The hidden picture box `pic`, the export's drawing surface.
tk::PictureBox& HiddenPicture() noexcept;

}  // namespace tresk::mainwindow
