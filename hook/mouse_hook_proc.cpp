#include "hook/mouse_hook_proc.h"

#include "hook/hook_rules.h"
#include "hook/hook_state.h"

namespace tresk {

// The hook's decisions are made without <windows.h>, on copies of the platform's
// numbers: each copy is tied to the original here.
static_assert(kWmMove == WM_MOVE);
static_assert(kWmSetCursor == WM_SETCURSOR);
static_assert(kWmNcHitTest == WM_NCHITTEST);
static_assert(kWmNcMouseMove == WM_NCMOUSEMOVE);
static_assert(kWmNcLButtonDown == WM_NCLBUTTONDOWN);
static_assert(kWmNcLButtonUp == WM_NCLBUTTONUP);
static_assert(kWmNcRButtonDown == WM_NCRBUTTONDOWN);
static_assert(kWmNcRButtonUp == WM_NCRBUTTONUP);
static_assert(kWmCommand == WM_COMMAND);
static_assert(kWmSysCommand == WM_SYSCOMMAND);
static_assert(kWmInitMenu == WM_INITMENU);
static_assert(kWmInitMenuPopup == WM_INITMENUPOPUP);
static_assert(kWmMenuSelect == WM_MENUSELECT);
static_assert(kWmMouseMove == WM_MOUSEMOVE);
static_assert(kWmLButtonDown == WM_LBUTTONDOWN);
static_assert(kWmLButtonUp == WM_LBUTTONUP);
static_assert(kWmMoving == WM_MOVING);
static_assert(kHtCaption == HTCAPTION);
static_assert(kHtSysMenu == HTSYSMENU);
static_assert(kHtMinButton == HTMINBUTTON);
static_assert(kHtMaxButton == HTMAXBUTTON);
static_assert(kHtLeft == HTLEFT);
static_assert(kHtBorder == HTBORDER);
static_assert(kHtClose == HTCLOSE);
static_assert(kPressFlag == MK_LBUTTON && kPressFlag == HTCLIENT);

namespace {

void ShowCursorChoice(HookCursor choice) {
    HCURSOR cursor = nullptr;
    if (choice == HookCursor::App) {
        cursor = hookState.AppCursor;
    } else if (choice == HookCursor::Sys) {
        cursor = hookState.SysCursor;
    }
    if (cursor != nullptr) {
        SetCursor(cursor);
    }
}

// Carries out a plan. The results of SetCapture, SendMessageA, PostMessageA and
// ReleaseCapture are ignored: nothing here could act on a failure.
void CarryOut(const HookPlan& plan) {
    ShowCursorChoice(plan.cursor);
    if (plan.captureFirst) {
        SetCapture(hookState.TargetWindow);
    }
    if (plan.recipient != HookRecipient::Nobody) {
        HWND recipient =
            plan.recipient == HookRecipient::Target ? hookState.TargetWindow : hookState.LastWindow;
        const auto wParam = static_cast<WPARAM>(plan.wParam);
        const auto lParam = static_cast<LPARAM>(plan.lParam);
        if (plan.delivery == HookDelivery::Send) {
            SendMessageA(recipient, plan.message, wParam, lParam);
        } else {
            PostMessageA(recipient, plan.message, wParam, lParam);
        }
    }
    if (plan.releaseAfter) {
        ReleaseCapture();
    }
}

}  // namespace

const char* WindowClassName(HWND window, ClassNameBuffer& buffer) noexcept {
    if (GetClassNameA(window, buffer.text, kClassNameBufferChars) == 0) {
        buffer.text[0] = '\0';
    }
    return buffer.text;
}

// Runs on whichever thread of the desktop is about to take a mouse message, or, for
// programs the library cannot be loaded into (64-bit ones), on the thread that
// installed the hook. Handled messages return 0 without calling the next hook, so the
// platform still delivers the original message after any copy sent here.
LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    const auto* record = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
    if (code < 0 || record == nullptr) {
        return CallNextHookEx(hookState.HookHandles[0], code, wParam, lParam);
    }
    const auto message = static_cast<std::uint32_t>(wParam);
    hookState.LastWindow = record->hwnd;
    hookState.LastHitTest = static_cast<std::uint32_t>(record->wHitTestCode);
    hookState.LastPoint = PackPoint(record->pt.x, record->pt.y);
    hookState.LastMessage = RecordedMessage(message, hookState.LastMessage);

    HookEvent event{};
    event.message = message;
    event.window = reinterpret_cast<std::uintptr_t>(hookState.LastWindow);
    event.hitTest = hookState.LastHitTest;
    event.point = hookState.LastPoint;
    event.lastMessage = hookState.LastMessage;
    // Another copy of the program keeps its hook installed while this one's is
    // removed, and the platform runs it here on this process's state: a removed hook's
    // target is no target, or this copy's own dialogs would lose their clicks to it.
    event.targetKnown = hookState.Initialized != 0 && hookState.TargetWindow != nullptr;
    // GetWindowThreadProcessId gives 0 for no window or one that is gone: not ours.
    event.windowOnThisThread =
        event.targetKnown &&
        GetWindowThreadProcessId(hookState.LastWindow, nullptr) == GetCurrentThreadId();
    event.windowIsTarget = event.targetKnown && hookState.LastWindow == hookState.TargetWindow;
    event.parentIsTarget = false;
    event.windowIsPicture = false;
    if (LeftButtonNeedsLineage(event)) {
        event.parentIsTarget = GetParent(hookState.LastWindow) == hookState.TargetWindow;
        if (event.parentIsTarget) {
            ClassNameBuffer className;
            event.windowIsPicture =
                IsPictureClassName(WindowClassName(hookState.LastWindow, className));
        }
    }

    const HookPlan plan = PlanHookMessage(event);
    if (plan.passOn) {
        return CallNextHookEx(hookState.HookHandles[0], code, wParam, lParam);
    }
    CarryOut(plan);
    return 0;
}

}  // namespace tresk
