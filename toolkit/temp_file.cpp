#include "toolkit/temp_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "toolkit/file_error.h"
#include "toolkit/save_failure.h"

namespace tk {
namespace {

constexpr int kTempNameAttempts = 100;
// The longest path the ANSI file functions take (MAX_PATH with its terminating NUL).
constexpr std::size_t kMaxPathLength = MAX_PATH - 1;
// "~", up to five hexadecimal digits and ".tmp", the extension that tells sync clients
// and viewers to leave a file alone. A target of up to 254 characters, the most the
// save dialog returns, leaves its folder at most 253, so a name of six ("~0.tmp")
// always fits beside it.
constexpr std::size_t kMaxDigits = 5;
constexpr std::size_t kNameFrame = 5;  // "~" and ".tmp"

// The next candidate name in `folder`, or empty when none fits the path limit.
std::string NextName(const std::string& folder) {
    if (folder.size() + kNameFrame + 1 > kMaxPathLength) {
        return {};
    }
    const std::size_t digits = std::min(kMaxDigits, kMaxPathLength - folder.size() - kNameFrame);
    static unsigned counter = 0;  // user-interface thread only
    if (counter == 0) {
        counter = GetCurrentProcessId() * 2654435761u + GetTickCount();
    }
    std::string name = folder + '~';
    unsigned value = ++counter;
    for (std::size_t at = 0; at < digits; ++at, value >>= 4) {
        name += "0123456789ABCDEF"[value & 0xFu];
    }
    return name + ".tmp";
}

}  // namespace

std::string FreeTemporaryName(const std::string& folder) {
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        std::string name = NextName(folder);
        if (name.empty()) {
            break;
        }
        if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES &&
            GetLastError() == ERROR_FILE_NOT_FOUND) {
            return name;
        }
    }
    throw NoTemporaryName(folder);
}

TempFile::TempFile(const std::string& folder, const std::string& path) : path_(path) {
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        const std::string name = NextName(folder);
        if (name.empty()) {
            return;
        }
        // Others may delete or rename it (there is no reason to stop them), and open
        // it for that, which is how DeletableByName asks.
        HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            file_.Reset(file);
            name_ = name;
            return;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_FILENAME_EXCED_RANGE) {
            return;
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            FailFile(error, path_);
        }
    }
    throw NoTemporaryName(folder);
}

TempFile::~TempFile() {
    if (name_.empty() || kept_) {
        return;
    }
    if (file_) {
        FILE_DISPOSITION_INFO remove{TRUE};
        if (SetFileInformationByHandle(file_.Get(), FileDispositionInfo, &remove, sizeof remove)) {
            return;  // gone as the handle closes
        }
        file_.Reset();
    }
    DeleteFileA(name_.c_str());
}

void TempFile::Write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file_.Get(), bytes.data(), chunk, &written, nullptr)) {
            FailFile(GetLastError(), path_);
        }
        if (written == 0) {
            FailFile(ERROR_DISK_FULL, path_);
        }
        bytes = bytes.subspan(written);
    }
    if (!FlushFileBuffers(file_.Get())) {
        FailFile(GetLastError(), path_);
    }
}

bool TempFile::DeletableByName() const {
    HANDLE probe =
        CreateFileA(name_.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return GetLastError() != ERROR_ACCESS_DENIED;
    }
    const File open(probe);
    return true;
}

void TempFile::Close() {
    if (file_ && !CloseHandle(file_.Release())) {
        FailFile(GetLastError(), path_);
    }
}

bool TempFile::MoveTo(const std::string& target, bool replaceExisting) {
    if (!file_) {
        if (!MoveFileExA(
                name_.c_str(), target.c_str(),
                MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0))) {
            return false;
        }
        name_ = target;
        kept_ = true;
        return true;
    }
    const std::wstring wide = WidePath(target);
    // The structure ends in the name's first character; the rest and a NUL follow it.
    std::vector<std::uint8_t> buffer(sizeof(FILE_RENAME_INFO) + wide.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replaceExisting ? TRUE : FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, wide.data(), wide.size() * sizeof(wchar_t));
    if (!SetFileInformationByHandle(file_.Get(), FileRenameInfo, rename,
                                    static_cast<DWORD>(buffer.size()))) {
        return false;
    }
    name_ = target;
    kept_ = true;
    file_.Reset();
    return true;
}

}  // namespace tk
