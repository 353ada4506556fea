#include "app/about/system_menu.h"

#include <cstddef>
#include <string>

namespace tresk {
namespace {

// The menu-item record in its older, shorter form, which ends with cch.
constexpr UINT kMenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);

#if !defined(_WIN64)
static_assert(kMenuItemInfoSize == 44, "the short menu-item record is 44 bytes on 32-bit");
#endif

}  // namespace

void AddSystemMenuItem(HWND hWnd, std::uint32_t id, std::string_view caption,
                       std::int16_t withSeparator) {
    if (hWnd == nullptr) {
        return;
    }
    // The caption followed by one NUL; cch counts that NUL as well.
    std::string text(caption.size() + 1, '\0');
    text.replace(0, caption.size(), caption);

    HMENU menu = GetSystemMenu(hWnd, FALSE);  // the window's own copy; not ours to destroy

    // Results of the inserts are deliberately ignored: a failed insert leaves the
    // menu as it was and the window works without the item.
    if (withSeparator != 0) {
        MENUITEMINFOA separator{};
        separator.cbSize = kMenuItemInfoSize;
        separator.fMask = MIIM_TYPE;
        separator.fType = MFT_SEPARATOR;
        InsertMenuItemA(menu, id, FALSE, &separator);
    }

    MENUITEMINFOA item{};
    item.cbSize = kMenuItemInfoSize;
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE | MIIM_DATA;
    item.fType = MFT_STRING;
    item.fState = 0;
    item.wID = id;
    item.dwItemData = 0;
    item.dwTypeData = text.data();
    item.cch = static_cast<UINT>(text.size());
    InsertMenuItemA(menu, id, FALSE, &item);
}

}  // namespace tresk
