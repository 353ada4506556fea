// A program that has nothing to do with Tresk Color: one window with one button that
// counts its clicks. The hook tests run it beside an installed hook.
//   WM_APP      -> number of BN_CLICKED so far
//   WM_APP + 1  -> 1 when Treskhook.dll is mapped into this process
// The exit code is the click count.
#include <windows.h>

namespace {

constexpr char kWindowClass[] = "TreskBystanderWindow";
constexpr int kButtonId = 100;
constexpr UINT kQueryClicks = WM_APP;
constexpr UINT kQueryHookMapped = WM_APP + 1;

int clicks = 0;

LRESULT CALLBACK BystanderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) {
                ++clicks;
            }
            return 0;
        case kQueryClicks:
            return clicks;
        case kQueryHookMapped:
            // The test asks whether the platform mapped the hook library in here.
            return GetModuleHandleA("Treskhook.dll") != nullptr ? 1 : 0;
        case WM_DESTROY:
            PostQuitMessage(clicks);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
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
    CreateWindowExA(0, "BUTTON", "Count", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 60, 40, 160, 60,
                    window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), instance,
                    nullptr);
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
