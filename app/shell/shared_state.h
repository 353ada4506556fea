#pragma once
// The program-wide record. One instance for the process, touched only by the
// user-interface thread; every number starts at 0, every text empty.
#include <windows.h>

#include <cstdint>
#include <string>

namespace tresk {

class TreskForm;

struct SharedState {
    // Owned by the entry routine, lives for the run. Only app/shell reads it; the rest
    // of the program reaches the main window through app/shell/main_window.h.
    TreskForm* mainForm = nullptr;

    std::int32_t twipsPerPixelX = 0;
    std::int32_t twipsPerPixelY = 0;

    // Scratch: results of system calls that nothing branches on (SetCursor,
    // GetCursorPos, ReleaseDC, SetWindowLongPtrA, the hook library's calls). Each
    // write says at the call that its answer is deliberately not acted on: a pick,
    // a paint or a cursor switch goes on whatever the system answers. Nothing reads
    // it; a debugger's watch on it shows the last answer. Neither drop the writes
    // nor turn them into checks.
    std::int32_t lastApiResult = 0;

    // The cursor a window procedure loaded last; its only owner. Freed by
    // DestroyCursorRef before the next load and by both unsubclass routines.
    HCURSOR customCursor = nullptr;
    // The handle SwitchCustomCursor last loaded and its resource number: while
    // customCursor still holds that handle, a switch to the same resource keeps it.
    HCURSOR switchedCursor = nullptr;  // not owned: a copy of customCursor's value
    std::int16_t switchedCursorNumber = 0;

    WNDPROC prevFormProc = nullptr;     // 0 = main window not subclassed
    WNDPROC prevPictureProc = nullptr;  // 0 = picture area not subclassed

    std::string appTitle;
    std::string yearsText;

    // Set when the shutdown sequence runs: from then on nothing installs the hook,
    // subclasses a window or re-creates the main window, whatever handler an open
    // dialog interrupted carries on with. Cleared when a session end that ran the
    // sequence is cancelled.
    bool closing = false;

    // Mouse hook client.
    std::int16_t HookActive = 0;  // 0 = false, -1 = true
    std::int32_t HookFilterIndex = 0;
    // Set by StartMouseHook while it runs, its error box included: a restore inside
    // that box's modal loop must not start (and fail, and box) again.
    bool hookStarting = false;

    // Set by the main window's colour choice and save from their StopMouseHook to
    // their StartMouseHook: a restore meanwhile must not start the hook.
    bool dialogOpen = false;

    // Gradient painter's working values, overwritten by every call.
    HDC paintDC = nullptr;
    COLORREF paintTextColor = 0;
    RECT paintRect{};
    std::int16_t bandMax = 0;
    COLORREF paintBaseColor = 0;

    // Main-window procedure: the window last found under the pointer.
    HWND pointerWindow = nullptr;

    // Colour dialog: custom colours kept for the run (never saved).
    COLORREF customColors[16]{};
    std::string colorDialogTitle;
    std::int32_t colorDialogResult = 0;

    // Save dialog.
    std::int32_t saveDialogResult = 0;
};

// The process's one record.
SharedState& Shared();

}  // namespace tresk
