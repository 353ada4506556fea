// The main window as the program starts it: the start-up sequence runs once in this
// process, then the tests drive the real window through its message loop (posted
// keys, real pointer input, system commands) and read the shade ramp back from the
// screen.
#include "app/shell/tresk_form.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/about/about_form.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/colors.h"
#include "app/render/gradient.h"
#include "app/shell/shared_state.h"
#include "app/render/tresk_window_proc.h"
#include "app/shell/startup.h"
#include "app/shell/subclass.h"
#include "app_test_support.h"
#include "dialog_driver.h"
#include "test_support/program_environment.h"
#include "test_support/ramp_model.h"
#include "test_support/window_utils.h"
#include "toolkit/app.h"

namespace tresk {
namespace {

using test::Form;

std::string& FirstCaptionSlot() {
    static std::string caption;
    return caption;
}

void Pump(int rounds = 1, DWORD pauseMs = 0) {
    test::DoEventsRounds(rounds, pauseMs);
}

[[maybe_unused]] ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(
    new test::ProgramEnvironment(5, 20, [] { FirstCaptionSlot() = Form().Caption(); }));

// Counts the process's MessageBeep calls (user32's own controls included) by
// sending the function's entry to a counter for the lifetime of the object.
class BeepCounter {
public:
    BeepCounter() {
        entry_ = reinterpret_cast<unsigned char*>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBeep"));
        if (entry_ == nullptr ||
            !VirtualProtect(entry_, sizeof(saved_), PAGE_EXECUTE_READWRITE, &oldProtection_)) {
            entry_ = nullptr;
            return;
        }
        std::memcpy(saved_, entry_, sizeof(saved_));
        const auto from = reinterpret_cast<std::uintptr_t>(entry_) + sizeof(saved_);
        const auto to = reinterpret_cast<std::uintptr_t>(&Counted);
        const auto offset = static_cast<std::uint32_t>(to - from);
        unsigned char jump[5] = {0xE9};
        std::memcpy(jump + 1, &offset, sizeof(offset));
        std::memcpy(entry_, jump, sizeof(jump));
        FlushInstructionCache(GetCurrentProcess(), entry_, sizeof(saved_));
        count_ = 0;
    }
    ~BeepCounter() {
        if (entry_ != nullptr) {
            std::memcpy(entry_, saved_, sizeof(saved_));
            DWORD ignored = 0;
            VirtualProtect(entry_, sizeof(saved_), oldProtection_, &ignored);
            FlushInstructionCache(GetCurrentProcess(), entry_, sizeof(saved_));
        }
    }
    BeepCounter(const BeepCounter&) = delete;
    BeepCounter& operator=(const BeepCounter&) = delete;

    bool Active() const noexcept { return entry_ != nullptr; }
    int Count() const noexcept { return count_; }

private:
    static BOOL WINAPI Counted(UINT) {
        ++count_;
        return TRUE;
    }
    static inline int count_ = 0;
    unsigned char* entry_ = nullptr;
    unsigned char saved_[5] = {};
    DWORD oldProtection_ = 0;
};

using test::ChildRect;
using test::Ramp;
using test::Rgb;
using test::ScreenShot;
using test::ShowsRamp;
using test::WindowRectOf;

// The picture area as the screen shows it, after the thread has looked at its queue.
ScreenShot PictureOnScreen() {
    Pump(2, 20);
    return ScreenShot(WindowRectOf(Form().picTresk.Hwnd()));
}

void BringToFront() {
    SetForegroundWindow(Form().Hwnd());
    Pump(3, 10);
}

// Puts the controls back to their state at start-up (text, boxes, base colour,
// design size, white picture area).
void ResetWindow() {
    TreskForm& form = Form();
    if (IsIconic(form.Hwnd())) {
        ShowWindow(form.Hwnd(), SW_RESTORE);
    }
    RECT client{0, 0, 632, 95};
    AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongA(form.Hwnd(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(form.Hwnd(), GWL_EXSTYLE)));
    SetWindowPos(form.Hwnd(), nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    form.txtPerc.SetText("50");
    form.chkVertical.SetValue(0);
    form.chkInvert.SetValue(0);
    form.SetBaseColor(ActiveCaptionColor());
    form.mnuClear_Click();
    BringToFront();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ResetWindow(); }
};

// The sizes and the column's left edges at 96 dpi are the resolution test's first row.
TEST_F(MainWindowTest, StartsAtDesignSizeWithSizeCaptionAndLaidOutColumn) {
    TreskForm& form = Form();
    EXPECT_EQ(FirstCaptionSlot(), "Tresk Color [Size: 553x95]");
    EXPECT_EQ(Shared().mainForm, &form);
    EXPECT_NE(GetWindowLongA(form.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "not top-most";
    // The picture area in the top-left corner, the check boxes under the text box.
    EXPECT_EQ(form.picTresk.Left(), 0);
    EXPECT_EQ(form.picTresk.Top(), 0);
    EXPECT_EQ(ChildRect(form.picTresk.Hwnd()).left, 0);
    EXPECT_EQ(ChildRect(form.picTresk.Hwnd()).top, 0);
    EXPECT_EQ(ChildRect(form.chkVertical.Hwnd()).left, 557);
    EXPECT_EQ(ChildRect(form.chkInvert.Hwnd()).left, 557);
    // Tops never move.
    EXPECT_EQ(form.btnTresk.Top(), 15);
    EXPECT_EQ(form.fra.Top(), 240);
    EXPECT_EQ(form.txtPerc.Top(), 360);
    EXPECT_EQ(form.chkVertical.Top(), 780);
    EXPECT_EQ(form.chkInvert.Top(), 1080);

    EXPECT_TRUE(form.MyHWND(form.Hwnd()));
    EXPECT_TRUE(form.MyHWND(form.picTresk.Hwnd()));
    EXPECT_FALSE(form.MyHWND(form.txtPerc.Hwnd()));
    // Every child window of the main window but the two picture boxes is a control of
    // the column: a press over one must not take the base colour.
    int children = 0;
    for (HWND child = GetWindow(form.Hwnd(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT), ++children) {
        const bool picture = child == form.picTresk.Hwnd() || child == form.pic.Hwnd();
        EXPECT_EQ(form.MyCtrl(child), !picture) << "child " << children;
    }
    EXPECT_GE(children, 7);
    EXPECT_EQ(form.BaseColor(), GetSysColor(COLOR_ACTIVECAPTION));
}

BOOL CALLBACK FindToolTips(HWND window, LPARAM found) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) {
        *reinterpret_cast<HWND*>(found) = window;
    }
    return TRUE;
}

// The tool tips: given to the tool tip window once the window is up, the text box's
// over the whole box and the colour label's over the label's place in the frame.
TEST_F(MainWindowTest, ToolTipsCoverTheTextBoxAndTheColourLabel) {
    TreskForm& form = Form();
    HWND tips = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindToolTips, reinterpret_cast<LPARAM>(&tips));
    ASSERT_NE(tips, nullptr) << "no tool tip window";
    ASSERT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 2);
    std::map<std::string, TOOLINFOA> tools;
    for (WPARAM i = 0; i < 2; ++i) {
        char text[80] = {};
        TOOLINFOA ti{};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.lpszText = text;
        ASSERT_TRUE(SendMessageA(tips, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&ti)));
        tools[text] = ti;
    }
    ASSERT_EQ(tools.count("Percent value color tresking"), 1u);
    ASSERT_EQ(tools.count("Color to tresk"), 1u);
    const TOOLINFOA& box = tools["Percent value color tresking"];
    EXPECT_EQ(box.uId, reinterpret_cast<UINT_PTR>(form.txtPerc.Hwnd()));
    EXPECT_NE(box.uFlags & TTF_IDISHWND, 0u);
    const TOOLINFOA& label = tools["Color to tresk"];
    EXPECT_EQ(label.hwnd, form.fra.Hwnd());
    // The label's place in the frame: 780, 135 twips, 375 x 285 twips, at 15 a pixel.
    EXPECT_EQ(label.rect.left, 52);
    EXPECT_EQ(label.rect.top, 9);
    EXPECT_EQ(label.rect.right, 77);
    EXPECT_EQ(label.rect.bottom, 28);
}

void Prepare(const Ramp& ramp) {
    TreskForm& form = Form();
    form.SetBaseColor(ramp.base);
    form.txtPerc.SetText(std::to_string(ramp.percent));
    form.chkVertical.SetValue(ramp.vertical ? 1 : 0);
    form.chkInvert.SetValue(ramp.invert ? 1 : 0);
}

TEST_F(MainWindowTest, RampFollowsDirectionOrderPercentageBaseColourAndGreyBoxes) {
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    const Ramp ramps[] = {
        {caption, 50, false, false},
        {caption, 50, true, false},
        {caption, 50, false, true},
        {caption, 0, false, false},
        {caption, 100, false, false},
        {RGB(0, 0, 0), 50, true, false},
        {RGB(100, 150, 250), 100, false, false},
        {RGB(100, 150, 250), 100, true, true},
        {RGB(255, 255, 255), 37, true, false},
    };
    for (const Ramp& ramp : ramps) {
        SCOPED_TRACE(::testing::Message()
                     << "base " << Rgb(ramp.base) << ", " << ramp.percent << "%"
                     << (ramp.vertical ? ", Vertical" : "") << (ramp.invert ? ", Invert" : ""));
        Prepare(ramp);
        Form().btnTresk_Click();
        const ScreenShot shot = PictureOnScreen();
        ASSERT_EQ(shot.Width(), 553);
        ASSERT_EQ(shot.Height(), 95);
        EXPECT_TRUE(ShowsRamp(shot, ramp));
    }
    // Check boxes in the grey state count as unchecked.
    const Ramp plain{RGB(200, 100, 50), 40, false, false};
    Prepare(plain);
    Form().chkVertical.SetValue(2);
    Form().chkInvert.SetValue(2);
    Form().btnTresk_Click();
    EXPECT_TRUE(ShowsRamp(PictureOnScreen(), plain)) << "grey boxes";
}

void PostKey(HWND window, WPARAM key) {
    const auto scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC));
    PostMessageA(window, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(window, WM_KEYUP, key,
                 static_cast<LPARAM>(1u | (static_cast<unsigned>(scan) << 16) | 0xC0000000u));
}

TEST_F(MainWindowTest, EnterInThePercentageBoxPaintsSilentlyAndKeepsTheFocus) {
    TreskForm& form = Form();
    const Ramp ramp{RGB(90, 180, 30), 50, false, false};
    Prepare(ramp);
    form.txtPerc.SetFocus();
    SendMessageA(form.txtPerc.Hwnd(), EM_SETSEL, 1, 1);  // caret between the digits
    Pump(2, 10);
    ASSERT_EQ(GetFocus(), form.txtPerc.Hwnd());

    BeepCounter beeps;
    ASSERT_TRUE(beeps.Active());
    PostKey(form.txtPerc.Hwnd(), VK_RETURN);
    Pump(3, 10);
    const int beepsAfterEnter = beeps.Count();
    EXPECT_EQ(form.txtPerc.Text(), "50");
    EXPECT_EQ(GetFocus(), form.txtPerc.Hwnd());
    EXPECT_EQ(beepsAfterEnter, 0);
    EXPECT_TRUE(ShowsRamp(PictureOnScreen(), ramp));

    // The counter does see a beep, and other keys still reach the box.
    MessageBeep(MB_OK);
    EXPECT_EQ(beeps.Count(), beepsAfterEnter + 1);
    SendMessageA(form.txtPerc.Hwnd(), EM_SETSEL, 2, 2);
    PostMessageA(form.txtPerc.Hwnd(), WM_CHAR, '7', 1);
    Pump(2, 10);
    EXPECT_EQ(form.txtPerc.Text(), "507");
}

TEST_F(MainWindowTest, ButtonPaintsAndHandsTheFocusBackWithTheTextSelected) {
    TreskForm& form = Form();
    const Ramp ramp{RGB(30, 60, 90), 25, true, false};
    Prepare(ramp);
    form.txtPerc.SetText("25");
    form.chkInvert.SetFocus();
    Pump(2, 10);
    ASSERT_EQ(GetFocus(), form.chkInvert.Hwnd());
    SendMessageA(form.txtPerc.Hwnd(), EM_SETSEL, 0, 0);

    // A press and release of the button, as the mouse would make it.
    SendMessageA(form.btnTresk.Hwnd(), BM_CLICK, 0, 0);
    Pump(3, 10);
    EXPECT_EQ(GetFocus(), form.txtPerc.Hwnd());
    DWORD start = 99;
    DWORD end = 99;
    SendMessageA(form.txtPerc.Hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 2u);
    EXPECT_TRUE(ShowsRamp(PictureOnScreen(), ramp));
}

// What the context-menu watcher saw; its timer runs inside the menu's own loop.
struct MenuWatch {
    int seen = 0;
    bool open = false;  // a visible menu was answered and has not closed yet
    const std::function<void(HWND)>* answer = nullptr;
};
MenuWatch watch;

HWND VisibleMenu() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

void CALLBACK WatchMenus(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = VisibleMenu();
    if (menu != nullptr && !watch.open) {
        watch.open = true;
        ++watch.seen;
        (*watch.answer)(menu);
    } else if (menu == nullptr) {
        watch.open = false;
    }
}

// Runs `action`, then handles messages until none of the input or posted messages it
// raised is left; any context menu that opens meanwhile is handed to `answer`.
// A menu opens inside the handling of the release that asks for it, so however
// slowly the machine runs, an action that opened none has left none open by then.
// Returns how many menus were seen.
int MenusDuring(const std::function<void()>& action, const std::function<void(HWND menu)>& answer) {
    watch = MenuWatch{0, false, &answer};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, WatchMenus);
    action();
    const DWORD start = GetTickCount();
    do {
        Pump(2, 10);
    } while (HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)) != 0 &&
             GetTickCount() - start < 20000);
    EXPECT_EQ(HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)), 0u)
        << "the thread's messages were still not handled after 20 s";
    KillTimer(nullptr, timer);
    const int seen = watch.seen;
    watch = MenuWatch{};
    return seen;
}

void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

POINT PictureCentre() {
    const RECT r = WindowRectOf(Form().picTresk.Hwnd());
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST_F(MainWindowTest, OnlyTheRightButtonReleaseOpensTheContextMenu) {
    TreskForm& form = Form();
    const COLORREF base = RGB(1, 2, 3);
    form.SetBaseColor(base);
    const POINT centre = PictureCentre();
    SetCursorPos(centre.x, centre.y);
    Pump(3, 10);
    auto dismiss = [](HWND) { EndMenu(); };

    EXPECT_EQ(MenusDuring(
                  [] {
                      Mouse(MOUSEEVENTF_MIDDLEDOWN);
                      Mouse(MOUSEEVENTF_MIDDLEUP);
                  },
                  dismiss),
              0);
    EXPECT_EQ(MenusDuring(
                  [] {
                      Mouse(MOUSEEVENTF_LEFTDOWN);
                      Mouse(MOUSEEVENTF_LEFTUP);
                  },
                  dismiss),
              0);
    // The left press picked the white of the cleared picture area instead.
    EXPECT_EQ(Rgb(form.BaseColor()), Rgb(RGB(255, 255, 255)));

    EXPECT_EQ(MenusDuring(
                  [] {
                      Mouse(MOUSEEVENTF_RIGHTDOWN);
                      Mouse(MOUSEEVENTF_RIGHTUP);
                  },
                  dismiss),
              1);

    // The release raised by the message itself, without the pointer's help.
    const LPARAM at = MAKELPARAM(10, 10);
    EXPECT_EQ(
        MenusDuring([&] { PostMessageA(form.picTresk.Hwnd(), WM_MBUTTONUP, 0, at); }, dismiss), 0);
    EXPECT_EQ(
        MenusDuring([&] { PostMessageA(form.picTresk.Hwnd(), WM_RBUTTONUP, 0, at); }, dismiss), 1);
}

TEST_F(MainWindowTest, ClearBringsBackPlainWhite) {
    TreskForm& form = Form();
    auto allWhite = [](const ScreenShot& shot) {
        for (int y = 0; y < shot.Height(); ++y) {
            for (int x = 0; x < shot.Width(); ++x) {
                if (shot.At(x, y) != RGB(255, 255, 255)) {
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << "," << y << ") is " << Rgb(shot.At(x, y));
                }
            }
        }
        return ::testing::AssertionSuccess();
    };
    Prepare({RGB(120, 20, 200), 100, false, false});
    form.btnTresk_Click();
    ASSERT_FALSE(allWhite(PictureOnScreen()));
    form.mnuClear_Click();
    EXPECT_TRUE(allWhite(PictureOnScreen()));

    // The same through the context menu: the last item is "Clear".
    form.btnTresk_Click();
    ASSERT_FALSE(allWhite(PictureOnScreen()));
    const int menus =
        MenusDuring([&] { PostMessageA(form.picTresk.Hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5)); },
                    [](HWND menu) {
                        PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
                        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
                    });
    EXPECT_EQ(menus, 1);
    EXPECT_TRUE(allWhite(PictureOnScreen()));
}

// Lets the window shrink below the system's minimum tracking size.
LRESULT CALLBACK NoMinimumSize(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
    if (message == WM_GETMINMAXINFO) {
        DefSubclassProc(window, message, wParam, lParam);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = POINT{1, 1};
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// The caption, the column's left edges in twips and pixels, and the picture's width.
std::string Column() {
    TreskForm& f = Form();
    std::ostringstream out;
    out << f.Caption() << "; " << f.btnTresk.Left() << " " << f.fra.Left() << " "
        << f.txtPerc.Left() << " " << f.chkVertical.Left() << " " << f.chkInvert.Left() << "; "
        << ChildRect(f.btnTresk.Hwnd()).left << " " << ChildRect(f.fra.Hwnd()).left << " "
        << ChildRect(f.txtPerc.Hwnd()).left << "; " << f.picTresk.Width();
    return out.str();
}

TEST_F(MainWindowTest, WindowNarrowerThanTheFrameOnlyStretchesThePictureHeight) {
    TreskForm& form = Form();
    form.SetRGBColor(RGB(0x56, 0x34, 0x12));
    ASSERT_EQ(form.Caption(), "Tresk Color [Size: 553x95; RGB: 86,52,18]");
    const std::string before = Column();

    ASSERT_TRUE(SetWindowSubclass(form.Hwnd(), NoMinimumSize, 1, 0));
    RECT outer{0, 0, 40, 150};  // client 40 x 150 pixels; the frame is 79 wide
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongA(form.Hwnd(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(form.Hwnd(), GWL_EXSTYLE)));
    SetWindowPos(form.Hwnd(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(3, 10);
    RemoveWindowSubclass(form.Hwnd(), NoMinimumSize, 1);
    RECT client{};
    GetClientRect(form.Hwnd(), &client);
    ASSERT_EQ(client.right, 40);
    ASSERT_EQ(client.bottom, 150);

    EXPECT_EQ(form.picTresk.Height(), 150 * 15);
    EXPECT_EQ(ChildRect(form.picTresk.Hwnd()).bottom, 150);
    EXPECT_EQ(Column(), before);

    // Back at the design size the layout runs in full again.
    ResetWindow();
    EXPECT_EQ(form.Caption(), "Tresk Color [Size: 553x95]");
    EXPECT_EQ(form.picTresk.Height(), 1425);
}

TEST_F(MainWindowTest, MinimisingKeepsTheCaption) {
    TreskForm& form = Form();
    form.SetRGBColor(RGB(7, 8, 9));
    const std::string before = Column();
    SendMessageA(form.Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump(3, 10);
    ASSERT_TRUE(IsIconic(form.Hwnd()));
    EXPECT_EQ(Column(), before);

    SendMessageA(form.Hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump(3, 10);
    ASSERT_FALSE(IsIconic(form.Hwnd()));
    EXPECT_EQ(form.Caption(), "Tresk Color [Size: 553x95]");
    EXPECT_EQ(form.picTresk.Height(), 1425);
    EXPECT_EQ(form.picTresk.Width(), 8295);
}

TEST_F(MainWindowTest, CancelledSessionEndLeavesTheWindowPickingAgain) {
    TreskForm& form = Form();
    const SharedState& s = Shared();
    ASSERT_EQ(s.HookActive, -1);
    EXPECT_EQ(SendMessageA(form.Hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(s.HookActive, 0) << "the session's end runs the shutdown sequence";
    EXPECT_EQ(s.prevFormProc, nullptr);
    EXPECT_EQ(s.prevPictureProc, nullptr);

    // Another program calls the log-off off: the program works as after start-up.
    SendMessageA(form.Hwnd(), WM_ENDSESSION, FALSE, 0);
    Pump(3, 10);
    ASSERT_TRUE(IsWindow(form.Hwnd()));
    EXPECT_EQ(s.HookActive, -1);
    EXPECT_EQ(GetWindowLongPtrA(form.Hwnd(), GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(TreskWindowProc));
    EXPECT_EQ(GetWindowLongPtrA(form.picTresk.Hwnd(), GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(PictureWndProc));

    // Over the white picture area: the pick cursor, and a left press picks white.
    form.SetBaseColor(RGB(1, 2, 3));
    const POINT centre = PictureCentre();
    SetCursorPos(centre.x, centre.y);
    PostMessageA(form.picTresk.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    Pump(3, 10);
    EXPECT_TRUE(test::IsPick(s.customCursor));
    PostMessageA(form.picTresk.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(form.picTresk.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump(3, 10);
    EXPECT_EQ(form.BaseColor(), RGB(255, 255, 255));
}

// Real key presses: they go wherever the keyboard focus is.
void TypeKeys(const std::string& keys) {
    for (char c : keys) {
        INPUT input[2]{};
        input[0].type = INPUT_KEYBOARD;
        input[0].ki.wVk = c == '\r' ? VK_RETURN : static_cast<WORD>(c);
        input[1] = input[0];
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
        Pump(3, 10);
    }
}

// The focus is in the percentage box with its text selected: a typed percentage
// replaces it and Enter paints.
void ExpectTypingPaints() {
    TreskForm& form = Form();
    EXPECT_EQ(GetFocus(), form.txtPerc.Hwnd());
    form.mnuClear_Click();
    TypeKeys("30\r");
    EXPECT_EQ(form.txtPerc.Text(), "30");
    EXPECT_TRUE(ShowsRamp(PictureOnScreen(), {form.BaseColor(), 30, false, false}));
    form.txtPerc.SetText("50");
}

HWND FindAbout() {
    return FindWindowA("TreskForm", "About");
}

TEST_F(MainWindowTest, FocusComesBackAfterTheColourDialogTheAboutBoxAndARestore) {
    TreskForm& form = Form();
    for (int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button == IDOK ? "colour dialog, OK" : "colour dialog, Cancel");
        form.txtPerc.SetFocus();
        Pump(2, 10);
        bool opened = false;
        test::WhileDriving(
            form.Hwnd(),
            [&] {
                if (HWND dialog = test::WaitForOwnedDialog(form.Hwnd())) {
                    opened = true;
                    test::PressButton(dialog, button);
                }
            },
            [&] {
                form.lblCol_Click();
                return 0;
            });
        ASSERT_TRUE(opened) << "clicking the swatch opened no colour dialog";
        Pump(3, 10);
        ExpectTypingPaints();
    }

    {
        SCOPED_TRACE("About box");
        // Closes itself should the driver miss it, later than the driver waits for it
        // to go, so that a miss fails.
        fabout::Instance().SetInterval(30000);
        form.txtPerc.SetFocus();
        Pump(2, 10);
        bool seen = false;
        bool closed = false;
        std::thread driver([&] {
            HWND about = nullptr;
            for (int i = 0; i < 1000 && (about == nullptr || !IsWindowVisible(about)); ++i) {
                Sleep(20);
                about = FindAbout();
            }
            seen = about != nullptr && IsWindowVisible(about);
            closed =
                seen && PostMessageA(about, WM_CLOSE, 0, 0) != 0 && test::WaitForGone(about, 20000);
        });
        SendMessageA(form.Hwnd(), WM_SYSCOMMAND, kAboutCommand, 0);
        driver.join();
        fabout::Instance().SetInterval(0);
        ASSERT_TRUE(seen) << "the system menu command showed no About box";
        ASSERT_TRUE(closed) << "the About box did not close on WM_CLOSE";
        Pump(3, 10);
        ExpectTypingPaints();
    }

    {
        SCOPED_TRACE("restore from minimised");
        // The control that had the focus gets it back, whichever it was.
        const auto minimiseAndRestoreWithFocusOn = [&](HWND control) {
            SetFocus(control);
            Pump(2, 10);
            SendMessageA(form.Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
            Pump(3, 10);
            SendMessageA(form.Hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
            Pump(3, 10);
        };
        minimiseAndRestoreWithFocusOn(form.chkInvert.Hwnd());
        EXPECT_EQ(GetFocus(), form.chkInvert.Hwnd());
        minimiseAndRestoreWithFocusOn(form.txtPerc.Hwnd());
        ExpectTypingPaints();
    }
}

}  // namespace
}  // namespace tresk
