// Cost of the mouse hook procedure for a pointer move.
//
// Direct calls: the procedure's address is taken from the library's call to
// SetWindowsHookExA, then called with a real hook record, beside a procedure that
// only calls CallNextHookEx (the floor). Real input: SendInput moves over a window
// of this process, each waited for, with and without the hook installed.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "tests/win/hook_test_support.h"

namespace {

using tresk::test::HookLibrary;
using tresk::test::Patch;

void* realSetWindowsHookExA = nullptr;
HOOKPROC libraryProc = nullptr;
HHOOK libraryHook = nullptr;
HHOOK floorHook = nullptr;
long movesSeen = 0;

HHOOK WINAPI CatchProc(int id, HOOKPROC proc, HINSTANCE instance, DWORD thread) {
    libraryProc = proc;
    libraryHook = reinterpret_cast<decltype(&SetWindowsHookExA)>(realSetWindowsHookExA)(
        id, proc, instance, thread);
    return libraryHook;
}

// Stands in for CallNextHookEx to time the library's own work alone.
LRESULT WINAPI NoNextHook(HHOOK, int, WPARAM, LPARAM) {
    return 0;
}

LRESULT CALLBACK FloorProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    return CallNextHookEx(floorHook, code, wParam, lParam);
}

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_MOUSEMOVE) {
        ++movesSeen;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

double Now() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
    }
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Nanoseconds per call, best of three rounds.
double PerCall(HOOKPROC proc, MOUSEHOOKSTRUCT& record, int calls) {
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        const double start = Now();
        for (int i = 0; i < calls; ++i) {
            record.pt.x = 300 + (i & 7);
            proc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&record));
        }
        best = std::min(best, (Now() - start) * 1e9 / calls);
    }
    return best;
}

// Microseconds per real pointer move delivered to `window`, each move waited for.
double PerMove(HWND window, int moves) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int x = (rect.left + rect.right) / 2;
    const int y = (rect.top + rect.bottom) / 2;
    const double start = Now();
    for (int i = 0; i < moves; ++i) {
        const long expected = movesSeen + 1;
        tresk::test::SendPointer(x + (i % 2 == 0 ? 1 : -1) * (1 + i % 7), y, 0);
        for (int spin = 0; spin < 100000 && movesSeen < expected; ++spin) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&msg);
            }
        }
    }
    return (Now() - start) * 1e6 / moves;
}

}  // namespace

int main() {
    // The library sits one folder above the benchmarks, whatever the working folder.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char* slash = std::strrchr(path, '\\'); slash != nullptr) {
        *slash = '\0';
    }
    std::strncat(path, "\\..", MAX_PATH - std::strlen(path) - 1);
    SetDllDirectoryA(path);
    HookLibrary lib;
    if (lib.module() == nullptr || !lib.complete()) {
        std::printf("Treskhook.dll not found\n");
        return 1;
    }
    Patch catcher(lib.module(), "USER32.dll", "SetWindowsHookExA",
                  reinterpret_cast<void*>(&CatchProc));
    realSetWindowsHookExA = catcher.original<void*>();

    WNDCLASSA wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TreskHookBench";
    RegisterClassA(&wc);
    HWND target = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Target", WS_POPUP | WS_VISIBLE,
                                  100, 100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    HWND other = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Other", WS_POPUP | WS_VISIBLE,
                                 600, 100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    tresk::test::PumpFor(200);

    // The state of every other process on the desktop: no target.
    lib.InitMouseHook(nullptr);
    lib.InstallFilter(0, 1);
    if (libraryProc == nullptr) {
        std::printf("could not find the hook procedure\n");
        return 1;
    }
    floorHook = libraryHook;  // the floor passes on the same handle the library does

    constexpr int kCalls = 20000;
    MOUSEHOOKSTRUCT record{};
    record.pt = POINT{300, 300};
    record.hwnd = other;
    record.wHitTestCode = HTCLIENT;
    // Alternated, so that both see the same load on the machine.
    double floorNs = 1e30;
    double bystanderNs = 1e30;
    for (int round = 0; round < 4; ++round) {
        floorNs = std::min(floorNs, PerCall(FloorProc, record, kCalls / 2));
        bystanderNs = std::min(bystanderNs, PerCall(libraryProc, record, kCalls / 2));
    }

    double ownNs = 0;
    {
        Patch stub(lib.module(), "USER32.dll", "CallNextHookEx",
                   reinterpret_cast<void*>(&NoNextHook));
        ownNs = PerCall(libraryProc, record, kCalls * 10);
    }

    // The program's own process: a target, cursors, a move over another window.
    lib.InitMouseHook(target);
    lib.SetCursorApp(LoadCursorA(nullptr, MAKEINTRESOURCEA(32515)));
    lib.SetCursorSys(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
    const double otherNs = PerCall(libraryProc, record, kCalls);
    record.hwnd = target;
    const double targetNs = PerCall(libraryProc, record, kCalls / 4);

    constexpr int kMoves = 1000;
    const double hookedUs = PerMove(other, kMoves);
    lib.InstallFilter(0, 0);
    const double plainUs = PerMove(other, kMoves);

    std::printf("Mouse hook procedure, WM_MOUSEMOVE (direct calls, best of 3 x %d)\n", kCalls);
    std::printf("  %-52s %9.1f ns  %5.2fx\n", "floor: only CallNextHookEx", floorNs, 1.0);
    std::printf("  %-52s %9.1f ns  %5.2fx\n", "library not initialised (other programs)",
                bystanderNs, bystanderNs / floorNs);
    std::printf("  %-52s %9.1f ns\n", "  of which the library's own work (next hook stubbed)",
                ownNs);
    std::printf("  %-52s %9.1f ns  %5.2fx\n", "initialised, move over a non-target window", otherNs,
                otherNs / floorNs);
    std::printf("  %-52s %9.1f ns  %5.2fx\n", "initialised, move over the target (sends a copy)",
                targetNs, targetNs / floorNs);
    std::printf("Real pointer moves (SendInput, each waited for, %d moves)\n", kMoves);
    std::printf("  %-52s %9.1f us\n", "no hook", plainUs);
    std::printf("  %-52s %9.1f us\n", "hook installed, move over a non-target window", hookedUs);
    std::printf("  %-52s %9.1f us\n", "difference per move", hookedUs - plainUs);

    DestroyWindow(other);
    DestroyWindow(target);
    return 0;
}
