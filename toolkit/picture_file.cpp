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
// A file another program holds is retried this often, this many milliseconds apart.
constexpr int kReplaceAttempts = 10;
constexpr DWORD kReplaceRetryMs = 100;
// The longest path the ANSI file functions take (MAX_PATH with its terminating NUL).
constexpr std::size_t kMaxPathLength = MAX_PATH - 1;
// "~" and five hex digits. A target of up to 254 characters, the most the save
// dialog returns, leaves its folder at most 253, so a temporary name of six always
// fits beside it.
constexpr std::size_t kTempNameLength = 6;
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
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return RuntimeError(kErrPermissionDenied,
                                "Permission denied: " + path + " (open in another program)");
        case ERROR_ACCESS_DENIED:
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

// Raises the error for a failed file operation on the target `path`.
[[noreturn]] void Fail(DWORD code, const std::string& path) {
    throw FileFailure(code, path, FolderForMessage(FolderOf(path)));
}

// Writes `bytes` at `offset`; false with the system's error when the write fails.
bool WriteAt(HANDLE file, std::uint64_t offset, std::span<const std::uint8_t> bytes, DWORD& error) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
        error = GetLastError();
        return false;
    }
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            error = GetLastError();
            return false;
        }
        if (written == 0) {
            error = ERROR_DISK_FULL;
            return false;
        }
        bytes = bytes.subspan(written);
    }
    return true;
}

// True for the errors by which the system refuses to replace or rename a file that
// another program has open, or that it may not delete.
bool IsHeld(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

// True when another program has the file open and denies others the right to delete
// it, so that no replace can succeed yet. ReplaceFileA would fail as well; asking
// first spares the system's own attempt, which under Wine leaves an empty
// temporary file behind each time.
bool DeniesDelete(const std::string& path) {
    HANDLE handle =
        CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION;
    }
    const File probe(handle);
    return false;
}

bool IsReadOnly(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// The path that a handle's file has once every link on the way is followed, in the
// plain drive or UNC form, or empty when it cannot be told in a usable form.
std::string FinalPathOf(HANDLE file) {
    char buffer[MAX_PATH + 8] = {};
    const DWORD length = GetFinalPathNameByHandleA(file, buffer, sizeof buffer,
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= sizeof buffer) {
        return {};
    }
    std::string name(buffer, length);
    if (name.starts_with(R"(\\?\UNC\)")) {
        name.erase(2, 6);  // "\\?\UNC\server\share" is "\\server\share"
    } else if (name.starts_with(R"(\\?\)")) {
        name.erase(0, 4);
    }
    // '?' stands for a character the code page cannot spell: not a name to use.
    if (name.size() > kMaxPathLength || name.find('?') != std::string::npos) {
        return {};
    }
    return name;
}

// How an existing file is to be replaced.
struct Replacement {
    // The name the finished file is moved over; empty when only a write in place
    // keeps what the target's name stands for.
    std::string moveOver;
};

// Looks at the target before anything is written. A symbolic link is replaced at
// the file it points to, so the link stays; a rename would put a plain file in its
// place. A file with several names (hard links) is written in place: a rename gives
// only one of its names the new picture. A read-only target or a folder is refused
// here, before any file is made.
Replacement Examine(const std::string& path) {
    const DWORD ownAttributes = GetFileAttributesA(path.c_str());
    HANDLE handle = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // A new name, or one the write itself reports on.
        if (IsReadOnly(ownAttributes)) {
            Fail(ERROR_ACCESS_DENIED, path);
        }
        return {path};
    }
    const File file(handle);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.Get(), &info)) {
        info.dwFileAttributes = ownAttributes;
        info.nNumberOfLinks = 1;
    }
    // Windows refuses to move a file over a read-only one, but Wine replaces it; the
    // attribute is checked here so a read-only target is kept everywhere.
    if (IsReadOnly(ownAttributes) || IsReadOnly(info.dwFileAttributes) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        Fail(ERROR_ACCESS_DENIED, path);
    }
    if (info.nNumberOfLinks > 1) {
        return {};
    }
    std::string finalPath = FinalPathOf(file.Get());
    if (!finalPath.empty()) {
        return {std::move(finalPath)};
    }
    // Where the link's end cannot be named, only a write through the link keeps it.
    if (ownAttributes != INVALID_FILE_ATTRIBUTES &&
        (ownAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return {};
    }
    return {path};
}

// A new file under a short free name in the folder of the file it is to replace.
// Until Commit moves it over that file, the destructor deletes it again, so an
// interrupted save leaves nothing behind.
class TempFile {
public:
    // `path` is the target as the caller named it, for error texts. Where the folder
    // admits no new file, or the name would pass the path limit, nothing is made and
    // Made() is false.
    TempFile(const std::string& moveOver, const std::string& path) : path_(path) {
        const std::string folder = FolderOf(moveOver);
        if (folder.size() + kTempNameLength > kMaxPathLength) {
            return;
        }
        static unsigned counter = 0;  // user-interface thread only
        if (counter == 0) {
            counter = GetCurrentProcessId() * 2654435761u + GetTickCount();
        }
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
            // "~" and five upper-case hexadecimal digits of the counter.
            char name[kTempNameLength + 1] = {'~'};
            unsigned digits = ++counter;
            for (std::size_t at = kTempNameLength - 1; at > 0; --at, digits >>= 4) {
                name[at] = "0123456789ABCDEF"[digits & 0xFu];
            }
            const std::string full = folder + name;
            HANDLE file = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                file_.Reset(file);
                name_ = full;
                return;
            }
            const DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED || error == ERROR_FILENAME_EXCED_RANGE) {
                return;
            }
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                Fail(error, path_);
            }
        }
        throw RuntimeError(
            kErrPathFileAccess,
            "Path/File access error: no free temporary name in " + FolderForMessage(folder));
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        file_.Reset();
        if (!name_.empty() && !committed_) {
            DeleteFileA(name_.c_str());
        }
    }

    bool Made() const { return !name_.empty(); }

    void Write(std::span<const std::uint8_t> bytes) {
        DWORD error = ERROR_SUCCESS;
        if (!WriteAt(file_.Get(), 0, bytes, error)) {
            Fail(error, path_);
        }
    }

    // Flushes and closes the file; both must succeed before it may replace anything.
    void Finish() {
        if (!FlushFileBuffers(file_.Get())) {
            Fail(GetLastError(), path_);
        }
        if (!CloseHandle(file_.Release())) {
            Fail(GetLastError(), path_);
        }
    }

    // Puts the finished file in the place of `moveOver` in one step. An existing file
    // is replaced with ReplaceFileA, which keeps the old file's security, attributes,
    // creation time and alternate streams (a rename would drop them); a new name is
    // taken with MoveFileExA. A program that has either file open (the preview pane,
    // the indexer, a virus scanner that looks at a new file) makes the system refuse
    // for as long as it holds it; such refusals are retried for about a second. False
    // when the system still refuses, or refuses for good although the target may be
    // writable (no right to delete it, a folder that admits no change of names); the
    // file is then deleted again, as far as its holder lets it be.
    bool Commit(const std::string& moveOver) {
        DWORD error = ERROR_SUCCESS;
        for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
            if (attempt > 0) {
                Sleep(kReplaceRetryMs);
            }
            // Asked each time: a failed attempt may have left the name free (Wine's
            // ReplaceFileA deletes the old file before it moves the new one in).
            const bool replacing = GetFileAttributesA(moveOver.c_str()) != INVALID_FILE_ATTRIBUTES;
            if (replacing && DeniesDelete(moveOver)) {
                error = ERROR_SHARING_VIOLATION;
                continue;
            }
            const BOOL done = replacing
                                  ? ReplaceFileA(moveOver.c_str(), name_.c_str(), nullptr,
                                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                  : MoveFileExA(name_.c_str(), moveOver.c_str(),
                                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            if (done) {
                committed_ = true;
                return true;
            }
            error = GetLastError();
            if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
                // The old file was moved away but the new one could not take its
                // name: the name is free now, so a plain move finishes the job.
                if (MoveFileExA(name_.c_str(), moveOver.c_str(), MOVEFILE_WRITE_THROUGH)) {
                    committed_ = true;
                    return true;
                }
                committed_ = true;  // the new picture is all that is left: keep it
                throw RuntimeError(kErrPathFileAccess, "Path/File access error: " + path_ +
                                                           " was set aside by the system; the "
                                                           "picture is saved as " +
                                                           name_);
            }
            if (!IsHeld(error)) {
                break;
            }
        }
        if (IsHeld(error)) {
            return false;
        }
        Fail(error, path_);
    }

private:
    std::string path_;
    std::string name_;
    File file_;  // open from creation until Finish closes it
    bool committed_ = false;
};

// Cuts or extends the file to `size` bytes.
bool SetSize(HANDLE file, std::uint64_t size) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// Reads the whole file into memory.
bool ReadWhole(HANDLE file, std::uint64_t size, std::vector<std::uint8_t>& bytes) {
    bytes.resize(static_cast<std::size_t>(size));
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD read = 0;
        if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr) || read == 0) {
            return false;
        }
        done += read;
    }
    return true;
}

// Writes the bytes over the file `path` names, through any link: for targets where
// no new file can be made beside them or a rename would break a link (a file with
// several names keeps them all only if the same file is written).
//
// The old bytes are kept in three steps. First the file grows to the new size by
// writing real bytes after its old end: that claims the space on the disk, which
// SetEndOfFile need not do (a sparse file, or tmpfs), and a failure there is undone
// by cutting the file back, before any old byte was touched. Then the new bytes
// overwrite the old ones; on a file system that writes in place this needs no
// further space. Should it fail all the same (a compressed or copy-on-write volume,
// a failing device), the old bytes, read into memory first, are written back and
// the file cut to its old size. Only when that too fails is the file left damaged,
// and the error then says so. A file this call made is deleted again on failure.
void WriteInPlace(std::span<const std::uint8_t> bytes, const std::string& path) {
    // Programs that only read the file may keep it open; none may write it meanwhile.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Fail(GetLastError(), path);
    }
    const bool made = GetLastError() != ERROR_ALREADY_EXISTS;
    File file(handle);
    try {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.Get(), &size)) {
            Fail(GetLastError(), path);
        }
        const auto oldSize = static_cast<std::uint64_t>(size.QuadPart);
        if (oldSize > kMaxPixelBytes * 2) {
            throw RuntimeError(kErrPathFileAccess,
                               "Path/File access error: " + path +
                                   " (too large to be replaced with its contents kept)");
        }
        std::vector<std::uint8_t> old;
        if (!ReadWhole(file.Get(), oldSize, old)) {
            Fail(GetLastError(), path);
        }
        DWORD error = ERROR_SUCCESS;
        if (bytes.size() > oldSize) {
            const std::vector<std::uint8_t> room(bytes.size() - static_cast<std::size_t>(oldSize),
                                                 0);
            if (!WriteAt(file.Get(), oldSize, room, error)) {
                SetSize(file.Get(), oldSize);
                Fail(error, path);
            }
        }
        if (!WriteAt(file.Get(), 0, bytes, error) || !SetSize(file.Get(), bytes.size()) ||
            !FlushFileBuffers(file.Get())) {
            if (error == ERROR_SUCCESS) {
                error = GetLastError();
            }
            DWORD ignored = ERROR_SUCCESS;
            if (!made && !(WriteAt(file.Get(), 0, old, ignored) && SetSize(file.Get(), oldSize) &&
                           FlushFileBuffers(file.Get()))) {
                const RuntimeError failure =
                    FileFailure(error, path, FolderForMessage(FolderOf(path)));
                throw RuntimeError(
                    failure.Number(),
                    failure.Description() + " (the file may be damaged: " + path + ")");
            }
            Fail(error, path);
        }
        if (!CloseHandle(file.Release())) {
            Fail(GetLastError(), path);
        }
    } catch (...) {
        if (made) {
            file.Reset();
            DeleteFileA(path.c_str());
        }
        throw;
    }
}

// Replaces the target in one step through a new file beside the file it names.
// False when no such file can be made or moved there; nothing was changed then.
bool ReplaceInOneStep(std::span<const std::uint8_t> bytes, const std::string& moveOver,
                      const std::string& path) {
    TempFile temp(moveOver, path);
    if (!temp.Made()) {
        return false;
    }
    temp.Write(bytes);
    temp.Finish();
    return temp.Commit(moveOver);
}

}  // namespace

void SavePictureFile(HBITMAP picture, const std::string& path) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::vector<std::uint8_t> rows = ReadRows(picture, width, height);
    const std::vector<std::uint8_t> file = EncodeBmp24(width, height, rows);
    if (file.empty()) {
        throw RuntimeError(kErrInvalidPicture, "Invalid picture");
    }

    // The new picture goes in by a rename wherever one can work, so that a failed
    // write leaves the old file untouched; the plain write over the target is the
    // way left for targets that only it can replace.
    const Replacement replacement = Examine(path);
    if (replacement.moveOver.empty() || !ReplaceInOneStep(file, replacement.moveOver, path)) {
        WriteInPlace(file, path);
    }
}

}  // namespace tk
