// The real program, started as a child process by the tests that must watch it from
// outside: without the hook library, with an incomplete one, or ending on a run-time
// error or an unhandled exception. It writes what it sees, one line at a time, to the
// report file named on its command line; the parent reads and closes its message boxes.
//
//   app_child nohook <report>  start-up, a working window, a second start (a restore),
//                              a stop, close
//   app_child hooked <report>  start-up with the library, then close
//   app_child throw <report>   start-up, then a click handler that raises a run-time error
//   app_child seh <report>     start-up, then an unhandled structured exception
//   app_child terminate <report> start-up, then a C++ exception that nothing catches
//   app_child color|save|about <report>
//                              start-up, then the colour dialog, the save dialog or the
//                              About box opened; the parent asks the main window to close
//   app_child folder <report>  start-up, then the save dialog: the folder it opened in,
//                              a plain name typed and confirmed; then close
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <thread>

#include "app/about/about_form.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/tresk_window_proc.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "app_test_support.h"
#include "dialog_driver.h"
#include "toolkit/app.h"
#include "toolkit/runtime_error.h"
#include "toolkit/system_library.h"

namespace {

using tresk::Shared;
using tresk::TreskForm;

std::string reportPath;

void Report(const std::string& line) {
    HANDLE file = CreateFileA(reportPath.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string text = std::to_string(GetTickCount()) + " " + line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Observation of the hook library's own system calls.
HHOOK installedHook = nullptr;
tresk::test::Patch setSystemCursorPatch;
tresk::test::Patch systemParametersPatch;
tresk::test::Patch setHookPatch;
tresk::test::Patch unhookPatch;

BOOL WINAPI SpySetSystemCursor(HCURSOR cursor, DWORD id) {
    Report(std::string("SetSystemCursor ") + (tresk::test::IsPick(cursor) ? "pick" : "other"));
    return setSystemCursorPatch.original<decltype(&SetSystemCursor)>()(cursor, id);
}

// The arrow is given back by reloading the user's pointers.
BOOL WINAPI SpySystemParametersInfoA(UINT action, UINT number, void* data, UINT flags) {
    if (action == SPI_SETCURSORS) {
        Report("arrow restore");
    }
    return systemParametersPatch.original<decltype(&SystemParametersInfoA)>()(action, number, data,
                                                                              flags);
}

HHOOK WINAPI SpySetWindowsHookExA(int type, HOOKPROC proc, HINSTANCE instance, DWORD thread) {
    installedHook =
        setHookPatch.original<decltype(&SetWindowsHookExA)>()(type, proc, instance, thread);
    Report("SetWindowsHookExA " + std::to_string(type));
    return installedHook;
}

BOOL WINAPI SpyUnhookWindowsHookEx(HHOOK hook) {
    Report(std::string("UnhookWindowsHookEx ") +
           (hook != nullptr && hook == installedHook ? "installed" : "other"));
    return unhookPatch.original<decltype(&UnhookWindowsHookEx)>()(hook);
}

void WatchLibrary() {
    HMODULE library = LoadLibraryA("Treskhook.dll");
    if (library == nullptr) {
        Report("library missing");
        return;
    }
    setSystemCursorPatch = tresk::test::Patch(library, "USER32.dll", "SetSystemCursor",
                                              reinterpret_cast<void*>(SpySetSystemCursor));
    systemParametersPatch = tresk::test::Patch(library, "USER32.dll", "SystemParametersInfoA",
                                               reinterpret_cast<void*>(SpySystemParametersInfoA));
    setHookPatch = tresk::test::Patch(library, "USER32.dll", "SetWindowsHookExA",
                                      reinterpret_cast<void*>(SpySetWindowsHookExA));
    unhookPatch = tresk::test::Patch(library, "USER32.dll", "UnhookWindowsHookEx",
                                     reinterpret_cast<void*>(SpyUnhookWindowsHookEx));
    const bool all = setSystemCursorPatch.active() && systemParametersPatch.active() &&
                     setHookPatch.active() && unhookPatch.active();
    Report(std::string("watching ") + (all ? "yes" : "no"));
}

tresk::test::Patch messageBoxPatch;

int WINAPI SpyMessageBoxA(HWND owner, LPCSTR text, LPCSTR title, UINT type) {
    const UINT icon = type & MB_ICONMASK;
    const UINT buttons = type & MB_TYPEMASK;
    Report(std::string("MessageBoxA ") + (icon == MB_ICONERROR ? "critical" : "not-critical") +
           (buttons == MB_OK ? " ok " : " other-buttons ") + text);
    return messageBoxPatch.original<decltype(&MessageBoxA)>()(owner, text, title, type);
}

int previousCalls = 0;
// Stands in for the window's own procedure; it lets nothing else happen (a title-bar
// press would otherwise start the system's window-move loop).
LRESULT CALLBACK RecordingPrevious(HWND, UINT, WPARAM, LPARAM) {
    ++previousCalls;
    return 0;
}

// Where a module was loaded from: "none", "beside" the program, "system" or "other".
std::string Place(HMODULE module) {
    if (module == nullptr) {
        return "none";
    }
    wchar_t path[MAX_PATH] = {};
    wchar_t program[MAX_PATH] = {};
    wchar_t system[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    *std::wcsrchr(path, L'\\') = L'\0';
    *std::wcsrchr(program, L'\\') = L'\0';
    if (lstrcmpiW(path, program) == 0) {
        return "beside";
    }
    return lstrcmpiW(path, system) == 0 ? "system" : "other";
}

void StartUp() {
    tresk::RestrictLibrarySearch();
    tresk::InitApplication();
    Report("startup");
    tresk::StartUp();
    Report("started hookActive=" + std::to_string(Shared().HookActive) + " library " +
           Place(GetModuleHandleA("Treskhook.dll")));
}

void CALLBACK RestoreAgain(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    ShowWindow(TreskForm::Instance().Hwnd(), SW_MINIMIZE);
    ShowWindow(TreskForm::Instance().Hwnd(), SW_RESTORE);
}

int RunWithoutLibrary() {
    StartUp();
    TreskForm& form = TreskForm::Instance();
    tk::App::DoEvents();
    Report(std::string("window ") + (IsWindowVisible(form.Hwnd()) ? "visible" : "hidden"));

    // The window works: the ramp is painted, ending in the base colour on the right.
    form.btnTresk.Click();
    tk::App::DoEvents();
    RECT area;
    GetClientRect(form.picTresk.Hwnd(), &area);
    HDC dc = GetDC(form.picTresk.Hwnd());
    const COLORREF right = GetPixel(dc, area.right - 2, area.bottom / 2) & 0xFFFFFF;
    ReleaseDC(form.picTresk.Hwnd(), dc);
    Report(std::string("painted ") + (right == form.BaseColor() ? "yes" : "no"));

    // A press on the title bar needs the library to read its point; without it the
    // message goes to the previous procedure.
    const WNDPROC saved = Shared().prevFormProc;
    Shared().prevFormProc = RecordingPrevious;
    RECT frame;
    GetWindowRect(form.Hwnd(), &frame);
    SendMessageA(form.Hwnd(), WM_NCLBUTTONDOWN, HTCAPTION,
                 MAKELPARAM(frame.left + 40, frame.top + 8));
    Shared().prevFormProc = saved;
    Report("title press previous=" + std::to_string(previousCalls));

    // A restore starts the hook again, which fails and shows its box again; another
    // restore inside that box's modal loop starts nothing more.
    ShowWindow(form.Hwnd(), SW_MINIMIZE);
    SetTimer(nullptr, 0, 10, RestoreAgain);
    Report("second start");
    ShowWindow(form.Hwnd(), SW_RESTORE);
    Report("after second start hookActive=" + std::to_string(Shared().HookActive));
    // System libraries bound at first use, as the dialogs and the shell bind theirs.
    auto bound = [](const char* file, const char* entry) {
        tk::SystemLibrary library(file);
        return Place(library.Find<FARPROC>(entry) != nullptr ? GetModuleHandleA(file) : nullptr);
    };
    Report("comdlg32 " + bound("comdlg32.dll", "ChooseColorA") + " shell32 " +
           bound("shell32.dll", "ShellExecuteA"));
    Report("stop");
    tresk::StopMouseHook();
    Report("close");
    PostMessageA(form.Hwnd(), WM_CLOSE, 0, 0);
    const int code = tk::App::Run();
    Report("end");
    return code;
}

int RunWithLibrary() {
    StartUp();
    PostMessageA(TreskForm::Instance().Hwnd(), WM_CLOSE, 0, 0);
    return tk::App::Run();
}

int RaiseInHandler() {
    WatchLibrary();
    StartUp();
    TreskForm& form = TreskForm::Instance();
    form.btnTresk.onClick = [] { throw tk::RuntimeError(5, "Invalid procedure call or argument"); };
    PostMessageA(form.btnTresk.Hwnd(), BM_CLICK, 0, 0);
    Report("raising");
    tk::App::Run();
    Report("returned");
    return 0;
}

int ThrowUncaught() {
    WatchLibrary();
    StartUp();
    Report("raising");
    throw std::runtime_error("nobody catches this");
}

LPTOP_LEVEL_EXCEPTION_FILTER programFilter = nullptr;

// Runs the program's own filter, then reports what it left and ends the process, so
// that no debugger is started for the exception.
LONG WINAPI ObservingFilter(EXCEPTION_POINTERS* pointers) {
    Report("unhandled");
    const LONG result = programFilter != nullptr ? programFilter(pointers) : 0;
    Report("after filter hookActive=" + std::to_string(Shared().HookActive) +
           " result=" + std::to_string(result));
    ExitProcess(3);
}

int RaiseUnhandled() {
    WatchLibrary();
    StartUp();
    programFilter = SetUnhandledExceptionFilter(ObservingFilter);
    Report(std::string("program filter ") + (programFilter != nullptr ? "set" : "missing"));
    RaiseException(0xE0000101, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    Report("returned");
    return 0;
}

std::string road;

std::string Loaded() {
    return std::string(" main=") + (TreskForm::Instance().IsLoaded() ? "loaded" : "gone") +
           " about=" + (tresk::fabout::Instance().IsLoaded() ? "loaded" : "gone");
}

// Works the save dialog from a thread of this process (CDM_GETFOLDERPATH answers into
// the asker's buffer): the folder it opened in, then a plain name confirmed.
void TypePlainName(HWND owner) {
    HWND dialog = tresk::test::WaitForOwnedDialog(owner);
    char folder[4096] = {};
    SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof(folder), reinterpret_cast<LPARAM>(folder));
    Report(std::string("dialog folder ") + folder);
    SetDlgItemTextW(dialog, cmb13, L"plain");
    tresk::test::PressButton(dialog, IDOK);
}

// Opens the road's dialog from inside the message loop, as the user's click would.
void CALLBACK OpenRoad(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    TreskForm& form = TreskForm::Instance();
    Report("opening " + road);
    tk::App::Raise([&] {
        if (road == "color") {
            form.lblCol_Click();
        } else if (road == "save") {
            form.mnuSave_Click();
        } else if (road == "folder") {
            std::thread driver(TypePlainName, form.Hwnd());
            form.mnuSave_Click();
            driver.join();
            PostMessageA(form.Hwnd(), WM_CLOSE, 0, 0);
        } else {
            SendMessageA(form.Hwnd(), WM_SYSCOMMAND, tresk::kAboutCommand, 0);
        }
    });
    Report("back from " + road + " hookActive=" + std::to_string(Shared().HookActive) +
           " color=" + std::to_string(form.LastDialogColor()) + Loaded());
}

int CloseDuringRoad() {
    WatchLibrary();
    StartUp();
    SetTimer(nullptr, 0, 50, OpenRoad);
    const int code = tk::App::Run();
    Report("end hookActive=" + std::to_string(Shared().HookActive) + Loaded());
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    reportPath = argv[2];
    messageBoxPatch = tresk::test::Patch(GetModuleHandleA(nullptr), "USER32.dll", "MessageBoxA",
                                         reinterpret_cast<void*>(SpyMessageBoxA));
    Report(std::string("boxes watched ") + (messageBoxPatch.active() ? "yes" : "no"));
    const std::string mode = argv[1];
    if (mode == "nohook") {
        return RunWithoutLibrary();
    }
    if (mode == "hooked") {
        return RunWithLibrary();
    }
    if (mode == "throw") {
        return RaiseInHandler();
    }
    if (mode == "terminate") {
        return ThrowUncaught();
    }
    if (mode == "seh") {
        return RaiseUnhandled();
    }
    if (mode == "color" || mode == "save" || mode == "about" || mode == "folder") {
        road = mode;
        return CloseDuringRoad();
    }
    return 2;
}
