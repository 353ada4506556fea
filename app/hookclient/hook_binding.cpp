#include "app/hookclient/hook_binding.h"

#include <windows.h>

#include <string>

#include "toolkit/runtime_error.h"

namespace tresk::hooklib {
namespace {

// The library's full path: the folder of the running executable and the library's
// file name, or empty when the executable's path cannot be had. Wide throughout, so
// that a folder whose name lies outside the ANSI code page is reached as it is.
std::wstring PathBesideProgram() {
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
    path.resize(slash + 1);
    for (const char* c = kLibraryFile; *c != '\0'; ++c) {
        path += static_cast<wchar_t>(*c);
    }
    return path;
}

// Loaded once and kept until the process ends: the hook procedure inside it may
// still be running on this thread's stack when any caller returns. The library is
// taken from the program's own folder only, never through the library search (the
// current folder, PATH): the hook maps it into every program on the desktop, so a
// file of that name planted elsewhere must never be the one installed.
HMODULE Library() {
    static HMODULE library = nullptr;
    if (library == nullptr) {
        const std::wstring path = PathBesideProgram();
        library = path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, 0);
        if (library == nullptr) {
            throw tk::RuntimeError(tk::kErrFileNotFound,
                                   std::string("File not found: ") + kLibraryFile);
        }
    }
    return library;
}

FARPROC Bind(const char* name) {
    FARPROC address = GetProcAddress(Library(), name);
    if (address == nullptr) {
        throw tk::RuntimeError(
            tk::kErrFunctionNotFound,
            std::string("Can't find DLL entry point ") + name + " in " + kLibraryFile);
    }
    return address;
}

// Binds `Fn` by name at the first call; later calls reuse the address.
template <class Fn>
Fn Export(Fn& slot, const char* name) {
    if (slot == nullptr) {
        slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(Bind(name)));
    }
    return slot;
}

using Fn0 = std::int32_t(__stdcall*)();
using Fn1 = std::int32_t(__stdcall*)(std::int32_t);
using Fn2 = std::int32_t(__stdcall*)(std::int32_t, std::int32_t);

}  // namespace

std::int32_t InitMouseHook(std::int32_t window) {
    static Fn1 fn = nullptr;
    return Export(fn, "InitMouseHook")(window);
}

std::int32_t InstallFilter(std::int32_t index, std::int32_t install) {
    static Fn2 fn = nullptr;
    return Export(fn, "InstallFilter")(index, install);
}

std::int32_t SetCursorApp(std::int32_t cursor) {
    static Fn1 fn = nullptr;
    return Export(fn, "SetCursorApp")(cursor);
}

std::int32_t SetCursorSys(std::int32_t cursor) {
    static Fn1 fn = nullptr;
    return Export(fn, "SetCursorSys")(cursor);
}

std::int32_t RunCursorApp() {
    static Fn0 fn = nullptr;
    return Export(fn, "RunCursorApp")();
}

std::int32_t StopCursorApp() {
    static Fn0 fn = nullptr;
    return Export(fn, "StopCursorApp")();
}

std::int32_t MOUSEPOINTS(std::int32_t value) {
    static Fn1 fn = nullptr;
    return Export(fn, "MOUSEPOINTS")(value);
}

}  // namespace tresk::hooklib
