#include "app/about/about_box.h"

#include "app/about/about_form.h"
#include "toolkit/app.h"
#include "toolkit/handles.h"

namespace tresk {
namespace {

// The window owns the picture it shows, so it gets its own copy of the caller's.
tk::Bitmap CopyPicture(HBITMAP picture) {
    return tk::Bitmap(
        static_cast<HBITMAP>(CopyImage(picture, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

}  // namespace

void ShowAbout(const std::string& comment, std::int32_t pictureId, HBITMAP picture) {
    fabout& about = fabout::Instance();
    about.Load();
    tk::App::DoEvents();
    // With neither picture nor picture id the comment is still shown, next to the
    // default picture.
    if (picture != nullptr) {
        about.About(comment, CopyPicture(picture));
    } else if (pictureId > 0) {
        about.About(comment, ResourcePicture(pictureId));
    } else {
        about.About(comment, tk::Bitmap());
    }
}

}  // namespace tresk
