#include "toolkit/save_failure.h"

#include <array>

namespace tk {
namespace {

wchar_t Upper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameLetters(std::wstring_view text, std::wstring_view upper) {
    if (text.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (Upper(text[i]) != upper[i]) {
            return false;
        }
    }
    return true;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

}  // namespace

RuntimeError FileFailure(FileFault fault, const std::string& path, const std::string& systemText) {
    switch (fault) {
        case FileFault::PathNotFound:
            return {kErrPathNotFound, "Path not found: " + FolderForMessage(FolderOf(path))};
        case FileFault::HeldOpen:
            return {kErrPermissionDenied,
                    "Permission denied: " + path + " (open in another program)"};
        case FileFault::PermissionDenied:
            return {kErrPermissionDenied, "Permission denied: " + path};
        case FileFault::DiskFull:
            return {kErrDiskFull, "Disk full"};
        case FileFault::Other:
            break;
    }
    return {kErrPathFileAccess, "Path/File access error: " + path + " (" + systemText + ")"};
}

RuntimeError MayBeDamaged(const RuntimeError& failure, const std::string& path) {
    return {failure.Number(), failure.Description() + " (the file may be damaged: " + path + ")"};
}

RuntimeError NoTemporaryName(const std::string& folder) {
    return {kErrPathFileAccess,
            "Path/File access error: no free temporary name in " + FolderForMessage(folder)};
}

RuntimeError TooLargeToKeep(const std::string& path) {
    return {kErrPathFileAccess, "Path/File access error: " + path +
                                    " (too large to be replaced with its contents kept)"};
}

RuntimeError NotInPlace(const std::string& path, const std::string& newPicture,
                        const std::string& oldPicture) {
    return {kErrPathFileAccess, "Path/File access error: the new picture could not take the name " +
                                    path + ". It is saved as " + newPicture +
                                    "; the old picture is now " + oldPicture + "."};
}

RuntimeError NamesADevice(const std::string& path) {
    return {kErrBadFileName,
            "Bad file name: " + path +
                " names a device, not a file. Windows keeps CON, PRN, AUX, NUL, COM1 to COM9 and "
                "LPT1 to LPT9 for devices, also with an extension. Choose another name."};
}

bool NamesDevice(std::wstring_view path) {
    // The last part of the path; Windows strips spaces and dots from its end, and a
    // device may be named with a colon after it ("NUL:").
    while (!path.empty() && path.back() == L':') {
        path.remove_suffix(1);
    }
    std::size_t start = path.size();
    while (start > 0 && !IsSeparator(path[start - 1]) && path[start - 1] != L':') {
        --start;
    }
    std::wstring_view name = path.substr(start);
    while (!name.empty() && (name.back() == L' ' || name.back() == L'.')) {
        name.remove_suffix(1);
    }
    // The device is the part before any extension, and spaces before the dot do not count.
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ') {
        name.remove_suffix(1);
    }
    static constexpr std::array<std::wstring_view, 6> kNames = {L"CON", L"PRN",    L"AUX",
                                                                L"NUL", L"CONIN$", L"CONOUT$"};
    for (std::wstring_view device : kNames) {
        if (SameLetters(name, device)) {
            return true;
        }
    }
    if (name.size() != 4 ||
        !(SameLetters(name.substr(0, 3), L"COM") || SameLetters(name.substr(0, 3), L"LPT"))) {
        return false;
    }
    const wchar_t digit = name[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
           digit == L'\u00B3';
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos) {
        return path.substr(0, slash + 1);
    }
    if (path.size() >= 2 && path[1] == ':') {
        return path.substr(0, 2);  // "C:name": the current folder of drive C
    }
    return {};  // the current folder
}

std::string FolderForMessage(const std::string& folder) {
    if (folder.empty()) {
        return ".";
    }
    if (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
        folder[folder.size() - 2] != ':') {
        return folder.substr(0, folder.size() - 1);
    }
    return folder;
}

}  // namespace tk
