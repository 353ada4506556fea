#pragma once
// Keeping a window above all windows that are not top-most.
#include <windows.h>

namespace tresk {

// Puts the window into the desktop's top-most band without moving or resizing it;
// it is also activated. The result of the call is ignored.
void SetTopMost(HWND hWnd);

}  // namespace tresk
