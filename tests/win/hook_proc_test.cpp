// The mouse hook procedure against real windows: a target window with a picture
// child, a button child and a grandchild. The hook is installed through the exports
// and driven by real pointer input; for the rows real input never reaches (the
// WM_SETCURSOR row, negative codes) the procedure is called directly, its address
// taken from the library's call to SetWindowsHookExA. A second program's windows stand
// in for those of programs the library cannot be loaded into.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hook_test_support.h"

namespace tresk::test {
namespace {

constexpr char kTargetClass[] = "TreskHookTestTarget";
constexpr char kPictureClass[] = "ThunderRT6PictureBoxDC";
constexpr char kPanelClass[] = "TreskHookTestPanel";
constexpr int kButtonId = 7;

std::uintptr_t Bits(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

std::uint32_t Packed(POINT screen) {
    return (static_cast<std::uint32_t>(screen.y & 0xFFFF) << 16) |
           static_cast<std::uint32_t>(screen.x & 0xFFFF);
}

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND capture;  // the capture window when the message arrived
};

struct LibraryCall {
    std::string function;
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct Record {
    std::vector<Received> received;
    std::vector<LibraryCall> calls;
    void* sendMessageA = nullptr;
    void* postMessageA = nullptr;
    void* setCapture = nullptr;
    void* releaseCapture = nullptr;
    void* setCursor = nullptr;
    void* callNextHookEx = nullptr;
    void* setWindowsHookExA = nullptr;
    HOOKPROC proc = nullptr;
    HHOOK hook = nullptr;
};
Record rec;

bool Interesting(UINT message) {
    return message == WM_SETCURSOR || message == WM_NCHITTEST || message == WM_COMMAND ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (Interesting(message)) {
        rec.received.push_back({window, message, wParam, lParam, GetCapture()});
    }
    // The default handling of a right press on a caption waits in a loop for the
    // release; a copy the hook should never post must not hang the test there.
    if (message == WM_NCRBUTTONDOWN) {
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT WINAPI SpySendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    rec.calls.push_back({"SendMessageA", window, message, wParam, lParam});
    return reinterpret_cast<decltype(&SendMessageA)>(rec.sendMessageA)(window, message, wParam,
                                                                       lParam);
}
BOOL WINAPI SpyPostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    rec.calls.push_back({"PostMessageA", window, message, wParam, lParam});
    return reinterpret_cast<decltype(&PostMessageA)>(rec.postMessageA)(window, message, wParam,
                                                                       lParam);
}
HWND WINAPI SpySetCapture(HWND window) {
    rec.calls.push_back({"SetCapture", window, 0, 0, 0});
    return reinterpret_cast<decltype(&SetCapture)>(rec.setCapture)(window);
}
BOOL WINAPI SpyReleaseCapture() {
    rec.calls.push_back({"ReleaseCapture", nullptr, 0, 0, 0});
    return reinterpret_cast<decltype(&ReleaseCapture)>(rec.releaseCapture)();
}
HCURSOR WINAPI SpySetCursor(HCURSOR cursor) {
    rec.calls.push_back({"SetCursor", nullptr, 0, Bits(cursor), 0});
    return reinterpret_cast<decltype(&SetCursor)>(rec.setCursor)(cursor);
}
LRESULT WINAPI SpyCallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
    rec.calls.push_back({"CallNextHookEx", nullptr, static_cast<UINT>(code), wParam,
                         static_cast<LPARAM>(Bits(hook))});
    return reinterpret_cast<decltype(&CallNextHookEx)>(rec.callNextHookEx)(hook, code, wParam,
                                                                           lParam);
}
HHOOK WINAPI SpySetWindowsHookExA(int id, HOOKPROC proc, HINSTANCE instance, DWORD thread) {
    rec.proc = proc;
    rec.hook = reinterpret_cast<decltype(&SetWindowsHookExA)>(rec.setWindowsHookExA)(
        id, proc, instance, thread);
    return rec.hook;
}

void RegisterClasses() {
    static bool done = false;
    if (done) {
        return;
    }
    for (const char* name : {kTargetClass, kPictureClass, kPanelClass}) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = name;
        RegisterClassA(&wc);
    }
    done = true;
}

class HookProcTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterClasses();
        rec = Record{};
        ASSERT_NE(lib.module(), nullptr) << "Treskhook.dll not found";
        ASSERT_TRUE(lib.complete());
        SpyOn("SendMessageA", &SpySendMessageA, rec.sendMessageA);
        SpyOn("PostMessageA", &SpyPostMessageA, rec.postMessageA);
        SpyOn("SetCapture", &SpySetCapture, rec.setCapture);
        SpyOn("ReleaseCapture", &SpyReleaseCapture, rec.releaseCapture);
        SpyOn("SetCursor", &SpySetCursor, rec.setCursor);
        SpyOn("CallNextHookEx", &SpyCallNextHookEx, rec.callNextHookEx);
        SpyOn("SetWindowsHookExA", &SpySetWindowsHookExA, rec.setWindowsHookExA);

        HINSTANCE instance = GetModuleHandleA(nullptr);
        target = CreateWindowExA(WS_EX_TOPMOST, kTargetClass, "Hook target",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 640, 420, nullptr,
                                 nullptr, instance, nullptr);
        ASSERT_NE(target, nullptr);
        picture = CreateWindowExA(0, kPictureClass, "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 150,
                                  target, nullptr, instance, nullptr);
        button = CreateWindowExA(
            0, "BUTTON", "Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 250, 10, 120, 40, target,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), instance, nullptr);
        panel = CreateWindowExA(0, kPanelClass, "", WS_CHILD | WS_VISIBLE, 10, 200, 300, 160,
                                target, nullptr, instance, nullptr);
        grandchild = CreateWindowExA(0, kPanelClass, "", WS_CHILD | WS_VISIBLE, 20, 20, 120, 90,
                                     panel, nullptr, instance, nullptr);
        ASSERT_TRUE(picture && button && panel && grandchild);
        SetForegroundWindow(target);
        PumpFor(200);

        appCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));  // IDC_CROSS
        sysCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
        ASSERT_EQ(lib.InitMouseHook(target), 1);
        ASSERT_EQ(lib.SetCursorApp(appCursor), 1);
        ASSERT_EQ(lib.SetCursorSys(sysCursor), 1);
        ASSERT_EQ(lib.InstallFilter(0, 1), -1);
        ASSERT_NE(rec.proc, nullptr);
        ASSERT_NE(rec.hook, nullptr);
        Clear();
    }

    void TearDown() override {
        SendPointer(5, 5, 0);
        PumpFor(50);
        lib.InstallFilter(0, 0);
        if (target != nullptr) {
            DestroyWindow(target);
        }
        PumpFor(20);
    }

    template <typename Fn>
    void SpyOn(const char* function, Fn spy, void*& original) {
        patches.emplace_back(lib.module(), "USER32.dll", function, reinterpret_cast<void*>(spy));
        ASSERT_TRUE(patches.back().active()) << function;
        original = patches.back().original<void*>();
    }

    void Clear() {
        rec.received.clear();
        rec.calls.clear();
    }

    // Screen point at client coordinates of a window.
    static POINT Screen(HWND window, int x, int y) {
        POINT point{x, y};
        ClientToScreen(window, &point);
        return point;
    }

    static void MoveTo(POINT screen) {
        SendPointer(screen.x, screen.y, 0);
        PumpFor(60);
    }
    static void Press(POINT screen) {
        SendPointer(screen.x, screen.y, MOUSEEVENTF_LEFTDOWN);
        PumpFor(60);
    }
    static void Release(POINT screen) {
        SendPointer(screen.x, screen.y, MOUSEEVENTF_LEFTUP);
        PumpFor(60);
    }

    // Calls the hook procedure directly with a real hook record.
    LRESULT CallProc(int code, UINT message, HWND window, POINT screen, UINT hitTest) {
        MOUSEHOOKSTRUCT record{};
        record.pt = screen;
        record.hwnd = window;
        record.wHitTestCode = hitTest;
        return rec.proc(code, message, reinterpret_cast<LPARAM>(&record));
    }

    std::vector<Received> ReceivedBy(HWND window, UINT message) const {
        return Where(rec.received,
                     [&](const Received& r) { return r.window == window && r.message == message; });
    }
    std::vector<LibraryCall> Calls(const std::string& function) const {
        return Where(rec.calls, [&](const LibraryCall& c) { return c.function == function; });
    }
    // The library's calls other than SetCursor and CallNextHookEx.
    std::vector<LibraryCall> Forwarding() const {
        return Where(rec.calls, [](const LibraryCall& c) {
            return c.function != "SetCursor" && c.function != "CallNextHookEx";
        });
    }

    HookLibrary lib;
    std::vector<Patch> patches;  // destroyed before lib
    HWND target = nullptr;       // owns the other windows; destroyed in TearDown
    HWND picture = nullptr;
    HWND button = nullptr;
    HWND panel = nullptr;
    HWND grandchild = nullptr;
    HCURSOR appCursor = nullptr;  // shared system cursors: never destroyed
    HCURSOR sysCursor = nullptr;
};

TEST_F(HookProcTest, MoveOverTargetSendsScreenPointCopyAndSetsAppCursor) {
    const POINT screen = Screen(target, 400, 300);
    MoveTo(screen);
    std::vector<Received> moves = ReceivedBy(target, WM_MOUSEMOVE);
    ASSERT_GE(moves.size(), 2u);
    // The copy (screen point, wParam 0) comes first, then the window's own move.
    EXPECT_EQ(moves[0].wParam, 0u);
    EXPECT_EQ(static_cast<std::uint32_t>(moves[0].lParam), Packed(screen));
    EXPECT_EQ(static_cast<std::uint32_t>(moves[1].lParam), Packed(POINT{400, 300}));
    std::vector<LibraryCall> cursors = Calls("SetCursor");
    ASSERT_FALSE(cursors.empty());
    EXPECT_EQ(cursors.back().wParam, Bits(appCursor));
}

TEST_F(HookProcTest, MoveOverOtherWindowSendsNothing) {
    MoveTo(Screen(grandchild, 30, 30));
    Clear();
    MoveTo(Screen(grandchild, 50, 40));
    EXPECT_FALSE(Calls("SetCursor").empty());
    EXPECT_EQ(Calls("SetCursor").back().wParam, Bits(appCursor));
    EXPECT_TRUE(Forwarding().empty());
    EXPECT_TRUE(ReceivedBy(target, WM_MOUSEMOVE).empty());
}

TEST_F(HookProcTest, SetCursorCopyCarriesTheLastRecordedMessage) {
    const POINT screen = Screen(target, 400, 300);
    MoveTo(screen);
    Clear();
    // Real input never hands WM_SETCURSOR to a mouse hook: call the procedure.
    EXPECT_EQ(CallProc(HC_ACTION, WM_SETCURSOR, button, screen, HTCLIENT), 0);
    std::vector<Received> copies = ReceivedBy(target, WM_SETCURSOR);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].wParam, Bits(button));
    EXPECT_EQ(HIWORD(copies[0].lParam), WM_MOUSEMOVE);
    EXPECT_EQ(LOWORD(copies[0].lParam), HTCLIENT);
    EXPECT_TRUE(Calls("CallNextHookEx").empty());

    // Neither a negative code nor a message outside the recorded set changes it.
    Clear();
    EXPECT_EQ(CallProc(-1, WM_LBUTTONDOWN, target, screen, HTCAPTION), 0);
    ASSERT_EQ(Calls("CallNextHookEx").size(), 1u);
    EXPECT_EQ(Calls("CallNextHookEx")[0].lParam, static_cast<LPARAM>(Bits(rec.hook)));
    EXPECT_TRUE(Forwarding().empty());
    CallProc(HC_ACTION, WM_RBUTTONDOWN, target, screen, HTCLIENT);
    EXPECT_EQ(Calls("CallNextHookEx").size(), 2u);
    EXPECT_TRUE(Forwarding().empty());
    CallProc(HC_ACTION, WM_SETCURSOR, target, screen, HTCLOSE);
    copies = ReceivedBy(target, WM_SETCURSOR);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].wParam, Bits(target));
    EXPECT_EQ(HIWORD(copies[0].lParam), WM_MOUSEMOVE);
    EXPECT_EQ(LOWORD(copies[0].lParam), HTCLOSE);
    // Over the target the hit test picks the cursor: the close box shows the system one.
    EXPECT_EQ(Calls("SetCursor").back().wParam, Bits(sysCursor));
}

TEST_F(HookProcTest, PressOnPictureSendsScreenPointCopyToPicture) {
    const POINT screen = Screen(picture, 50, 40);
    MoveTo(screen);
    Clear();
    Press(screen);
    std::vector<Received> presses = ReceivedBy(picture, WM_LBUTTONDOWN);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].wParam, 1u);
    EXPECT_EQ(static_cast<std::uint32_t>(presses[0].lParam), Packed(screen));
    EXPECT_EQ(static_cast<std::uint32_t>(presses[1].lParam), Packed(POINT{50, 40}));
    EXPECT_TRUE(ReceivedBy(target, WM_LBUTTONDOWN).empty());
    EXPECT_TRUE(Calls("SetCapture").empty());
    EXPECT_TRUE(Calls("PostMessageA").empty());

    Release(screen);
    std::vector<Received> releases = ReceivedBy(picture, WM_LBUTTONUP);
    ASSERT_EQ(releases.size(), 2u);
    EXPECT_EQ(releases[0].wParam, 1u);
    EXPECT_EQ(static_cast<std::uint32_t>(releases[0].lParam), Packed(screen));
    EXPECT_TRUE(Calls("ReleaseCapture").empty());
}

TEST_F(HookProcTest, PressOnButtonChildSendsNothingAndTheButtonClicks) {
    RECT rect;
    GetClientRect(button, &rect);
    const POINT screen = Screen(button, rect.right / 2, rect.bottom / 2);
    MoveTo(screen);
    Clear();
    Press(screen);
    Release(screen);
    EXPECT_TRUE(Forwarding().empty()) << Forwarding().front().function;
    int clicks = 0;
    for (const Received& r : ReceivedBy(target, WM_COMMAND)) {
        if (LOWORD(r.wParam) == kButtonId && HIWORD(r.wParam) == BN_CLICKED) {
            ++clicks;
        }
    }
    EXPECT_EQ(clicks, 1);
}

TEST_F(HookProcTest, PressOnGrandchildCapturesBeforePostingAndReleaseAfterPosting) {
    const POINT screen = Screen(grandchild, 40, 30);
    MoveTo(screen);
    Clear();
    Press(screen);
    std::vector<LibraryCall> forwarding = Forwarding();
    ASSERT_EQ(forwarding.size(), 2u);
    EXPECT_EQ(forwarding[0].function, "SetCapture");
    EXPECT_EQ(forwarding[0].window, target);
    EXPECT_EQ(forwarding[1].function, "PostMessageA");
    EXPECT_EQ(forwarding[1].window, target);
    EXPECT_EQ(forwarding[1].message, static_cast<UINT>(WM_LBUTTONDOWN));
    std::vector<Received> copies = ReceivedBy(target, WM_LBUTTONDOWN);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].wParam, 1u);
    EXPECT_EQ(static_cast<std::uint32_t>(copies[0].lParam), Packed(screen));
    EXPECT_EQ(copies[0].capture, target);
    EXPECT_EQ(ReceivedBy(grandchild, WM_LBUTTONDOWN).size(), 1u);  // its own press

    // The matching release over the grandchild posts the copy, then lets go.
    Clear();
    CallProc(HC_ACTION, WM_LBUTTONUP, grandchild, screen, HTCLIENT);
    forwarding = Forwarding();
    ASSERT_EQ(forwarding.size(), 2u);
    EXPECT_EQ(forwarding[0].function, "PostMessageA");
    EXPECT_EQ(forwarding[0].window, target);
    EXPECT_EQ(forwarding[0].message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(forwarding[0].wParam, 1u);
    EXPECT_EQ(static_cast<std::uint32_t>(forwarding[0].lParam), Packed(screen));
    EXPECT_EQ(forwarding[1].function, "ReleaseCapture");
    EXPECT_EQ(GetCapture(), nullptr);
    PumpFor(30);
    copies = ReceivedBy(target, WM_LBUTTONUP);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(static_cast<std::uint32_t>(copies[0].lParam), Packed(screen));
    Release(screen);
}

TEST_F(HookProcTest, NonClientMessagesOverTargetAndNoRightButtonCopies) {
    // A real move over the caption: the target gets a copy with the hit-test code.
    RECT frame;
    GetWindowRect(target, &frame);
    const POINT caption{frame.left + 200, frame.top + GetSystemMetrics(SM_CYFRAME) +
                                              GetSystemMetrics(SM_CYCAPTION) / 2};
    MoveTo(caption);
    Clear();
    MoveTo(POINT{caption.x + 5, caption.y});
    std::vector<LibraryCall> sends = Calls("SendMessageA");
    bool forwardedCaptionMove = false;
    for (const LibraryCall& call : sends) {
        if (call.window == target && call.message == WM_NCMOUSEMOVE) {
            forwardedCaptionMove =
                call.wParam == HTCAPTION &&
                static_cast<std::uint32_t>(call.lParam) == Packed(POINT{caption.x + 5, caption.y});
        }
    }
    EXPECT_TRUE(forwardedCaptionMove);

    // A right press or release in a non-client area: the system-button cursor, and
    // the message goes on as the user made it, with no copy.
    for (HWND window : {target, picture}) {
        Clear();
        const POINT point = Screen(window, 5, 5);
        EXPECT_EQ(CallProc(HC_ACTION, WM_NCRBUTTONDOWN, window, point, HTCAPTION), 0);
        EXPECT_EQ(CallProc(HC_ACTION, WM_NCRBUTTONUP, window, point, HTCAPTION), 0);
        EXPECT_EQ(Calls("SetCursor").back().wParam, Bits(sysCursor));
        PumpFor(30);
        EXPECT_TRUE(Forwarding().empty()) << Forwarding().front().function;
        EXPECT_TRUE(ReceivedBy(window, WM_NCRBUTTONDOWN).empty());
    }
}

TEST_F(HookProcTest, NullRecordIsPassedOnUntouched) {
    EXPECT_EQ(rec.proc(HC_ACTION, WM_LBUTTONDOWN, 0), 0);
    EXPECT_EQ(Calls("CallNextHookEx").size(), 1u);
    EXPECT_TRUE(Forwarding().empty());
}

TEST_F(HookProcTest, WithoutTargetTheHookOnlyRecordsAndPassesOn) {
    // The state of every other process on the desktop: no target window.
    ASSERT_EQ(lib.InitMouseHook(nullptr), 1);
    RECT rect;
    GetClientRect(button, &rect);
    const POINT screen = Screen(button, rect.right / 2, rect.bottom / 2);
    MoveTo(screen);
    Clear();
    Press(screen);
    Release(screen);
    MoveTo(Screen(grandchild, 10, 10));
    EXPECT_TRUE(Forwarding().empty()) << Forwarding().front().function;
    EXPECT_TRUE(Calls("SetCursor").empty());
    EXPECT_FALSE(Calls("CallNextHookEx").empty());
    int clicks = 0;
    for (const Received& r : ReceivedBy(target, WM_COMMAND)) {
        clicks += LOWORD(r.wParam) == kButtonId && HIWORD(r.wParam) == BN_CLICKED ? 1 : 0;
    }
    EXPECT_EQ(clicks, 1);

    // Not even the rows real input does not reach forward anything; nor, on this
    // program's window, once its hook is removed (a dialog is open) while another
    // copy's, the same procedure, runs here on this state: the dialog's clicks are its own.
    const POINT point = Screen(grandchild, 5, 5);
    const UINT rows[] = {WM_SETCURSOR,   WM_LBUTTONDOWN,   WM_LBUTTONUP,  WM_NCLBUTTONDOWN,
                         WM_NCLBUTTONUP, WM_NCRBUTTONDOWN, WM_NCRBUTTONUP};
    for (HWND window : {HWND{nullptr}, target}) {
        if (window == target) {
            ASSERT_EQ(lib.InitMouseHook(target), 1);
            ASSERT_EQ(lib.InstallFilter(0, 0), 1);
        }
        Clear();
        for (UINT message : rows) {
            CallProc(HC_ACTION, message, grandchild, point, HTCLOSE);
            CallProc(HC_ACTION, message, window, point, window == target ? HTCAPTION : HTCLIENT);
        }
        ReleaseCapture();
        EXPECT_TRUE(Forwarding().empty()) << Forwarding().front().function;
        EXPECT_TRUE(Calls("SetCursor").empty());
        EXPECT_EQ(Calls("CallNextHookEx").size(), 14u);
    }
}

TEST_F(HookProcTest, WindowOfAnotherProgramOrNoneIsOnlyRecordedAndPassedOn) {
    // On 64-bit Windows the system calls this 32-bit hook on the installing thread
    // (here, where the target is known) with the mouse messages of 64-bit programs.
    // Such a program's window stands in for theirs: another process, another thread.
    Bystander other;
    ASSERT_NE(other.window(), nullptr) << "bystander_app.exe did not start";
    const HWND otherButton = other.button();
    ASSERT_NE(otherButton, nullptr);
    ASSERT_NE(GetWindowThreadProcessId(otherButton, nullptr), GetCurrentThreadId());
    const POINT point = Screen(otherButton, 5, 5);
    const UINT rows[] = {WM_MOUSEMOVE,     WM_SETCURSOR,   WM_NCHITTEST,     WM_NCMOUSEMOVE,
                         WM_LBUTTONDOWN,   WM_LBUTTONUP,   WM_NCLBUTTONDOWN, WM_NCLBUTTONUP,
                         WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_LBUTTONDOWN};
    PumpFor(30);
    Clear();
    int calls = 0;
    for (HWND window : {other.window(), otherButton, static_cast<HWND>(nullptr)}) {
        for (UINT message : rows) {
            CallProc(HC_ACTION, message, window, point, HTCAPTION);
            ++calls;
            EXPECT_EQ(GetCapture(), nullptr) << message;
        }
    }
    PumpFor(30);
    EXPECT_TRUE(Forwarding().empty())
        << Forwarding().front().function << " " << Forwarding().front().message;
    EXPECT_TRUE(Calls("SetCursor").empty());
    EXPECT_EQ(Calls("CallNextHookEx").size(), static_cast<std::size_t>(calls));
    for (const Received& r : rec.received) {
        EXPECT_NE(static_cast<std::uint32_t>(r.lParam), Packed(point))
            << "a copy reached this program: message " << r.message;
    }

    // They were recorded all the same: the next WM_SETCURSOR over the target reports
    // the last of them.
    Clear();
    CallProc(HC_ACTION, WM_SETCURSOR, target, Screen(target, 400, 300), HTCLIENT);
    std::vector<Received> copies = ReceivedBy(target, WM_SETCURSOR);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(HIWORD(copies[0].lParam), WM_LBUTTONDOWN);

    // A window of this thread still gets its row: a press on the grandchild captures.
    Clear();
    const POINT own = Screen(grandchild, 10, 10);
    CallProc(HC_ACTION, WM_LBUTTONDOWN, grandchild, own, HTCLIENT);
    EXPECT_EQ(GetCapture(), target);
    CallProc(HC_ACTION, WM_LBUTTONUP, grandchild, own, HTCLIENT);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Calls("PostMessageA").size(), 2u);
}

}  // namespace
}  // namespace tresk::test
