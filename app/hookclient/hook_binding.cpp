#include "app/hookclient/hook_binding.h"

#include <windows.h>

#include <string>

#include "toolkit/program_folder.h"
#include "toolkit/runtime_error.h"
#include "toolkit/system_text.h"

namespace tresk::hooklib {
namespace {

// The library's full path: the program's folder and the library's file name, or
// empty when the program's folder cannot be had.
std::wstring PathBesideProgram() {
    std::wstring path = tk::ProgramFolder();
    if (path.empty()) {
        return {};
    }
    path += L'\\';
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
            const DWORD error = GetLastError();
            const DWORD attributes =
                path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES ||
                (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                throw tk::RuntimeError(tk::kErrFileNotFound,
                                       std::string("File not found: ") + kLibraryFile);
            }
            // The file is there, but the system refused it: blocked by an application
            // control policy or a virus scanner, damaged, or not a 32-bit library. Its
            // own words say which, so that nobody is sent to look for the file.
            // Some texts name the file ("%1 is not a valid Win32 application.").
            const std::string reason = tk::SystemErrorText(error, kLibraryFile);
            throw tk::RuntimeError(
                tk::kErrLoadingLibrary,
                std::string("Can't load ") + kLibraryFile + ": " +
                    (reason.empty() ? "system error " + std::to_string(error) : reason));
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
