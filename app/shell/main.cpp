// Entry routine: brings the program up, then runs the main window's message loop.
#include <windows.h>

#include "app/shell/startup.h"
#include "toolkit/app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tresk::RestrictLibrarySearch();
    tresk::InitApplication();
    tk::App::Raise([] { tresk::StartUp(); });
    return tk::App::Run();
}
