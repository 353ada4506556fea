// Start-up time to a visible main window and peak working set of a program, median of
// several runs, beside a peer started the same way. Usage: launch_bench RUNS EXE [EXE...]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct Run {
    double startMs = -1;
    double peakKiB = -1;
};

Run LaunchOnce(const std::string& exe) {
    Run run;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + exe + "\"";
    auto start = std::chrono::steady_clock::now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        return run;
    }
    Search search{pi.dwProcessId, nullptr};
    for (int i = 0; i < 20000 && search.found == nullptr; ++i) {
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) {
            Sleep(1);
        }
    }
    if (search.found != nullptr) {
        run.startMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        Sleep(500);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof(counters);
        if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof(counters))) {
            run.peakKiB = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
        }
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: launch_bench RUNS EXE [EXE...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::printf("%-34s %14s %16s\n", "program", "start-up (ms)", "peak WS (KiB)");
    for (int a = 2; a < argc; ++a) {
        std::vector<double> starts;
        std::vector<double> peaks;
        for (int i = 0; i < runs; ++i) {
            Run run = LaunchOnce(argv[a]);
            if (run.startMs >= 0) {
                starts.push_back(run.startMs);
                peaks.push_back(run.peakKiB);
            }
        }
        std::string name = argv[a];
        name = name.substr(name.find_last_of("\\/") + 1);
        std::printf("%-34s %14.1f %16.0f   (median of %zu)\n", name.c_str(), Median(starts),
                    Median(peaks), starts.size());
    }
    return 0;
}
