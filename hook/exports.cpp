#include "hook/exports.h"

#include "hook/hook_state.h"

namespace tresk {

constinit HookLibraryState hookState{};

namespace {

constexpr int kCursorNormal = 32512;  // OCR_NORMAL / IDC_ARROW

constinit const FilterRow FilterTable[kFilterRows] = {{WH_MOUSE, MouseHookProc}};

// A copy of the current standard arrow. CopyIcon may fail; the null result then
// simply means there is no arrow to give back.
HCURSOR CopyStandardArrow() {
    return CopyIcon(LoadCursorA(nullptr, MAKEINTRESOURCEA(kCursorNormal)));
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
    // An earlier copy is dropped without being destroyed: the platform may own it.
    hookState.SavedArrow = tresk::CopyStandardArrow();
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

std::int32_t __stdcall SetCursorApp(HCURSOR cursor) noexcept {
    if (hookState.Initialized == 0) {
        return 0;
    }
    if (hookState.SavedArrow == nullptr) {
        hookState.SavedArrow = tresk::CopyStandardArrow();
    }
    hookState.AppCursor = cursor;
    return 1;
}

// The system-button cursor is never handed to the platform, so the library frees one
// it replaces: each restart of the hook brings a new one, and none piles up.
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

// SetSystemCursor takes the handle over (the platform destroys it); its result is
// not tested.
std::int32_t __stdcall RunCursorApp() noexcept {
    if (hookState.Initialized == 0 || hookState.AppCursor == nullptr) {
        return 0;
    }
    SetSystemCursor(hookState.AppCursor, tresk::kCursorNormal);
    hookState.CursorApplied = 1;
    return 1;
}

std::int32_t __stdcall StopCursorApp() noexcept {
    if (hookState.Initialized == 0 || hookState.SavedArrow == nullptr) {
        return 0;
    }
    SetSystemCursor(hookState.SavedArrow, tresk::kCursorNormal);
    hookState.CursorApplied = 0;
    return 1;
}

std::int32_t __stdcall MOUSEPOINTS(std::int32_t value) noexcept {
    return value;
}
