#include "toolkit/safe_save.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "toolkit/file_error.h"
#include "toolkit/handles.h"
#include "toolkit/save_failure.h"
#include "toolkit/temp_file.h"

namespace tk {
namespace {

// A file another program holds is retried this often, this many milliseconds apart.
constexpr int kReplaceAttempts = 10;
constexpr DWORD kReplaceRetryMs = 100;
// The longest path the ANSI file functions take (MAX_PATH with its terminating NUL).
constexpr std::size_t kMaxPathLength = MAX_PATH - 1;
// A file larger than this is not read into memory to be written back on failure.
constexpr std::uint64_t kMaxKeptBytes = 0x80000000;

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
// another program has open, or that it may not delete; ReplaceFileA's own two leave
// both files under their names when it was given a backup name.
bool IsHeld(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

// The answers of a file system or share that has no ReplaceFileA of its own; the
// files keep their names. The save then takes a rename that replaces: like the
// replace, it leaves the old file whole until the new one is complete, where a write
// in place could leave it damaged; what it gives up, the old file's security and
// streams, matters less than its bytes.
bool IsUnsupported(DWORD error) {
    return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
           error == ERROR_INVALID_PARAMETER;
}

bool IsReadOnly(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Refuses a handle that is not a file on a disk: a character device or a pipe, which
// a name can reach however it is spelled ("\\.\pipe\...").
void RefuseDevice(HANDLE file, const std::string& path) {
    const DWORD type = GetFileType(file);
    if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
        throw NamesADevice(path);
    }
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
// only one of its names the new picture. A read-only target, a folder or a device is
// refused here, before any file is made.
Replacement Examine(const std::string& path) {
    const DWORD ownAttributes = GetFileAttributesA(path.c_str());
    HANDLE handle = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // A new name, or one the write itself reports on.
        if (IsReadOnly(ownAttributes)) {
            FailFile(ERROR_ACCESS_DENIED, path);
        }
        return {path};
    }
    const File file(handle);
    RefuseDevice(file.Get(), path);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.Get(), &info)) {
        info.dwFileAttributes = ownAttributes;
        info.nNumberOfLinks = 1;
    }
    // Windows refuses to move a file over a read-only one, but Wine replaces it; the
    // attribute is checked here so a read-only target is kept everywhere.
    if (IsReadOnly(ownAttributes) || IsReadOnly(info.dwFileAttributes) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        FailFile(ERROR_ACCESS_DENIED, path);
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

// Replaces the existing file `target` with the closed temporary file, keeping the old
// file's security, attributes, creation time and alternate streams (a rename would
// drop them). ReplaceFileA is given a backup name: with one, each way it can fail
// leaves both files under names known here, where without one its
// ERROR_UNABLE_TO_MOVE_REPLACEMENT leaves the old file deleted and the new one under
// its temporary name. On ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 the old file is under the
// backup name and the target's name is free: `aside` receives the backup name. False
// with the system's error.
bool ReplaceWithBackup(TempFile& temp, const std::string& target, std::string& aside) {
    const std::string backup = FreeTemporaryName(FolderOf(target));
    if (ReplaceFileA(target.c_str(), temp.Name().c_str(), backup.c_str(),
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        temp.Keep();
        DeleteFileA(backup.c_str());
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        aside = backup;
        temp.Keep();  // from now on the only copy of the new picture
    }
    SetLastError(error);
    return false;
}

// Puts the finished temporary file in the place of `target` in one step. An existing
// file is replaced with ReplaceFileA; a new name is taken by a rename through the
// file's own handle; a share without ReplaceFileA gets a plain replacing rename. A
// program that has either file open (the preview pane, the indexer, a virus scanner
// that looks at a new file) makes the system refuse for as long as it holds it; such
// refusals are retried for about a second. False when the system still refuses, or
// refuses for good although the target may be writable (a folder that lets files be
// made but not deleted, no right to delete the target); the temporary file is then
// deleted again and the old file stands as it was. Should the old file have been set
// aside with the new picture unable to take its name, the error says where each is.
bool PutInPlace(TempFile& temp, const std::string& target, const std::string& path) {
    if (Exists(target) && !temp.DeletableByName()) {
        return false;  // neither ReplaceFileA nor any rename by name can work here
    }
    std::string aside;
    bool plainMove = false;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
        if (attempt > 0) {
            Sleep(kReplaceRetryMs);
        }
        // Asked each time: the old file may have gone meanwhile.
        const bool replacing = aside.empty() && !plainMove && Exists(target);
        bool done = false;
        if (replacing) {
            temp.Close();
            done = ReplaceWithBackup(temp, target, aside);
            error = GetLastError();
            plainMove = !done && IsUnsupported(error);
        }
        // A new name is taken by a rename, and so is one that ReplaceFileA freed by
        // setting the old file aside; a share without ReplaceFileA gets a rename that
        // replaces.
        if (!done && (!replacing || !aside.empty() || plainMove)) {
            done = temp.MoveTo(target, plainMove);
            error = GetLastError();
        }
        if (done) {
            if (!aside.empty()) {
                DeleteFileA(aside.c_str());
            }
            return true;
        }
        if (!IsHeld(error)) {
            break;
        }
    }
    if (!aside.empty()) {
        throw NotInPlace(path, temp.Name(), aside);
    }
    if (IsHeld(error)) {
        return false;
    }
    FailFile(error, path);
}

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
        FailFile(GetLastError(), path);
    }
    const bool made = GetLastError() != ERROR_ALREADY_EXISTS;
    File file(handle);
    RefuseDevice(file.Get(), path);
    try {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.Get(), &size)) {
            FailFile(GetLastError(), path);
        }
        const auto oldSize = static_cast<std::uint64_t>(size.QuadPart);
        if (oldSize > kMaxKeptBytes) {
            throw TooLargeToKeep(path);
        }
        std::vector<std::uint8_t> old;
        if (!ReadWhole(file.Get(), oldSize, old)) {
            FailFile(GetLastError(), path);
        }
        DWORD error = ERROR_SUCCESS;
        if (bytes.size() > oldSize) {
            const std::vector<std::uint8_t> room(bytes.size() - static_cast<std::size_t>(oldSize),
                                                 0);
            if (!WriteAt(file.Get(), oldSize, room, error)) {
                SetSize(file.Get(), oldSize);
                FailFile(error, path);
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
                throw MayBeDamaged(FileError(error, path), path);
            }
            FailFile(error, path);
        }
        if (!CloseHandle(file.Release())) {
            FailFile(GetLastError(), path);
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
    TempFile temp(FolderOf(moveOver), path);
    if (!temp.Made()) {
        return false;
    }
    temp.Write(bytes);
    return PutInPlace(temp, moveOver, path);
}

}  // namespace

void SaveFileSafely(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (NamesDevice(WidePath(path))) {
        throw NamesADevice(path);
    }
    // The new file goes in by a rename wherever one can work, so that a failed write
    // leaves the old file untouched; the plain write over the target is the way left
    // for targets that only it can replace.
    const Replacement replacement = Examine(path);
    if (replacement.moveOver.empty() || !ReplaceInOneStep(bytes, replacement.moveOver, path)) {
        WriteInPlace(bytes, path);
    }
}

}  // namespace tk
