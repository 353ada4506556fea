// The floor of the benchmarks: a plain Win32 program that registers a class and shows
// one top-level window, with no resources, no manifest and no libraries beyond the
// system's; every message goes to DefWindowProc and the class cursor is the arrow.
// - Without arguments it is the start-up floor. Built a second time with the program's
//   manifest (common controls 6) and BARE_WINDOW_CONTROLS, it also creates a push
//   button and a text box: what any program with themed controls pays, beside the
//   program.
// - With "X Y WIDTH HEIGHT" it is the floor for pointer moves: a top-most window whose
//   client area covers that screen rectangle.
#include <windows.h>

#include <cstdlib>

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
    const DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    RECT frame{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT + 400, CW_USEDEFAULT + 300};
    if (__argc == 5) {
        frame.left = std::atoi(__argv[1]);
        frame.top = std::atoi(__argv[2]);
        frame.right = frame.left + std::atoi(__argv[3]);
        frame.bottom = frame.top + std::atoi(__argv[4]);
        exStyle = WS_EX_TOPMOST;
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    HWND hwnd = CreateWindowExA(exStyle, wc.lpszClassName, "Bare window", style, frame.left,
                                frame.top, frame.right - frame.left, frame.bottom - frame.top,
                                nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        return 1;
    }
#ifdef BARE_WINDOW_CONTROLS
    CreateWindowExA(0, "BUTTON", "Button", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 90, 24,
                    hwnd, nullptr, instance, nullptr);
    CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "50", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 40,
                    90, 22, hwnd, nullptr, instance, nullptr);
#endif
    ShowWindow(hwnd, __argc == 5 ? SW_SHOWNORMAL : show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
