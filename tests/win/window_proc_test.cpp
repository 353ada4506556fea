// The main window's procedure, message by message, on the real main window after the
// real start-up. Messages are sent as the hook sends them (screen points) or posted as
// the system queues them (client points); a recording procedure stands in for the
// window's previous procedure, and the program's own SetCursor calls are recorded.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/hookclient/cursors.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/screen_pixel.h"
#include "app/render/tresk_window_proc.h"
#include "app/res/resource_ids.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "app_test_support.h"
#include "test_support/previous_proc.h"
#include "toolkit/app.h"
#include "toolkit/handle_counts.h"

namespace tresk::test {
namespace {

constexpr COLORREF kPatch = RGB(10, 200, 30);

// Spies on the program's lookup of the thread-context setter, on the setter, and on
// the pick's reads, which note whether a per-monitor context was in force and fail
// while `pointerFails` or `pixelFails`, as on the secure desktop.
using SetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
SetContextFn realSetContext = nullptr;
DPI_AWARENESS_CONTEXT toRestore = nullptr;  // what the per-monitor context displaced
int wrongRestores = 0;
bool pointerFails = false;
bool pixelFails = false;
std::vector<bool> readPerMonitor;
Patch getProcAddressPatch, getPixelPatch, getCursorPosPatch;

DPI_AWARENESS_CONTEXT WINAPI SpySetContext(DPI_AWARENESS_CONTEXT context) {
    const DPI_AWARENESS_CONTEXT before = realSetContext(context);
    const bool perMonitor = context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 ||
                            context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE;
    if (before != nullptr) {
        wrongRestores += !perMonitor && context != toRestore ? 1 : 0;
        toRestore = perMonitor ? before : nullptr;
    }
    return before;
}
FARPROC WINAPI SpyGetProcAddress(HMODULE module, LPCSTR name) {
    FARPROC real = getProcAddressPatch.original<decltype(&GetProcAddress)>()(module, name);
    if (HIWORD(name) == 0 || std::string(name) != "SetThreadDpiAwarenessContext") {
        return real;
    }
    realSetContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(real));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(SpySetContext));
}
COLORREF WINAPI SpyGetPixel(HDC dc, int x, int y) {
    readPerMonitor.push_back(toRestore != nullptr);
    return pixelFails ? CLR_INVALID : getPixelPatch.original<decltype(&GetPixel)>()(dc, x, y);
}
BOOL WINAPI SpyGetCursorPos(POINT* p) {
    readPerMonitor.push_back(toRestore != nullptr);
    return pointerFails ? FALSE : getCursorPosPatch.original<decltype(&GetCursorPos)>()(p);
}

class WindowProc : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitApplication();
        StartUp();
        // Real pointer moves in these tests would also reach the procedure through the
        // hook; the tests send the hook's copies themselves.
        StopMouseHook();
        setCursorPatch = Patch(GetModuleHandleA(nullptr), "USER32.dll", "SetCursor",
                               reinterpret_cast<void*>(SpySetCursor));
        // Before the first pick, which looks the thread-context setter up.
        getProcAddressPatch = Patch(GetModuleHandleA(nullptr), "KERNEL32.dll", "GetProcAddress",
                                    reinterpret_cast<void*>(SpyGetProcAddress));
        getPixelPatch = Patch(GetModuleHandleA(nullptr), "GDI32.dll", "GetPixel",
                              reinterpret_cast<void*>(SpyGetPixel));
        getCursorPosPatch = Patch(GetModuleHandleA(nullptr), "USER32.dll", "GetCursorPos",
                                  reinterpret_cast<void*>(SpyGetCursorPos));
        ASSERT_TRUE(setCursorPatch.active() && getPixelPatch.active() &&
                    getCursorPosPatch.active());
        HWND main = TreskForm::Instance().Hwnd();
        SetWindowPos(main, nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

        // A patch of known colour away from the main window.
        patch_ = ShowColourPatch("TreskTestPatch", kPatch, 900, 700, 60, 60);
        PumpFor(200);
    }
    static void TearDownTestSuite() { DestroyWindow(patch_); }

    void SetUp() override {
        saved_ = Shared().prevFormProc;
        realPrevious = saved_;
        Shared().prevFormProc = RecordingPrevious;
        previous.clear();
        setCursorCalls.clear();
    }
    void TearDown() override { Shared().prevFormProc = saved_; }

    static HWND Main() { return TreskForm::Instance().Hwnd(); }
    static TreskForm& Form() { return TreskForm::Instance(); }
    static LRESULT Send(UINT m, WPARAM wp, LPARAM lp) { return SendMessageA(Main(), m, wp, lp); }
    static LPARAM Screen(POINT p) { return MAKELPARAM(p.x, p.y); }
    static POINT PatchCentre() { return POINT{930, 730}; }
    static POINT CentreOf(HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // The cursor the procedure holds is the one it set last; `kind` null: it holds and
    // sets none.
    static void ExpectCursorSet(bool (*kind)(HCURSOR)) {
        if (kind == nullptr) {
            EXPECT_EQ(Shared().customCursor, nullptr);
            EXPECT_TRUE(setCursorCalls.empty());
            return;
        }
        ASSERT_FALSE(setCursorCalls.empty());
        EXPECT_EQ(setCursorCalls.back(), Shared().customCursor);
        EXPECT_TRUE(kind(Shared().customCursor));
    }
    static void ExpectCaptionShowsThePatch() {
        EXPECT_EQ(Form().Caption(), "Tresk Color [Size: 553x95; RGB: 10,200,30]");
    }

    static inline HWND patch_ = nullptr;
    WNDPROC saved_ = nullptr;
};

// Start-up does not wait for the dialogs' library and the shell (and the libraries they
// bring): they load when a dialog or a link first needs them.
TEST_F(WindowProc, StartUpLeavesTheDialogAndShellLibrariesUnloaded) {
    EXPECT_EQ(GetModuleHandleA("comdlg32.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleA("shell32.dll"), nullptr);
}

TEST_F(WindowProc, ScreenPixelReadsTheScreenAndNothingOffIt) {
    EXPECT_EQ(ScreenPixel(PatchCentre().x, PatchCentre().y), kPatch);
    EXPECT_FALSE(ScreenPixel(-5, 10));
    EXPECT_FALSE(ScreenPixel(10, -5));
    EXPECT_FALSE(ScreenPixel(5000, 5000));
}

// Every road of a pick reads the pointer and the pixel in physical pixels and gives the
// thread its context back. A read that fails changes neither colour, caption nor
// position: a pixel that cannot be read, and a pointer that cannot be read where the
// pixel could be (the picture area's press, and the moves, read the pointer; the main
// window's presses carry their point).
TEST_F(WindowProc, PicksReadPhysicallyAndAFailedReadChangesNothing) {
    HWND picture = Form().picTresk.Hwnd();
    struct Row {
        const char* reads;
        bool pointerFails;
        bool pixelFails;
    };
    for (const Row& row :
         {Row{"working reads", false, false}, Row{"pointer unreadable", true, false},
          Row{"pixel unreadable", false, true}}) {
        SCOPED_TRACE(row.reads);
        Form().SetBaseColor(RGB(1, 2, 3));
        Form().SetRGBColor(RGB(4, 5, 6));
        Form().SetMx(7);
        Form().SetMy(8);
        const std::string caption = Form().Caption();
        SetCursorPos(PatchCentre().x + 10, PatchCentre().y + 10);
        pointerFails = row.pointerFails;
        pixelFails = row.pixelFails;
        if (row.pointerFails) {
            SendMessageA(picture, WM_MOUSEMOVE, 0, 0);
            Send(WM_NCMOUSEMOVE, HTCAPTION, 0);
        }
        readPerMonitor.clear();
        if (!row.pointerFails) {
            Send(WM_NCLBUTTONDOWN, HTNOWHERE, Screen(PatchCentre()));
            Send(WM_LBUTTONDOWN, MK_LBUTTON, Screen(PatchCentre()));
        }
        SendMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        pointerFails = pixelFails = false;
        EXPECT_FALSE(readPerMonitor.empty());
        EXPECT_EQ(readPerMonitor, std::vector<bool>(readPerMonitor.size(), true));
        EXPECT_TRUE(toRestore == nullptr && wrongRestores == 0) << "the thread's context back";
        const bool fail = row.pointerFails || row.pixelFails;
        EXPECT_EQ(Form().RGBColor(), fail ? RGB(4, 5, 6) : kPatch);
        EXPECT_EQ(Form().BaseColor(), fail ? RGB(1, 2, 3) : kPatch);
        EXPECT_EQ(Form().Mx(), fail ? 7 : PatchCentre().x + 11);
        EXPECT_EQ(Form().My(), fail ? 8 : PatchCentre().y + 11);
        EXPECT_EQ(Form().Caption() == caption, fail);
    }
}

TEST_F(WindowProc, SetCursorChoosesByWindowAndHitTest) {
    HWND other = patch_;
    HWND picture = Form().picTresk.Hwnd();
    struct Row {
        HWND window;
        int hitTest;
        bool (*kind)(HCURSOR);  // null: no cursor of ours
    };
    const Row rows[] = {
        {other, HTCAPTION, IsPick},    {picture, HTCLIENT, IsPick},     {Main(), HTLEFT, IsPick},
        {other, HTCLIENT, IsPick},     {other, HTNOWHERE, IsPick},      {other, HTSYSMENU, IsArrow},
        {other, HTMINBUTTON, IsArrow}, {other, HTMAXBUTTON, IsArrow},   {other, HTCLOSE, IsArrow},
        {other, HTERROR, IsPick},      {other, HTTRANSPARENT, IsPick},  {other, HTHELP, IsPick},
        {other, HTLEFT, nullptr},      {other, HTBOTTOMRIGHT, nullptr}, {other, HTBORDER, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hitTest);
        setCursorCalls.clear();
        HCURSOR before = LoadCursorRes(IDC_TRESK_ARROW);
        Shared().customCursor = before;
        const LPARAM lParam = MAKELPARAM(static_cast<WORD>(row.hitTest), WM_MOUSEMOVE);
        const WPARAM wParam = reinterpret_cast<WPARAM>(row.window);
        const LRESULT result = Send(WM_SETCURSOR, wParam, lParam);
        EXPECT_EQ(result, DefWindowProcA(Main(), WM_SETCURSOR, wParam, lParam));
        EXPECT_EQ(Shared().pointerWindow, row.window);
        EXPECT_EQ(HotSpot(before).x, -1) << "the previous cursor is destroyed";
        ExpectCursorSet(row.kind);
    }
    EXPECT_FALSE(PreviousGot(WM_SETCURSOR));
}

TEST_F(WindowProc, HitTestGivesThePickCursorOnlyOverTheCaption) {
    RECT frame;
    GetWindowRect(Main(), &frame);
    const LPARAM caption = MAKELPARAM(frame.left + 60, frame.top + 10);
    LRESULT r = Send(WM_NCHITTEST, 0, caption);
    EXPECT_EQ(r, HTCAPTION);
    ExpectCursorSet(IsPick);
    const POINT client = CentreOf(Form().picTresk.Hwnd());
    r = Send(WM_NCHITTEST, 0, Screen(client));
    EXPECT_EQ(r, HTCLIENT);
    ExpectCursorSet(IsArrow);
    EXPECT_FALSE(PreviousGot(WM_NCHITTEST));
}

TEST_F(WindowProc, NonClientMoveTracksThePointerAndChoosesByHitTest) {
    SetCursorPos(321, 654);
    struct Row {
        int hitTest;
        bool (*kind)(HCURSOR);
    };
    for (const Row& row : {Row{HTCAPTION, IsPick}, Row{HTCLIENT, IsPick}, Row{HTCLOSE, IsArrow},
                           Row{HTTOP, nullptr}}) {
        SCOPED_TRACE(row.hitTest);
        setCursorCalls.clear();
        Send(WM_NCMOUSEMOVE, static_cast<WPARAM>(row.hitTest), MAKELPARAM(1, 1));
        EXPECT_EQ(Form().Mx(), 322);
        EXPECT_EQ(Form().My(), 655);
        ExpectCursorSet(row.kind);
    }
    EXPECT_FALSE(PreviousGot(WM_NCMOUSEMOVE));
}

TEST_F(WindowProc, TitleBarPressPicksAndAlwaysSetsTheBaseColour) {
    Form().SetBaseColor(RGB(1, 2, 3));
    EXPECT_EQ(Send(WM_NCLBUTTONDOWN, HTNOWHERE, Screen(PatchCentre())), 0);
    EXPECT_EQ(Form().Mx(), PatchCentre().x + 1);
    EXPECT_EQ(Form().My(), PatchCentre().y + 1);
    EXPECT_EQ(Form().RGBColor(), kPatch);
    EXPECT_EQ(Form().BaseColor(), kPatch);
    ExpectCaptionShowsThePatch();
    ExpectCursorSet(IsArrow);
    EXPECT_FALSE(PreviousGot(WM_NCLBUTTONDOWN));
}

TEST_F(WindowProc, ButtonAndMenuMessagesShowTheArrow) {
    for (const UINT m : std::initializer_list<UINT>{
             WM_NCLBUTTONUP, WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_INITMENU, WM_INITMENUPOPUP}) {
        SCOPED_TRACE(m);
        HCURSOR before = LoadCursorRes(IDC_TRESK_PIPETTE);
        Shared().customCursor = before;
        setCursorCalls.clear();
        const COLORREF rgb = Form().RGBColor();
        Send(m, HTNOWHERE, MAKELPARAM(5000, 5000));
        ExpectCursorSet(IsArrow);
        EXPECT_EQ(HotSpot(before).x, -1);
        EXPECT_EQ(Form().RGBColor(), rgb);
        EXPECT_FALSE(PreviousGot(m));
    }
}

TEST_F(WindowProc, HookMoveTracksAndChoosesByTheWindowUnderThePointer) {
    HWND picture = Form().picTresk.Hwnd();
    HWND button = Form().btnTresk.Hwnd();
    const POINT overPicture = CentreOf(picture);
    Send(WM_MOUSEMOVE, 0, Screen(overPicture));
    EXPECT_EQ(Form().Mx(), overPicture.x + 1);
    EXPECT_EQ(Form().My(), overPicture.y + 1);
    EXPECT_EQ(Shared().pointerWindow, picture);
    ExpectCursorSet(IsPick);

    const POINT overButton = CentreOf(button);
    Send(WM_MOUSEMOVE, 0, Screen(overButton));
    EXPECT_EQ(Shared().pointerWindow, button);
    ExpectCursorSet(IsArrow);

    Send(WM_MOUSEMOVE, 0, Screen(PatchCentre()));
    EXPECT_NE(Shared().pointerWindow, button);
    ExpectCursorSet(IsPick);

    Send(WM_MOUSEMOVE, 0, MAKELPARAM(-5, 10));
    EXPECT_EQ(Form().Mx(), -4);
    EXPECT_EQ(Form().My(), 11);
    ExpectCursorSet(IsPick);
    EXPECT_FALSE(PreviousGot(WM_MOUSEMOVE));
}

// One pointer move over the picture area reaches three handlers: the hook's
// WM_SETCURSOR and WM_MOUSEMOVE copies to the main window and the picture area's own
// WM_MOUSEMOVE. Along a run of moves the pick cursor stays on screen in one handle;
// a change of shape frees the cursor held, and leaving it to the system frees it too.
TEST_F(WindowProc, MovesKeepTheCursorShownUntilItsShapeChanges) {
    HWND picture = Form().picTresk.Hwnd();
    RECT area;
    GetWindowRect(picture, &area);
    const auto move = [&](POINT p) {
        SetCursorPos(p.x, p.y);
        Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(picture), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        Send(WM_MOUSEMOVE, 0, Screen(p));
        POINT client = p;
        ScreenToClient(picture, &client);
        SendMessageA(picture, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    };
    move(POINT{area.left + 5, area.top + 5});
    const HCURSOR shown = Shared().customCursor;
    ASSERT_TRUE(IsPick(shown));
    const int cursors = tk::CurrentHandleCounts().cursors;
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        setCursorCalls.clear();
        move(POINT{area.left + 6 + i, area.top + 5 + i % 3});
        ASSERT_EQ(setCursorCalls.size(), 3u);
        for (HCURSOR c : setCursorCalls) {
            EXPECT_EQ(c, shown);
        }
        EXPECT_EQ(GetCursor(), shown);
        EXPECT_EQ(tk::CurrentHandleCounts().cursors, cursors);
    }

    // Over a button: the arrow replaces the pick cursor, which is freed.
    Send(WM_MOUSEMOVE, 0, Screen(CentreOf(Form().btnTresk.Hwnd())));
    ExpectCursorSet(IsArrow);
    EXPECT_EQ(GetCursor(), Shared().customCursor);
    EXPECT_EQ(HotSpot(shown).x, -1) << "the pick cursor is destroyed";
    EXPECT_EQ(tk::CurrentHandleCounts().cursors, cursors);

    // Over another window's sizing border the system's cursor stays and ours is freed.
    const HCURSOR arrow = Shared().customCursor;
    Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(patch_), MAKELPARAM(HTLEFT, WM_MOUSEMOVE));
    EXPECT_EQ(Shared().customCursor, nullptr);
    EXPECT_EQ(HotSpot(arrow).x, -1);
    EXPECT_EQ(tk::CurrentHandleCounts().cursors, cursors - 1);

    // Back over the picture area: a pick cursor again, loaded afresh.
    setCursorCalls.clear();
    move(POINT{area.left + 40, area.top + 20});
    ExpectCursorSet(IsPick);
    EXPECT_EQ(GetCursor(), Shared().customCursor);
    EXPECT_EQ(tk::CurrentHandleCounts().cursors, cursors);
}

TEST_F(WindowProc, HookPressPicksAndSetsTheBaseUnlessOnAControl) {
    Form().SetBaseColor(RGB(1, 2, 3));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Screen(PatchCentre()));
    EXPECT_EQ(Form().Mx(), PatchCentre().x + 1);
    EXPECT_EQ(Form().RGBColor(), kPatch);
    EXPECT_EQ(Form().BaseColor(), kPatch);
    ExpectCaptionShowsThePatch();
    EXPECT_TRUE(setCursorCalls.empty()) << "a press changes no cursor";

    // On a right-hand control: the colour is read, the base colour stays.
    for (HWND control : {Form().btnTresk.Hwnd(), Form().txtPerc.Hwnd(), Form().chkInvert.Hwnd()}) {
        const POINT p = CentreOf(control);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, Screen(p));
        EXPECT_EQ(Shared().pointerWindow, control);
        EXPECT_EQ(Form().RGBColor(), ScreenPixel(p.x, p.y));
        EXPECT_EQ(Form().BaseColor(), kPatch);
    }

    // A release picks nothing.
    const COLORREF onControl = Form().RGBColor();
    Send(WM_LBUTTONUP, 0, Screen(PatchCentre()));
    EXPECT_EQ(Form().RGBColor(), onControl);
    EXPECT_FALSE(PreviousGot(WM_LBUTTONDOWN));
    EXPECT_FALSE(PreviousGot(WM_LBUTTONUP));
}

TEST_F(WindowProc, QueuedPressesPickThePixelReallyUnderThePointer) {
    // The system's own press: client coordinates of the pointer's position.
    SetCursorPos(PatchCentre().x, PatchCentre().y);
    POINT client = PatchCentre();
    ScreenToClient(Main(), &client);
    Form().SetBaseColor(RGB(1, 2, 3));
    PostMessageA(Main(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    tk::App::DoEvents();
    EXPECT_EQ(Form().Mx(), PatchCentre().x + 1);
    EXPECT_EQ(Form().My(), PatchCentre().y + 1);
    EXPECT_EQ(Form().RGBColor(), kPatch);
    EXPECT_EQ(Form().BaseColor(), kPatch);

    // A copy the hook posted: a screen point, while the pointer is elsewhere.
    Form().SetRGBColor(0);
    SetCursorPos(5, 5);
    PostMessageA(Main(), WM_LBUTTONDOWN, MK_LBUTTON, Screen(PatchCentre()));
    tk::App::DoEvents();
    EXPECT_EQ(Form().Mx(), PatchCentre().x + 1);
    EXPECT_EQ(Form().RGBColor(), kPatch);

    // The system's own move over the button column: client point, arrow.
    const POINT button = CentreOf(Form().btnTresk.Hwnd());
    SetCursorPos(button.x, button.y);
    POINT buttonClient = button;
    ScreenToClient(Main(), &buttonClient);
    PostMessageA(Main(), WM_MOUSEMOVE, 0, MAKELPARAM(buttonClient.x, buttonClient.y));
    tk::App::DoEvents();
    EXPECT_EQ(Form().Mx(), button.x + 1);
    EXPECT_EQ(Form().My(), button.y + 1);
    EXPECT_FALSE(PreviousGot(WM_LBUTTONDOWN));
    EXPECT_FALSE(PreviousGot(WM_MOUSEMOVE));
}

TEST_F(WindowProc, OtherMessagesGoToThePreviousProcedure) {
    const LRESULT r = Send(kProbeMessage, 7, 9);
    EXPECT_EQ(r, kPreviousResult);
    ASSERT_EQ(previous.size(), 1u);
    EXPECT_EQ(previous[0].window, Main());
    EXPECT_EQ(previous[0].message, kProbeMessage);
    EXPECT_EQ(previous[0].wParam, 7u);
    EXPECT_EQ(previous[0].lParam, 9);
}

TEST_F(WindowProc, MinimiseStopsTheHookAndOtherCommandsStartIt) {
    TearDown();  // the real previous procedure: the commands take effect
    StartMouseHook();
    ASSERT_EQ(Shared().HookActive, -1);
    Send(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(Shared().HookActive, 0);
    EXPECT_TRUE(IsIconic(Main()));
    // As at the start of a program started minimised: the restore starts the hook.
    StartMouseHook();
    EXPECT_EQ(Shared().HookActive, 0) << "started while minimised";
    Send(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(Shared().HookActive, -1);
    EXPECT_FALSE(IsIconic(Main()));
    StopMouseHook();
    Send(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_EQ(Shared().HookActive, -1);
    Send(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(Shared().HookActive, -1);
    StopMouseHook();
    saved_ = Shared().prevFormProc;
}

}  // namespace
}  // namespace tresk::test
