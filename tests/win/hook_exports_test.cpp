// The exports of Treskhook.dll, called by name through stdcall pointers, with the
// library's user32 calls observed through spies in its import table.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
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

// What the spies saw; the real functions they pass calls on to.
struct Spies {
    std::vector<Call> calls;
    bool failCopyIcon = false;
    void* copyIcon = nullptr;
    void* setSystemCursor = nullptr;
    void* setWindowsHookExA = nullptr;
    void* unhookWindowsHookEx = nullptr;
};
Spies spies;

std::uintptr_t Bits(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

HICON WINAPI SpyCopyIcon(HICON icon) {
    HICON copy = nullptr;
    if (!spies.failCopyIcon) {
        copy = reinterpret_cast<decltype(&CopyIcon)>(spies.copyIcon)(icon);
    }
    spies.calls.push_back({"CopyIcon", Bits(icon), 0, Bits(copy)});
    return copy;
}

// The platform would take the handle over; the spy only records it, so the test
// process keeps its normal arrow.
BOOL WINAPI SpySetSystemCursor(HCURSOR cursor, DWORD id) {
    spies.calls.push_back({"SetSystemCursor", Bits(cursor), id, TRUE});
    return TRUE;
}

HHOOK WINAPI SpySetWindowsHookExA(int id, HOOKPROC proc, HINSTANCE instance, DWORD thread) {
    HHOOK hook = reinterpret_cast<decltype(&SetWindowsHookExA)>(spies.setWindowsHookExA)(
        id, proc, instance, thread);
    spies.calls.push_back(
        {"SetWindowsHookExA", static_cast<std::uintptr_t>(id), Bits(instance), Bits(hook)});
    spies.calls.push_back({"SetWindowsHookExA.thread", thread, 0, 0});
    return hook;
}

BOOL WINAPI SpyUnhookWindowsHookEx(HHOOK hook) {
    const BOOL done =
        reinterpret_cast<decltype(&UnhookWindowsHookEx)>(spies.unhookWindowsHookEx)(hook);
    spies.calls.push_back(
        {"UnhookWindowsHookEx", Bits(hook), 0, static_cast<std::uintptr_t>(done)});
    return done;
}

// Records the call; a cursor of this test is destroyed for real, so nothing leaks.
BOOL WINAPI SpyDestroyCursor(HCURSOR cursor) {
    spies.calls.push_back({"DestroyCursor", Bits(cursor), 0, TRUE});
    return DestroyCursor(cursor);
}

class HookExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(lib.module(), nullptr) << "Treskhook.dll not found";
        ASSERT_TRUE(lib.complete());
        spies = Spies{};
        patches.emplace_back(lib.module(), "USER32.dll", "CopyIcon",
                             reinterpret_cast<void*>(&SpyCopyIcon));
        spies.copyIcon = patches.back().original<void*>();
        patches.emplace_back(lib.module(), "USER32.dll", "SetSystemCursor",
                             reinterpret_cast<void*>(&SpySetSystemCursor));
        spies.setSystemCursor = patches.back().original<void*>();
        patches.emplace_back(lib.module(), "USER32.dll", "SetWindowsHookExA",
                             reinterpret_cast<void*>(&SpySetWindowsHookExA));
        spies.setWindowsHookExA = patches.back().original<void*>();
        patches.emplace_back(lib.module(), "USER32.dll", "UnhookWindowsHookEx",
                             reinterpret_cast<void*>(&SpyUnhookWindowsHookEx));
        spies.unhookWindowsHookEx = patches.back().original<void*>();
        patches.emplace_back(lib.module(), "USER32.dll", "DestroyCursor",
                             reinterpret_cast<void*>(&SpyDestroyCursor));
        for (const Patch& patch : patches) {
            ASSERT_TRUE(patch.active());
        }
        appCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));  // IDC_CROSS
        sysCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
    }

    std::vector<Call> CallsTo(const std::string& function) const {
        std::vector<Call> found;
        for (const Call& call : spies.calls) {
            if (call.function == function) {
                found.push_back(call);
            }
        }
        return found;
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

TEST_F(HookExportsTest, InitialisationCopiesTheStandardArrowAndStopGivesTheCopyBack) {
    EXPECT_EQ(lib.InitMouseHook(nullptr), 1);
    std::vector<Call> copies = CallsTo("CopyIcon");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].first, Bits(LoadCursorA(nullptr, MAKEINTRESOURCEA(kCursorNormal))));
    ASSERT_NE(copies[0].result, 0u);

    // SetCursorApp keeps that copy and makes no other.
    EXPECT_EQ(lib.SetCursorApp(appCursor), 1);
    EXPECT_EQ(CallsTo("CopyIcon").size(), 1u);
    EXPECT_EQ(lib.StopCursorApp(), 1);
    std::vector<Call> set = CallsTo("SetSystemCursor");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].first, copies[0].result);
    EXPECT_EQ(set[0].second, static_cast<std::uintptr_t>(kCursorNormal));
    // The saved arrow stays: a second stop hands back the same handle.
    EXPECT_EQ(lib.StopCursorApp(), 1);
    EXPECT_EQ(CallsTo("SetSystemCursor").back().first, copies[0].result);
}

TEST_F(HookExportsTest, SetCursorAppMakesTheSavedArrowOnlyWhenThereIsNone) {
    spies.failCopyIcon = true;
    EXPECT_EQ(lib.InitMouseHook(nullptr), 1);
    EXPECT_EQ(lib.StopCursorApp(), 0);  // no saved arrow
    spies.failCopyIcon = false;
    EXPECT_EQ(lib.SetCursorApp(appCursor), 1);
    std::vector<Call> copies = CallsTo("CopyIcon");
    ASSERT_EQ(copies.size(), 2u);
    ASSERT_NE(copies[1].result, 0u);
    EXPECT_EQ(lib.StopCursorApp(), 1);
    EXPECT_EQ(CallsTo("SetSystemCursor").back().first, copies[1].result);
}

TEST_F(HookExportsTest, RunCursorAppNeedsAnApplicationCursor) {
    lib.InitMouseHook(nullptr);
    EXPECT_EQ(lib.SetCursorSys(sysCursor), 1);
    EXPECT_EQ(lib.RunCursorApp(), 0);
    EXPECT_TRUE(CallsTo("SetSystemCursor").empty());
    // Nothing was applied, so a removal restores nothing.
    EXPECT_EQ(lib.InstallFilter(0, 0), 1);
    EXPECT_TRUE(CallsTo("SetSystemCursor").empty());

    lib.InitMouseHook(nullptr);
    EXPECT_EQ(lib.SetCursorApp(appCursor), 1);
    EXPECT_EQ(lib.RunCursorApp(), 1);
    std::vector<Call> set = CallsTo("SetSystemCursor");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].first, Bits(appCursor));
    EXPECT_EQ(set[0].second, static_cast<std::uintptr_t>(kCursorNormal));
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
    const std::uintptr_t saved = CallsTo("CopyIcon").at(0).result;
    lib.SetCursorApp(appCursor);
    ASSERT_EQ(lib.RunCursorApp(), 1);
    ASSERT_EQ(lib.InstallFilter(0, 1), -1);
    spies.calls.clear();

    EXPECT_EQ(lib.InstallFilter(0, 0), 1);
    ASSERT_EQ(spies.calls.size(), 2u);
    EXPECT_EQ(spies.calls[0].function, "UnhookWindowsHookEx");
    EXPECT_EQ(spies.calls[1].function, "SetSystemCursor");
    EXPECT_EQ(spies.calls[1].first, saved);
    EXPECT_EQ(spies.calls[1].second, static_cast<std::uintptr_t>(kCursorNormal));

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
    EXPECT_TRUE(CallsTo("SetSystemCursor").empty());
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

TEST_F(HookExportsTest, ASystemButtonCursorThatIsReplacedIsDestroyed) {
    const BYTE andMask[128] = {};
    const BYTE xorMask[128] = {};
    HCURSOR first = CreateCursor(GetModuleHandleA(nullptr), 0, 0, 32, 32, andMask, xorMask);
    HCURSOR second = CreateCursor(GetModuleHandleA(nullptr), 0, 0, 32, 32, andMask, xorMask);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    lib.InitMouseHook(nullptr);
    EXPECT_EQ(lib.SetCursorSys(first), 1);
    EXPECT_EQ(lib.SetCursorSys(first), 1);
    EXPECT_TRUE(CallsTo("DestroyCursor").empty()) << "the held cursor itself was destroyed";
    // A restart: removal, new initialisation, a new cursor.
    lib.InstallFilter(0, 1);
    lib.InstallFilter(0, 0);
    lib.InitMouseHook(nullptr);
    EXPECT_EQ(lib.SetCursorSys(second), 1);
    const std::vector<Call> destroyed = CallsTo("DestroyCursor");
    ASSERT_EQ(destroyed.size(), 1u);
    EXPECT_EQ(destroyed[0].first, Bits(first));
    EXPECT_EQ(lib.SetCursorSys(nullptr), 1);
    EXPECT_EQ(CallsTo("DestroyCursor").size(), 2u);
}

TEST_F(HookExportsTest, RowsOtherThanZeroAreRefused) {
    lib.InitMouseHook(nullptr);
    for (std::int32_t index : {1, 2, -1, INT_MAX, INT_MIN}) {
        EXPECT_EQ(lib.InstallFilter(index, 1), 0) << index;
        EXPECT_EQ(lib.InstallFilter(index, 0), 0) << index;
    }
    EXPECT_TRUE(spies.calls.size() == 1u && spies.calls[0].function == "CopyIcon");
    // Still initialised: row 0 works.
    EXPECT_EQ(lib.InstallFilter(0, 1), -1);
    EXPECT_EQ(lib.InstallFilter(0, 0), 1);
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

TEST(HookModuleTest, VersionResource) {
    char path[MAX_PATH] = {};
    {
        HookLibrary lib;
        ASSERT_NE(lib.module(), nullptr);
        ASSERT_NE(GetModuleFileNameA(lib.module(), path, MAX_PATH), 0u);
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0410);
    EXPECT_EQ(translation[1], 1200);

    auto text = [&](const char* name) {
        std::string key = std::string("\\StringFileInfo\\041004B0\\") + name;
        char* value = nullptr;
        UINT chars = 0;
        if (!VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &chars) ||
            value == nullptr) {
            return std::string("<missing>");
        }
        return std::string(value);
    };
    EXPECT_EQ(text("FileDescription"), "Tresk system hook DLL");
    EXPECT_EQ(text("FileVersion"), "1, 0, 0, 0");
    EXPECT_EQ(text("ProductVersion"), "1, 0, 0, 0");
    EXPECT_EQ(text("InternalName"), "Treskhook");
    EXPECT_EQ(text("ProductName"), "Treskhook");
    EXPECT_EQ(text("OriginalFilename"), "Treskhook.dll");
    EXPECT_EQ(text("CompanyName"), "Tresk Color project");
    EXPECT_EQ(text("LegalCopyright"), "Copyright (C) 2026 Tresk Color project");
    for (const char* empty : {"Comments", "LegalTrademarks", "PrivateBuild", "SpecialBuild"}) {
        EXPECT_EQ(text(empty), "") << empty;
    }
}

}  // namespace
}  // namespace tresk::test
