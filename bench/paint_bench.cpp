// Painter and export timings on the real main window, each beside its floor measured
// in the same run: one FillRect over the same area.
#include <windows.h>

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

// Mean time of one call in milliseconds, over at least `minRuns` calls and 0.3 s.
template <class F>
double TimeMs(F&& f, int minRuns) {
    int runs = 0;
    auto start = Clock::now();
    auto elapsed = Clock::duration::zero();
    while (runs < minRuns || elapsed < std::chrono::milliseconds(300)) {
        f();
        GdiFlush();
        ++runs;
        elapsed = Clock::now() - start;
    }
    return std::chrono::duration<double, std::milli>(elapsed).count() / runs;
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

    std::printf("%-34s %12s %12s %8s\n", "measure", "time (ms)", "floor (ms)", "ratio");
    const int sizes[][2] = {{553, 95}, {1920, 1080}, {3840, 2160}};
    for (const auto& size : sizes) {
        SizePicture(form, size[0], size[1]);
        form.txtPerc.SetText("100");
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
        std::snprintf(label, sizeof(label), "PaintGradient %dx%d (201 bands)", w, h);
        std::printf("%-34s %12.3f %12.3f %8.1f\n", label, paint, floor, paint / floor);
    }

    SizePicture(form, 1920, 1080);
    tresk::PaintGradient(form.picTresk.Hwnd(), -1, 0);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + "tresk_bench.bmp";
    double save = TimeMs([&] { tresk::SaveBitmap(path); }, 3);
    DeleteFileA(path.c_str());
    std::printf("%-34s %12.3f %12s %8s\n", "SaveBitmap 1920x1080", save, "-", "-");

    form.Unload();
    return 0;
}
