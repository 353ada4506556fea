#include "app/render/pick.h"

#include <windowsx.h>

#include <cstdint>
#include <optional>

#include "app/hookclient/hook_binding.h"
#include "app/render/screen_pixel.h"
#include "app/shell/main_window.h"
#include "app/shell/shared_state.h"
#include "toolkit/app.h"

namespace tresk {
namespace {

// `Mx` and `My` hold the position plus one in each direction: the main window keeps
// a one-based record of the pointer. The program computes nothing with them; they
// are the window's public record, read from outside the procedures as x + 1 and
// y + 1 (the tests of every pick and move compare them so), so the + 1 stays.
void WritePointer(POINT at) {
    mainwindow::SetMx(at.x + 1);
    mainwindow::SetMy(at.y + 1);
}

// What every pick writes first: the position, then the colour into the caption.
void WritePick(POINT at, COLORREF color) {
    WritePointer(at);
    mainwindow::SetRGBColor(color);
}

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
// pixels; nothing when it cannot be read.
std::optional<COLORREF> PixelAtPress(POINT screen) noexcept {
    const POINT physical = PhysicalPoint(screen);
    return ScreenPixel(physical.x, physical.y);
}

}  // namespace

void TrackPointer() {
    SharedState& s = Shared();
    POINT p{};
    const BOOL read = GetCursorPos(&p);
    s.lastApiResult = read;
    if (read) {
        WritePointer(p);
    }
}

PointerPoint TrackPointerAt(HWND hWnd, UINT Msg, LPARAM lParam) {
    const PointerPoint p = PointFromMessage(hWnd, Msg, lParam);
    WritePointer(p.screen);
    return p;
}

void PickUnderPointer() {
    // The pointer's position is read in physical pixels, as the pixel is.
    const std::optional<POINT> p = PointerPosition();
    if (const std::optional<COLORREF> c = p ? ScreenPixel(p->x, p->y) : std::nullopt) {
        WritePick(*p, *c);
        mainwindow::SetBaseColor(*c);
    }
}

void PickAtNonClientPress(LPARAM lParam) {
    // Non-client points are screen points, from the system and the hook alike. The
    // library's MOUSEPOINTS hands the value back unchanged and the two halves are read
    // as signed 16-bit numbers. The call is not idle: it is the export's one caller,
    // so the press needs the library, and without it (or without that export) the
    // binding raises and the message goes to the previous procedure unpicked.
    const std::int32_t packed = hooklib::MOUSEPOINTS(static_cast<std::int32_t>(lParam));
    const POINT at{static_cast<std::int16_t>(packed & 0xFFFF),
                   static_cast<std::int16_t>((packed >> 16) & 0xFFFF)};
    if (const std::optional<COLORREF> c = PixelAtPress(at)) {
        WritePick(at, *c);
        mainwindow::SetBaseColor(*c);
    }
}

void PickAtClientPress(HWND hWnd, UINT Msg, LPARAM lParam) {
    const PointerPoint p = PointFromMessage(hWnd, Msg, lParam);
    if (const std::optional<COLORREF> c = PixelAtPress(p.screen)) {
        WritePick(p.screen, *c);
        SharedState& s = Shared();
        s.pointerWindow = ChildWindowFromPoint(hWnd, p.client);
        if (!mainwindow::MyCtrl(s.pointerWindow)) {
            mainwindow::SetBaseColor(*c);
        }
    }
}

}  // namespace tresk
