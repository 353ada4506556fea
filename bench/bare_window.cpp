// The start-up floor: a plain Win32 program that registers a class and shows one
// top-level window, with no resources, no manifest and no libraries beyond the system's.
// Built a second time with the program's manifest (common controls 6) and
// BARE_WINDOW_CONTROLS, it also creates a push button and a text box: what any program
// with themed controls pays, beside the program.
#include <windows.h>

namespace {

LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "BareWindow";
    if (RegisterClassExA(&wc) == 0) {
        return 1;
    }
    HWND hwnd =
        CreateWindowExA(0, wc.lpszClassName, "Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        return 1;
    }
#ifdef BARE_WINDOW_CONTROLS
    CreateWindowExA(0, "BUTTON", "Button", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 90, 24,
                    hwnd, nullptr, instance, nullptr);
    CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "50", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 40,
                    90, 22, hwnd, nullptr, instance, nullptr);
#endif
    ShowWindow(hwnd, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
