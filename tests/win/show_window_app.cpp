// Another program minimising or restoring a window with ShowWindow, as the shell does
// for Show desktop: no system command reaches the window.
// Usage: show_window_app.exe TITLE COMMAND. Shows with COMMAND every visible top-level
// window whose title starts with TITLE; ends with 0 when there was one, else 1.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

int shown = 0;

BOOL CALLBACK ShowMatching(HWND window, LPARAM) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof(title));
    if (IsWindowVisible(window) && std::strncmp(title, __argv[1], std::strlen(__argv[1])) == 0) {
        ShowWindow(window, std::atoi(__argv[2]));
        ++shown;
    }
    return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) {
        return 2;
    }
    EnumWindows(ShowMatching, 0);
    return shown > 0 ? 0 : 1;
}
