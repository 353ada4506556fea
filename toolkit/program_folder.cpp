#include "toolkit/program_folder.h"

#include <windows.h>

namespace tk {

std::wstring ProgramFolder() {
    constexpr std::size_t kLongestPath = 32768;  // the most any Windows path can hold
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        // A path that filled the buffer may have been cut short: try a larger one.
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= kLongestPath) {
            return {};
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return {};
    }
    path.resize(slash);
    return path;
}

}  // namespace tk
