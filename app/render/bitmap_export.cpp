#include "app/render/bitmap_export.h"

#include <windows.h>

#include "app/render/save_dialog_text.h"
#include "app/shell/shared_state.h"
#include "app/shell/tresk_form.h"
#include "toolkit/handles.h"
#include "toolkit/numeric.h"
#include "toolkit/picture_file.h"
#include "toolkit/runtime_error.h"

namespace tresk {
namespace {

void ReportSaveError(const char* description) noexcept {
    HWND owner = Shared().mainForm != nullptr ? Shared().mainForm->Hwnd() : nullptr;
    MessageBoxA(owner, description, kSaveErrorTitle, MB_OK | MB_ICONERROR);
}

void CopyAndWrite(const std::string& path) {
    SharedState& s = Shared();
    TreskForm& form = *s.mainForm;
    form.pic.SetWidth(form.picTresk.ScaleWidth());
    form.pic.SetHeight(form.picTresk.ScaleHeight());
    // The inner size is the client area's pixels times the whole twips per pixel that
    // the record holds too, so the quotient is exact: no rounding rule changes it.
    const std::int32_t w = tk::TwipsToPixels(form.picTresk.ScaleWidth(), s.twipsPerPixelX);
    const std::int32_t h = tk::TwipsToPixels(form.picTresk.ScaleHeight(), s.twipsPerPixelY);
    {
        tk::WindowDc source(form.picTresk.Hwnd());
        s.lastApiResult = BitBlt(form.pic.ImageDc(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
        s.lastApiResult = source.ReleaseNow();
    }
    form.pic.SetPicture(form.pic.CopyImage());
    tk::SavePictureFile(form.pic.Picture(), path);
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
