#pragma once
// Texts exchanged with the system's save-file dialog. No Windows dependency.
#include <cstddef>
#include <string>
#include <string_view>

namespace tresk {

// Characters in each of the dialog's two name buffers, the terminating NUL included.
inline constexpr std::size_t kSaveDialogBufferChars = 255;

// The save's error box: its title, and its text for a name the dialog's buffer could
// not take (the buffer counts bytes, so letters outside plain ASCII take two to four).
inline constexpr const char* kSaveErrorTitle = "Save Bitmap";
inline constexpr const char* kSaveDialogNameTooLong =
    "File name too long: the folder and name together may have at most 254 characters "
    "(fewer with letters outside plain English). Choose a shorter name or folder.";

// The filter in the dialog's own form: each "|" becomes a NUL and two NULs end the
// list ("Bitmap File *.bmp|*.bmp" gives description, NUL, pattern, NUL, NUL). A text
// without "|" is passed through unchanged.
std::string SaveDialogFilter(std::string_view filter);

// The file-name buffer the dialog starts with: kSaveDialogBufferChars NULs with the
// initial name (cut to the buffer's length) copied over its start. Texts are UTF-8
// (the program's code page): a cut never splits a character.
std::string SaveDialogFileBuffer(std::string_view fileName);

// What the dialog returned in its buffers: the full path and the bare file name.
struct SaveDialogChoice {
    std::string path;
    std::string fileName;
    // False when the buffers do not hold the name the user chose: the path fills the
    // whole buffer without an end, or does not end with the file name. A system
    // whose buffer counts characters while the code page needs several bytes for
    // one hands back such a cut path with OK; it must be refused, not saved to.
    bool whole = true;
};

// Reads the buffers after the dialog closed with OK. Each text runs to its first
// NUL; when the path is empty or not whole, both results are empty.
SaveDialogChoice ReadSaveDialogChoice(std::string_view fileBuffer,
                                      std::string_view fileTitleBuffer);

}  // namespace tresk
