#pragma once
// The system's save-file dialog.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tresk {

// Shows the save-file dialog modal to `owner` and returns the full path chosen, or
// an empty text when the user cancelled. `filter` lists description|pattern pairs
// separated by "|"; an empty `title` shows "Save As..."; `defaultExtension` is
// appended to a name typed without one; the dialog asks before replacing a file.
// `fileName` and `filterIndex` give the initial name and filter; on success they
// receive the chosen name (without folder) and filter, on cancel they stay as they
// were. Paths are limited to 254 characters; a longer one shows the "Save Bitmap"
// error box and returns an empty text.
std::string ShowSaveDialog(HWND owner, std::string_view filter, std::string_view title,
                           std::string_view defaultExtension, std::string& fileName,
                           std::string_view initialFolder, std::int32_t& filterIndex);

}  // namespace tresk
