#include "app/hookclient/mouse_hook.h"

#include <windows.h>

#include "app/about/about_form.h"
#include "app/hookclient/cursors.h"
#include "app/hookclient/hook_binding.h"
#include "app/res/resource_ids.h"
#include "app/shell/booleans.h"
#include "app/shell/main_window.h"
#include "app/shell/shared_state.h"
#include "toolkit/app.h"
#include "toolkit/handles.h"

namespace tresk {
namespace {

std::int32_t AsArg(const void* handle) noexcept {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(handle));
}

// The error trap of both routines: the error's description in a critical box.
void ReportHookError(const char* description) noexcept {
    MessageBoxA(nullptr, description, tk::App::Title().c_str(), MB_OK | MB_ICONERROR);
}

template <class Steps>
void Trapped(Steps&& steps) noexcept {
    try {
        steps();
    } catch (...) {
        ReportHookError(tk::CaughtErrorText());
    }
}

}  // namespace

void StartMouseHook() noexcept {
    SharedState& s = Shared();
    if (s.hookStarting) {
        return;
    }
    s.hookStarting = true;
    Trapped([&s] {
        // The hook runs only while the main window is on screen and nothing of the
        // program's is open over it: a minimised window's restore, a dialog's or the
        // About box's close starts it then.
        if (s.HookActive != 0 || s.closing || s.dialogOpen || fabout::Instance().Loaded() != 0) {
            return;
        }
        s.HookFilterIndex = 0;
        const HWND mainWindow = mainwindow::LoadWindow();
        if (IsIconic(mainWindow)) {
            return;
        }
        s.lastApiResult = hooklib::InitMouseHook(AsArg(mainWindow));
        // Both cursors pass to the library once it has taken them; it frees one it
        // replaces at the next start and hands the platform only a copy of the pick.
        tk::Cursor pick = LoadCursorOwned(IDC_TRESK_PIPETTE);
        s.lastApiResult = hooklib::SetCursorApp(AsArg(pick.Get()));
        pick.Release();
        tk::Cursor arrow = LoadCursorOwned(IDC_TRESK_ARROW);
        s.lastApiResult = hooklib::SetCursorSys(AsArg(arrow.Get()));
        arrow.Release();
        s.lastApiResult = hooklib::RunCursorApp();
        s.lastApiResult = hooklib::InstallFilter(s.HookFilterIndex, 1);
        s.HookActive = kTrue;
    });
    s.hookStarting = false;
}

void StopMouseHook() noexcept {
    Trapped([] {
        SharedState& s = Shared();
        if (s.HookActive == 0) {
            return;
        }
        s.lastApiResult = hooklib::StopCursorApp();
        s.lastApiResult = hooklib::InstallFilter(s.HookFilterIndex, 0);
        s.HookActive = 0;
    });
}

}  // namespace tresk
