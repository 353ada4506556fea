// Another program minimising or restoring a window, as the shell does for Show
// desktop and Win+M: ShowWindow from outside the window's process, no system command.
//
// Usage: show_window_app.exe TITLE COMMAND
// Calls ShowWindow(window, COMMAND) on every visible top-level window whose title
// starts with TITLE. Ends with 0 when it found one, 1 when none.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

const char* titleStart = nullptr;
int command = SW_SHOW;
int shown = 0;

BOOL CALLBACK ShowMatching(HWND window, LPARAM) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof(title));
    if (IsWindowVisible(window) && std::strncmp(title, titleStart, std::strlen(titleStart)) == 0) {
        ShowWindow(window, command);
        ++shown;
    }
    return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) {
        return 2;
    }
    titleStart = __argv[1];
    command = std::atoi(__argv[2]);
    EnumWindows(ShowMatching, 0);
    return shown > 0 ? 0 : 1;
}
