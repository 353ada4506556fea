#include "app/render/bitmap_export.h"

#include <windows.h>

#include "app/render/save_dialog_text.h"
#include "app/shell/main_window.h"
#include "app/shell/shared_state.h"
#include "toolkit/controls.h"
#include "toolkit/handles.h"
#include "toolkit/numeric.h"
#include "toolkit/picture_file.h"
#include "toolkit/runtime_error.h"

namespace tresk {
namespace {

void ReportSaveError(const char* description) noexcept {
    MessageBoxA(mainwindow::Handle(), description, kSaveErrorTitle, MB_OK | MB_ICONERROR);
}

void CopyAndWrite(const std::string& path) {
    SharedState& s = Shared();
    tk::PictureBox& pic = mainwindow::HiddenPicture();
    const SIZE inner = mainwindow::PictureInnerSize();
    pic.SetWidth(inner.cx);
    pic.SetHeight(inner.cy);
    // The inner size is the client area's pixels times the whole twips per pixel that
    // the record holds too, so the quotient is exact: no rounding rule changes it.
    const std::int32_t w = tk::TwipsToPixels(inner.cx, s.twipsPerPixelX);
    const std::int32_t h = tk::TwipsToPixels(inner.cy, s.twipsPerPixelY);
    {
        tk::WindowDc source(mainwindow::PictureArea());
        s.lastApiResult = BitBlt(pic.ImageDc(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
        s.lastApiResult = source.ReleaseNow();
    }
    pic.SetPicture(pic.CopyImage());
    tk::SavePictureFile(pic.Picture(), path);
}

}  // namespace

void SaveBitmap(const std::string& Path) noexcept {
    try {
        CopyAndWrite(Path);
    } catch (...) {
        ReportSaveError(tk::CaughtErrorText());
    }
}

}  // namespace tresk
