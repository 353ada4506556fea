// A form's focus memory: as a dialog does, the control that had the focus gets it
// back when the form is activated again or restored.
#include "toolkit/form.h"

namespace tk {

void Form::FocusFirst() noexcept {
    WindowedControl* first = nullptr;
    for (WindowedControl* c : controls_) {
        if (c->CanFocus() && (first == nullptr || c->TabIndex() < first->TabIndex())) {
            first = c;
        }
    }
    if (first != nullptr) {
        first->SetFocus();
    }
}

void Form::SaveFocus() noexcept {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(Hwnd(), focus)) {
        savedFocus_ = focus;
    }
}

bool Form::RestoreFocus() noexcept {
    if (IsMinimized()) {
        return false;
    }
    if (savedFocus_ != nullptr && IsWindow(savedFocus_) && IsChild(Hwnd(), savedFocus_) &&
        IsWindowVisible(savedFocus_) && IsWindowEnabled(savedFocus_)) {
        ::SetFocus(savedFocus_);
    } else {
        FocusFirst();
    }
    HWND focus = GetFocus();
    return focus != nullptr && IsChild(Hwnd(), focus);
}

}  // namespace tk
