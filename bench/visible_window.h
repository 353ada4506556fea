#pragma once
// Finding a benchmarked program's main window: its first visible, unowned top-level
// window.
#include <windows.h>

namespace tresk::bench {

struct WindowSearch {
    DWORD pid;
    HWND found;
};

inline BOOL CALLBACK MatchVisibleWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The process's visible unowned top-level window, or null when it has none yet.
inline HWND VisibleWindowOf(DWORD processId) {
    WindowSearch search{processId, nullptr};
    EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace tresk::bench
