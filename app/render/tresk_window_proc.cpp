#include "app/render/tresk_window_proc.h"

#include <windowsx.h>

#include <cstdint>
#include <optional>

#include "app/about/about_box.h"
#include "app/about/about_form.h"
#include "app/hookclient/cursors.h"
#include "app/hookclient/hook_binding.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/screen_pixel.h"
#include "app/res/resource_ids.h"
#include "app/shell/main_window.h"
#include "app/shell/shared_state.h"
#include "toolkit/app.h"

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

// A pointer position in both of its forms.
struct PointerPoint {
    POINT screen;
    POINT client;  // in the main window's client area
};

// The main window's mouse messages come from two sources. The system delivers its
// own WM_MOUSEMOVE and WM_LBUTTONDOWN through the message queue with client
// coordinates; for those, the queued message being dispatched is this very message
// and its client point is the message's own screen position (MSG.pt) converted to
// the client area. The hook's copies carry screen coordinates: they are either sent
// from inside the hook (so no queued message is being dispatched for them) or
// posted, and then their lParam is a screen point, not the client form of MSG.pt.
PointerPoint PointFromMessage(HWND hWnd, UINT Msg, LPARAM lParam) noexcept {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    bool systemOwn = false;
    if (const MSG* queued = tk::App::DispatchingMessage();
        queued != nullptr && queued->hwnd == hWnd && queued->message == Msg &&
        queued->lParam == lParam) {
        POINT ownClient = queued->pt;
        ScreenToClient(hWnd, &ownClient);
        systemOwn = ownClient.x == p.x && ownClient.y == p.y;
    }
    PointerPoint result{p, p};
    if (systemOwn) {
        ClientToScreen(hWnd, &result.screen);
    } else {
        ScreenToClient(hWnd, &result.client);
    }
    return result;
}

// The colour at a press's screen point (this program's coordinates), read in physical
// pixels; nothing when it cannot be read, and the pick then changes nothing.
std::optional<COLORREF> PixelAtPress(POINT screen) noexcept {
    const POINT physical = PhysicalPoint(screen);
    return ScreenPixel(physical.x, physical.y);
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
        case WM_NCMOUSEMOVE: {
            POINT p{};
            s.lastApiResult = GetCursorPos(&p);
            if (s.lastApiResult != 0) {
                mainwindow::SetMx(p.x + 1);
                mainwindow::SetMy(p.y + 1);
            }
            CursorByHitTest(static_cast<std::int32_t>(wParam));
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        }
        case WM_NCLBUTTONDOWN: {
            // Non-client points are screen points, from the system and the hook alike.
            const std::int32_t packed = hooklib::MOUSEPOINTS(static_cast<std::int32_t>(lParam));
            const auto x = static_cast<std::int16_t>(packed & 0xFFFF);
            const auto y = static_cast<std::int16_t>((packed >> 16) & 0xFFFF);
            if (const std::optional<COLORREF> c = PixelAtPress(POINT{x, y})) {
                mainwindow::SetMx(x + 1);
                mainwindow::SetMy(y + 1);
                mainwindow::SetRGBColor(*c);
                mainwindow::SetBaseColor(*c);
            }
            SetArrowCursor();
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        }
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
            const PointerPoint p = PointFromMessage(hWnd, Msg, lParam);
            mainwindow::SetMx(p.screen.x + 1);
            mainwindow::SetMy(p.screen.y + 1);
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
        case WM_LBUTTONDOWN: {
            const PointerPoint p = PointFromMessage(hWnd, Msg, lParam);
            const std::optional<COLORREF> c = PixelAtPress(p.screen);
            if (!c) {
                return DefWindowProcA(hWnd, Msg, wParam, lParam);
            }
            mainwindow::SetMx(p.screen.x + 1);
            mainwindow::SetMy(p.screen.y + 1);
            mainwindow::SetRGBColor(*c);
            s.pointerWindow = ChildWindowFromPoint(hWnd, p.client);
            if (!mainwindow::MyCtrl(s.pointerWindow)) {
                mainwindow::SetBaseColor(*c);
            }
            return DefWindowProcA(hWnd, Msg, wParam, lParam);
        }
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
