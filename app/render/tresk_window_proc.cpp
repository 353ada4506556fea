#include "app/render/tresk_window_proc.h"

#include <cstdint>

#include "app/about/about_box.h"
#include "app/about/about_form.h"
#include "app/hookclient/cursors.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/pick.h"
#include "app/res/resource_ids.h"
#include "app/shell/main_window.h"
#include "app/shell/shared_state.h"

namespace tresk {
namespace {

void SetPickCursor() noexcept {
    SwitchCustomCursor(IDC_TRESK_PIPETTE);
}
void SetArrowCursor() noexcept {
    SwitchCustomCursor(IDC_TRESK_ARROW);
}

// Cursor by hit-test code: the pick cursor over captions and anywhere else, the
// arrow over the system-menu box and the caption buttons, and none of ours over
// the sizing borders (the system's sizing cursors stay).
void CursorByHitTest(std::int32_t h) noexcept {
    if (h == HTCAPTION) {
        SetPickCursor();
    } else if (h >= HTLEFT && h <= HTBORDER) {
        DestroyCursorRef(Shared().customCursor);
    } else if (h == HTSYSMENU || h == HTMINBUTTON || h == HTMAXBUTTON || h == HTCLOSE) {
        SetArrowCursor();
    } else {
        SetPickCursor();
    }
}

LRESULT Handle(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    SharedState& s = Shared();
    switch (Msg) {
        case WM_SETCURSOR: {
            const auto h = static_cast<std::int16_t>(LOWORD(lParam));
            s.pointerWindow = reinterpret_cast<HWND>(wParam);
            // Every branch below either switches the cursor (which frees the one held
            // unless it is the one wanted) or frees it, as over a sizing border.
            if (h == HTCAPTION || mainwindow::MyHWND(s.pointerWindow)) {
                SetPickCursor();
            } else {
                CursorByHitTest(h);
            }
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        }
        case WM_NCHITTEST: {
            LRESULT r = DefWindowProcA(hWnd, Msg, wParam, lParam);
            if (r == HTCAPTION) {
                SetPickCursor();
            } else {
                SetArrowCursor();
            }
            return r;
        }
        case WM_NCMOUSEMOVE:
            TrackPointer();
            CursorByHitTest(static_cast<std::int32_t>(wParam));
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        case WM_NCLBUTTONDOWN:
            PickAtNonClientPress(lParam);
            SetArrowCursor();
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        case WM_NCLBUTTONUP:
        case WM_NCRBUTTONDOWN:
        case WM_NCRBUTTONUP:
        case WM_INITMENU:
        case WM_INITMENUPOPUP:
            SetArrowCursor();
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        case WM_SYSCOMMAND:
            if (wParam == kAboutCommand) {
                // Loaded first: nothing starts the hook while the About box is loaded,
                // so the restore below leaves it stopped.
                fabout::Instance().Load();
                WINDOWPLACEMENT placement{};
                placement.length = sizeof(WINDOWPLACEMENT);
                s.lastApiResult = GetWindowPlacement(hWnd, &placement);
                if (placement.showCmd == SW_MINIMIZE || placement.showCmd == SW_SHOWMINIMIZED) {
                    s.lastApiResult = ShowWindow(hWnd, SW_RESTORE);
                }
                StopMouseHook();
                ShowAbout("", 0, nullptr);
            } else if ((wParam & 0xFFF0) == SC_MINIMIZE) {
                StopMouseHook();
            } else {
                // A restore's window is still minimised here: its start comes from
                // the resize the restore raises.
                StartMouseHook();
            }
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        case WM_MOUSEMOVE: {
            const PointerPoint p = TrackPointerAt(hWnd, Msg, lParam);
            s.pointerWindow = WindowFromPoint(p.screen);
            if (mainwindow::MyHWND(s.pointerWindow)) {
                SetPickCursor();
            } else {
                s.pointerWindow = ChildWindowFromPoint(hWnd, p.client);
                if (mainwindow::MyCtrl(s.pointerWindow)) {
                    SetArrowCursor();
                } else {
                    SetPickCursor();
                }
            }
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        }
        case WM_LBUTTONDOWN:
            PickAtClientPress(hWnd, Msg, lParam);
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        case WM_LBUTTONUP:
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        default:
            return CallWindowProcA(s.prevFormProc, hWnd, Msg, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK TreskWindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) noexcept {
    // A handler that fails hands the message to the previous procedure; what it had
    // already done stays done.
    try {
        return Handle(hWnd, Msg, wParam, lParam);
    } catch (...) {
        return CallWindowProcA(Shared().prevFormProc, hWnd, Msg, wParam, lParam);
    }
}

}  // namespace tresk
