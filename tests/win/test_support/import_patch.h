#pragma once
// Reading a loaded module's PE headers, and replacing entries of its import table with
// spies that record a call and hand it on to the real system function.
#include <windows.h>

#include <cstddef>
#include <cstring>

namespace tresk::test {

inline const IMAGE_NT_HEADERS& NtHeaders(HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    return *reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
}

inline const IMAGE_DATA_DIRECTORY& DataDirectory(HMODULE module, int index) {
    return NtHeaders(module).OptionalHeader.DataDirectory[index];
}

// The import-table slot through which `module` calls `dll`!`function`, or null.
inline void** FindImportSlot(HMODULE module, const char* dll, const char* function) {
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
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (desc->OriginalFirstThunk != 0 ? desc->OriginalFirstThunk : desc->FirstThunk));
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
class Patch {
public:
    Patch() = default;
    Patch(HMODULE module, const char* dll, const char* function, void* replacement)
        : slot_(FindImportSlot(module, dll, function)) {
        if (slot_ != nullptr) {
            original_ = *slot_;
            Write(replacement);
        }
    }
    ~Patch() {
        if (slot_ != nullptr) {
            Write(original_);
        }
    }
    Patch(Patch&& other) noexcept : slot_(other.slot_), original_(other.original_) {
        other.slot_ = nullptr;
    }
    Patch& operator=(Patch&& other) noexcept {
        if (this != &other) {
            if (slot_ != nullptr) {
                Write(original_);
            }
            slot_ = other.slot_;
            original_ = other.original_;
            other.slot_ = nullptr;
        }
        return *this;
    }
    Patch(const Patch&) = delete;
    Patch& operator=(const Patch&) = delete;

    bool active() const { return slot_ != nullptr; }
    // The real function, as `Fn` (a function pointer type, or void*).
    template <class Fn>
    Fn original() const {
        return reinterpret_cast<Fn>(original_);
    }

private:
    void Write(void* value) {
        DWORD old = 0;
        VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
        *slot_ = value;
        VirtualProtect(slot_, sizeof(void*), old, &old);
    }

    void** slot_ = nullptr;     // inside the module's import table; not owned
    void* original_ = nullptr;  // the real system function
};

}  // namespace tresk::test
