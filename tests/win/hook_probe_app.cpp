// Tells whether Tresk Color's desktop-wide mouse hook is installed right now. While
// that hook is in place the platform maps Treskhook.dll into every program that
// receives mouse input, so a new process that has received one pointer move knows
// from its own module list whether the hook was there.
//
// Usage: hook_probe_app.exe X Y FILE
// Opens a small window titled "Tresk hook probe" at screen point (X, Y). At its first
// WM_MOUSEMOVE it writes "loaded 1" (Treskhook.dll is in this process) or "loaded 0"
// to FILE and ends. With no pointer move within 20 s it writes "timeout" and ends
// with 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kWindowClass[] = "TreskHookProbeWindow";
constexpr char kTitle[] = "Tresk hook probe";
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr UINT kTimeoutMs = 20000;

const char* reportPath = nullptr;  // FILE from the command line
int exitCode = 0;

void Report(const char* text) {
    std::FILE* file = std::fopen(reportPath, "wb");
    if (file == nullptr) {
        exitCode = 3;
        return;
    }
    std::fprintf(file, "%s\n", text);
    std::fclose(file);
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_MOUSEMOVE:
            // The hook procedure runs on this thread before the message is handed
            // out, so by now the platform has mapped the library if the hook is in.
            Report(GetModuleHandleA("Treskhook.dll") != nullptr ? "loaded 1" : "loaded 0");
            DestroyWindow(window);
            return 0;
        case WM_TIMER:
            if (wParam == kTimeoutTimer) {
                Report("timeout");
                exitCode = exitCode == 0 ? 1 : exitCode;
                DestroyWindow(window);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(exitCode);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc != 4) {
        return 2;
    }
    const int x = std::atoi(__argv[1]);
    const int y = std::atoi(__argv[2]);
    reportPath = __argv[3];

    WNDCLASSA wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    if (RegisterClassA(&wc) == 0) {
        return 4;
    }
    HWND window =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kWindowClass, kTitle,
                        WS_POPUP | WS_CAPTION, x, y, 160, 100, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 5;
    }
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    SetTimer(window, kTimeoutTimer, kTimeoutMs, nullptr);
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            return 6;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return exitCode;
}
