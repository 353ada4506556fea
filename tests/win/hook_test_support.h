#pragma once
// Helpers for the tests of Treskhook.dll: loading it by file name, binding its
// exports by name, and reading its import and export tables. Its user32 imports are
// replaced with recording spies (Patch) so that a test sees exactly which calls the
// library makes.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_support/import_patch.h"
#include "test_support/window_utils.h"

namespace tresk::test {

using InitMouseHookFn = std::int32_t(__stdcall*)(HWND);
using InstallFilterFn = std::int32_t(__stdcall*)(std::int32_t, std::int32_t);
using SetCursorFn = std::int32_t(__stdcall*)(HCURSOR);
using CursorSwitchFn = std::int32_t(__stdcall*)();
using MousePointsFn = std::int32_t(__stdcall*)(std::int32_t);
using EntryFn = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

inline constexpr char kHookDll[] = "Treskhook.dll";

// The library, loaded by file name and unloaded again on destruction, so every test
// starts from the library's initial state.
class HookLibrary {
public:
    HookLibrary() : module_(LoadLibraryA(kHookDll)) {
        if (module_ == nullptr) {
            return;
        }
        InitMouseHook = Bind<InitMouseHookFn>("InitMouseHook");
        InstallFilter = Bind<InstallFilterFn>("InstallFilter");
        SetCursorApp = Bind<SetCursorFn>("SetCursorApp");
        SetCursorSys = Bind<SetCursorFn>("SetCursorSys");
        RunCursorApp = Bind<CursorSwitchFn>("RunCursorApp");
        StopCursorApp = Bind<CursorSwitchFn>("StopCursorApp");
        MOUSEPOINTS = Bind<MousePointsFn>("MOUSEPOINTS");
    }
    ~HookLibrary() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    HookLibrary(const HookLibrary&) = delete;
    HookLibrary& operator=(const HookLibrary&) = delete;

    HMODULE module() const { return module_; }
    bool complete() const {
        return InitMouseHook && InstallFilter && SetCursorApp && SetCursorSys && RunCursorApp &&
               StopCursorApp && MOUSEPOINTS;
    }

    // The module's entry routine, found through its PE header.
    EntryFn entry() const {
        auto* base = reinterpret_cast<BYTE*>(module_);
        return reinterpret_cast<EntryFn>(
            reinterpret_cast<void*>(base + NtHeaders(module_).OptionalHeader.AddressOfEntryPoint));
    }

    InitMouseHookFn InitMouseHook = nullptr;
    InstallFilterFn InstallFilter = nullptr;
    SetCursorFn SetCursorApp = nullptr;
    SetCursorFn SetCursorSys = nullptr;
    CursorSwitchFn RunCursorApp = nullptr;
    CursorSwitchFn StopCursorApp = nullptr;
    MousePointsFn MOUSEPOINTS = nullptr;

private:
    template <typename Fn>
    Fn Bind(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    HMODULE module_;  // owned: freed on destruction
};

// Names of the DLLs a loaded module imports from.
inline std::vector<std::string> ImportedDlls(HMODULE module) {
    std::vector<std::string> names;
    auto* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_DATA_DIRECTORY& dir = DataDirectory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (dir.VirtualAddress == 0) {
        return names;
    }
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         desc->Name != 0; ++desc) {
        names.emplace_back(reinterpret_cast<const char*>(base + desc->Name));
    }
    return names;
}

// Names in a loaded module's export directory.
inline std::vector<std::string> ExportedNames(HMODULE module) {
    std::vector<std::string> names;
    auto* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_DATA_DIRECTORY& dir = DataDirectory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (dir.VirtualAddress == 0) {
        return names;
    }
    auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto* nameRvas = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.emplace_back(reinterpret_cast<const char*>(base + nameRvas[i]));
    }
    return names;
}

// Real pointer input at a screen point.
inline void SendPointer(int x, int y, DWORD buttons) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (x * 65536 + width / 2) / width;
    input.mi.dy = (y * 65536 + height / 2) / height;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &input, sizeof(input));
}

}  // namespace tresk::test
