#pragma once
// The colour pick and the pointer tracking of the two window procedures: what a
// press or a move writes to the main window.
#include <windows.h>

namespace tresk {

// A pointer position in both of its forms.
struct PointerPoint {
    POINT screen;
    POINT client;  // in the main window's client area
};

// Writes the pointer's position (GetCursorPos) to `Mx` and `My`; nothing when it
// cannot be read (another desktop current).
void TrackPointer();
// Writes the position of a main-window WM_MOUSEMOVE, the system's own or a hook's
// copy, to `Mx` and `My` and returns it.
PointerPoint TrackPointerAt(HWND hWnd, UINT Msg, LPARAM lParam);

// Each pick reads the screen pixel at the press and writes the press's position to
// `Mx` and `My` and the pixel to `RGBColor`; a press whose position or pixel cannot be
// read changes nothing.
//
// A press on the picture area: the pointer's own position (so the hook's copies and
// the system's presses pick alike); the pixel always becomes the base colour.
void PickUnderPointer();
// A press on the main window's title bar or border: the screen point of `lParam`,
// read through the library's MOUSEPOINTS; the pixel always becomes the base colour.
void PickAtNonClientPress(LPARAM lParam);
// A press in the main window's client area: the system's own, or a hook's copy of a
// press on another window. The pixel becomes the base colour unless the point, as a
// client point of the main window, lies on a control of the right-hand column.
void PickAtClientPress(HWND hWnd, UINT Msg, LPARAM lParam);

}  // namespace tresk
