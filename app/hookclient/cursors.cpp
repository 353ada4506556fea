#include "app/hookclient/cursors.h"

#include <algorithm>
#include <string>

#include "app/res/resource_ids.h"
#include "app/shell/shared_state.h"
#include "toolkit/app.h"
#include "toolkit/handle_counts.h"
#include "toolkit/windowless.h"

namespace tresk {
namespace {

constexpr int kStandardArrow = 32512;  // IDC_ARROW

// The size of the arrow the user sees now, from its bitmaps: a colour cursor's colour
// bitmap, or the mask of a monochrome one, which holds its two masks one above the
// other. Nothing when it cannot be read.
SIZE ArrowInUseSize() noexcept {
    ICONINFO info{};
    if (!GetIconInfo(LoadCursorA(nullptr, MAKEINTRESOURCEA(kStandardArrow)), &info)) {
        return SIZE{0, 0};
    }
    const tk::Bitmap mask(info.hbmMask);
    const tk::Bitmap colour(info.hbmColor);
    BITMAP bitmap{};
    if (GetObjectA(colour ? colour.Get() : mask.Get(), sizeof(bitmap), &bitmap) == 0) {
        return SIZE{0, 0};
    }
    return SIZE{bitmap.bmWidth, colour ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

// At the size of the arrow in use, never below the system's cursor size (SM_CXCURSOR
// x SM_CYCURSOR, which follows the screen's scaling): the pick cursor becomes the
// desktop arrow and must not shrink the user's. A pointer size chosen under Windows'
// Accessibility settings gives the system's cursors larger bitmaps while SM_CXCURSOR
// stays, so the arrow's own bitmap tells; the arrow is measured before the pick
// cursor replaces it, and afterwards the pick cursor, loaded at that size, is the
// arrow. Where the arrow is no larger, the cursors load as the system sizes them
// (LR_DEFAULTSIZE). The platform stretches the stored 32 x 32 images and moves
// their hot spots in proportion.
HCURSOR LoadUncounted(std::int16_t number) noexcept {
    char name[16];
    wsprintfA(name, "#%d", static_cast<int>(number));
    const SIZE arrow = ArrowInUseSize();
    const int width = GetSystemMetrics(SM_CXCURSOR);
    const int height = GetSystemMetrics(SM_CYCURSOR);
    if (arrow.cx > width || arrow.cy > height) {
        return static_cast<HCURSOR>(LoadImageA(tk::App::Instance(), name, IMAGE_CURSOR,
                                               std::max<int>(arrow.cx, width),
                                               std::max<int>(arrow.cy, height), 0));
    }
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
