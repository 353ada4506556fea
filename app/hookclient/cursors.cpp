#include "app/hookclient/cursors.h"

#include <string>

#include "app/res/resource_ids.h"
#include "toolkit/app.h"
#include "toolkit/windowless.h"

namespace tresk {

HCURSOR LoadCursorRes(std::int16_t number) noexcept {
    char name[16];
    wsprintfA(name, "#%d", static_cast<int>(number));
    return static_cast<HCURSOR>(LoadImageA(tk::App::Instance(), name, IMAGE_CURSOR, 0, 0, 0));
}

void DestroyCursorRef(HCURSOR& cursor) noexcept {
    if (cursor != nullptr) {
        DestroyCursor(cursor);
        cursor = nullptr;
    }
}

void SetHandCursor(tk::Label& label) {
    label.SetMousePointer(tk::kPointerCustom);
    label.SetMouseIcon(tk::Cursor(LoadCursorRes(IDC_TRESK_HAND)));
}

void ResetHandCursor(tk::Label& label) {
    label.SetMousePointer(tk::kPointerDefault);
    label.SetMouseIcon(tk::Cursor());
}

}  // namespace tresk
