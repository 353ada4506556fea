// Replacing and restoring the procedures of the main window and the picture area, and
// the picture area's procedure, on the real windows after the real start-up. The
// program's own SetCursor and SetWindowLongA calls are recorded through its imports.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/hookclient/cursors.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/tresk_window_proc.h"
#include "app/res/resource_ids.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/subclass.h"
#include "app/shell/tresk_form.h"
#include "app_test_support.h"
#include "test_support/previous_proc.h"
#include "toolkit/app.h"

namespace tresk::test {
namespace {

constexpr COLORREF kPatch = RGB(200, 40, 120);

// Centre of the patch: below and right of the screen's centre, clear of the main
// window at the top left.
POINT PatchCentre() {
    return POINT{GetSystemMetrics(SM_CXSCREEN) * 5 / 8, GetSystemMetrics(SM_CYSCREEN) * 5 / 8};
}
int setWindowLongCalls = 0;
Patch setWindowLongPatch;

LONG WINAPI SpySetWindowLongA(HWND window, int index, LONG value) {
    ++setWindowLongCalls;
    return setWindowLongPatch.original<decltype(&SetWindowLongA)>()(window, index, value);
}

WNDPROC ProcOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

class Subclass : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitApplication();
        TreskForm& form = TreskForm::Instance();
        form.Load();
        formOwn_ = ProcOf(form.Hwnd());
        pictureOwn_ = ProcOf(form.picTresk.Hwnd());
        StartUp();
        StopMouseHook();
        HMODULE exe = GetModuleHandleA(nullptr);
        setCursorPatch =
            Patch(exe, "USER32.dll", "SetCursor", reinterpret_cast<void*>(SpySetCursor));
        setWindowLongPatch =
            Patch(exe, "USER32.dll", "SetWindowLongA", reinterpret_cast<void*>(SpySetWindowLongA));
        ASSERT_TRUE(setCursorPatch.active());
        ASSERT_TRUE(setWindowLongPatch.active());

        patch_ = ShowColourPatch("TreskSubclassPatch", kPatch, PatchCentre().x - 25,
                                 PatchCentre().y - 25, 50, 50);
        PumpFor(200);
    }
    static void TearDownTestSuite() { DestroyWindow(patch_); }

    void SetUp() override {
        previous.clear();
        setCursorCalls.clear();
        setWindowLongCalls = 0;
    }

    static TreskForm& Form() { return TreskForm::Instance(); }
    static HWND Picture() { return Form().picTresk.Hwnd(); }

    // Puts a recording procedure in as the picture area's previous one while it lives.
    struct RecordPicture {
        RecordPicture() : saved(Shared().prevPictureProc) {
            realPrevious = saved;
            Shared().prevPictureProc = RecordingPrevious;
        }
        ~RecordPicture() { Shared().prevPictureProc = saved; }
        WNDPROC saved;
    };

    static inline HWND patch_ = nullptr;
    static inline WNDPROC formOwn_ = nullptr;
    static inline WNDPROC pictureOwn_ = nullptr;
};

TEST_F(Subclass, StartUpInstallsBothAndASecondInstallKeepsTheOriginal) {
    ASSERT_NE(formOwn_, nullptr);
    ASSERT_NE(pictureOwn_, nullptr);
    EXPECT_EQ(ProcOf(Form().Hwnd()), TreskWindowProc);
    EXPECT_EQ(ProcOf(Picture()), PictureWndProc);
    EXPECT_EQ(Shared().prevFormProc, formOwn_);
    EXPECT_EQ(Shared().prevPictureProc, pictureOwn_);

    SubclassForm(Form().Hwnd());
    SubclassPicture(Picture());
    EXPECT_EQ(setWindowLongCalls, 0);
    EXPECT_EQ(Shared().prevFormProc, formOwn_);
    EXPECT_EQ(Shared().prevPictureProc, pictureOwn_);
    EXPECT_NE(Shared().prevFormProc, TreskWindowProc);
    EXPECT_NE(Shared().prevPictureProc, PictureWndProc);
}

TEST_F(Subclass, MenuAndRightButtonMessagesShowTheArrow) {
    RecordPicture record;
    for (const UINT m : std::initializer_list<UINT>{WM_INITMENU, WM_INITMENUPOPUP, WM_NCRBUTTONDOWN,
                                                    WM_NCRBUTTONUP}) {
        SCOPED_TRACE(m);
        HCURSOR before = LoadCursorRes(IDC_TRESK_PIPETTE);
        Shared().customCursor = before;
        setCursorCalls.clear();
        const LRESULT r = SendMessageA(Picture(), m, HTNOWHERE, MAKELPARAM(5000, 5000));
        EXPECT_EQ(r, 0);
        EXPECT_EQ(HotSpot(before).x, -1) << "the previous cursor is destroyed";
        ASSERT_EQ(setCursorCalls.size(), 1u);
        EXPECT_EQ(setCursorCalls[0], Shared().customCursor);
        EXPECT_TRUE(IsArrow(Shared().customCursor));
        EXPECT_FALSE(PreviousGot(m));
    }
}

TEST_F(Subclass, MoveTracksThePointerAndShowsThePickCursor) {
    RecordPicture record;
    SetCursorPos(123, 456);
    // The message's own point is not read: every position comes from the pointer.
    SendMessageA(Picture(), WM_MOUSEMOVE, 0, MAKELPARAM(7, 7));
    EXPECT_EQ(Form().Mx(), 124);
    EXPECT_EQ(Form().My(), 457);
    ASSERT_EQ(setCursorCalls.size(), 1u);
    EXPECT_EQ(setCursorCalls[0], Shared().customCursor);
    EXPECT_TRUE(IsPick(Shared().customCursor));
    EXPECT_EQ(GetCursor(), Shared().customCursor);
    EXPECT_FALSE(PreviousGot(WM_MOUSEMOVE));
}

TEST_F(Subclass, PressPicksTheColourUnderThePointer) {
    RecordPicture record;
    bool ownEvent = false;
    Form().picTresk.onMouseDown = [&](const tk::MouseEventArgs&) { ownEvent = true; };
    Form().SetBaseColor(RGB(1, 2, 3));
    const POINT at = PatchCentre();
    SetCursorPos(at.x, at.y);
    SendMessageA(Picture(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, 10));
    EXPECT_EQ(Form().Mx(), at.x + 1);
    EXPECT_EQ(Form().My(), at.y + 1);
    EXPECT_EQ(Form().RGBColor(), kPatch);
    EXPECT_EQ(Form().BaseColor(), kPatch);
    EXPECT_EQ(Form().Caption(), "Tresk Color [Size: 553x95; RGB: 200,40,120]");
    EXPECT_TRUE(setCursorCalls.empty());
    EXPECT_FALSE(ownEvent) << "the picture area raises no button event";
    EXPECT_FALSE(PreviousGot(WM_LBUTTONDOWN));

    SetCursorPos(5, 5);
    SendMessageA(Picture(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(Form().RGBColor(), kPatch) << "a release picks nothing";
    EXPECT_FALSE(PreviousGot(WM_LBUTTONUP));
    Form().picTresk.onMouseDown = nullptr;
}

TEST_F(Subclass, OtherMessagesGoToThePreviousProcedure) {
    RecordPicture record;
    EXPECT_EQ(SendMessageA(Picture(), kProbeMessage, 1, 2), kPreviousResult);
    ASSERT_EQ(previous.size(), 1u);
    EXPECT_EQ(previous[0].message, kProbeMessage);
    // The right button reaches the area's own procedure (its context menu lives there).
    previous.clear();
    SendMessageA(Picture(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(PreviousGot(WM_RBUTTONDOWN));
}

TEST_F(Subclass, RestoringPutsTheOriginalsBackAndFreesTheCursor) {
    HCURSOR held = LoadCursorRes(IDC_TRESK_PIPETTE);
    Shared().customCursor = held;
    UnsubclassPicture(Picture());
    EXPECT_EQ(setWindowLongCalls, 1);
    EXPECT_EQ(ProcOf(Picture()), pictureOwn_);
    EXPECT_EQ(Shared().prevPictureProc, nullptr);
    EXPECT_EQ(Shared().customCursor, nullptr);
    EXPECT_EQ(HotSpot(held).x, -1);

    held = LoadCursorRes(IDC_TRESK_ARROW);
    Shared().customCursor = held;
    UnsubclassForm(Form().Hwnd());
    EXPECT_EQ(setWindowLongCalls, 2);
    EXPECT_EQ(ProcOf(Form().Hwnd()), formOwn_);
    EXPECT_EQ(Shared().prevFormProc, nullptr);
    EXPECT_EQ(Shared().customCursor, nullptr);
    EXPECT_EQ(HotSpot(held).x, -1);

    // Again: no procedure changes, but a held cursor is still freed.
    held = LoadCursorRes(IDC_TRESK_ARROW);
    Shared().customCursor = held;
    UnsubclassPicture(Picture());
    UnsubclassForm(Form().Hwnd());
    EXPECT_EQ(setWindowLongCalls, 2);
    EXPECT_EQ(ProcOf(Picture()), pictureOwn_);
    EXPECT_EQ(ProcOf(Form().Hwnd()), formOwn_);
    EXPECT_EQ(Shared().customCursor, nullptr);
    EXPECT_EQ(HotSpot(held).x, -1);

    // Both windows behave as before: no picks, no tracking, the area's own events.
    bool ownEvent = false;
    Form().picTresk.onMouseDown = [&](const tk::MouseEventArgs&) { ownEvent = true; };
    Form().SetRGBColor(RGB(9, 9, 9));
    const std::int32_t mx = Form().Mx();
    const POINT at = PatchCentre();
    SetCursorPos(at.x, at.y);
    SendMessageA(Picture(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    SendMessageA(Picture(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(Picture(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    SendMessageA(Form().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageA(Form().Hwnd(), WM_NCLBUTTONDOWN, HTNOWHERE, MAKELPARAM(at.x, at.y));
    EXPECT_TRUE(ownEvent);
    EXPECT_EQ(Form().RGBColor(), RGB(9, 9, 9));
    EXPECT_EQ(Form().Mx(), mx);
    EXPECT_EQ(Shared().customCursor, nullptr);
    EXPECT_TRUE(setCursorCalls.empty());
    Form().picTresk.onMouseDown = nullptr;

    // And they can be installed again, the main window first.
    SubclassForm(Form().Hwnd());
    SubclassPicture(Picture());
    EXPECT_EQ(Shared().prevFormProc, formOwn_);
    EXPECT_EQ(Shared().prevPictureProc, pictureOwn_);
    EXPECT_EQ(ProcOf(Picture()), PictureWndProc);
}

}  // namespace
}  // namespace tresk::test
