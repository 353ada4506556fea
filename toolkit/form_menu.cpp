// A form's context menus.
#include "toolkit/form.h"

#include "toolkit/runtime_error.h"

namespace tk {

void Form::PopupMenu(const std::vector<MenuItem*>& items) {
    Menu menu(CreatePopupMenu());
    if (!menu) {
        throw RuntimeError(7, "Out of memory");
    }
    UINT id = 1;
    for (MenuItem* item : items) {
        if (item->caption == "-") {
            AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(menu.Get(), MF_STRING, id, item->caption.c_str());
        }
        ++id;
    }
    POINT p;
    GetCursorPos(&p);
    auto chosen = static_cast<UINT>(
        TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                       p.x, p.y, 0, Hwnd(), nullptr));
    menu.Reset();
    if (chosen >= 1 && chosen <= items.size() && items[chosen - 1]->onClick) {
        items[chosen - 1]->onClick();
    }
}

}  // namespace tk
