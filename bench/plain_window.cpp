// The floor for pointer moves: a program with one plain top-most window and nothing
// else, whose client area covers a given screen rectangle. Every message goes to
// DefWindowProc; the class cursor is the system arrow.
// Usage: plain_window X Y WIDTH HEIGHT (the client area in screen pixels).
#include <windows.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        return 2;
    }
    RECT area{std::atoi(argv[1]), std::atoi(argv[2]), 0, 0};
    area.right = area.left + std::atoi(argv[3]);
    area.bottom = area.top + std::atoi(argv[4]);

    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "PlainWindow";
    if (RegisterClassA(&wc) == 0) {
        return 1;
    }
    const DWORD style = WS_OVERLAPPEDWINDOW;
    const DWORD exStyle = WS_EX_TOPMOST;
    RECT frame = area;
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    HWND hwnd = CreateWindowExA(exStyle, wc.lpszClassName, "Plain window", style, frame.left,
                                frame.top, frame.right - frame.left, frame.bottom - frame.top,
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (hwnd == nullptr) {
        return 1;
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
