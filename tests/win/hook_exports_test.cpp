// The exports of Treskhook.dll, called by name through stdcall pointers, with the
// library's user32 calls observed through spies in its import table.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hook_test_support.h"

namespace tresk::test {
namespace {

constexpr int kCursorNormal = 32512;

struct Call {
    std::string function;
    std::uintptr_t first;
    std::uintptr_t second;
    std::uintptr_t result;
};

// What the spies saw. Once a test gives the desktop's arrow a look, it has Windows'
// semantics, which Wine lacks: LoadCursorA(NULL, IDC_ARROW) gives the arrow as it looks
// now, SetSystemCursor gives it the look of the cursor it is handed and destroys that
// handle, SPI_SETCURSORS reloads the user's own arrow.
struct Spies {
    std::vector<Call> calls;
    bool failCopyIcon = false;
    HOOKPROC proc = nullptr;
    HCURSOR userArrow = nullptr;      // both owned by the test that gives the arrow a look
    HCURSOR arrowLook = nullptr;      // a copy of the arrow's current look
    std::function<void()> afterSwap;  // runs once, right after the next swap of the arrow

    void ArrowBecomes(HCURSOR cursor) {
        HCURSOR copy = CopyIcon(cursor);
        DestroyCursor(arrowLook);
        arrowLook = copy;
    }
};
Spies spies;

std::uintptr_t Bits(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

// The spies pass calls on to the real functions, which this test's own imports reach.
HICON WINAPI SpyCopyIcon(HICON icon) {
    HICON copy = spies.failCopyIcon ? nullptr : CopyIcon(icon);
    spies.calls.push_back({"CopyIcon", Bits(icon), 0, Bits(copy)});
    return copy;
}

HCURSOR WINAPI SpyLoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance == nullptr && name == MAKEINTRESOURCEA(kCursorNormal) &&
        spies.arrowLook != nullptr) {
        return spies.arrowLook;
    }
    return LoadCursorA(instance, name);
}

BOOL WINAPI SpySetSystemCursor(HCURSOR cursor, DWORD id) {
    spies.calls.push_back({"SetSystemCursor", Bits(cursor), id, TRUE});
    if (id == kCursorNormal && spies.arrowLook != nullptr) {
        spies.ArrowBecomes(cursor);
    }
    DestroyCursor(cursor);
    if (auto then = std::exchange(spies.afterSwap, nullptr)) {
        then();
    }
    return TRUE;
}

BOOL WINAPI SpySystemParametersInfoA(UINT action, UINT number, void* data, UINT flags) {
    if (action != SPI_SETCURSORS) {
        return SystemParametersInfoA(action, number, data, flags);
    }
    spies.calls.push_back({"SPI_SETCURSORS", number, Bits(data), TRUE});
    if (spies.arrowLook != nullptr) {
        spies.ArrowBecomes(spies.userArrow);
    }
    return TRUE;
}

HCURSOR WINAPI SpySetCursor(HCURSOR cursor) {
    spies.calls.push_back({"SetCursor", Bits(cursor), 0, 0});
    EXPECT_NE(HotSpot(cursor).x, -1) << "SetCursor with a destroyed handle";
    return SetCursor(cursor);
}

HHOOK WINAPI SpySetWindowsHookExA(int id, HOOKPROC proc, HINSTANCE instance, DWORD thread) {
    HHOOK hook = SetWindowsHookExA(id, proc, instance, thread);
    spies.proc = proc;
    spies.calls.push_back(
        {"SetWindowsHookExA", static_cast<std::uintptr_t>(id), Bits(instance), Bits(hook)});
    spies.calls.push_back({"SetWindowsHookExA.thread", thread, 0, 0});
    return hook;
}

BOOL WINAPI SpyUnhookWindowsHookEx(HHOOK hook) {
    const BOOL done = UnhookWindowsHookEx(hook);
    spies.calls.push_back(
        {"UnhookWindowsHookEx", Bits(hook), 0, static_cast<std::uintptr_t>(done)});
    return done;
}

// Records the call; a cursor of this test is destroyed for real, so nothing leaks.
BOOL WINAPI SpyDestroyCursor(HCURSOR cursor) {
    spies.calls.push_back({"DestroyCursor", Bits(cursor), 0, TRUE});
    return DestroyCursor(cursor);
}

// A 32 x 32 cursor of this test with the given hot spot, which tells it apart.
HCURSOR MakeCursor(int x, int y) {
    const BYTE mask[128] = {};
    return CreateCursor(GetModuleHandleA(nullptr), x, y, 32, 32, mask, mask);
}

// Points the user32 imports a module has at the spies; the patches are pushed onto `into`.
void Watch(HMODULE module, std::vector<Patch>& into) {
    auto spy = [](auto* function) { return reinterpret_cast<void*>(function); };
    const std::pair<const char*, void*> table[] = {
        {"CopyIcon", spy(&SpyCopyIcon)},
        {"SetSystemCursor", spy(&SpySetSystemCursor)},
        {"SetWindowsHookExA", spy(&SpySetWindowsHookExA)},
        {"UnhookWindowsHookEx", spy(&SpyUnhookWindowsHookEx)},
        {"DestroyCursor", spy(&SpyDestroyCursor)},
        {"SetCursor", spy(&SpySetCursor)},
        {"LoadCursorA", spy(&SpyLoadCursorA)},
        {"SystemParametersInfoA", spy(&SpySystemParametersInfoA)}};
    for (const auto& [function, address] : table) {
        into.emplace_back(module, "USER32.dll", function, address);
    }
}

class HookExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(lib.module(), nullptr) << "Treskhook.dll not found";
        ASSERT_TRUE(lib.complete());
        spies = Spies{};
        Watch(lib.module(), patches);
        appCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));  // IDC_CROSS
        sysCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
    }

    std::vector<Call> CallsTo(const std::string& function) const {
        return Where(spies.calls, [&](const Call& c) { return c.function == function; });
    }

    HookLibrary lib;
    std::vector<Patch> patches;   // destroyed before lib: restores the imports first
    HCURSOR appCursor = nullptr;  // shared system cursors: never destroyed
    HCURSOR sysCursor = nullptr;
};

TEST_F(HookExportsTest, CallsBeforeInitialisationReturnZeroAndChangeNothing) {
    EXPECT_EQ(lib.SetCursorApp(appCursor), 0);
    EXPECT_EQ(lib.SetCursorSys(sysCursor), 0);
    EXPECT_EQ(lib.RunCursorApp(), 0);
    EXPECT_EQ(lib.StopCursorApp(), 0);
    EXPECT_EQ(lib.InstallFilter(0, 1), 0);
    EXPECT_EQ(lib.InstallFilter(0, 0), 0);
    EXPECT_TRUE(spies.calls.empty()) << spies.calls.front().function;

    // The early SetCursorApp stored nothing: after initialisation there is still no
    // application cursor to apply.
    EXPECT_EQ(lib.InitMouseHook(nullptr), 1);
    EXPECT_EQ(lib.RunCursorApp(), 0);
    EXPECT_TRUE(CallsTo("SetSystemCursor").empty());
}

TEST_F(HookExportsTest, MousePointsReturnsItsArgumentInEveryState) {
    const std::int32_t values[] = {0, 1, -1, -5, 0x000AFFFB, INT_MIN, INT_MAX, 0x7FFF8000};
    auto all = [&] {
        for (std::int32_t value : values) {
            EXPECT_EQ(lib.MOUSEPOINTS(value), value);
        }
    };
    all();
    lib.InitMouseHook(nullptr);
    all();
    lib.InstallFilter(0, 1);
    lib.InstallFilter(0, 0);
    all();
}

TEST_F(HookExportsTest, RunCursorAppNeedsAnApplicationCursor) {
    lib.InitMouseHook(nullptr);
    EXPECT_EQ(lib.SetCursorSys(sysCursor), 1);
    EXPECT_EQ(lib.RunCursorApp(), 0);
    EXPECT_TRUE(CallsTo("SetSystemCursor").empty());
    // Nothing was applied, so a removal restores nothing.
    EXPECT_EQ(lib.InstallFilter(0, 0), 1);
    EXPECT_TRUE(CallsTo("SPI_SETCURSORS").empty());

    lib.InitMouseHook(nullptr);
    EXPECT_EQ(lib.SetCursorApp(appCursor), 1);
    EXPECT_EQ(lib.RunCursorApp(), 1);
    std::vector<Call> set = CallsTo("SetSystemCursor");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].first, CallsTo("CopyIcon").at(0).result);
    EXPECT_EQ(set[0].second, static_cast<std::uintptr_t>(kCursorNormal));
    // Without a copy for the platform the arrow simply stays.
    spies.failCopyIcon = true;
    EXPECT_EQ(lib.RunCursorApp(), 1);
    EXPECT_EQ(CallsTo("SetSystemCursor").size(), 1u);
}

TEST_F(HookExportsTest, InstallHooksAllThreadsWithTheModuleAndRemovalUnhooksIt) {
    lib.InitMouseHook(nullptr);
    EXPECT_EQ(lib.InstallFilter(0, 1), -1);
    std::vector<Call> installs = CallsTo("SetWindowsHookExA");
    ASSERT_EQ(installs.size(), 1u);
    EXPECT_EQ(installs[0].first, static_cast<std::uintptr_t>(WH_MOUSE));
    EXPECT_EQ(installs[0].second, Bits(lib.module()));
    EXPECT_NE(installs[0].result, 0u);
    EXPECT_EQ(CallsTo("SetWindowsHookExA.thread")[0].first, 0u);

    EXPECT_EQ(lib.InstallFilter(0, 0), 1);
    std::vector<Call> removals = CallsTo("UnhookWindowsHookEx");
    ASSERT_EQ(removals.size(), 1u);
    EXPECT_EQ(removals[0].first, installs[0].result);
    EXPECT_NE(removals[0].result, 0u);
}

TEST_F(HookExportsTest, RemovalWhileReplacedRestoresTheArrowAndUninitialises) {
    lib.InitMouseHook(nullptr);
    lib.SetCursorApp(appCursor);
    ASSERT_EQ(lib.RunCursorApp(), 1);
    ASSERT_EQ(lib.InstallFilter(0, 1), -1);
    spies.calls.clear();

    EXPECT_EQ(lib.InstallFilter(0, 0), 1);
    ASSERT_EQ(spies.calls.size(), 2u);
    EXPECT_EQ(spies.calls[0].function, "UnhookWindowsHookEx");
    EXPECT_EQ(spies.calls[1].function, "SPI_SETCURSORS");

    // Uninitialised again: everything but InitMouseHook and MOUSEPOINTS refuses.
    spies.calls.clear();
    EXPECT_EQ(lib.RunCursorApp(), 0);
    EXPECT_EQ(lib.StopCursorApp(), 0);
    EXPECT_EQ(lib.SetCursorApp(appCursor), 0);
    EXPECT_EQ(lib.SetCursorSys(sysCursor), 0);
    EXPECT_EQ(lib.InstallFilter(0, 1), 0);
    EXPECT_EQ(lib.InstallFilter(0, 0), 0);
    EXPECT_TRUE(spies.calls.empty());

    // The arrow state went back to standard: a new session's removal restores nothing.
    lib.InitMouseHook(nullptr);
    spies.calls.clear();
    EXPECT_EQ(lib.InstallFilter(0, 0), 1);
    EXPECT_TRUE(CallsTo("SPI_SETCURSORS").empty());
}

TEST_F(HookExportsTest, RefusedInstallStillReportsMinusOne) {
    // The entry routine stores the module handle it is given at every notification:
    // hand it a handle that is no module, and the platform refuses the hook.
    EntryFn entry = lib.entry();
    const auto bogus = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x00001230));
    ASSERT_EQ(entry(bogus, DLL_THREAD_ATTACH, nullptr), TRUE);
    lib.InitMouseHook(nullptr);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(lib.InstallFilter(0, 1), -1);
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    std::vector<Call> installs = CallsTo("SetWindowsHookExA");
    ASSERT_EQ(installs.size(), 1u);
    EXPECT_EQ(installs[0].second, Bits(bogus));
    EXPECT_EQ(installs[0].result, 0u);

    // The null handle is what a removal then hands back.
    EXPECT_EQ(lib.InstallFilter(0, 0), 1);
    EXPECT_EQ(CallsTo("UnhookWindowsHookEx").at(0).first, 0u);

    // The next notification puts the real module back.
    ASSERT_EQ(entry(lib.module(), DLL_THREAD_DETACH, nullptr), TRUE);
    lib.InitMouseHook(nullptr);
    EXPECT_EQ(lib.InstallFilter(0, 1), -1);
    installs = CallsTo("SetWindowsHookExA");
    ASSERT_EQ(installs.size(), 2u);
    EXPECT_EQ(installs[1].second, Bits(lib.module()));
    EXPECT_NE(installs[1].result, 0u);
    EXPECT_EQ(lib.InstallFilter(0, 0), 1);
}

TEST_F(HookExportsTest, ACursorThatIsReplacedIsDestroyed) {
    for (SetCursorFn set : {lib.SetCursorSys, lib.SetCursorApp}) {
        HCURSOR first = MakeCursor(0, 0);
        HCURSOR second = MakeCursor(0, 0);
        spies.calls.clear();
        lib.InitMouseHook(nullptr);
        EXPECT_EQ(set(first), 1);
        EXPECT_EQ(set(first), 1);
        EXPECT_TRUE(CallsTo("DestroyCursor").empty()) << "the held cursor itself was destroyed";
        // A restart: removal, new initialisation, a new cursor.
        lib.InstallFilter(0, 1);
        lib.InstallFilter(0, 0);
        lib.InitMouseHook(nullptr);
        EXPECT_EQ(set(second), 1);
        const std::vector<Call> destroyed = CallsTo("DestroyCursor");
        ASSERT_EQ(destroyed.size(), 1u);
        EXPECT_EQ(destroyed[0].first, Bits(first));
        EXPECT_EQ(set(nullptr), 1);
        EXPECT_EQ(CallsTo("DestroyCursor").size(), 2u);
        lib.InstallFilter(0, 0);
    }
}

TEST_F(HookExportsTest, RowsOtherThanZeroAreRefused) {
    lib.InitMouseHook(nullptr);
    for (std::int32_t index : {1, 2, -1, INT_MAX, INT_MIN}) {
        EXPECT_EQ(lib.InstallFilter(index, 1), 0) << index;
        EXPECT_EQ(lib.InstallFilter(index, 0), 0) << index;
    }
    EXPECT_TRUE(spies.calls.empty());
    // Still initialised: row 0 works.
    EXPECT_EQ(lib.InstallFilter(0, 1), -1);
    EXPECT_EQ(lib.InstallFilter(0, 0), 1);
}

// Two copies of the program as far as the desktop arrow goes, each the library under a
// file name of its own with a main window of its own, against the model of the arrow.
class ArrowCopiesTest : public HookExportsTest {
protected:
    void SetUp() override {
        HookExportsTest::SetUp();
        char path[MAX_PATH] = {};
        ASSERT_NE(GetModuleFileNameA(lib.module(), path, MAX_PATH), 0u);
        secondFile = std::string(path) + ".second.dll";  // beside the library
        ASSERT_TRUE(CopyFileA(path, secondFile.c_str(), FALSE));
        second = std::make_unique<HookLibrary>(secondFile.c_str());
        ASSERT_NE(second->module(), nullptr);
        Watch(second->module(), secondPatches);
        libs[1] = second.get();
        spies.userArrow = MakeCursor(3, 5);
        spies.ArrowBecomes(spies.userArrow);
    }
    void TearDown() override {
        for (HWND window : windows) {
            DestroyWindow(window);
        }
        secondPatches.clear();
        second.reset();
        DeleteFileA(secondFile.c_str());
        DestroyCursor(spies.arrowLook);
        DestroyCursor(spies.userArrow);
    }

    // The program's start of the hook; then the pointer moves over its window.
    void Start(int copy) {
        if (windows[copy] == nullptr) {
            windows[copy] = CreateWindowExA(0, "STATIC", "copy", WS_POPUP, 0, 0, 10, 10, nullptr,
                                            nullptr, GetModuleHandleA(nullptr), nullptr);
        }
        libs[copy]->InitMouseHook(windows[copy]);
        libs[copy]->SetCursorApp(MakeCursor(7, 24));
        EXPECT_EQ(libs[copy]->RunCursorApp(), 1);
        libs[copy]->InstallFilter(0, 1);
        hooks[copy] = reinterpret_cast<HHOOK>(CallsTo("SetWindowsHookExA").back().result);
        MOUSEHOOKSTRUCT record{{0, 0}, windows[copy], HTCLIENT, 0};
        spies.calls.clear();
        spies.proc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&record));
        EXPECT_FALSE(CallsTo("SetCursor").empty()) << "the hook showed no cursor";
    }

    std::string secondFile;
    std::unique_ptr<HookLibrary> second;
    std::vector<Patch> secondPatches;  // destroyed before second
    HookLibrary* libs[2] = {&lib, nullptr};
    HWND windows[2] = {};  // the copies' main windows, gone with a forced end
    HHOOK hooks[2] = {};
};

// Each road is a row of steps: a copy (0 or 1) and what it does (s: start, t: stop,
// k: forced end). The arrow is the pick cursor after every step but the last, which
// gives back the user's own.
TEST_F(ArrowCopiesTest, TheLastCopyToStopGivesBackTheUsersArrow) {
    const std::pair<const char*, std::string> roads[] = {
        {"first started, first closed", "0s 1s 0t 1t"},
        {"last started, first closed", "0s 1s 1t 0t"},
        {"a restart beside another copy's pick cursor", "0s 1s 1t 1s 0t 1t"},
        {"a forced end, then a start and a close", "0s 0k 0s 0t"},
        {"a forced end beside another copy", "0s 1s 1k 0t"},
    };
    for (const auto& [name, steps] : roads) {
        SCOPED_TRACE(name);
        for (std::size_t at = 0; at < steps.size(); at += 3) {
            const int copy = steps[at] - '0';
            if (steps[at + 1] == 's') {
                Start(copy);
            } else if (steps[at + 1] == 't') {
                EXPECT_EQ(libs[copy]->StopCursorApp(), 1);
                EXPECT_EQ(libs[copy]->InstallFilter(0, 0), 1);
            } else {  // the window goes, and the system removes the hook; nothing else
                DestroyWindow(windows[copy]);
                windows[copy] = nullptr;
                UnhookWindowsHookEx(hooks[copy]);
            }
            const int hotX = HotSpot(spies.arrowLook).x;  // 7: pick cursor, 3: user's arrow
            EXPECT_EQ(hotX, at + 3 < steps.size() ? 7 : 3) << "after " << steps.substr(0, at + 2);
        }
    }
    // A copy that stops just as another one swaps the arrow finds that one marked.
    Start(0);
    spies.afterSwap = [this] { libs[0]->InstallFilter(0, 0); };
    Start(1);
    EXPECT_EQ(HotSpot(spies.arrowLook).x, 7) << "the copy that started lost its pick cursor";
    libs[1]->InstallFilter(0, 0);
}

TEST(HookModuleTest, ExportsExactlyTheSevenPlainNames) {
    HookLibrary lib;
    ASSERT_NE(lib.module(), nullptr);
    std::vector<std::string> names = ExportedNames(lib.module());
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected = {"InitMouseHook", "InstallFilter", "MOUSEPOINTS",
                                               "RunCursorApp",  "SetCursorApp",  "SetCursorSys",
                                               "StopCursorApp"};
    EXPECT_EQ(names, expected);
}

TEST(HookModuleTest, ImportsOnlyKernel32AndUser32) {
    HookLibrary lib;
    ASSERT_NE(lib.module(), nullptr);
    std::vector<std::string> dlls = ImportedDlls(lib.module());
    EXPECT_FALSE(dlls.empty());
    for (const std::string& dll : dlls) {
        EXPECT_TRUE(lstrcmpiA(dll.c_str(), "KERNEL32.dll") == 0 ||
                    lstrcmpiA(dll.c_str(), "USER32.dll") == 0)
            << dll;
    }
}

}  // namespace
}  // namespace tresk::test
