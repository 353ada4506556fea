#pragma once
// A recording procedure to stand in as a subclassed window's previous procedure: it
// notes every message that reaches it and hands it on to the real one, so the window
// keeps working, and answers the probe message with a result of its own. Also a spy
// on SetCursor.
#include <windows.h>

#include <vector>

#include "import_patch.h"

namespace tresk::test {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline constexpr UINT kProbeMessage = WM_USER + 42;
inline constexpr LRESULT kPreviousResult = 0x5EED;
inline std::vector<Received> previous;
inline WNDPROC realPrevious = nullptr;
inline std::vector<HCURSOR> setCursorCalls;
inline Patch setCursorPatch;

inline LRESULT CALLBACK RecordingPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    previous.push_back({window, message, wParam, lParam});
    if (message == kProbeMessage) {
        return kPreviousResult;
    }
    return CallWindowProcA(realPrevious, window, message, wParam, lParam);
}

inline HCURSOR WINAPI SpySetCursor(HCURSOR cursor) {
    setCursorCalls.push_back(cursor);
    return setCursorPatch.original<decltype(&SetCursor)>()(cursor);
}

inline bool PreviousGot(UINT message) {
    for (const Received& r : previous) {
        if (r.message == message) {
            return true;
        }
    }
    return false;
}

}  // namespace tresk::test
