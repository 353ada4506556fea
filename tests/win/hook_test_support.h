#pragma once
// Helpers for the tests of Treskhook.dll: loading it by file name, binding its
// exports by name, and replacing entries of its import table with recording spies so
// that a test sees exactly which user32 calls the library makes.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

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
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        return reinterpret_cast<EntryFn>(
            reinterpret_cast<void*>(base + nt->OptionalHeader.AddressOfEntryPoint));
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

inline const IMAGE_DATA_DIRECTORY& DataDirectory(HMODULE module, int index) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    return nt->OptionalHeader.DataDirectory[index];
}

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

// The import-table slot through which `module` calls `dll`!`function`, or null.
inline void** ImportSlot(HMODULE module, const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_DATA_DIRECTORY& dir = DataDirectory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (dir.VirtualAddress == 0) {
        return nullptr;
    }
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         desc->Name != 0; ++desc) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + desc->Name), dll) != 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<void**>(base + desc->FirstThunk);
        for (std::size_t i = 0; names[i].u1.AddressOfData != 0; ++i) {
            if ((names[i].u1.Ordinal & IMAGE_ORDINAL_FLAG) != 0) {
                continue;
            }
            auto* byName =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return &slots[i];
            }
        }
    }
    return nullptr;
}

// Points one import of a loaded module at a replacement while it lives; move-only.
class ImportPatch {
public:
    ImportPatch() = default;
    ImportPatch(HMODULE module, const char* function, void* replacement)
        : slot_(ImportSlot(module, "USER32.dll", function)) {
        if (slot_ != nullptr) {
            original_ = *slot_;
            Write(replacement);
        }
    }
    ~ImportPatch() {
        if (slot_ != nullptr) {
            Write(original_);
        }
    }
    ImportPatch(ImportPatch&& other) noexcept : slot_(other.slot_), original_(other.original_) {
        other.slot_ = nullptr;
    }
    ImportPatch& operator=(ImportPatch&&) = delete;
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool active() const { return slot_ != nullptr; }
    void* original() const { return original_; }

private:
    void Write(void* value) {
        DWORD old = 0;
        VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
        *slot_ = value;
        VirtualProtect(slot_, sizeof(void*), old, &old);
    }

    void** slot_ = nullptr;     // inside the module's import table; not owned
    void* original_ = nullptr;  // the real user32 function
};

// Handles and runs the messages of the current thread for `ms` milliseconds.
inline void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(1);
    } while (GetTickCount() - start < ms);
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
