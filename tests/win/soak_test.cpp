// The real program, in this process, through many rounds of everything that makes or
// frees handles: painting at 100 percent (201 brushes), picks from the hook's and the
// picture area's side, the context menu, the colour dialog and the About window.
// Afterwards every kind of handle is back at its count, the ramp still paints the
// right pixels and the process's memory has not kept growing.
//
// TRESK_SOAK_ROUNDS sets the number of rounds (default 200). The figures printed at the
// end (time per round and per step, memory) are for reading, not for judging.
#include <windows.h>

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/about/about_form.h"
#include "app/hookclient/cursors.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/colors.h"
#include "app/render/tresk_window_proc.h"
#include "app/res/resource_ids.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "test_support/import_patch.h"
#include "test_support/program_environment.h"
#include "test_support/ramp_model.h"
#include "test_support/window_utils.h"
#include "toolkit/app.h"
#include "toolkit/handle_counts.h"

namespace tresk {
namespace {

constexpr int kDefaultRounds = 200;
// The memory sample that later rounds are compared with is taken once the first
// rounds have filled the system's caches (dialog templates, fonts, heaps).
constexpr int kWarmRounds = 50;
// Growth allowed between that sample and the end, whatever the number of rounds:
// Wine's heaps and the X11 driver move by a few hundred KiB either way.
constexpr double kMemoryNoiseMiB = 1.0;
// On top of that, what Wine 8 itself keeps of what the rounds do, measured with 1000
// rounds of each step alone and with small programs that do only the system's part:
// - a cursor loaded from a module's resources (LoadImageA) leaves about 0.05 KiB
//   behind once destroyed, about 0.18 KiB if it was made the current cursor in
//   between; cursors made with CreateCursor leave nothing. The program loads about
//   2 per round in the picks, 3 in the context menu, 2 in the colour dialog's and
//   2 in the About window's restart of the hook (0.37, 0.54 and 0.18 KiB per round
//   for picks, menu and About alone).
// - the colour dialog (ChooseColorA) leaves about 0.4 KiB per opening in a process
//   whose manifest asks for Common Controls 6, as this program's does (0.64 KiB per
//   round with its two cursor loads; painting alone leaves nothing).
// All steps together grow by 1.4 to 1.8 KiB per round: 14 to 18 MiB in 10,000 rounds.
// The allowance is counted from the cursor loads and colour dialogs really done, with
// some room (2.85 KiB per round with all steps: 29 MiB in 10,000 rounds), so a long run
// is judged by the same measure as a short one: a leak of the program's own of 10 KiB
// per round fails the default 200 rounds, one of 1.5 KiB per round fails 10,000.
constexpr double kWineKiBPerCursorLoad = 0.25;
constexpr double kWineKiBPerColorDialog = 0.6;
constexpr DWORD kWindowWaitMs = 10000;

// TRESK_SOAK_STEPS picks the steps each round runs, as letters: p paint, i picks,
// m context menu, c colour dialog, a About window (default: all of them). Running one
// step alone shows which one a growth of memory comes from.
struct Steps {
    bool paint = true;
    bool pick = true;
    bool menu = true;
    bool color = true;
    bool about = true;
};

Steps ChosenSteps() {
    const char* text = std::getenv("TRESK_SOAK_STEPS");
    if (text == nullptr || *text == '\0') {
        return Steps{};
    }
    const std::string letters(text);
    const auto has = [&](char letter) { return letters.find(letter) != std::string::npos; };
    return Steps{has('p'), has('i'), has('m'), has('c'), has('a')};
}

int Rounds() {
    const char* text = std::getenv("TRESK_SOAK_ROUNDS");
    const int rounds = text != nullptr ? std::atoi(text) : kDefaultRounds;
    return rounds > 0 ? rounds : kDefaultRounds;
}

using test::Form;

void Pump(int times = 1) {
    test::DoEventsRounds(times, 0);
}

struct Memory {
    double privateMiB = 0;
    double pagefileMiB = 0;
};

Memory ReadMemory() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    constexpr double kMiB = 1024.0 * 1024.0;
    return Memory{static_cast<double>(counters.PrivateUsage) / kMiB,
                  static_cast<double>(counters.PagefileUsage) / kMiB};
}

double Seconds() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct WindowSearch {
    const char* className;
    const wchar_t* title;  // null: any title
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd)) {
        return TRUE;
    }
    if (search->className != nullptr && test::ClassOf(hwnd) != search->className) {
        return TRUE;
    }
    if (search->title != nullptr) {
        // Read without a message: the window's thread may be waiting for this one.
        wchar_t title[64] = {};
        InternalGetWindowText(hwnd, title, 64);
        if (std::wstring(title) != search->title) {
            return TRUE;
        }
    }
    search->found = hwnd;
    return FALSE;
}

// A visible top-level window of this process of that class and title, or null.
HWND FindOwnWindow(const char* className, const wchar_t* title) {
    WindowSearch search{className, title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs `modal` on this thread while a second thread waits for the window and hands
// it to `dismiss`, again every second while it stays open. True when the window
// was seen.
bool WhileDismissing(const char* className, const wchar_t* title,
                     const std::function<void(HWND)>& dismiss,
                     const std::function<void(const std::atomic<bool>& seen)>& modal) {
    std::atomic<bool> done{false};
    std::atomic<bool> seen{false};
    std::thread driver([&] {
        const DWORD start = GetTickCount();
        DWORD lastTry = 0;
        while (!done && GetTickCount() - start < kWindowWaitMs) {
            HWND window = FindOwnWindow(className, title);
            if (window != nullptr && (!seen || GetTickCount() - lastTry > 1000)) {
                seen = true;
                lastTry = GetTickCount();
                dismiss(window);
            }
            Sleep(1);
        }
    });
    modal(seen);
    done = true;
    driver.join();
    return seen;
}

POINT PictureCentreOnScreen() {
    RECT r{};
    GetClientRect(Form().picTresk.Hwnd(), &r);
    POINT p{r.right / 2, r.bottom / 2};
    ClientToScreen(Form().picTresk.Hwnd(), &p);
    return p;
}

LPARAM Packed(POINT p) {
    return MAKELPARAM(p.x, p.y);
}

std::string Describe(const tk::HandleCounts& c) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "brushes %d, fonts %d, bitmaps %d, cursors %d, menus %d, memory DCs %d, "
                  "window DCs %d, handed over %d",
                  c.brushes, c.fonts, c.bitmaps, c.cursors, c.menus, c.memoryDcs, c.windowDcs,
                  c.handedOver);
    return text;
}

// What went wrong in the rounds, counted rather than reported round by round.
struct Faults {
    int countsChanged = 0;
    int firstCountsRound = 0;
    std::string firstCountsStep;
    int picksWrong = 0;
    int menusMissed = 0;
    int colorDialogsMissed = 0;
    int colorDialogsNotCancelled = 0;
    int aboutsMissed = 0;
};

// Time spent in each step over all rounds.
struct StepTimes {
    double paint = 0;
    double pick = 0;
    double menu = 0;
    double color = 0;
    double about = 0;
};

class SoakRun {
public:
    // Live counts without the one cursor the window procedures may keep in
    // customCursor between messages (held by design, freed before the next is loaded).
    static tk::HandleCounts Counts() {
        tk::HandleCounts counts = tk::CurrentHandleCounts();
        if (Shared().customCursor != nullptr) {
            --counts.cursors;
            --counts.total;
        }
        return counts;
    }

    // Checks the live counts after one step against those at the start of the round.
    void Check(int round, const char* step, const tk::HandleCounts& before) {
        tk::HandleCounts now = Counts();
        now.handedOver = before.handedOver;
        if (!(now == before)) {
            ++faults.countsChanged;
            if (faults.firstCountsRound == 0) {
                faults.firstCountsRound = round;
                faults.firstCountsStep =
                    std::string(step) + ": " + Describe(before) + " -> " + Describe(now);
            }
        }
    }

    void Paint() {
        Form().txtPerc.SetText("100");
        Form().btnTresk_Click();
        Pump(2);
    }

    void Pick() {
        const POINT p = PictureCentreOnScreen();
        SetCursorPos(p.x, p.y);
        Pump(2);
        // The hook's copy: a screen point sent to the main window.
        SendMessageA(Form().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Packed(p));
        SendMessageA(Form().Hwnd(), WM_LBUTTONUP, 0, Packed(p));
        // A press on the picture area itself, which takes the point from the pointer.
        POINT client = p;
        ScreenToClient(Form().picTresk.Hwnd(), &client);
        SendMessageA(Form().picTresk.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Packed(client));
        SendMessageA(Form().picTresk.Hwnd(), WM_LBUTTONUP, 0, Packed(client));
        tk::WindowDc own(Form().picTresk.Hwnd());
        if (Form().RGBColor() != GetPixel(own.Get(), client.x, client.y)) {
            ++faults.picksWrong;
        }
    }

    void Menu() {
        const POINT p = PictureCentreOnScreen();
        POINT client = p;
        ScreenToClient(Form().picTresk.Hwnd(), &client);
        const bool seen = WhileDismissing(
            "#32768", nullptr,
            [](HWND menu) {
                PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                PostMessageA(menu, WM_KEYUP, VK_ESCAPE, 0);
            },
            [&](const std::atomic<bool>&) {
                SendMessageA(Form().picTresk.Hwnd(), WM_RBUTTONUP, 0, Packed(client));
            });
        if (!seen) {
            ++faults.menusMissed;
        }
        Pump();
    }

    void ColorDialog() {
        const HWND owner = Form().Hwnd();
        const bool seen = WhileDismissing(
            "#32770", nullptr,
            [owner](HWND dialog) {
                if (GetWindow(dialog, GW_OWNER) == owner) {
                    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                }
            },
            [](const std::atomic<bool>&) { Form().lblCol_Click(); });
        if (!seen) {
            ++faults.colorDialogsMissed;
        }
        if (Form().LastDialogColor() != -1) {
            ++faults.colorDialogsNotCancelled;
        }
        Pump();
    }

    void About() {
        fabout& about = fabout::Instance();
        const bool seen = WhileDismissing(
            nullptr, L"About", [](HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); },
            [&](const std::atomic<bool>& aboutSeen) {
                PostMessageA(Form().Hwnd(), WM_SYSCOMMAND, kAboutCommand, 0);
                // The command is dispatched from this pump and the window's modal loop
                // runs inside that dispatch: once the window was seen and is unloaded,
                // the loop has ended.
                const DWORD start = GetTickCount();
                while (GetTickCount() - start < kWindowWaitMs) {
                    tk::App::DoEvents();
                    if (aboutSeen && !about.IsLoaded()) {
                        break;
                    }
                    Sleep(1);
                }
            });
        if (!seen) {
            ++faults.aboutsMissed;
        }
        Pump();
    }

    Faults faults;
    StepTimes times;
};

template <class Step>
void Timed(double& total, Step&& step) {
    const double begin = Seconds();
    step();
    total += Seconds() - begin;
}

// Windows takes over a cursor handed to SetSystemCursor and destroys it; Wine's
// SetSystemCursor does nothing. The hook library's import is pointed here, so the soak
// measures the program's handles under the platform's contract instead of Wine's leak
// of the two cursors the library hands over at every start of the hook.
BOOL WINAPI SetSystemCursorTakingOver(HCURSOR cursor, DWORD /*id*/) {
    DestroyCursor(cursor);
    return TRUE;
}

test::Patch& SystemCursorPatch() {
    static test::Patch patch;
    return patch;
}

// Every cursor the program loads from its resources passes through this module's
// LoadImageA import, which is pointed here to count them.
std::atomic<int> cursorLoads{0};

test::Patch& LoadImagePatch() {
    static test::Patch patch;
    return patch;
}

HANDLE WINAPI LoadImageCounting(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy,
                                UINT flags) {
    if (type == IMAGE_CURSOR) {
        ++cursorLoads;
    }
    return LoadImagePatch().original<decltype(&LoadImageA)>()(instance, name, type, cx, cy, flags);
}

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::ProgramEnvironment(10, 0, [] {
        SystemCursorPatch() =
            test::Patch(GetModuleHandleA("Treskhook.dll"), "USER32.dll", "SetSystemCursor",
                        reinterpret_cast<void*>(&SetSystemCursorTakingOver));
        LoadImagePatch() = test::Patch(GetModuleHandleA(nullptr), "USER32.dll", "LoadImageA",
                                       reinterpret_cast<void*>(&LoadImageCounting));
    }));

// The owners count each handle once however it passes between them.
TEST(HandleCounts, OwnersCountEachHandleOnceThroughMovesResetsAndReleases) {
    const tk::HandleCounts start = tk::CurrentHandleCounts();
    {
        tk::Brush a(CreateSolidBrush(RGB(1, 2, 3)));
        tk::Brush b(CreateSolidBrush(RGB(4, 5, 6)));
        EXPECT_EQ(tk::CurrentHandleCounts().brushes, start.brushes + 2);
        a = std::move(b);  // frees a's brush, takes b's without counting it again
        EXPECT_EQ(tk::CurrentHandleCounts().brushes, start.brushes + 1);
        tk::Brush c(std::move(a));
        EXPECT_EQ(tk::CurrentHandleCounts().brushes, start.brushes + 1);
        c.Reset(c.Get());  // taking the held handle again keeps it
        EXPECT_EQ(tk::CurrentHandleCounts().brushes, start.brushes + 1);
        EXPECT_NE(GetObjectType(c.Get()), 0u);
        HBRUSH given = c.Release();
        EXPECT_EQ(tk::CurrentHandleCounts().brushes, start.brushes);
        EXPECT_EQ(tk::CurrentHandleCounts().handedOver, start.handedOver + 1);
        DeleteObject(given);
        tk::MemoryDc dc(CreateCompatibleDC(nullptr));
        tk::WindowDc screen(nullptr);
        EXPECT_EQ(tk::CurrentHandleCounts().total, start.total + 2);
    }
    HCURSOR raw = LoadCursorRes(IDC_TRESK_ARROW);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(tk::CurrentHandleCounts().cursors, start.cursors + 1);
    DestroyCursorRef(raw);
    tk::HandleCounts end = tk::CurrentHandleCounts();
    end.handedOver = start.handedOver;
    EXPECT_EQ(end, start);
}

TEST(Soak, RoundsOfEveryHandleUserLeaveCountsPixelsAndMemoryAsTheyWere) {
    const int rounds = Rounds();
    const Steps steps = ChosenSteps();
    ASSERT_NE(Form().Hwnd(), nullptr);
    ASSERT_TRUE(SystemCursorPatch().active()) << "the library's SetSystemCursor was not found";
    ASSERT_TRUE(LoadImagePatch().active()) << "this module's LoadImageA was not found";
    Form().chkVertical.SetValue(0);
    Form().chkInvert.SetValue(0);

    SoakRun run;
    const tk::HandleCounts atStart = SoakRun::Counts();
    tk::HandleCounts afterFirst{};
    Memory warm{};
    int warmCursorLoads = 0;
    Memory atEnd{};
    double slowest = 0;
    int slowestRound = 0;
    const double begin = Seconds();

    for (int round = 1; round <= rounds; ++round) {
        const double roundStart = Seconds();
        tk::HandleCounts before = SoakRun::Counts();
        if (steps.paint) {
            Timed(run.times.paint, [&] { run.Paint(); });
            run.Check(round, "paint", before);
        }
        if (steps.pick) {
            Timed(run.times.pick, [&] { run.Pick(); });
            run.Check(round, "pick", before);
        }
        if (steps.menu) {
            Timed(run.times.menu, [&] { run.Menu(); });
            run.Check(round, "context menu", before);
        }
        // The first colour dialog and About window may leave caches behind; from the
        // second round on every step must give back all it took.
        if (round == 1) {
            if (steps.color) {
                run.ColorDialog();
            }
            if (steps.about) {
                run.About();
            }
            afterFirst = SoakRun::Counts();
        } else {
            if (steps.color) {
                Timed(run.times.color, [&] { run.ColorDialog(); });
                run.Check(round, "colour dialog", before);
            }
            if (steps.about) {
                Timed(run.times.about, [&] { run.About(); });
                run.Check(round, "About window", before);
            }
        }
        const double took = Seconds() - roundStart;
        if (took > slowest) {
            slowest = took;
            slowestRound = round;
        }
        if (round == std::min(kWarmRounds, rounds)) {
            warm = ReadMemory();
            warmCursorLoads = cursorLoads;
        }
    }
    const double total = Seconds() - begin;
    atEnd = ReadMemory();

    const tk::HandleCounts atEndCounts = SoakRun::Counts();
    std::printf(
        "[soak] %d rounds in %.1f s: %.1f ms per round (slowest %.1f ms, round %d); "
        "10000 rounds would take about %.1f min\n",
        rounds, total, 1000.0 * total / rounds, 1000.0 * slowest, slowestRound,
        total / rounds * 10000.0 / 60.0);
    const double later = rounds > 1 ? rounds - 1 : 1;
    std::printf(
        "[soak] per round: paint %.1f ms, picks %.1f ms, context menu %.1f ms, colour dialog "
        "%.1f ms, About %.1f ms\n",
        1000.0 * run.times.paint / rounds, 1000.0 * run.times.pick / rounds,
        1000.0 * run.times.menu / rounds, 1000.0 * run.times.color / later,
        1000.0 * run.times.about / later);
    std::printf("[soak] live handles start/after round 1/end: %d/%d/%d (%s)\n", atStart.total,
                afterFirst.total, atEndCounts.total, Describe(atEndCounts).c_str());
    std::printf(
        "[soak] memory after round %d: private %.2f MiB, pagefile %.2f MiB; at the end: "
        "private %.2f MiB, pagefile %.2f MiB\n",
        std::min(kWarmRounds, rounds), warm.privateMiB, warm.pagefileMiB, atEnd.privateMiB,
        atEnd.pagefileMiB);
    const int laterRounds = rounds - std::min(kWarmRounds, rounds);
    const int loadsSinceWarm = cursorLoads - warmCursorLoads;
    if (laterRounds > 0) {
        std::printf(
            "[soak] since round %d: pagefile %+.3f KiB per round; %.1f cursors loaded from "
            "resources per round\n",
            std::min(kWarmRounds, rounds),
            (atEnd.pagefileMiB - warm.pagefileMiB) * 1024.0 / laterRounds,
            static_cast<double>(loadsSinceWarm) / laterRounds);
    }
    std::fflush(stdout);

    EXPECT_EQ(run.faults.countsChanged, 0)
        << "first in round " << run.faults.firstCountsRound << " at " << run.faults.firstCountsStep;
    EXPECT_EQ(run.faults.picksWrong, 0);
    EXPECT_EQ(run.faults.menusMissed, 0);
    EXPECT_EQ(run.faults.colorDialogsMissed, 0);
    EXPECT_EQ(run.faults.colorDialogsNotCancelled, 0);
    EXPECT_EQ(run.faults.aboutsMissed, 0);

    // Per kind, what lives now is what lived after the first round; what is handed
    // to the hook library is two cursors per start of the hook (one start per colour
    // dialog and one per About window).
    tk::HandleCounts expected = afterFirst;
    expected.handedOver = atEndCounts.handedOver;
    EXPECT_EQ(atEndCounts, expected) << Describe(atEndCounts);
    const int startsPerRound = (steps.color ? 1 : 0) + (steps.about ? 1 : 0);
    EXPECT_EQ(atEndCounts.handedOver - afterFirst.handedOver, 2 * startsPerRound * (rounds - 1));

    // The cursors handed over are destroyed (the platform takes the pick cursor and the
    // library frees the arrow it replaces), so they weigh nothing here; what Wine keeps
    // of the cursors loaded and the colour dialogs opened since the sample is allowed.
    const int dialogsSinceWarm = steps.color ? laterRounds : 0;
    const double wineMiB =
        (kWineKiBPerCursorLoad * loadsSinceWarm + kWineKiBPerColorDialog * dialogsSinceWarm) /
        1024.0;
    const double limitMiB = kMemoryNoiseMiB + wineMiB;
    std::printf("[soak] memory growth allowed since round %d: %.2f MiB (%.2f MiB kept by Wine)\n",
                std::min(kWarmRounds, rounds), limitMiB, wineMiB);
    std::fflush(stdout);
    if (laterRounds > 0) {
        // Wine leaves PrivateUsage at 0; Windows fills both.
        if (atEnd.privateMiB > 0) {
            EXPECT_LT(atEnd.privateMiB - warm.privateMiB, limitMiB);
        }
        EXPECT_LT(atEnd.pagefileMiB - warm.pagefileMiB, limitMiB);
    }

    // The ramp still paints: base RGB(100, 150, 250) at 100 percent, read back from
    // the picture area's own device context.
    const COLORREF base = RGB(100, 150, 250);
    Form().SetBaseColor(base);
    Form().txtPerc.SetText("100");
    Form().btnTresk_Click();
    Pump(2);
    RECT window{};
    GetWindowRect(Form().picTresk.Hwnd(), &window);
    const std::int32_t w = window.right - window.left;
    const std::int32_t h = window.bottom - window.top;
    ASSERT_GT(w, 10);
    tk::WindowDc dc(Form().picTresk.Hwnd(), tk::WindowDc::Area::Window);
    int wrong = 0;
    for (std::int32_t x = 0; x < w; x += 7) {
        for (std::int32_t y : {0, h / 2, h - 1}) {
            if (GetPixel(dc.Get(), x, y) != test::ModelPixel({base, 100}, x, y, w, h)) {
                ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(GetPixel(dc.Get(), w - 1, h / 2), base);
    EXPECT_EQ(GetPixel(dc.Get(), 0, h / 2), RGB(0, 0, 50));
}

}  // namespace
}  // namespace tresk
