#include "app/hookclient/cursors.h"

#include <string>

#include "app/res/resource_ids.h"
#include "app/shell/shared_state.h"
#include "toolkit/app.h"
#include "toolkit/handle_counts.h"
#include "toolkit/windowless.h"

namespace tresk {
namespace {

// At the system's cursor size (SM_CXCURSOR x SM_CYCURSOR), which follows the
// screen's scaling and the user's pointer size: the pick cursor becomes the desktop
// arrow and must not shrink the user's. The platform stretches the stored 32 x 32
// image and moves its hot spot in proportion; at 96 dpi nothing changes.
HCURSOR LoadUncounted(std::int16_t number) noexcept {
    char name[16];
    wsprintfA(name, "#%d", static_cast<int>(number));
    return static_cast<HCURSOR>(
        LoadImageA(tk::App::Instance(), name, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
}

}  // namespace

// A raw cursor counts as live from here until DestroyCursorRef frees it.
HCURSOR LoadCursorRes(std::int16_t number) noexcept {
    HCURSOR cursor = LoadUncounted(number);
    if (cursor != nullptr) {
        tk::CountAcquired(tk::HandleKind::Cursor);
    }
    return cursor;
}

tk::Cursor LoadCursorOwned(std::int16_t number) noexcept {
    return tk::Cursor(LoadUncounted(number));
}

void DestroyCursorRef(HCURSOR& cursor) noexcept {
    if (cursor != nullptr) {
        SharedState& s = Shared();
        if (cursor == s.switchedCursor) {
            s.switchedCursor = nullptr;  // a destroyed handle value may come back
        }
        DestroyCursor(cursor);
        tk::CountFreed(tk::HandleKind::Cursor);
        cursor = nullptr;
    }
}

void SetHandCursor(tk::Label& label) {
    label.SetMousePointer(tk::kPointerCustom);
    label.SetMouseIcon(LoadCursorOwned(IDC_TRESK_HAND));
}

void ResetHandCursor(tk::Label& label) {
    label.SetMousePointer(tk::kPointerDefault);
    label.SetMouseIcon(tk::Cursor());
}

void SwitchCustomCursor(std::int16_t number) noexcept {
    SharedState& s = Shared();
    // Pointer moves switch to the cursor already shown nearly every time; loading a
    // cursor from the resources is most of what a move costs, so the one held is kept.
    const bool same = s.customCursor != nullptr && s.customCursor == s.switchedCursor &&
                      s.switchedCursorNumber == number;
    if (!same) {
        DestroyCursorRef(s.customCursor);
        s.customCursor = LoadCursorRes(number);
        s.switchedCursor = s.customCursor;
        s.switchedCursorNumber = number;
    }
    s.lastApiResult =
        static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(SetCursor(s.customCursor)));
}

}  // namespace tresk
