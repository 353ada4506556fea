#include "toolkit/file_error.h"

#include "toolkit/save_failure.h"
#include "toolkit/system_text.h"

namespace tk {
namespace {

// The system's own text for an error code (already without its line break), without
// its closing stop: it is shown in brackets.
std::string SystemText(DWORD code) {
    std::string text = SystemErrorText(code);
    if (text.empty()) {
        return "error " + std::to_string(code);
    }
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

FileFault FaultOf(DWORD code) {
    switch (code) {
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:
            return FileFault::PathNotFound;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FileFault::HeldOpen;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_NETWORK_ACCESS_DENIED:
            return FileFault::PermissionDenied;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileFault::DiskFull;
        default:
            return FileFault::Other;
    }
}

}  // namespace

RuntimeError FileError(DWORD code, const std::string& path) {
    const FileFault fault = FaultOf(code);
    return FileFailure(fault, path, fault == FileFault::Other ? SystemText(code) : std::string());
}

void FailFile(DWORD code, const std::string& path) {
    throw FileError(code, path);
}

std::wstring WidePath(std::string_view path) {
    if (path.empty()) {
        return {};
    }
    const int size = static_cast<int>(path.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, path.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace tk
