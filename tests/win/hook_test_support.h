#pragma once
// Helpers for the tests of Treskhook.dll: loading it by file name, binding its
// exports by name, reading its import and export tables, and a second program to run
// beside it. Its user32 imports are replaced with recording spies (Patch) so that a
// test sees exactly which calls the library makes.
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
// starts from the library's initial state. A copy of the file under another name is a
// module of its own, with state of its own: another copy of the program.
class HookLibrary {
public:
    explicit HookLibrary(const char* file = kHookDll) : module_(LoadLibraryA(file)) {
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

inline std::string BesideThisProgram(const char* file) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path);
    return text.substr(0, text.find_last_of("\\/") + 1) + file;
}

// The bystander program (bystander_app.exe, a window with one button, in a process
// of its own), closed and waited for on destruction; copies deleted.
class Bystander {
public:
    static constexpr char kWindowClass[] = "TreskBystanderWindow";

    Bystander() {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        std::string command = "\"" + BesideThisProgram("bystander_app.exe") + "\"";
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info_)) {
            info_ = PROCESS_INFORMATION{};
            return;
        }
        WaitForInputIdle(info_.hProcess, 10000);
        for (int i = 0; i < 200 && window_ == nullptr; ++i) {
            window_ = FindWindowA(kWindowClass, nullptr);
            PumpFor(25);
        }
    }
    ~Bystander() {
        if (info_.hProcess == nullptr) {
            return;
        }
        if (window_ != nullptr) {
            PostMessageA(window_, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0) {
            TerminateProcess(info_.hProcess, 1);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    Bystander(const Bystander&) = delete;
    Bystander& operator=(const Bystander&) = delete;

    HWND window() const { return window_; }
    HWND button() const { return FindWindowExA(window_, nullptr, "BUTTON", nullptr); }

private:
    PROCESS_INFORMATION info_{};  // owned process and thread handles
    HWND window_ = nullptr;       // the bystander's main window, not owned
};

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
