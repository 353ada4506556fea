#include "hook/exports.h"

#include "hook/hook_state.h"

namespace tresk {

constinit HookLibraryState hookState{};

namespace {

constexpr int kCursorNormal = 32512;  // OCR_NORMAL / IDC_ARROW

// Marks a main window whose copy of the program has made the pick cursor the
// desktop arrow. A window property dies with its window, so a copy that was ended
// by force leaves no mark behind.
constexpr char kPipetteProperty[] = "TreskColorPipette";

constinit const FilterRow FilterTable[kFilterRows] = {{WH_MOUSE, MouseHookProc}};

BOOL CALLBACK FindOtherPipette(HWND window, LPARAM found) noexcept {
    if (window != hookState.TargetWindow && GetPropA(window, kPipetteProperty) != nullptr) {
        *reinterpret_cast<BOOL*>(found) = TRUE;
        return FALSE;
    }
    return TRUE;
}

// Whether another running copy of the program still shows the pick cursor as the
// desktop arrow.
bool AnotherCopyPicks() {
    BOOL found = FALSE;
    EnumWindows(FindOtherPipette, reinterpret_cast<LPARAM>(&found));
    return found != FALSE;
}

}  // namespace

}  // namespace tresk

using tresk::hookState;

// The entry routine runs at every notification; it only remembers this module, which
// the platform needs to map the library into the other processes of the desktop.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) noexcept {
    hookState.HookInstance = instance;
    return TRUE;
}

std::int32_t __stdcall InitMouseHook(HWND window) noexcept {
    hookState.TargetWindow = window;
    hookState.Initialized = 1;
    return 1;
}

// The results of SetWindowsHookExA and UnhookWindowsHookEx are not tested: an install
// that the platform refuses still reports -1 and leaves a null handle.
std::int32_t __stdcall InstallFilter(std::int32_t index, std::int32_t install) noexcept {
    if (hookState.Initialized == 0) {
        return 0;
    }
    if (index < 0 || static_cast<std::uint32_t>(index) >= tresk::kFilterRows) {
        return 0;
    }
    const auto row = static_cast<std::uint32_t>(index);
    if (install != 0) {
        const tresk::FilterRow& filter = tresk::FilterTable[row];
        hookState.HookHandles[row] =
            SetWindowsHookExA(filter.hookType, filter.procedure, hookState.HookInstance, 0);
        return -1;
    }
    UnhookWindowsHookEx(hookState.HookHandles[row]);
    // Give the arrow back while still initialised, or StopCursorApp would refuse.
    if (hookState.CursorApplied == 1) {
        StopCursorApp();
    }
    hookState.Initialized = 0;
    return 1;
}

// The cursors handed over here are the library's from now on: it shows them with
// SetCursor and frees one it replaces, so each restart of the hook, which brings new
// ones, leaves none behind.
std::int32_t __stdcall SetCursorApp(HCURSOR cursor) noexcept {
    if (hookState.Initialized == 0) {
        return 0;
    }
    if (hookState.AppCursor != nullptr && hookState.AppCursor != cursor) {
        DestroyCursor(hookState.AppCursor);
    }
    hookState.AppCursor = cursor;
    return 1;
}

std::int32_t __stdcall SetCursorSys(HCURSOR cursor) noexcept {
    if (hookState.Initialized == 0) {
        return 0;
    }
    if (hookState.SysCursor != nullptr && hookState.SysCursor != cursor) {
        DestroyCursor(hookState.SysCursor);
    }
    hookState.SysCursor = cursor;
    return 1;
}

// SetSystemCursor takes over the handle it is given and destroys it, so the platform
// gets a copy and AppCursor stays alive for the hook procedure's SetCursor. The
// results of CopyIcon and SetSystemCursor are not tested: without a copy the arrow
// simply stays as it is. The window is marked before the swap: another copy that
// stops in between must find the mark, or it would give back the user's arrow and
// this copy would run without its pipette.
std::int32_t __stdcall RunCursorApp() noexcept {
    if (hookState.Initialized == 0 || hookState.AppCursor == nullptr) {
        return 0;
    }
    SetPropA(hookState.TargetWindow, tresk::kPipetteProperty, reinterpret_cast<HANDLE>(1));
    HCURSOR platformCopy = CopyIcon(hookState.AppCursor);  // owned by the platform below
    if (platformCopy != nullptr) {
        SetSystemCursor(platformCopy, tresk::kCursorNormal);
    }
    hookState.CursorApplied = 1;
    return 1;
}

// Gives the desktop the user's own arrow: SPI_SETCURSORS reloads every system cursor
// from the user's pointer settings, whatever other copies of the program, or one
// ended by force, left in place. While another copy still picks, its pick cursor
// stays the arrow; the last copy to stop reloads the settings.
std::int32_t __stdcall StopCursorApp() noexcept {
    if (hookState.Initialized == 0) {
        return 0;
    }
    RemovePropA(hookState.TargetWindow, tresk::kPipetteProperty);
    if (!tresk::AnotherCopyPicks()) {
        SystemParametersInfoA(SPI_SETCURSORS, 0, nullptr, 0);
    }
    hookState.CursorApplied = 0;
    return 1;
}

std::int32_t __stdcall MOUSEPOINTS(std::int32_t value) noexcept {
    return value;
}
