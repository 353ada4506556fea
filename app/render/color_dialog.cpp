#include "app/render/color_dialog.h"

#include <commdlg.h>

#include "app/shell/shared_state.h"
#include "toolkit/system_library.h"

namespace tresk {
namespace {

constexpr std::string_view kTitleToken = "#A#O";
constexpr std::string_view kSetColorTitle = "Set Color";
constexpr DWORD kDialogFlags = CC_RGBINIT | CC_ENABLEHOOK;  // short form, hook on

constinit tk::SystemLibrary commonDialogs("comdlg32.dll");

#if !defined(_WIN64)
static_assert(sizeof(CHOOSECOLORA) == 36, "the colour dialog record is 36 bytes on 32-bit");
#endif

// A colour whose top bit is set (a negative 32-bit value) keeps only its low 24 bits.
COLORREF PlainColor(COLORREF color) {
    return static_cast<std::int32_t>(color) < 0 ? (color & 0xFFFFFFu) : color;
}

}  // namespace

std::int32_t ShowColorDialog(HWND owner, COLORREF initialColor, std::string_view title) {
    SharedState& shared = Shared();
    shared.colorDialogTitle = title == kTitleToken ? kSetColorTitle : title;

    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof(CHOOSECOLORA);
    cc.hwndOwner = owner;
    cc.hInstance = nullptr;
    cc.rgbResult = PlainColor(initialColor);
    // The dialog reads and writes the custom colours in place.
    cc.lpCustColors = shared.customColors;
    cc.Flags = kDialogFlags;
    cc.lCustData = 0;
    cc.lpfnHook = ColorDialogHook;
    cc.lpTemplateName = nullptr;

    const auto chooseColor = commonDialogs.Find<decltype(&ChooseColorA)>("ChooseColorA");
    shared.colorDialogResult = chooseColor != nullptr ? chooseColor(&cc) : FALSE;
    if (shared.colorDialogResult >= 1) {
        // Colours from the dialog are plain 24-bit RGB values.
        return static_cast<std::int32_t>(cc.rgbResult & 0xFFFFFFu);
    }
    return -1;
}

UINT_PTR CALLBACK ColorDialogHook(HWND hWnd, UINT msg, WPARAM, LPARAM) noexcept {
    if (msg == WM_INITDIALOG) {
        SetWindowTextA(hWnd, Shared().colorDialogTitle.c_str());
    }
    return 0;
}

}  // namespace tresk
