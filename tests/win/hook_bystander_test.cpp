// Another program on the desktop while Tresk Color's hook is installed and
// initialised in this process: the hook library is mapped into that program too,
// and its button must keep working under real pointer input.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "hook_test_support.h"

namespace tresk::test {
namespace {

constexpr UINT kQueryClicks = WM_APP;
constexpr UINT kQueryHookMapped = WM_APP + 1;
constexpr int kClicks = 100;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(HookBystanderTest, OtherProgramGetsEveryClickWhileHookRuns) {
    HookLibrary lib;
    ASSERT_NE(lib.module(), nullptr) << "Treskhook.dll not found";
    ASSERT_TRUE(lib.complete());

    WNDCLASSA wc{};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TreskBystanderTestTarget";
    RegisterClassA(&wc);
    HWND target = CreateWindowExA(0, wc.lpszClassName, "Target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  40, 40, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(lib.InitMouseHook(target), 1);
    ASSERT_EQ(lib.SetCursorApp(LoadCursorA(nullptr, MAKEINTRESOURCEA(32515))), 1);
    ASSERT_EQ(lib.SetCursorSys(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649))), 1);
    ASSERT_EQ(lib.InstallFilter(0, 1), -1);

    int clicks = -1;
    LRESULT mapped = 0;
    {
        Bystander bystander;
        ASSERT_NE(bystander.window(), nullptr) << "bystander_app.exe did not start";
        HWND button = bystander.button();
        ASSERT_NE(button, nullptr);
        RECT rect;
        GetWindowRect(button, &rect);
        const int x = (rect.left + rect.right) / 2;
        const int y = (rect.top + rect.bottom) / 2;

        SendPointer(x, y, 0);
        PumpFor(100);
        for (int i = 0; i < kClicks; ++i) {
            SendPointer(x + i % 5, y, 0);
            SendPointer(x + i % 5, y, MOUSEEVENTF_LEFTDOWN);
            SendPointer(x + i % 5, y, MOUSEEVENTF_LEFTUP);
            // Wait for the click to be counted before the next one (or give up on it).
            for (int wait = 0; wait < 100 && bystander.Ask(kQueryClicks) <= i; ++wait) {
                PumpFor(5);
            }
        }
        clicks = static_cast<int>(bystander.Ask(kQueryClicks));
        mapped = bystander.Ask(kQueryHookMapped);
    }
    lib.InstallFilter(0, 0);
    DestroyWindow(target);

    EXPECT_EQ(mapped, 1) << "the hook library was not mapped into the other program";
    EXPECT_EQ(clicks, kClicks);
}

}  // namespace
}  // namespace tresk::test
