#include "app/render/save_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstddef>
#include <string>
#include <utility>

#include "app/render/save_dialog_text.h"
#include "app/shell/shared_state.h"
#include "toolkit/system_library.h"

namespace tresk {
namespace {

constexpr const char* kDefaultTitle = "Save As...";
constexpr DWORD kDialogFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
// The record in its older, shorter form: it ends with lpTemplateName.
constexpr DWORD kRecordSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);

#if !defined(_WIN64)
static_assert(kRecordSize == 76, "the short save-dialog record is 76 bytes on 32-bit");
#endif

constinit tk::SystemLibrary commonDialogs("comdlg32.dll");

// The text's characters, or null for an empty text (the dialog's "not given").
const char* OrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

// The process's current folder, or empty when it cannot be read. Wide, so that a
// folder the code page cannot spell is put back as it was.
std::wstring CurrentFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
        if (length == 0) {
            return {};
        }
        const bool fits = length < folder.size();
        folder.resize(length);  // too small: the length asked for, with its NUL
        if (fits) {
            return folder;
        }
    }
}

}  // namespace

std::string ShowSaveDialog(HWND owner, std::string_view filter, std::string_view title,
                           std::string_view defaultExtension, std::string& fileName,
                           std::string_view initialFolder, std::int32_t& filterIndex) {
    // The dialog reads description/pattern pairs until it meets an empty text, so
    // the buffer always ends in NULs, even for a filter text without "|" that is
    // passed through unchanged.
    std::string systemFilter = SaveDialogFilter(filter);
    systemFilter.append(2, '\0');
    const std::string folder(initialFolder);
    const std::string titleText(title);
    const std::string extension(defaultExtension);
    // Both buffers are kSaveDialogBufferChars long; std::string keeps one more NUL
    // behind them, so even a name that fills the buffer stays terminated.
    std::string fileBuffer = SaveDialogFileBuffer(fileName);
    std::string fileTitleBuffer(kSaveDialogBufferChars, '\0');

    OPENFILENAMEA ofn{};
    ofn.lStructSize = kRecordSize;
    ofn.hwndOwner = owner;
    ofn.hInstance = nullptr;
    ofn.lpstrFilter = systemFilter.c_str();
    ofn.lpstrCustomFilter = nullptr;
    ofn.nMaxCustFilter = 0;
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
    ofn.lpstrFile = fileBuffer.data();
    ofn.nMaxFile = static_cast<DWORD>(kSaveDialogBufferChars);
    ofn.lpstrFileTitle = fileTitleBuffer.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(kSaveDialogBufferChars);
    ofn.lpstrInitialDir = OrNull(folder);
    ofn.lpstrTitle = titleText.empty() ? kDefaultTitle : titleText.c_str();
    ofn.Flags = kDialogFlags;
    ofn.lpstrDefExt = OrNull(extension);

    // With these flags the dialog makes the folder the user saved into the process's
    // current folder, which Windows keeps open: it could then not be renamed or
    // deleted, nor the drive holding it ejected, until the program ends. The
    // current folder is put back as it was.
    const std::wstring currentFolder = CurrentFolder();
    const auto getSaveFileName =
        commonDialogs.Find<decltype(&GetSaveFileNameA)>("GetSaveFileNameA");
    const BOOL result = getSaveFileName != nullptr ? getSaveFileName(&ofn) : FALSE;
    if (!currentFolder.empty()) {
        SetCurrentDirectoryW(currentFolder.c_str());
    }
    Shared().saveDialogResult = result;
    if (result == 0) {
        // FALSE is also the answer to a name longer than the buffer; that one the
        // user must hear about, or Save would seem to do nothing.
        const auto extendedError =
            commonDialogs.Find<decltype(&CommDlgExtendedError)>("CommDlgExtendedError");
        if (extendedError != nullptr && extendedError() == FNERR_BUFFERTOOSMALL) {
            MessageBoxA(owner, kSaveDialogNameTooLong, kSaveErrorTitle, MB_OK | MB_ICONERROR);
        }
        return {};
    }
    filterIndex = static_cast<std::int32_t>(ofn.nFilterIndex);
    SaveDialogChoice choice = ReadSaveDialogChoice(fileBuffer, fileTitleBuffer);
    if (!choice.whole) {
        MessageBoxA(owner, kSaveDialogNameTooLong, kSaveErrorTitle, MB_OK | MB_ICONERROR);
        return {};
    }
    fileName = std::move(choice.fileName);
    return std::move(choice.path);
}

}  // namespace tresk
