#pragma once
// The main window's procedure while subclassed: pointer tracking, colour picks on
// the title bar, the border and forwarded presses, and the system commands.
#include <windows.h>

namespace tresk {

// System-menu command of the "About..." item.
inline constexpr UINT kAboutCommand = 2001;

LRESULT CALLBACK TreskWindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace tresk
