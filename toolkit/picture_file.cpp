#include "toolkit/picture_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "toolkit/bmp_format.h"
#include "toolkit/handles.h"
#include "toolkit/runtime_error.h"

namespace tk {
namespace {

constexpr std::int32_t kErrInvalidPicture = 481;
constexpr int kTempNameAttempts = 100;
// Larger pictures are refused rather than allocated: a file of this size is far
// beyond anything a window can show.
constexpr std::uint64_t kMaxPixelBytes = 0x40000000;

// The system's own text for an error code, without the trailing line break.
std::string SystemText(DWORD code) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length)
                                                        : "error " + std::to_string(code);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

// The error to raise for a failed file operation on `path` in `folder`.
RuntimeError FileFailure(DWORD code, const std::string& path, const std::string& folder) {
    switch (code) {
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:
            return RuntimeError(kErrPathNotFound, "Path not found: " + folder);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_NETWORK_ACCESS_DENIED:
            return RuntimeError(kErrPermissionDenied, "Permission denied: " + path);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return RuntimeError(kErrDiskFull, "Disk full");
        default:
            return RuntimeError(kErrPathFileAccess,
                                "Path/File access error: " + path + " (" + SystemText(code) + ")");
    }
}

// The folder that holds `path`, in a form that a file name can be appended to.
std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos) {
        return path.substr(0, slash + 1);
    }
    if (path.size() >= 2 && path[1] == ':') {
        return path.substr(0, 2);  // "C:name": the current folder of drive C
    }
    return {};  // the current folder
}

// The folder as a reader knows it: without its trailing separator, "." for none.
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

// The picture's pixels as bottom-up 24-bit rows.
std::vector<std::uint8_t> ReadRows(HBITMAP picture, std::int32_t& width, std::int32_t& height) {
    BITMAP info{};
    if (picture == nullptr || GetObjectA(picture, sizeof info, &info) != sizeof info ||
        info.bmWidth <= 0 || info.bmHeight == 0) {
        throw RuntimeError(kErrInvalidPicture, "Invalid picture");
    }
    width = info.bmWidth;
    height = std::abs(info.bmHeight);
    const std::uint64_t size = std::uint64_t{Bmp24Stride(width)} * std::uint64_t(height);
    if (size > kMaxPixelBytes) {
        throw RuntimeError(kErrInvalidPicture, "Invalid picture: too large to save");
    }

    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;  // positive: bottom row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;

    std::vector<std::uint8_t> rows(static_cast<std::size_t>(size));
    WindowDc screen(nullptr);
    const int lines = GetDIBits(screen.Get(), picture, 0, static_cast<UINT>(height), rows.data(),
                                &format, DIB_RGB_COLORS);
    if (lines != height) {
        throw RuntimeError(kErrInvalidPicture, "Invalid picture: its pixels could not be read");
    }
    return rows;
}

// A new file beside the target. Until Commit moves it over the target, the
// destructor deletes it again, so an interrupted save leaves nothing behind.
class TempFile {
public:
    TempFile(const std::string& folder, const std::string& path) : path_(path), folder_(folder) {
        static unsigned counter = 0;  // user-interface thread only
        const std::string stem = folder + "~tsk" + std::to_string(GetCurrentProcessId()) + "-";
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
            std::string name = stem + std::to_string(++counter) + ".tmp";
            HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                file_ = file;
                name_ = std::move(name);
                return;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                throw Failure(error);
            }
        }
        throw RuntimeError(
            kErrPathFileAccess,
            "Path/File access error: no free temporary name in " + FolderForMessage(folder_));
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (file_ != INVALID_HANDLE_VALUE) {
            CloseHandle(file_);
        }
        if (!committed_) {
            DeleteFileA(name_.c_str());
        }
    }

    void Write(std::span<const std::uint8_t> bytes) {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            DWORD written = 0;
            if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr)) {
                throw Failure(GetLastError());
            }
            if (written == 0) {
                throw RuntimeError(kErrDiskFull, "Disk full");
            }
            bytes = bytes.subspan(written);
        }
    }

    // Flushes and closes the file; both must succeed before it may replace anything.
    void Finish() {
        if (!FlushFileBuffers(file_)) {
            throw Failure(GetLastError());
        }
        HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(file)) {
            throw Failure(GetLastError());
        }
    }

    // Puts the finished file in the target's place in one step.
    void Commit() {
        // Windows refuses to move a file over a read-only one, but Wine replaces it;
        // the attribute is checked here so a read-only target is kept everywhere.
        const DWORD attributes = GetFileAttributesA(path_.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            throw Failure(ERROR_ACCESS_DENIED);
        }
        if (!MoveFileExA(name_.c_str(), path_.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            throw Failure(GetLastError());
        }
        committed_ = true;
    }

private:
    RuntimeError Failure(DWORD error) const {
        return FileFailure(error, path_, FolderForMessage(folder_));
    }

    std::string path_;
    std::string folder_;
    std::string name_;
    HANDLE file_ = INVALID_HANDLE_VALUE;  // owned until Finish closes it
    bool committed_ = false;
};

}  // namespace

void SavePictureFile(HBITMAP picture, const std::string& path) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::vector<std::uint8_t> rows = ReadRows(picture, width, height);
    const std::vector<std::uint8_t> file = EncodeBmp24(width, height, rows);
    if (file.empty()) {
        throw RuntimeError(kErrInvalidPicture, "Invalid picture");
    }

    const std::string folder = FolderOf(path);
    TempFile temp(folder, path);
    temp.Write(file);
    temp.Finish();
    temp.Commit();
}

}  // namespace tk
