// A program that has nothing to do with Tresk Color: one window with one button. The
// hook tests and the acceptance roads run it beside an installed hook.
#include <windows.h>

namespace {

constexpr char kWindowClass[] = "TreskBystanderWindow";

LRESULT CALLBACK BystanderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BystanderProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (RegisterClassA(&wc) == 0) {
        return -1;
    }
    HWND window =
        CreateWindowExA(WS_EX_TOPMOST, kWindowClass, "Bystander", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        600, 400, 320, 200, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return -1;
    }
    CreateWindowExA(0, "BUTTON", "Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 60, 40, 160, 60,
                    window, nullptr, instance, nullptr);
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            return -1;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
