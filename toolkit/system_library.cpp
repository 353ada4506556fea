#include "toolkit/system_library.h"

#include <cstring>

namespace tk {

FARPROC SystemLibrary::Address(const char* name) noexcept {
    if (module_ == nullptr) {
        char path[MAX_PATH];
        const UINT folder = GetSystemDirectoryA(path, MAX_PATH);
        const std::size_t fileLength = std::strlen(fileName_);
        if (folder == 0 || folder + 1 + fileLength >= MAX_PATH) {
            return nullptr;
        }
        path[folder] = '\\';
        std::memcpy(path + folder + 1, fileName_, fileLength + 1);
        module_ = LoadLibraryA(path);
        if (module_ == nullptr) {
            return nullptr;
        }
    }
    return GetProcAddress(module_, name);
}

}  // namespace tk
