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
#include <initializer_list>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "test_support/import_patch.h"
#include "test_support/window_utils.h"

namespace tresk::test {

// What a message box showed.
struct BoxSeen {
    std::string title;
    std::string text;
    bool hasIcon = false;
    std::string note;  // what the owner of the catcher recorded when it was seen
};

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
        if (pid == search->processId && ClassOf(window) == "#32770" && IsWindowVisible(window)) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }

    static BOOL CALLBACK ReadStatic(HWND child, LPARAM param) {
        auto* box = reinterpret_cast<BoxSeen*>(param);
        if (lstrcmpiA(ClassOf(child).c_str(), "Static") != 0) {
            return TRUE;
        }
        const auto style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        if ((style & SS_TYPEMASK) == SS_ICON) {
            box->hasIcon = SendMessageA(child, STM_GETICON, 0, 0) != 0;
            return TRUE;
        }
        std::string text = TextOf(child);
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
                box.title = TextOf(search.found);
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

// `text` (UTF-8) as UTF-16, for paths that may lie outside the ANSI code page.
inline std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    return wide;
}

// Runs a program with a command line in a working folder (all three in UTF-8); returns
// its exit code, or -1 when it could not start or did not end within `timeoutMs`.
// `whileRunning` is given the process id as soon as the process exists.
inline int RunChild(const std::string& exe, const std::string& arguments, const std::string& cwd,
                    const std::function<void(DWORD)>& started, DWORD timeoutMs = 60000) {
    std::wstring line = Wide("\"" + exe + "\" " + arguments);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(Wide(exe).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Wide(cwd).c_str(), &si, &pi)) {
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

// The names in a folder, files and folders alike.
inline std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..") {
                names.insert(name);
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    return names;
}

// Removes a folder with the files and folders in it, read-only ones included.
inline void RemoveFolder(const std::string& path) {
    for (const std::string& name : FilesIn(path)) {
        const std::string inside = path + "\\" + name;
        SetFileAttributesA(inside.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(inside.c_str())) {
            RemoveFolder(inside);
        }
    }
    RemoveDirectoryA(path.c_str());
}

// The message boxes this process showed while `action` ran, each read and closed.
inline std::vector<BoxSeen> BoxesDuring(const std::function<void()>& action) {
    BoxCatcher catcher(GetCurrentProcessId());
    action();
    return catcher.Seen();
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Empty when `parts` stand in `text` one after the other, in this order; otherwise
// the first one missing from its place, and the text.
inline std::string NotInOrder(const std::string& text, std::initializer_list<std::string> parts) {
    std::size_t at = 0;
    for (const std::string& part : parts) {
        at = text.find(part, at);
        if (at == std::string::npos) {
            return "no \"" + part + "\" in its place in:\n" + text;
        }
    }
    return {};
}

// What a run of the program as a child process left behind.
struct ChildRun {
    int exitCode = -1;
    std::string report;
    std::vector<BoxSeen> boxes;
};

// Runs `exe` with `arguments` from `cwd`, reading and closing its message boxes; each
// box is noted with the report file as it stood when the box was seen. `whileRunning`
// is given the process id once the process exists.
inline ChildRun RunChildReporting(const std::string& exe, const std::string& arguments,
                                  const std::string& cwd, const std::string& report,
                                  const std::function<void(DWORD)>& whileRunning = nullptr) {
    ChildRun run;
    std::unique_ptr<BoxCatcher> catcher;
    run.exitCode = RunChild(exe, arguments, cwd, [&](DWORD pid) {
        catcher = std::make_unique<BoxCatcher>(pid, [report] { return ReadTextFile(report); });
        if (whileRunning) {
            whileRunning(pid);
        }
    });
    if (catcher) {
        run.boxes = catcher->Seen();
    }
    run.report = ReadTextFile(report);
    return run;
}

}  // namespace tresk::test
