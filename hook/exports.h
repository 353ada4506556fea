#pragma once
// The library's exported functions. Each takes and returns 32-bit values with the
// standard call convention; Treskhook.def exports them by their plain names.
#include <windows.h>

#include <cstdint>

extern "C" {

// Sets the target window and marks the library initialised. Always 1.
std::int32_t __stdcall InitMouseHook(HWND window) noexcept;
// Installs (install != 0, result -1) or removes (result 1) the hook of one filter row;
// 0 when not initialised or when the row does not exist.
std::int32_t __stdcall InstallFilter(std::int32_t index, std::int32_t install) noexcept;
std::int32_t __stdcall SetCursorApp(HCURSOR cursor) noexcept;
std::int32_t __stdcall SetCursorSys(HCURSOR cursor) noexcept;
// Makes a copy of the application cursor the desktop arrow (1; 0 when not initialised
// or without an application cursor).
std::int32_t __stdcall RunCursorApp() noexcept;
// Reloads the user's own pointer scheme unless another copy of the program still
// shows its pick cursor (1; 0 when not initialised).
std::int32_t __stdcall StopCursorApp() noexcept;
// Returns its argument: lets the program read a packed point back as signed halves.
std::int32_t __stdcall MOUSEPOINTS(std::int32_t value) noexcept;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) noexcept;
}
