// The About window inside the real program: opened from the main window's system
// menu, its layout, picture, link hover and press, the ways it closes, auto-close
// and modeless showing, and the mouse hook around it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/about/about_box.h"
#include "app/about/about_form.h"
#include "app/about/author_texts.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/tresk_window_proc.h"
#include "app/res/resource_ids.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "test_support/window_utils.h"
#include "toolkit/app.h"
#include "toolkit/handle_counts.h"
#include "toolkit/numeric.h"

namespace tresk {
namespace {

constexpr std::int16_t kHookOn = -1;

HWND MainHwnd() {
    return TreskForm::Instance().Hwnd();
}

// Handles messages the program's way (its dialog keys included) for `ms` milliseconds.
void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        tk::App::DoEvents();
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// Handles messages the program's way until `done` holds; false when it still does
// not after 10 s.
bool PumpUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 10000) {
            return false;
        }
        tk::App::DoEvents();
        Sleep(5);
    }
    return true;
}

// The top-level window titled "About", if any.
HWND FindAboutWindow() {
    return FindWindowA("TreskForm", "About");
}

std::vector<std::string> Rows(const std::string& text) {
    std::vector<std::string> rows(1);
    for (char c : text) {
        if (c == '\r') {
            rows.emplace_back();
        } else {
            rows.back().push_back(c);
        }
    }
    return rows;
}

// Pixel centre of a windowless control, in its container's client coordinates.
LPARAM CentreOf(const tk::Control& control) {
    const RECT r = control.PixelRect();
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// A run of the About window opened through the system-menu command. `during` runs
// inside the window's modal loop once the window is up; the window is closed by
// force only when it is still open `limitMs` after the command.
struct SystemMenuRun {
    bool sawWindow = false;
    bool forcedClose = false;
    DWORD openedAt = 0;
    DWORD closedAt = 0;
};

std::function<void(HWND)> g_during;
SystemMenuRun* g_run = nullptr;

void CALLBACK WhenOpen(HWND, UINT, UINT_PTR id, DWORD) {
    HWND about = FindAboutWindow();
    if (about == nullptr || !IsWindowVisible(about) || g_run == nullptr) {
        return;
    }
    KillTimer(nullptr, id);
    g_run->sawWindow = true;
    g_run->openedAt = GetTickCount();
    auto during = std::move(g_during);
    g_during = nullptr;
    if (during) {
        during(about);
    }
}

void CALLBACK ForceClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (fabout::Instance().IsLoaded() && g_run != nullptr) {
        g_run->forcedClose = true;
        fabout::Instance().Unload();
    }
}

SystemMenuRun OpenFromSystemMenu(std::function<void(HWND)> during, UINT limitMs = 8000) {
    SystemMenuRun run;
    g_run = &run;
    g_during = std::move(during);
    const UINT_PTR watch = SetTimer(nullptr, 0, 20, WhenOpen);
    const UINT_PTR guard = SetTimer(nullptr, 0, limitMs, ForceClose);
    PostMessageA(MainHwnd(), WM_SYSCOMMAND, kAboutCommand, 0);
    // The command is dispatched from this pump, and the modal loop runs inside that
    // dispatch: once the window has been seen and is gone, the loop has ended.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < limitMs + 2000) {
        tk::App::DoEvents();
        if (run.sawWindow && !fabout::Instance().IsLoaded()) {
            break;
        }
        Sleep(5);
    }
    run.closedAt = GetTickCount();
    KillTimer(nullptr, watch);
    KillTimer(nullptr, guard);
    g_run = nullptr;
    g_during = nullptr;
    return run;
}

// The window was opened, closed by `how` rather than by force, and the hook runs again.
void ExpectClosedBy(const SystemMenuRun& run, const char* how) {
    EXPECT_TRUE(run.sawWindow);
    EXPECT_FALSE(run.forcedClose) << how << " did not close the window";
    EXPECT_EQ(fabout::Instance().Loaded(), 0);
    EXPECT_EQ(Shared().HookActive, kHookOn) << "closing starts the hook again";
}

class AboutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitApplication();
        StartUp();
        PumpFor(100);
    }
    static void TearDownTestSuite() {
        if (fabout::Instance().IsLoaded()) {
            fabout::Instance().Unload();
        }
        StopMouseHook();
    }
    void SetUp() override {
        fabout& about = fabout::Instance();
        about.SetInterval(0);
        about.SetModeless(0);
        recorded.clear();
        about.openLink = [this](const std::string& target) { recorded.push_back(target); };
        StartMouseHook();
        ASSERT_EQ(Shared().HookActive, kHookOn) << "Treskhook.dll must be beside the tests";
    }

    std::vector<std::string> recorded;
};

TEST_F(AboutTest, SystemMenuCommandRestoresStopsHookAndShowsModalWindow) {
    ShowWindow(MainHwnd(), SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([] { return IsIconic(MainHwnd()) != 0; }));
    // Each start hands the library two new cursors.
    const int handedOver = tk::CurrentHandleCounts().handedOver;

    bool checked = false;
    SystemMenuRun run = OpenFromSystemMenu([&](HWND about) {
        fabout& form = fabout::Instance();
        EXPECT_EQ(about, form.Hwnd());
        EXPECT_FALSE(IsIconic(MainHwnd()));
        EXPECT_EQ(Shared().HookActive, 0);
        EXPECT_FALSE(IsWindowEnabled(MainHwnd())) << "modal: the main window takes no input";
        EXPECT_EQ(form.Loaded(), -1);
        EXPECT_EQ(tk::CurrentHandleCounts().handedOver, handedOver) << "the restore started it";
        // Minimised and restored meanwhile by another program, as the shell does.
        ShowWindow(MainHwnd(), SW_MINIMIZE);
        ShowWindow(MainHwnd(), SW_RESTORE);
        EXPECT_EQ(Shared().HookActive, 0) << "started under the About box";

        // Fixed border, no minimise or maximise box, client area 6555 x 3180 twips.
        const auto style = static_cast<DWORD>(GetWindowLongA(about, GWL_STYLE));
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
        EXPECT_NE(style & WS_SYSMENU, 0u);
        RECT client{};
        GetClientRect(about, &client);
        EXPECT_EQ(client.right, 437);
        EXPECT_EQ(client.bottom, 212);

        // Centred: half the free room, at 15 twips a pixel an odd room of k pixels
        // gives 7.5 k twips, truncated, which lands on the pixel below the half.
        const RECT outer = test::WindowRectOf(about);
        EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
        EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);

        // The OK button lies above the frame where they overlap.
        POINT onOk{(form.btnOK.PixelRect().left + form.btnOK.PixelRect().right) / 2,
                   (form.btnOK.PixelRect().top + form.btnOK.PixelRect().bottom) / 2};
        EXPECT_EQ(ChildWindowFromPointEx(about, onOk, CWP_SKIPINVISIBLE), form.btnOK.Hwnd());
        checked = true;
        PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    ExpectClosedBy(run, "Esc");
    EXPECT_TRUE(checked);
    EXPECT_EQ(FindAboutWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(MainHwnd()));
}

TEST_F(AboutTest, ShowsAboutBitmapAndLeavesBlankRunsUnderTheLinks) {
    SystemMenuRun run = OpenFromSystemMenu([&](HWND) {
        fabout& form = fabout::Instance();

        // The picture is bitmap 364, 32 x 32 in 24-bit colour, drawn at imgIcon.
        BITMAP bm{};
        ASSERT_NE(form.imgIcon.Picture(), nullptr);
        GetObjectA(form.imgIcon.Picture(), sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, 32);
        EXPECT_EQ(bm.bmHeight, 32);
        EXPECT_EQ(bm.bmBitsPixel, 24);
        HBITMAP expected = static_cast<HBITMAP>(LoadImageA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TRESK_ABOUT), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(expected, nullptr);
        RedrawWindow(form.Frame1.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC frameDc = GetDC(form.Frame1.Hwnd());
        HDC memDc = CreateCompatibleDC(frameDc);
        HGDIOBJ old = SelectObject(memDc, expected);
        const RECT at = form.imgIcon.PixelRect();
        int mismatches = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                if (GetPixel(frameDc, at.left + x, at.top + y) != GetPixel(memDc, x, y)) {
                    ++mismatches;
                }
            }
        }
        SelectObject(memDc, old);
        DeleteDC(memDc);
        DeleteObject(expected);
        ReleaseDC(form.Frame1.Hwnd(), frameDc);
        EXPECT_EQ(mismatches, 0);
        EXPECT_EQ(at.left, tk::ToPixelsX(270));
        EXPECT_EQ(at.top, tk::ToPixelsY(480));

        // Text: an empty first row, the title row, and blank runs of the addresses'
        // lengths opening rows 8 and 9.
        const std::vector<std::string> rows = Rows(form.lblAbout.Caption());
        ASSERT_EQ(rows.size(), 9u);
        EXPECT_EQ(rows[0], "");
        EXPECT_EQ(rows[1].rfind(Shared().appTitle + "  -  version ", 0), 0u) << rows[1];
        const std::string mailBlank(std::strlen(kEmailAddress), ' ');
        EXPECT_EQ(rows[7], mailBlank + std::string(12, ' ') + "or check for updates on the web:");
        EXPECT_EQ(rows[8], std::string(std::strlen(kWebAddress), ' '));

        // The links sit at the text's left edge, sized to their text, and are drawn
        // over the text label.
        EXPECT_EQ(form.lblmailto.Caption(), kEmailAddress);
        EXPECT_EQ(form.lblweb.Caption(), WebAddress());
        EXPECT_TRUE(form.lblmailto.Visible());
        EXPECT_TRUE(form.lblweb.Visible());
        EXPECT_EQ(form.lblmailto.Left(), form.lblAbout.Left());
        EXPECT_EQ(form.lblweb.Left(), form.lblAbout.Left());
        EXPECT_EQ(form.lblmailto.Height(), 225);
        EXPECT_EQ(form.lblweb.Height(), 225);
        EXPECT_GT(form.lblmailto.Width(), 0);
        EXPECT_GT(form.lblweb.Width(), form.lblmailto.Width());
        EXPECT_FALSE(form.lblmailto.GetFontSpec().underline);
        EXPECT_EQ(form.lblmailto.GetFontSpec().name, "Arial");
        EXPECT_DOUBLE_EQ(form.lblmailto.GetFontSpec().points, 9.0);
        EXPECT_DOUBLE_EQ(form.lblAbout.GetFontSpec().points, 9.75);
        PostMessageA(form.btnOK.Hwnd(), BM_CLICK, 0, 0);
    });
    ExpectClosedBy(run, "the OK button");
}

TEST_F(AboutTest, HoverMovesUnderlineAndHandBetweenLinks) {
    SystemMenuRun run = OpenFromSystemMenu([&](HWND about) {
        fabout& form = fabout::Instance();
        tk::Label& mail = form.lblmailto;
        tk::Label& web = form.lblweb;
        const HWND frame = form.Frame1.Hwnd();
        EXPECT_EQ(mail.MousePointer(), tk::kPointerDefault);
        // Over one link: it alone is underlined and has the hand; the other has neither.
        const auto over = [&](tk::Label& on, tk::Label& off) {
            SendMessageA(frame, WM_MOUSEMOVE, 0, CentreOf(on));
            EXPECT_TRUE(on.GetFontSpec().underline);
            EXPECT_FALSE(off.GetFontSpec().underline);
            EXPECT_EQ(on.MousePointer(), tk::kPointerCustom);
            EXPECT_NE(on.MouseIcon(), nullptr);
            EXPECT_EQ(off.MousePointer(), tk::kPointerDefault);
            EXPECT_EQ(off.MouseIcon(), nullptr);
        };
        over(mail, web);
        over(web, mail);  // straight from one link to the other

        // Over the text label: both underlines off, pointers left as they are.
        const RECT text = form.lblAbout.PixelRect();
        SendMessageA(frame, WM_MOUSEMOVE, 0, MAKELPARAM(text.left + 5, text.top + 20));
        EXPECT_FALSE(mail.GetFontSpec().underline);
        EXPECT_FALSE(web.GetFontSpec().underline);
        EXPECT_EQ(web.MousePointer(), tk::kPointerCustom);

        // Over the frame's own area, outside every label.
        SendMessageA(frame, WM_MOUSEMOVE, 0, CentreOf(mail));
        ASSERT_TRUE(mail.GetFontSpec().underline);
        SendMessageA(frame, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
        EXPECT_FALSE(mail.GetFontSpec().underline);
        EXPECT_FALSE(web.GetFontSpec().underline);
        EXPECT_EQ(mail.MousePointer(), tk::kPointerCustom);

        // The frame shows the link's hand cursor while the pointer is over the link.
        RECT frameRect{};
        GetWindowRect(frame, &frameRect);
        const RECT m = mail.PixelRect();
        SetCursorPos(frameRect.left + (m.left + m.right) / 2,
                     frameRect.top + (m.top + m.bottom) / 2);
        SetCursor(nullptr);
        SendMessageA(frame, WM_SETCURSOR, reinterpret_cast<WPARAM>(frame),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), mail.MouseIcon());

        PostMessageA(about, WM_KEYDOWN, VK_RETURN, 0);
    });
    ExpectClosedBy(run, "Enter");
}

TEST_F(AboutTest, PressOfAnyButtonOnALinkOpensItAndKeepsTheWindowOpen) {
    SystemMenuRun run = OpenFromSystemMenu([&](HWND about) {
        fabout& form = fabout::Instance();
        const HWND frame = form.Frame1.Hwnd();
        SendMessageA(frame, WM_RBUTTONDOWN, MK_RBUTTON, CentreOf(form.lblmailto));
        ASSERT_EQ(recorded.size(), 1u) << "opened on the press, not the release";
        EXPECT_EQ(recorded[0], std::string("mailto:") + kEmailAddress);
        SendMessageA(frame, WM_RBUTTONUP, 0, CentreOf(form.lblmailto));

        SendMessageA(frame, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, CentreOf(form.lblweb));
        SendMessageA(frame, WM_LBUTTONUP, 0, CentreOf(form.lblweb));
        SendMessageA(frame, WM_MBUTTONDOWN, MK_MBUTTON, CentreOf(form.lblweb));
        SendMessageA(frame, WM_MBUTTONUP, 0, CentreOf(form.lblweb));
        ASSERT_EQ(recorded.size(), 3u);
        EXPECT_EQ(recorded[1], kWebAddress);
        EXPECT_EQ(recorded[2], kWebAddress);

        // A press on the text itself opens nothing.
        const RECT text = form.lblAbout.PixelRect();
        SendMessageA(frame, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(text.left + 5, text.top + 20));
        SendMessageA(frame, WM_LBUTTONUP, 0, MAKELPARAM(text.left + 5, text.top + 20));
        EXPECT_EQ(recorded.size(), 3u);

        PumpFor(50);
        EXPECT_TRUE(IsWindowVisible(about));
        EXPECT_EQ(form.Loaded(), -1);
        EXPECT_EQ(Shared().HookActive, 0);
        PostMessageA(about, WM_CLOSE, 0, 0);
    });
    ExpectClosedBy(run, "the close command");
}

TEST_F(AboutTest, IntervalClosesTheWindowByItselfAndStartsTheHook) {
    fabout& form = fabout::Instance();
    EXPECT_EQ(form.Interval(), 0);
    EXPECT_THROW(form.SetInterval(-1), tk::RuntimeError);
    form.SetInterval(5000);
    EXPECT_EQ(form.Interval(), 5000);

    bool timerOn = false;
    SystemMenuRun run =
        OpenFromSystemMenu([&](HWND) { timerOn = form.TimerHide.Enabled(); }, 12000);
    ExpectClosedBy(run, "the timer");
    EXPECT_TRUE(timerOn);
    EXPECT_GE(run.closedAt - run.openedAt, 4500u) << "not before the period is over";
    EXPECT_FALSE(form.TimerHide.Enabled()) << "the timer disables itself when it fires";

    // With the period back at 0 the timer stays off.
    form.SetInterval(0);
    bool timerOff = false;
    run = OpenFromSystemMenu([&](HWND about) {
        timerOff = !form.TimerHide.Enabled();
        PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_TRUE(timerOff);
}

TEST_F(AboutTest, ModelessReturnsAtOnceTopMostAndClosesWithEsc) {
    fabout& form = fabout::Instance();
    form.SetModeless(-1);
    EXPECT_EQ(form.Modeless(), -1);
    StopMouseHook();
    ShowAbout("", 0, nullptr);
    // Returned without a modal loop: the window is still up.
    HWND about = FindAboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(IsWindowVisible(about));
    EXPECT_NE(static_cast<DWORD>(GetWindowLongA(about, GWL_EXSTYLE)) & WS_EX_TOPMOST, 0u);
    EXPECT_TRUE(IsWindowEnabled(MainHwnd()));
    EXPECT_EQ(form.Loaded(), -1);
    EXPECT_EQ(Shared().HookActive, 0);

    PostMessageA(form.btnOK.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpUntil([] { return FindAboutWindow() == nullptr; }));
    EXPECT_EQ(form.Loaded(), 0);
    EXPECT_EQ(Shared().HookActive, kHookOn);
}

TEST_F(AboutTest, CommentAndGivenPictureAreShown) {
    fabout& form = fabout::Instance();
    form.SetModeless(-1);

    // A picture of the caller's: the window shows a copy and the caller keeps its own.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = 8;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP mine = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(mine, nullptr);
    ShowAbout("Hello", 0, mine);
    ASSERT_NE(form.imgIcon.Picture(), nullptr);
    EXPECT_NE(form.imgIcon.Picture(), mine);
    BITMAP bm{};
    GetObjectA(form.imgIcon.Picture(), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 16);
    EXPECT_EQ(bm.bmHeight, 8);
    std::vector<std::string> rows = Rows(form.lblAbout.Caption());
    ASSERT_GE(rows.size(), 9u);
    EXPECT_EQ(rows[1], "Hello");
    EXPECT_EQ(rows[6], "for comments or bugs send e-mail to address:");
    form.Unload();
    EXPECT_EQ(form.btnOK.Hwnd(), nullptr) << "the button forgets the window its parent destroyed";
    EXPECT_NE(GetObjectA(mine, sizeof(bm), &bm), 0) << "the caller's picture is untouched";
    DeleteObject(mine);

    // A resource picture by number, and a comment with neither picture nor number.
    ShowAbout("Hello", IDB_TRESK_ABOUT, nullptr);
    GetObjectA(form.imgIcon.Picture(), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    form.Unload();
    ShowAbout("Hello", 0, nullptr);
    rows = Rows(form.lblAbout.Caption());
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[1], "Hello");
    GetObjectA(form.imgIcon.Picture(), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    form.Unload();
    EXPECT_TRUE(PumpUntil([] { return FindAboutWindow() == nullptr; }));
}

}  // namespace
}  // namespace tresk
