#pragma once
// Helpers for the tests that drive the real program in-process or as a child process:
// recording replacements of imported system calls, a catcher that reads and closes
// message boxes, and small pumping and cursor helpers.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tresk::test {

inline const IMAGE_DATA_DIRECTORY& ImportDirectory(HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    return nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
}

// The import-table slot through which `module` calls `dll`!`function`, or null.
inline void** FindImportSlot(HMODULE module, const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_DATA_DIRECTORY& dir = ImportDirectory(module);
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

// What a message box showed.
struct BoxSeen {
    std::string title;
    std::string text;
    bool hasIcon = false;
    std::string note;  // what the owner of the catcher recorded when it was seen
};

inline std::string WindowText(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, static_cast<int>(sizeof(buffer)));
    return buffer;
}

// Reads and closes (OK) every message box of one process while it lives. `note` is
// called when a box is found, before it is closed.
class BoxCatcher {
public:
    explicit BoxCatcher(DWORD processId, std::function<std::string()> note = nullptr)
        : processId_(processId), note_(std::move(note)), thread_([this] { Run(); }) {}
    ~BoxCatcher() {
        stop_ = true;
        thread_.join();
    }
    BoxCatcher(const BoxCatcher&) = delete;
    BoxCatcher& operator=(const BoxCatcher&) = delete;

    std::vector<BoxSeen> Seen() {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }
    std::size_t Count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_.size();
    }

private:
    struct Search {
        DWORD processId;
        HWND found;
    };

    static BOOL CALLBACK FindBox(HWND window, LPARAM param) {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        char cls[32] = {};
        GetClassNameA(window, cls, static_cast<int>(sizeof(cls)));
        if (pid == search->processId && std::strcmp(cls, "#32770") == 0 &&
            IsWindowVisible(window)) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }

    static BOOL CALLBACK ReadStatic(HWND child, LPARAM param) {
        auto* box = reinterpret_cast<BoxSeen*>(param);
        char cls[32] = {};
        GetClassNameA(child, cls, static_cast<int>(sizeof(cls)));
        if (lstrcmpiA(cls, "Static") != 0) {
            return TRUE;
        }
        const auto style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        if ((style & SS_TYPEMASK) == SS_ICON) {
            box->hasIcon = SendMessageA(child, STM_GETICON, 0, 0) != 0;
            return TRUE;
        }
        std::string text = WindowText(child);
        if (!text.empty()) {
            box->text += text;
        }
        return TRUE;
    }

    void Run() {
        std::vector<HWND> closed;
        while (!stop_) {
            Search search{processId_, nullptr};
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
            if (search.found != nullptr &&
                std::find(closed.begin(), closed.end(), search.found) == closed.end()) {
                Sleep(50);  // let the box finish its set-up
                BoxSeen box;
                box.title = WindowText(search.found);
                EnumChildWindows(search.found, ReadStatic, reinterpret_cast<LPARAM>(&box));
                if (note_) {
                    box.note = note_();
                }
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    seen_.push_back(box);
                }
                closed.push_back(search.found);
                PostMessageA(search.found, WM_COMMAND, IDOK, 0);
            }
            Sleep(20);
        }
    }

    DWORD processId_;
    std::function<std::string()> note_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<BoxSeen> seen_;
    std::thread thread_;
};

// Handles this thread's waiting messages for `ms` milliseconds.
inline void Pump(DWORD ms) {
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

// Hot spot of a cursor, or (-1, -1) when the handle is not a live cursor.
inline POINT HotSpot(HCURSOR cursor) {
    ICONINFO info{};
    if (cursor == nullptr || !GetIconInfo(cursor, &info)) {
        return POINT{-1, -1};
    }
    if (info.hbmMask != nullptr) {
        DeleteObject(info.hbmMask);
    }
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    return POINT{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
}

inline bool IsPick(HCURSOR cursor) {
    const POINT p = HotSpot(cursor);
    return p.x == 7 && p.y == 24;
}
inline bool IsArrow(HCURSOR cursor) {
    const POINT p = HotSpot(cursor);
    return p.x == 10 && p.y == 6;
}

// The folder of this executable, without a trailing backslash.
inline std::string ExeFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of("\\/"));
}

// Runs a program with a command line in a working folder; returns its exit code, or
// -1 when it could not start or did not end within `timeoutMs`. `whileRunning` is
// given the process id as soon as the process exists.
inline int RunChild(const std::string& exe, const std::string& arguments, const std::string& cwd,
                    const std::function<void(DWORD)>& started, DWORD timeoutMs = 60000) {
    std::string line = "\"" + exe + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(),
                        &si, &pi)) {
        return -1;
    }
    if (started) {
        started(pi.dwProcessId);
    }
    int code = -1;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(pi.hProcess, &exitCode);
        code = static_cast<int>(exitCode);
    } else {
        TerminateProcess(pi.hProcess, 99);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

inline std::string ReadTextFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    CloseHandle(file);
    return text;
}

// A fresh empty folder under the temporary folder.
inline std::string MakeTempFolder(const char* prefix) {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    for (int i = 0;; ++i) {
        std::string path = std::string(base) + prefix + std::to_string(GetCurrentProcessId()) +
                           "_" + std::to_string(i);
        if (CreateDirectoryA(path.c_str(), nullptr)) {
            return path;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return {};
        }
    }
}

// Removes a folder made by MakeTempFolder with the files in it.
inline void RemoveFolder(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileA((path + "\\" + data.cFileName).c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace tresk::test
