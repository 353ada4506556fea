// Time the program spends on one pointer move over the picture area: the hook's
// WM_SETCURSOR and WM_MOUSEMOVE copies sent to the main window (screen points), then
// the picture area's own WM_MOUSEMOVE. Then the calls those handlers make, each timed
// on its own, to show where a move's time goes.
#include <windows.h>

#include <cstdio>

#include "app/hookclient/cursors.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/screen_pixel.h"
#include "app/res/resource_ids.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "toolkit/app.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
    }
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// Mean microseconds of one call of `f`, over `runs` calls.
template <class F>
double CallUs(F&& f, int runs) {
    const double start = Now();
    for (int i = 0; i < runs; ++i) {
        f(i);
    }
    return (Now() - start) / runs;
}

}  // namespace

int main() {
    tresk::InitApplication();
    tk::App::Raise([] { tresk::StartUp(); });
    // The hook itself would add real pointer traffic; this measures the handlers.
    tresk::StopMouseHook();
    tk::App::DoEvents();

    tresk::TreskForm& form = tresk::TreskForm::Instance();
    HWND main = form.Hwnd();
    HWND picture = form.picTresk.Hwnd();
    RECT area;
    GetWindowRect(picture, &area);
    const int width = area.right - area.left;
    const int y = (area.top + area.bottom) / 2;

    constexpr int kMoves = 3000;
    double setCursorUs = 0;
    double mainMoveUs = 0;
    double pictureMoveUs = 0;
    for (int i = 0; i < kMoves; ++i) {
        const int x = area.left + 1 + i % (width - 2);
        SetCursorPos(x, y);
        const LPARAM screen = MAKELPARAM(x, y);
        const LPARAM client = MAKELPARAM(x - area.left, y - area.top);
        const double t0 = Now();
        SendMessageA(main, WM_SETCURSOR, reinterpret_cast<WPARAM>(picture),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        const double t1 = Now();
        SendMessageA(main, WM_MOUSEMOVE, 0, screen);
        const double t2 = Now();
        SendMessageA(picture, WM_MOUSEMOVE, 0, client);
        const double t3 = Now();
        setCursorUs += t1 - t0;
        mainMoveUs += t2 - t1;
        pictureMoveUs += t3 - t2;
        if (i % 256 == 0) {
            tk::App::DoEvents();
        }
    }
    const double total = setCursorUs + mainMoveUs + pictureMoveUs;
    std::printf("pointer moves over the picture area: %d\n", kMoves);
    std::printf("%-34s %12s %12s\n", "step", "total ms", "per move us");
    std::printf("%-34s %12.1f %12.2f\n", "WM_SETCURSOR copy (main window)", setCursorUs / 1000,
                setCursorUs / kMoves);
    std::printf("%-34s %12.1f %12.2f\n", "WM_MOUSEMOVE copy (main window)", mainMoveUs / 1000,
                mainMoveUs / kMoves);
    std::printf("%-34s %12.1f %12.2f\n", "WM_MOUSEMOVE (picture area)", pictureMoveUs / 1000,
                pictureMoveUs / kMoves);
    std::printf("%-34s %12.1f %12.2f\n", "one move, all three", total / 1000, total / kMoves);
    std::printf("caption: %s\n", form.Caption().c_str());

    // The calls one move makes (per handler, at most one of each), and what a cursor
    // reload cost before a move kept the cursor it already shows.
    constexpr int kCalls = 2000;
    const POINT inside{area.left + width / 2, y};
    std::printf("\n%-46s %12s\n", "call", "us per call");
    const auto row = [](const char* name, double us) { std::printf("%-46s %12.2f\n", name, us); };
    row("GetCursorPos", CallUs(
                            [](int) {
                                POINT p;
                                GetCursorPos(&p);
                            },
                            kCalls));
    row("WindowFromPoint", CallUs([&](int) { WindowFromPoint(inside); }, kCalls));
    row("ChildWindowFromPoint", CallUs(
                                    [&](int) {
                                        POINT client = inside;
                                        ScreenToClient(main, &client);
                                        ChildWindowFromPoint(main, client);
                                    },
                                    kCalls));
    row("Mx and My written, caption unchanged", CallUs(
                                                    [&](int i) {
                                                        form.SetMx(inside.x + 1 + i % 2);
                                                        form.SetMy(inside.y + 1);
                                                    },
                                                    kCalls));
    row("SetCursor with the cursor already shown",
        CallUs([&](int) { SetCursor(tresk::Shared().customCursor); }, kCalls));
    row("DefWindowProcA(WM_SETCURSOR)", CallUs(
                                            [&](int) {
                                                DefWindowProcA(main, WM_SETCURSOR,
                                                               reinterpret_cast<WPARAM>(picture),
                                                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                                            },
                                            kCalls));
    // What every handler did before: free the cursor shown, load the next, show it.
    HCURSOR shown = tresk::LoadCursorRes(IDC_TRESK_PIPETTE);
    SetCursor(shown);
    row("cursor destroyed, loaded and shown (before)",
        CallUs(
            [&](int) {
                tresk::DestroyCursorRef(shown);
                shown = tresk::LoadCursorRes(IDC_TRESK_PIPETTE);
                SetCursor(shown);
            },
            kCalls / 4));
    SetCursor(tresk::Shared().customCursor);
    tresk::DestroyCursorRef(shown);
    row("ScreenPixel (presses only)",
        CallUs([&](int) { tresk::ScreenPixel(inside.x, inside.y); }, kCalls / 4));
    PostMessageA(main, WM_CLOSE, 0, 0);
    return tk::App::Run();
}
