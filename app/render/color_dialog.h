#pragma once
// The system's colour dialog, used to choose the base colour.
#include <windows.h>

#include <cstdint>
#include <string_view>

namespace tresk {

// Shows the colour dialog modal to `owner`, opened on `initialColor`, and returns
// the chosen colour (0 to 0xFFFFFF) or -1 when the user cancelled or the dialog
// could not open. The title "#A#O" stands for "Set Color". The sixteen custom
// colours live in the shared record, so colours the user defines are offered
// again at the next opening during the same run.
std::int32_t ShowColorDialog(HWND owner, COLORREF initialColor, std::string_view title);

// The dialog's hook: puts the stored title on the dialog when it initialises and
// leaves every message to the dialog's default processing.
UINT_PTR CALLBACK ColorDialogHook(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace tresk
