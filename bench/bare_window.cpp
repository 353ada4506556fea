// The floor of the benchmarks: a plain Win32 program that registers a class and shows
// one top-level window, with no resources, no manifest and no libraries beyond the
// system's; every message goes to DefWindowProc and the class cursor is the arrow.
// - Without arguments it is the start-up floor. Built a second time with the program's
//   manifest (common controls 6) and BARE_WINDOW_CONTROLS, it also initialises the
//   common controls and creates a push button, a text box and two check boxes: what
//   any program with themed controls pays, beside the program. Built a third time with
//   BARE_WINDOW_HOOK as well, it then loads the hook library from the folder above its
//   own and installs the hook, as the program does once its window shows.
// - With "X Y WIDTH HEIGHT" it is the floor for pointer moves: a top-most window whose
//   client area covers that screen rectangle.
#include <windows.h>

#ifdef BARE_WINDOW_CONTROLS
#include <commctrl.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

#ifdef BARE_WINDOW_HOOK
using InitMouseHookFn = std::int32_t(__stdcall*)(HWND);
using InstallFilterFn = std::int32_t(__stdcall*)(std::int32_t, std::int32_t);

InstallFilterFn installFilter = nullptr;

// Treskhook.dll beside the program, in the folder above this one (bench/); the
// library stays loaded until the process ends, as in the program.
void InstallHook(HWND hwnd) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    int slashes = 0;
    for (DWORD i = length; i > 0; --i) {
        if (path[i - 1] == '\\' && ++slashes == 2) {
            path[i] = '\0';
            break;
        }
    }
    constexpr char kLibrary[] = "Treskhook.dll";
    if (slashes != 2 || std::strlen(path) + sizeof(kLibrary) > MAX_PATH) {
        return;
    }
    std::strcat(path, kLibrary);
    HMODULE library = LoadLibraryA(path);
    if (library == nullptr) {
        return;
    }
    auto init = reinterpret_cast<InitMouseHookFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "InitMouseHook")));
    installFilter = reinterpret_cast<InstallFilterFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "InstallFilter")));
    if (init != nullptr && installFilter != nullptr) {
        init(hwnd);
        installFilter(0, 1);
    }
}
#endif

LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
#ifdef BARE_WINDOW_HOOK
        if (installFilter != nullptr) {
            installFilter(0, 0);
        }
#endif
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
#ifdef BARE_WINDOW_CONTROLS
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
#endif
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
    CreateWindowExA(0, "BUTTON", "Vertical", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 70, 90,
                    16, hwnd, nullptr, instance, nullptr);
    CreateWindowExA(0, "BUTTON", "Invert", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 90, 90, 16,
                    hwnd, nullptr, instance, nullptr);
#endif
    ShowWindow(hwnd, __argc == 5 ? SW_SHOWNORMAL : show);
#ifdef BARE_WINDOW_HOOK
    InstallHook(hwnd);
#endif
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
