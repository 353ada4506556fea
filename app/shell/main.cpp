// Entry routine: brings the program up in a fixed order, then runs the main
// window's message loop.
#include <windows.h>

#include <commctrl.h>

#include "app/about/author_texts.h"
#include "app/about/system_menu.h"
#include "app/about/top_most.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/tresk_window_proc.h"
#include "app/res/version.h"
#include "app/shell/shared_state.h"
#include "app/shell/subclass.h"
#include "app/shell/tresk_form.h"
#include "toolkit/app.h"

namespace {

constexpr char kAppTitle[] = "Tresk Color";

// Whatever ends the program short of being killed, the desktop gets its arrow back
// and the hook is removed first.
void GiveBackTheDesktop() noexcept { tresk::StopMouseHook(); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    tk::App::Init(instance, kAppTitle,
                  tk::Version{tresk::kVersionMajor, tresk::kVersionMinor, tresk::kVersionRevision});
    tk::App::SetFatalCleanup(GiveBackTheDesktop);

    tresk::SharedState& s = tresk::Shared();
    tk::App::Raise([&] {
        s.appTitle = kAppTitle;
        s.yearsText = tresk::kYearsText;
        s.mainForm = &tresk::TreskForm::Instance();
        s.mainForm->Show();
        tresk::SetTopMost(s.mainForm->Hwnd());
        tresk::AddSystemMenuItem(s.mainForm->Hwnd(), tresk::kAboutCommand, "About...", -1);
        tresk::SubclassForm(s.mainForm->Hwnd());
        tresk::SubclassPicture(s.mainForm->picTresk.Hwnd());
        tresk::StartMouseHook();
    });
    return tk::App::Run();
}
