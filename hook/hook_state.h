#pragma once
// State of the hook library. Every process that maps the library has its own copy in
// ordinary writable data (nothing is shared between processes), zero until the
// program's own process calls the exports. Only that process ever calls them.
#include <windows.h>

#include <cstdint>

namespace tresk {

// One hook the library can install: its type and its procedure.
struct FilterRow {
    int hookType;
    HOOKPROC procedure;
};

inline constexpr std::uint32_t kFilterRows = 1;

struct HookLibraryState {
    std::int32_t Initialized;  // 1 between InitMouseHook and a removal through InstallFilter
    HCURSOR AppCursor;         // given by the program; destroyed when replaced (the
                               // platform gets a copy of it, never this handle)
    HCURSOR SysCursor;         // given by the program; destroyed when replaced
    HHOOK HookHandles[kFilterRows];
    HWND TargetWindow;           // the program's main window
    std::int32_t CursorApplied;  // 1 while the application cursor is the standard arrow
    HINSTANCE HookInstance;      // this module, stored by the entry routine

    // Written by the hook procedure at every call with a code of 0 or more.
    HWND LastWindow;
    std::uint32_t LastHitTest;
    std::uint32_t LastMessage;
    std::uint32_t LastPoint;
};

// Zero-initialised: no constructor runs in the programs the library is mapped into.
extern HookLibraryState hookState;

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace tresk
