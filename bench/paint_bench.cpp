// Painter and export timings on the real main window, each beside its floor measured
// in the same run: one FillRect over the same area.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/hookclient/mouse_hook.h"
#include "app/render/bitmap_export.h"
#include "app/render/gradient.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "toolkit/app.h"
#include "toolkit/handles.h"

namespace {

using Clock = std::chrono::steady_clock;

// Time of one call in milliseconds: the mean over a batch of at least `minRuns` calls
// and 0.1 s, best of five batches (other work on the machine only ever adds time).
template <class F>
double TimeMs(F&& f, int minRuns) {
    double best = 0;
    for (int batch = 0; batch < 5; ++batch) {
        int runs = 0;
        auto start = Clock::now();
        auto elapsed = Clock::duration::zero();
        while (runs < minRuns || elapsed < std::chrono::milliseconds(100)) {
            f();
            GdiFlush();
            ++runs;
            elapsed = Clock::now() - start;
        }
        const double mean = std::chrono::duration<double, std::milli>(elapsed).count() / runs;
        best = batch == 0 ? mean : std::min(best, mean);
    }
    return best;
}

// Sizes the main window so that the picture area is width x height pixels.
void SizePicture(tresk::TreskForm& form, int width, int height) {
    RECT client;
    GetClientRect(form.Hwnd(), &client);
    RECT window;
    GetWindowRect(form.Hwnd(), &window);
    int extraW = (window.right - window.left) - client.right;
    int extraH = (window.bottom - window.top) - client.bottom;
    int column = tk::ToPixelsX(form.fra.Width());
    SetWindowPos(form.Hwnd(), nullptr, 0, 0, width + column + extraW, height + extraH,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    tk::App::DoEvents();
}

}  // namespace

int main() {
    tresk::InitApplication();
    tresk::StartUp();
    tresk::StopMouseHook();
    tresk::TreskForm& form = *tresk::Shared().mainForm;
    // Let the display settle after start-up before anything is timed.
    for (int i = 0; i < 10; ++i) {
        tk::App::DoEvents();
        Sleep(50);
    }

    std::printf("%-44s %10s %10s %7s\n", "measure (100 %, 201 bands)", "time (ms)", "floor (ms)",
                "ratio");
    // The last size is the picture area of a maximised main window on a 3840 x 2160
    // screen.
    struct Case {
        int width;
        int height;
        bool vertical;
        bool invert;
    };
    const Case cases[] = {{553, 95, false, false},
                          {1920, 1080, false, false},
                          {3761, 2141, false, false},
                          {3761, 2141, true, true}};
    for (const Case& c : cases) {
        SizePicture(form, c.width, c.height);
        form.txtPerc.SetText("100");
        form.chkVertical.SetValue(c.vertical ? 1 : 0);
        form.chkInvert.SetValue(c.invert ? 1 : 0);
        HWND pic = form.picTresk.Hwnd();
        RECT r;
        GetWindowRect(pic, &r);
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        double paint = TimeMs([&] { tresk::PaintGradient(pic, -1, 0); }, 5);
        tk::Brush brush(CreateSolidBrush(RGB(10, 20, 30)));
        double floor = TimeMs(
            [&] {
                tk::WindowDc dc(pic, tk::WindowDc::Area::Window);
                RECT all{0, 0, w, h};
                FillRect(dc.Get(), &all, brush.Get());
            },
            5);
        char label[64];
        std::snprintf(label, sizeof(label), "PaintGradient %dx%d%s", w, h,
                      c.vertical ? " Vertical Invert" : "");
        std::printf("%-44s %10.3f %10.3f %7.1f\n", label, paint, floor, paint / floor);
    }
    form.chkVertical.SetValue(0);
    form.chkInvert.SetValue(0);

    SizePicture(form, 1920, 1080);
    tresk::PaintGradient(form.picTresk.Hwnd(), -1, 0);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + "tresk_bench.bmp";
    double save = TimeMs([&] { tresk::SaveBitmap(path); }, 3);
    DeleteFileA(path.c_str());
    std::printf("%-44s %10.3f %10s %7s\n", "SaveBitmap 1920x1080", save, "-", "-");

    form.Unload();
    return 0;
}
