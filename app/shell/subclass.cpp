#include "app/shell/subclass.h"

#include "app/hookclient/cursors.h"
#include "app/render/pick.h"
#include "app/render/tresk_window_proc.h"
#include "app/res/resource_ids.h"
#include "app/shell/shared_state.h"
#include "toolkit/app.h"

namespace tresk {
namespace {

WNDPROC Install(HWND hWnd, WNDPROC proc) noexcept {
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

void Restore(HWND hWnd, WNDPROC& saved) noexcept {
    SharedState& s = Shared();
    if (saved != nullptr) {
        s.lastApiResult = static_cast<std::int32_t>(
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved)));
        saved = nullptr;
    }
    DestroyCursorRef(s.customCursor);
}

}  // namespace

void SubclassForm(HWND hWnd) noexcept {
    SharedState& s = Shared();
    if (s.prevFormProc == nullptr && !s.closing) {
        s.prevFormProc = Install(hWnd, TreskWindowProc);
    }
}

void SubclassPicture(HWND hWnd) noexcept {
    SharedState& s = Shared();
    if (s.prevPictureProc == nullptr && !s.closing) {
        s.prevPictureProc = Install(hWnd, PictureWndProc);
    }
}

void UnsubclassPicture(HWND hWnd) noexcept {
    Restore(hWnd, Shared().prevPictureProc);
}

void UnsubclassForm(HWND hWnd) noexcept {
    Restore(hWnd, Shared().prevFormProc);
}

LRESULT CALLBACK PictureWndProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) noexcept {
    // This procedure has no error trap: a failure here is a run-time error that ends
    // the program (after the desktop's arrow has been given back).
    try {
        switch (Msg) {
            case WM_INITMENU:
            case WM_INITMENUPOPUP:
            case WM_NCRBUTTONDOWN:
            case WM_NCRBUTTONUP:
                SwitchCustomCursor(IDC_TRESK_ARROW);
                return DefWindowProcA(hWnd, Msg, wParam, lParam);
            case WM_MOUSEMOVE:
                TrackPointer();
                SwitchCustomCursor(IDC_TRESK_PIPETTE);
                return DefWindowProcA(hWnd, Msg, wParam, lParam);
            case WM_LBUTTONDOWN:
                PickUnderPointer();
                return DefWindowProcA(hWnd, Msg, wParam, lParam);
            case WM_LBUTTONUP:
                return DefWindowProcA(hWnd, Msg, wParam, lParam);
            default:
                return CallWindowProcA(Shared().prevPictureProc, hWnd, Msg, wParam, lParam);
        }
    } catch (...) {
        tk::App::Fatal(tk::CaughtErrorText());
    }
}

}  // namespace tresk
