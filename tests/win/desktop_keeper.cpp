// Keeps the test display's Wine desktop in use for a whole test run. Wine closes a
// desktop that no program uses any more, and the next program starts a new desktop
// process that inherits that program's output streams: the test runner then waits
// for that process to end (about 20 s) before it counts the test as finished. This
// program, started with its streams closed, owns a message-only window (nothing on
// the screen, no input, not listed among the top-level windows) and waits until the
// Wine server is stopped.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HWND window = CreateWindowExA(0, "STATIC", "Tresk test desktop keeper", 0, 0, 0, 0, 0,
                                  HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}
