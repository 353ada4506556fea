#pragma once
// What the benchmarks that start other programs share: finding a started program's
// main window, and the median of a run's figures.
#include <windows.h>

#include <algorithm>
#include <vector>

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

// The median of `values` (the upper one of an even count), -1 for none.
inline double Median(std::vector<double> values) {
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace tresk::bench
