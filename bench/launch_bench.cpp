// Start-up time to a visible main window and peak working set of programs, median of
// several runs, each beside the floor (a bare window program) started the same way in
// the same run. After one untimed start each, the programs take turns, each round
// beginning with the next program, and every start waits until the machine has settled
// after the previous one closed; so whatever else the machine does falls on all alike.
// Beside the median: its ratio to the floor and to a second floor (the peer), the fastest
// start, the number of libraries the process had loaded when its window became visible,
// and the peak working set.
// Usage: launch_bench RUNS FLOOR_EXE PEER_EXE [EXE...]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

struct Run {
    double startMs = -1;
    double peakKiB = -1;
    double modules = -1;  // libraries loaded when the window became visible
};

Run LaunchOnce(const std::string& exe) {
    Run run;
    // The previous program's exit (its windows, its hook) must not fall on this start.
    Sleep(300);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + exe + "\"";
    auto start = std::chrono::steady_clock::now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        return run;
    }
    HWND found = nullptr;
    for (int i = 0; i < 20000 && (found = tresk::bench::VisibleWindowOf(pi.dwProcessId)) == nullptr;
         ++i) {
        Sleep(1);
    }
    if (found != nullptr) {
        run.startMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        HMODULE loaded[512];
        DWORD bytes = 0;
        if (EnumProcessModules(pi.hProcess, loaded, sizeof(loaded), &bytes)) {
            run.modules = static_cast<double>(bytes / sizeof(HMODULE));
        }
        Sleep(500);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof(counters);
        if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof(counters))) {
            run.peakKiB = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
        }
        PostMessageA(found, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

double Least(const std::vector<double>& values) {
    return values.empty() ? -1 : *std::min_element(values.begin(), values.end());
}

std::string BaseName(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: launch_bench RUNS FLOOR_EXE PEER_EXE [EXE...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const auto programs = static_cast<std::size_t>(argc - 2);
    std::vector<std::vector<double>> starts(programs);
    std::vector<std::vector<double>> peaks(programs);
    std::vector<std::vector<double>> modules(programs);
    for (std::size_t p = 0; p < programs; ++p) {
        LaunchOnce(argv[2 + p]);
    }
    for (int i = 0; i < runs; ++i) {
        for (std::size_t k = 0; k < programs; ++k) {
            const std::size_t p = (static_cast<std::size_t>(i) + k) % programs;
            const Run run = LaunchOnce(argv[2 + p]);
            if (run.startMs >= 0) {
                starts[p].push_back(run.startMs);
                peaks[p].push_back(run.peakKiB);
                modules[p].push_back(run.modules);
            }
        }
    }
    const double floorMs = tresk::bench::Median(starts[0]);
    const double peerMs = tresk::bench::Median(starts[1]);
    std::printf("%-28s %14s %9s %9s %12s %9s %14s\n", "program", "start-up (ms)", "vs floor",
                "vs peer", "fastest (ms)", "modules", "peak WS (KiB)");
    // The programs first, then the peer and the floor.
    for (std::size_t k = 2; k < programs + 2; ++k) {
        const std::size_t p = k < programs ? k : programs + 1 - k;
        const double ms = tresk::bench::Median(starts[p]);
        std::string name = BaseName(argv[2 + p]);
        if (p == 0) {
            name += " (floor)";
        } else if (p == 1) {
            name += " (peer)";
        }
        std::printf(
            "%-28s %14.1f %8.2fx %8.2fx %12.1f %9.0f %14.0f   (median of %zu)\n", name.c_str(), ms,
            floorMs > 0 ? ms / floorMs : 0.0, peerMs > 0 ? ms / peerMs : 0.0, Least(starts[p]),
            tresk::bench::Median(modules[p]), tresk::bench::Median(peaks[p]), starts[p].size());
    }
    return 0;
}
