// The program's side of the mouse hook: binding the library, starting and stopping
// the hook, the cursor resources and routines. The real start-up runs in this process;
// the library's exports are watched through the program's own binding (its calls of
// GetProcAddress are answered with recording wrappers) and the library's system calls
// through its import table. Without the library, or with one that lacks exports, the
// real program runs as a child process from a folder of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/hookclient/cursors.h"
#include "app/hookclient/mouse_hook.h"
#include "app/res/resource_ids.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "app_test_support.h"
#include "toolkit/app.h"

namespace tresk::test {
namespace {

std::uintptr_t Bits(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

struct Call {
    std::string function;
    std::uintptr_t a = 0;
    std::uintptr_t b = 0;
    std::intptr_t result = 0;
};

std::vector<Call> calls;
HMODULE library = nullptr;

std::vector<Call> CallsOf(const std::string& function) {
    return Where(calls, [&](const Call& c) { return c.function == function; });
}

// The calls of the library's exports. The window procedures may swap their own cursor
// meanwhile (DestroyCursor).
std::vector<Call> ExportCalls() {
    return Where(calls, [](const Call& c) {
        return c.function.rfind("dll ", 0) != 0 && c.function.rfind("bind ", 0) != 0 &&
               c.function != "DestroyCursor";
    });
}

// The library's exports as the program binds them.
using Fn0 = std::int32_t(__stdcall*)();
using Fn1 = std::int32_t(__stdcall*)(std::int32_t);
using Fn2 = std::int32_t(__stdcall*)(std::int32_t, std::int32_t);
Fn1 realInit = nullptr;
Fn2 realInstall = nullptr;
Fn1 realSetApp = nullptr;
Fn1 realSetSys = nullptr;
Fn0 realRun = nullptr;
Fn0 realStop = nullptr;
Fn1 realPoints = nullptr;

std::uintptr_t U(std::int32_t v) {
    return static_cast<std::uint32_t>(v);
}

std::int32_t __stdcall WrapInit(std::int32_t w) {
    const std::int32_t r = realInit(w);
    calls.push_back({"InitMouseHook", U(w), 0, r});
    return r;
}
std::int32_t __stdcall WrapInstall(std::int32_t index, std::int32_t install) {
    const std::int32_t r = realInstall(index, install);
    calls.push_back({"InstallFilter", U(index), U(install), r});
    return r;
}
std::int32_t __stdcall WrapSetApp(std::int32_t cursor) {
    const std::int32_t r = realSetApp(cursor);
    calls.push_back({"SetCursorApp", U(cursor), 0, r});
    return r;
}
std::int32_t __stdcall WrapSetSys(std::int32_t cursor) {
    const std::int32_t r = realSetSys(cursor);
    calls.push_back({"SetCursorSys", U(cursor), 0, r});
    return r;
}
std::int32_t __stdcall WrapRun() {
    const std::int32_t r = realRun();
    calls.push_back({"RunCursorApp", 0, 0, r});
    return r;
}
std::int32_t __stdcall WrapStop() {
    const std::int32_t r = realStop();
    calls.push_back({"StopCursorApp", 0, 0, r});
    return r;
}
std::int32_t __stdcall WrapPoints(std::int32_t v) {
    const std::int32_t r = realPoints(v);
    calls.push_back({"MOUSEPOINTS", U(v), 0, r});
    return r;
}

Patch getProcAddressPatch;
Patch destroyCursorPatch;
Patch setSystemCursorPatch;
Patch setHookPatch;
Patch unhookPatch;
Patch copyIconPatch;
Patch systemParametersPatch;

template <class Fn>
FARPROC Wrap(Fn& real, FARPROC address, Fn wrapper) {
    real = reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(wrapper));
}

FARPROC WINAPI SpyGetProcAddress(HMODULE module, LPCSTR name) {
    FARPROC address = getProcAddressPatch.original<decltype(&GetProcAddress)>()(module, name);
    if (module != library || address == nullptr || HIWORD(reinterpret_cast<ULONG_PTR>(name)) == 0) {
        return address;
    }
    calls.push_back({std::string("bind ") + name, 0, 0, 0});
    if (std::strcmp(name, "InitMouseHook") == 0)
        return Wrap(realInit, address, WrapInit);
    if (std::strcmp(name, "InstallFilter") == 0)
        return Wrap(realInstall, address, WrapInstall);
    if (std::strcmp(name, "SetCursorApp") == 0)
        return Wrap(realSetApp, address, WrapSetApp);
    if (std::strcmp(name, "SetCursorSys") == 0)
        return Wrap(realSetSys, address, WrapSetSys);
    if (std::strcmp(name, "RunCursorApp") == 0)
        return Wrap(realRun, address, WrapRun);
    if (std::strcmp(name, "StopCursorApp") == 0)
        return Wrap(realStop, address, WrapStop);
    if (std::strcmp(name, "MOUSEPOINTS") == 0)
        return Wrap(realPoints, address, WrapPoints);
    return address;
}

BOOL WINAPI SpyDestroyCursor(HCURSOR cursor) {
    calls.push_back({"DestroyCursor", Bits(cursor), 0, 0});
    return destroyCursorPatch.original<decltype(&DestroyCursor)>()(cursor);
}
BOOL WINAPI SpySetSystemCursor(HCURSOR cursor, DWORD id) {
    const BOOL r = setSystemCursorPatch.original<decltype(&SetSystemCursor)>()(cursor, id);
    calls.push_back({"dll SetSystemCursor", Bits(cursor), id, r});
    return r;
}
HHOOK WINAPI SpySetWindowsHookExA(int type, HOOKPROC proc, HINSTANCE instance, DWORD thread) {
    HHOOK hook =
        setHookPatch.original<decltype(&SetWindowsHookExA)>()(type, proc, instance, thread);
    calls.push_back({"dll SetWindowsHookExA", static_cast<std::uintptr_t>(type), thread,
                     static_cast<std::intptr_t>(Bits(hook))});
    return hook;
}
BOOL WINAPI SpyUnhookWindowsHookEx(HHOOK hook) {
    const BOOL r = unhookPatch.original<decltype(&UnhookWindowsHookEx)>()(hook);
    calls.push_back({"dll UnhookWindowsHookEx", Bits(hook), 0, r});
    return r;
}
HICON WINAPI SpyCopyIcon(HICON icon) {
    HICON copy = copyIconPatch.original<decltype(&CopyIcon)>()(icon);
    calls.push_back({"dll CopyIcon", Bits(icon), 0, static_cast<std::intptr_t>(Bits(copy))});
    return copy;
}

BOOL WINAPI SpySystemParametersInfoA(UINT action, UINT number, void* data, UINT flags) {
    if (action == SPI_SETCURSORS) {
        calls.push_back({"dll SPI_SETCURSORS", number, Bits(data), 0});
    }
    return systemParametersPatch.original<decltype(&SystemParametersInfoA)>()(action, number, data,
                                                                              flags);
}

// Puts the watchers in place before anything binds the library.
class Watchers : public ::testing::Environment {
public:
    void SetUp() override {
        library = LoadLibraryA("Treskhook.dll");
        ASSERT_NE(library, nullptr);
        HMODULE exe = GetModuleHandleA(nullptr);
        getProcAddressPatch = Patch(exe, "KERNEL32.dll", "GetProcAddress",
                                    reinterpret_cast<void*>(SpyGetProcAddress));
        destroyCursorPatch =
            Patch(exe, "USER32.dll", "DestroyCursor", reinterpret_cast<void*>(SpyDestroyCursor));
        setSystemCursorPatch = Patch(library, "USER32.dll", "SetSystemCursor",
                                     reinterpret_cast<void*>(SpySetSystemCursor));
        setHookPatch = Patch(library, "USER32.dll", "SetWindowsHookExA",
                             reinterpret_cast<void*>(SpySetWindowsHookExA));
        unhookPatch = Patch(library, "USER32.dll", "UnhookWindowsHookEx",
                            reinterpret_cast<void*>(SpyUnhookWindowsHookEx));
        copyIconPatch =
            Patch(library, "USER32.dll", "CopyIcon", reinterpret_cast<void*>(SpyCopyIcon));
        systemParametersPatch = Patch(library, "USER32.dll", "SystemParametersInfoA",
                                      reinterpret_cast<void*>(SpySystemParametersInfoA));
        ASSERT_TRUE(getProcAddressPatch.active() && destroyCursorPatch.active() &&
                    setSystemCursorPatch.active() && setHookPatch.active() &&
                    unhookPatch.active() && copyIconPatch.active() &&
                    systemParametersPatch.active());
    }
};
const auto* const watchers = ::testing::AddGlobalTestEnvironment(new Watchers);

// The library's own answers, asked directly (not through the program's binding).
std::int32_t LibraryRunCursorApp() {
    auto fn = reinterpret_cast<Fn0>(reinterpret_cast<void*>(
        getProcAddressPatch.original<decltype(&GetProcAddress)>()(library, "RunCursorApp")));
    return fn();
}

POINT CursorSize(HCURSOR cursor) {
    ICONINFO info{};
    if (!GetIconInfo(cursor, &info)) {
        return POINT{0, 0};
    }
    BITMAP bm{};
    GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    POINT size{bm.bmWidth, info.hbmColor != nullptr ? bm.bmHeight : bm.bmHeight / 2};
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    return size;
}

TEST(Cursors, ResourcesLoadAtTheirSizeWithTheirHotSpots) {
    struct Expected {
        std::int16_t id;
        LONG x, y;
    };
    for (const Expected& e : {Expected{IDC_TRESK_PIPETTE, 7, 24}, Expected{IDC_TRESK_ARROW, 10, 6},
                              Expected{IDC_TRESK_HAND, 12, 1}}) {
        HCURSOR cursor = LoadCursorRes(e.id);
        ASSERT_NE(cursor, nullptr) << e.id;
        const POINT size = CursorSize(cursor);
        EXPECT_EQ(size.x, 32) << e.id;
        EXPECT_EQ(size.y, 32) << e.id;
        const POINT hot = HotSpot(cursor);
        EXPECT_EQ(hot.x, e.x) << e.id;
        EXPECT_EQ(hot.y, e.y) << e.id;
        // Every load is a new handle of the caller's own.
        HCURSOR again = LoadCursorRes(e.id);
        EXPECT_NE(again, cursor);
        DestroyCursorRef(again);
        DestroyCursorRef(cursor);
    }
}

TEST(HookClient, StopBeforeAnyStartDoesNothingAndShowsNothing) {
    InitApplication();
    calls.clear();
    BoxCatcher boxes(GetCurrentProcessId());
    StopMouseHook();
    PumpFor(100);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(Shared().HookActive, 0);
}

// Handles given to the library by the latest start.
struct StartHandles {
    std::uintptr_t pick = 0;
    std::uintptr_t arrow = 0;
    std::uintptr_t pickCopy = 0;
    std::uintptr_t hook = 0;
};
StartHandles first;

StartHandles CheckOneStart(HWND mainWindow) {
    StartHandles h;
    // Exactly the five calls, in this order, with the library's answers.
    const std::vector<Call> exported = ExportCalls();
    EXPECT_EQ(exported.size(), 5u);
    if (exported.size() != 5u) {
        return h;
    }
    EXPECT_EQ(exported[0].function, "InitMouseHook");
    EXPECT_EQ(exported[0].a, Bits(mainWindow));
    EXPECT_EQ(exported[0].result, 1);
    EXPECT_EQ(exported[1].function, "SetCursorApp");
    EXPECT_TRUE(IsPick(reinterpret_cast<HCURSOR>(exported[1].a)));
    EXPECT_EQ(exported[1].result, 1);
    EXPECT_EQ(exported[2].function, "SetCursorSys");
    EXPECT_TRUE(IsArrow(reinterpret_cast<HCURSOR>(exported[2].a)));
    EXPECT_EQ(exported[2].result, 1);
    EXPECT_EQ(exported[3].function, "RunCursorApp");
    EXPECT_EQ(exported[3].result, 1) << "the library reports the arrow replaced";
    EXPECT_EQ(exported[4].function, "InstallFilter");
    EXPECT_EQ(exported[4].a, 0u);
    EXPECT_EQ(exported[4].b, 1u);
    EXPECT_EQ(exported[4].result, -1);
    h.pick = exported[1].a;
    h.arrow = exported[2].a;

    // The library made a copy of the pick cursor the arrow, kept the pick cursor
    // itself for its own use, and installed one mouse hook for all threads.
    const auto copies = CallsOf("dll CopyIcon");
    EXPECT_EQ(copies.size(), 1u);
    if (!copies.empty()) {
        h.pickCopy = static_cast<std::uintptr_t>(copies[0].result);
    }
    const auto swaps = CallsOf("dll SetSystemCursor");
    EXPECT_EQ(swaps.size(), 1u);
    if (!swaps.empty()) {
        EXPECT_EQ(swaps[0].a, h.pickCopy);
        EXPECT_EQ(swaps[0].b, 32512u);
    }
    const auto hooks = CallsOf("dll SetWindowsHookExA");
    EXPECT_EQ(hooks.size(), 1u);
    if (!hooks.empty()) {
        EXPECT_EQ(hooks[0].a, static_cast<std::uintptr_t>(WH_MOUSE));
        EXPECT_EQ(hooks[0].b, 0u);
        EXPECT_NE(hooks[0].result, 0);
        h.hook = static_cast<std::uintptr_t>(hooks[0].result);
    }
    EXPECT_EQ(Shared().HookActive, -1);
    EXPECT_EQ(Shared().HookFilterIndex, 0);
    return h;
}

void CheckOneStop(const StartHandles& started) {
    const std::vector<Call> exported = ExportCalls();
    ASSERT_EQ(exported.size(), 2u);
    EXPECT_EQ(exported[0].function, "StopCursorApp");
    EXPECT_EQ(exported[0].result, 1) << "the library reports the arrow given back";
    EXPECT_EQ(exported[1].function, "InstallFilter");
    EXPECT_EQ(exported[1].a, 0u);
    EXPECT_EQ(exported[1].b, 0u);
    EXPECT_EQ(exported[1].result, 1);
    EXPECT_EQ(CallsOf("dll SPI_SETCURSORS").size(), 1u) << "the user's pointers reloaded";
    const auto unhooks = CallsOf("dll UnhookWindowsHookEx");
    ASSERT_EQ(unhooks.size(), 1u);
    EXPECT_EQ(unhooks[0].a, started.hook);
    EXPECT_EQ(Shared().HookActive, 0);
    EXPECT_EQ(LibraryRunCursorApp(), 0) << "the library is left uninitialised";
}

TEST(HookClient, StartUpStartsTheHookOnceAndASecondStartChangesNothing) {
    calls.clear();
    BoxCatcher boxes(GetCurrentProcessId());
    StartUp();
    PumpFor(50);
    first = CheckOneStart(TreskForm::Instance().Hwnd());
    // Each export is bound by name once.
    EXPECT_EQ(CallsOf("bind InitMouseHook").size(), 1u);

    calls.clear();
    StartMouseHook();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(Shared().HookActive, -1);
    PumpFor(50);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(HookClient, StopThenStartMakesAFreshArrowCopyAndFreshCursors) {
    calls.clear();
    StopMouseHook();
    CheckOneStop(first);
    // The cursors handed over are not the program's to destroy.
    EXPECT_TRUE(CallsOf("DestroyCursor").empty());
    EXPECT_TRUE(IsArrow(reinterpret_cast<HCURSOR>(first.arrow)));

    calls.clear();
    StopMouseHook();
    EXPECT_TRUE(calls.empty()) << "a stop while stopped does nothing";

    calls.clear();
    StartMouseHook();
    const StartHandles second = CheckOneStart(TreskForm::Instance().Hwnd());
    EXPECT_NE(second.pickCopy, first.pickCopy);
    EXPECT_NE(second.pick, first.pick);
    EXPECT_NE(second.arrow, first.arrow);
    EXPECT_TRUE(CallsOf("bind InitMouseHook").empty()) << "bound once, reused";
    first = second;
}

TEST(HookClient, CloseGivesTheDesktopBackBeforeTheProceduresAreRestored) {
    HWND main = TreskForm::Instance().Hwnd();
    calls.clear();
    PostMessageA(main, WM_CLOSE, 0, 0);
    for (int i = 0; i < 20 && IsWindow(main); ++i) {
        tk::App::DoEvents();
        Sleep(5);
    }
    EXPECT_FALSE(IsWindow(main));
    CheckOneStop(first);
    EXPECT_EQ(Shared().prevFormProc, nullptr);
    EXPECT_EQ(Shared().prevPictureProc, nullptr);
    EXPECT_EQ(Shared().customCursor, nullptr);
}

// A program in a folder of its own (by default named outside the ANSI code page; one
// level or two), with or without a library file beside it, started from another folder;
// a working library lies in that start folder and in a folder put first on PATH, where a
// library search looks. `source` is the program copied there: the test child, which is
// given `mode`, or the real one; `whileRunning` gets its process id.
ChildRun RunFromAnotherFolder(const std::string& libraryBeside, const std::string& mode = "nohook",
                              const std::string& source = ExeFolder() + "\\app_child.exe",
                              const std::string& programFolder = "program \xCE\xA9",  // omega
                              const std::function<void(DWORD)>& whileRunning = {}) {
    const std::string folder = MakeTempFolder("tresk_nohook_");
    EXPECT_FALSE(folder.empty());
    const std::string program = folder + "\\" + programFolder;
    const std::string start = folder + "\\start";
    const std::string onPath = folder + "\\on path";
    const std::string copy = program + source.substr(source.rfind('\\'));
    const std::wstring exe = Wide(copy);
    const std::wstring beside = Wide(program + "\\Treskhook.dll");
    CreateDirectoryW(Wide(program.substr(0, program.rfind('\\'))).c_str(), nullptr);  // a parent
    EXPECT_TRUE(CreateDirectoryW(Wide(program).c_str(), nullptr));
    EXPECT_TRUE(CopyFileW(Wide(source).c_str(), exe.c_str(), FALSE));
    for (const std::string& elsewhere : {start, onPath}) {
        CreateDirectoryA(elsewhere.c_str(), nullptr);
        EXPECT_TRUE(CopyFileA((ExeFolder() + "\\Treskhook.dll").c_str(),
                              (elsewhere + "\\Treskhook.dll").c_str(), FALSE));
    }
    if (!libraryBeside.empty()) {
        EXPECT_TRUE(CopyFileW(Wide(libraryBeside).c_str(), beside.c_str(), FALSE));
    }
    char oldPath[32768] = {};
    const DWORD oldLength = GetEnvironmentVariableA("PATH", oldPath, sizeof(oldPath));
    SetEnvironmentVariableA("PATH", (onPath + ";" + oldPath).c_str());
    const std::string report = folder + "\\report.txt";
    ChildRun run =
        RunChildReporting(copy, mode + " \"" + report + "\"", start, report, whileRunning);
    SetEnvironmentVariableA("PATH", oldLength > 0 ? oldPath : nullptr);
    DeleteFileW(exe.c_str());
    DeleteFileW(beside.c_str());
    RemoveDirectoryW(Wide(program).c_str());
    RemoveFolder(folder);
    return run;
}

// The step the child had reached: its last report line (without the time stamp) other
// than the box's own.
std::string Phase(const std::string& report) {
    std::string phase;
    std::size_t start = 0;
    while (start < report.size()) {
        std::size_t end = report.find('\n', start);
        if (end == std::string::npos) {
            end = report.size();
        }
        const std::string line = report.substr(start, end - start);
        const std::string text = line.substr(line.find(' ') + 1);
        if (!text.empty() && text.rfind("MessageBoxA", 0) != 0) {
            phase = text;
        }
        start = end + 1;
    }
    return phase;
}

// `place`: where the library the program loaded lies, "none" or "beside" it.
void CheckRunWithoutTheLibrary(const ChildRun& run, const std::string& description,
                               const std::string& place) {
    // The window works without the library: it paints, a title press goes to the
    // previous procedure; system libraries bound at first use come from the system folder.
    EXPECT_EQ(NotInOrder(run.report, {"boxes watched yes", "started hookActive=0 library " + place,
                                      "window visible", "painted yes", "title press previous=1",
                                      "after second start hookActive=0",
                                      "comdlg32 system shell32 system", "end"}),
              "");
    // One box at start-up, one at the later start, none at the stop.
    ASSERT_EQ(run.boxes.size(), 2u) << run.report;
    EXPECT_EQ(Phase(run.boxes[0].note), "startup");
    EXPECT_EQ(Phase(run.boxes[1].note), "second start");
    for (const BoxSeen& box : run.boxes) {
        EXPECT_EQ(box.text, description);
        EXPECT_EQ(box.title, "Tresk Color");
        EXPECT_TRUE(box.hasIcon);
        EXPECT_TRUE(Contains(box.note, "MessageBoxA critical ok")) << box.note;
    }
    EXPECT_EQ(run.exitCode, 0);
}

// Has the program load the library by bare name on a thread started inside it, as a
// system component would; returns the module it got, 0 for none (non-zero also when
// nothing ran). kernel32 lies at the same address in every process.
DWORD LoadedByBareName(DWORD pid) {
    static const wchar_t name[] = L"Treskhook.dll";
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    void* remote = VirtualAllocEx(process, nullptr, sizeof(name), MEM_COMMIT, PAGE_READWRITE);
    WriteProcessMemory(process, remote, name, sizeof(name), nullptr);
    HANDLE thread =
        CreateRemoteThread(process, nullptr, 0,
                           reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
                               GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryW"))),
                           remote, 0, nullptr);
    DWORD module = 1;
    WaitForSingleObject(thread, 10000);
    GetExitCodeThread(thread, &module);
    CloseHandle(thread);
    CloseHandle(process);
    return module;
}

// What lies beside the program, and the box its start-up shows for it (none: it works).
struct LibraryRoad {
    const char* name;
    std::string beside;  // copied beside the program as Treskhook.dll; empty: nothing
    std::string box;
    const char* place;  // where the library the test child loaded lies
};

TEST(MissingLibrary, EachLibraryRoadShowsItsBoxAndTheProgramRunsOn) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const LibraryRoad roads[] = {
        // Neither the copy in the start folder nor the one on PATH is taken.
        {"none", "", "File not found: Treskhook.dll", "none"},
        {"partial", ExeFolder() + "\\partial\\Treskhook.dll",
         "Can't find DLL entry point SetCursorSys in Treskhook.dll", "beside"},
        // A text file, in Wine's words; Windows': "... is not a valid Win32 application."
        {"damaged", std::string(windows) + "\\win.ini",
         "Can't load Treskhook.dll: Bad EXE format for Treskhook.dll.", "none"},
        {"working", ExeFolder() + "\\Treskhook.dll", "", "beside"}};
    for (const LibraryRoad& road : roads) {
        SCOPED_TRACE(road.name);
        if (road.box.empty()) {
            const ChildRun run = RunFromAnotherFolder(road.beside, "hooked");
            EXPECT_TRUE(run.boxes.empty()) << run.report;
            EXPECT_TRUE(Contains(run.report, "started hookActive=-1 library beside")) << run.report;
        } else {
            CheckRunWithoutTheLibrary(RunFromAnotherFolder(road.beside), road.box, road.place);
        }
        // The real program from its own entry point, which alone restricts the library
        // search there: the same box, and no planted copy for a later load by bare name.
        DWORD planted = 0;
        const ChildRun real = RunFromAnotherFolder(
            road.beside, "", ExeFolder() + "\\..\\Treskcolor.exe", "program \xCE\xA9",
            [&](DWORD pid) {
                HWND main = nullptr;
                for (int i = 0; i < 1500 && main == nullptr; ++i, Sleep(20)) {
                    main = FindWindowA("TreskForm", nullptr);
                }
                planted = road.beside.empty() ? LoadedByBareName(pid) : 0;
                PostMessageA(main, WM_CLOSE, 0, 0);  // handled after start-up, or in its box
            });
        EXPECT_EQ(real.boxes.size(), road.box.empty() ? 0u : 1u);
        for (const BoxSeen& box : real.boxes) {
            EXPECT_EQ(box.text, road.box);
        }
        EXPECT_EQ(planted, 0u) << "a load by bare name took a planted copy";
        EXPECT_EQ(real.exitCode, 0);
    }
}

// The program's folder at any length: two folders of 45 CJK characters take over 270
// bytes in the program's code page, more than MAX_PATH. The library beside the program
// is found and the save dialog opens there; a plain name typed makes a path longer than
// the dialog's buffer, refused with the box rather than saved in another folder.
TEST(ProgramFolder, TheLibraryAndTheSaveDialogFindAFolderLongerThanMaxPathBytes) {
    std::string folders = "\\";
    for (int i = 0; i < 45; ++i) {
        folders.insert(0, "\xE9\xA2\x9C").append("\xE8\x89\xB2");  // 颜 ... \ 色 ...
    }
    const ChildRun run = RunFromAnotherFolder(ExeFolder() + "\\Treskhook.dll", "folder",
                                              ExeFolder() + "\\app_child.exe", folders);
    EXPECT_TRUE(Contains(run.report, "started hookActive=-1 library beside")) << run.report;
    EXPECT_TRUE(Contains(run.report, folders + "\n")) << run.report;  // where the dialog opened
    EXPECT_TRUE(Contains(run.report, "critical ok File name too long: ")) << run.report;
}

}  // namespace
}  // namespace tresk::test
