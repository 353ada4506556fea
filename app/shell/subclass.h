#pragma once
// Replacing and restoring the window procedures of the main window and the
// picture area, and the picture area's procedure.
#include <windows.h>

namespace tresk {

// Each installs its procedure once: while the saved previous procedure is not 0,
// a second call does nothing, so a procedure never chains onto itself. Neither
// installs anything once the program is closing.
void SubclassForm(HWND hWnd) noexcept;
void SubclassPicture(HWND hWnd) noexcept;
// Each restores the saved procedure, if any, and in every case destroys the
// procedures' current cursor.
void UnsubclassPicture(HWND hWnd) noexcept;
void UnsubclassForm(HWND hWnd) noexcept;

// The picture area's procedure while subclassed: the pick cursor over the area, and
// a left press takes the colour of the screen pixel under the pointer.
LRESULT CALLBACK PictureWndProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace tresk
