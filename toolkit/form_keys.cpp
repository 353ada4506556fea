// A form's keyboard interface: Tab and Shift+Tab in the tab order, Enter and Esc for
// the default and cancel buttons.
#include "toolkit/form.h"

#include <algorithm>

#include "toolkit/app.h"

namespace tk {

bool Form::HandleDialogKey(const MSG& msg) noexcept {
    if (msg.message != WM_KEYDOWN) {
        return false;
    }
    bool ctrlOrAlt = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    switch (msg.wParam) {
        case VK_TAB:
            if (ctrlOrAlt) {
                return false;
            }
            MoveFocus(GetKeyState(VK_SHIFT) < 0);
            return true;
        case VK_RETURN: {
            WindowedControl* focused = WindowedControl::FromHwnd(GetFocus());
            auto* button = dynamic_cast<CommandButton*>(focused);
            if (button == nullptr) {
                button = defaultButton_;
            }
            if (button == nullptr) {
                return false;
            }
            App::Raise([&] { button->Click(); });
            return true;
        }
        case VK_ESCAPE:
            if (cancelButton_ == nullptr) {
                return false;
            }
            App::Raise([&] { cancelButton_->Click(); });
            return true;
        default:
            return false;
    }
}

void Form::MoveFocus(bool backward) noexcept {
    std::vector<WindowedControl*> order;
    for (WindowedControl* c : controls_) {
        if (c->CanFocus()) {
            order.push_back(c);
        }
    }
    if (order.empty()) {
        return;
    }
    std::stable_sort(order.begin(), order.end(),
                     [](auto* a, auto* b) { return a->TabIndex() < b->TabIndex(); });
    WindowedControl* current = WindowedControl::FromHwnd(GetFocus());
    auto it = std::find(order.begin(), order.end(), current);
    std::size_t index = 0;
    if (it != order.end()) {
        auto at = static_cast<std::size_t>(it - order.begin());
        index = backward ? (at + order.size() - 1) % order.size() : (at + 1) % order.size();
    }
    order[index]->SetFocus();
}

}  // namespace tk
