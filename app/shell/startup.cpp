#include "app/shell/startup.h"

#include <windows.h>

#include <commctrl.h>

#include "app/about/author_texts.h"
#include "app/about/system_menu.h"
#include "app/about/top_most.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/tresk_window_proc.h"
#include "app/res/version.h"
#include "app/shell/booleans.h"
#include "app/shell/shared_state.h"
#include "app/shell/subclass.h"
#include "app/shell/tresk_form.h"
#include "toolkit/app.h"

namespace tresk {
namespace {

constexpr char kAppTitle[] = "Tresk Color";

// Whatever ends the program short of being killed, the desktop gets its arrow back
// and the hook is removed first.
void GiveBackTheDesktop() noexcept {
    StopMouseHook();
}

}  // namespace

void RestrictLibrarySearch() noexcept {
    // Found by name: kernel32 is loaded in every process, and these entry points are
    // missing from older systems, which must still start. Results are ignored: the
    // program runs on with the platform's own search if neither call is there or works.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) {
        return;
    }
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return;
    }
    const auto setDirectory = reinterpret_cast<SetDllDirectoryFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryW")));
    if (setDirectory != nullptr) {
        setDirectory(L"");
    }
}

void InitApplication() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    tk::App::Init(GetModuleHandleA(nullptr), kAppTitle,
                  tk::Version{kVersionMajor, kVersionMinor, kVersionRevision});
    tk::App::SetFatalCleanup(GiveBackTheDesktop);
}

void StartUp() {
    SharedState& s = Shared();
    s.appTitle = kAppTitle;
    s.yearsText = kYearsText;
    s.mainForm = &TreskForm::Instance();
    s.mainForm->Show();
    SetTopMost(s.mainForm->Hwnd());
    AddSystemMenuItem(s.mainForm->Hwnd(), kAboutCommand, "About...", kTrue);
    SubclassForm(s.mainForm->Hwnd());
    SubclassPicture(s.mainForm->picTresk.Hwnd());
    StartMouseHook();
}

}  // namespace tresk
