// CPU time a program spends per real pointer move over its picture area, beside a
// plain window program under the same moves in the same run.
// Usage: move_bench MOVES ROUNDS TRESKCOLOR_EXE PLAIN_WINDOW_EXE
//
// Each round starts Treskcolor.exe, finds its picture area, sends MOVES pointer moves
// over it with SendInput (one at a time, with a pause long enough for the program to
// take each one), reads the process's CPU time before and after, and closes it; then
// the same for the plain window program, whose client area is put where the picture
// area was. The figure per program is the median over the rounds.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

// Pause after each move. A pause shorter than the program's work for one move would
// let moves merge in its queue; the most a move has cost here is about 2 ms of CPU.
// CPU times come in ticks of 10 ms under Wine (the system's clock ticks), so the
// number of moves sets the precision: 2000 moves give 5 us.
constexpr DWORD kPaceMs = 5;

std::int64_t Ticks(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                     t.dwLowDateTime);
}

// User plus kernel time of a process in 100 ns units. Wine reports these times only
// for the calling process, but it reads every thread's times from the system, so the
// sum over the threads stands in when GetProcessTimes gives nothing.
std::int64_t ProcessCpu(HANDLE process, DWORD pid) {
    FILETIME created, exited, kernel, user;
    std::int64_t total = 0;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        total = Ticks(kernel) + Ticks(user);
    }
    std::int64_t threads = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        THREADENTRY32 entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Thread32First(snapshot, &entry); more;
             more = Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != pid) {
                continue;
            }
            HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
            if (thread != nullptr) {
                if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
                    threads += Ticks(kernel) + Ticks(user);
                }
                CloseHandle(thread);
            }
        }
        CloseHandle(snapshot);
    }
    return std::max(total, threads);
}

class Program {
public:
    explicit Program(std::string command) {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &si, &pi_)) {
            return;
        }
        HWND found = nullptr;
        for (int i = 0;
             i < 2000 && (found = tresk::bench::VisibleWindowOf(pi_.dwProcessId)) == nullptr; ++i) {
            Sleep(10);
        }
        window_ = found;
        // Let start-up finish before anything is measured.
        Sleep(1000);
    }
    ~Program() {
        if (pi_.hProcess == nullptr) {
            return;
        }
        if (window_ != nullptr) {
            PostMessageA(window_, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) {
            TerminateProcess(pi_.hProcess, 1);
        }
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND Window() const { return window_; }
    std::int64_t Cpu() const { return ProcessCpu(pi_.hProcess, pi_.dwProcessId); }

private:
    PROCESS_INFORMATION pi_{};
    HWND window_ = nullptr;
};

void MoveTo(int x, int y) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute coordinates are 0..65535 over the screen; the platform takes
    // dx * width / 65536, so round up to land on the pixel itself.
    input.mi.dx = static_cast<LONG>((static_cast<std::int64_t>(x) * 65536 + width - 1) / width);
    input.mi.dy = static_cast<LONG>((static_cast<std::int64_t>(y) * 65536 + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

// The same path for every program: left to right along the area, one pixel a move,
// alternating between two rows, so that each move lands on a new pixel.
POINT PathPoint(const RECT& area, int i) {
    const int width = static_cast<int>(area.right - area.left) - 4;
    const int row = (i / width) % 4;
    return POINT{area.left + 2 + i % width, area.top + 10 + 8 * row + (i % 2)};
}

// CPU microseconds per move, and how many moves landed where they were sent.
struct MoveRun {
    double cpuUsPerMove = -1;
    int landed = 0;
};

MoveRun RunMoves(const Program& program, const RECT& area, int moves) {
    MoveRun run;
    const POINT first = PathPoint(area, 0);
    MoveTo(first.x, first.y);
    Sleep(300);
    const std::int64_t before = program.Cpu();
    for (int i = 1; i <= moves; ++i) {
        const POINT p = PathPoint(area, i);
        MoveTo(p.x, p.y);
        Sleep(kPaceMs);
        POINT at;
        if (GetCursorPos(&at) && at.x == p.x && at.y == p.y) {
            ++run.landed;
        }
    }
    Sleep(300);
    const std::int64_t after = program.Cpu();
    run.cpuUsPerMove = static_cast<double>(after - before) / 10.0 / moves;
    return run;
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: move_bench MOVES ROUNDS TRESKCOLOR_EXE PLAIN_WINDOW_EXE\n");
        return 2;
    }
    const int moves = std::max(1, std::atoi(argv[1]));
    const int rounds = std::max(1, std::atoi(argv[2]));
    std::vector<double> tresk;
    std::vector<double> plain;
    RECT area{};
    int landed = 0;
    for (int round = 0; round < rounds; ++round) {
        {
            Program program(Quoted(argv[3]));
            if (program.Window() == nullptr) {
                std::fprintf(stderr, "Treskcolor.exe showed no window\n");
                return 1;
            }
            // The picture area is the child at the top left of the client area.
            HWND picture = ChildWindowFromPointEx(program.Window(), POINT{1, 1}, CWP_SKIPINVISIBLE);
            GetWindowRect(picture, &area);
            const MoveRun run = RunMoves(program, area, moves);
            tresk.push_back(run.cpuUsPerMove);
            landed += run.landed;
        }
        {
            char command[512];
            std::snprintf(command, sizeof(command), "%s %ld %ld %ld %ld", Quoted(argv[4]).c_str(),
                          area.left, area.top, area.right - area.left, area.bottom - area.top);
            Program program(command);
            if (program.Window() == nullptr) {
                std::fprintf(stderr, "the plain window program showed no window\n");
                return 1;
            }
            const MoveRun run = RunMoves(program, area, moves);
            plain.push_back(run.cpuUsPerMove);
            landed += run.landed;
        }
    }
    const double t = tresk::bench::Median(tresk);
    const double p = tresk::bench::Median(plain);
    std::printf("%d real pointer moves over a %ldx%ld picture area, %lu ms apart, median of %d\n",
                moves, area.right - area.left, area.bottom - area.top,
                static_cast<unsigned long>(kPaceMs), rounds);
    std::printf("%-34s %14s %14s %8s\n", "measure", "CPU us/move", "floor us/move", "ratio");
    std::printf("%-34s %14.1f %14.1f %8.1f\n", "Treskcolor.exe vs plain window", t, p,
                p > 0 ? t / p : 0.0);
    std::printf("moves that landed on their pixel: %d of %d\n", landed, 2 * rounds * moves);
    return 0;
}
