// Ways out of the program short of being killed: a run-time error that no handler
// traps, an unhandled structured exception, and a close request from another program
// while a dialog or the About box is open. The real program runs as a child process
// with the hook installed; it reports the hook library's own system calls, and this
// test reads and closes its message box or asks its main window to close.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app_test_support.h"
#include "dialog_driver.h"

namespace tresk::test {
namespace {

// Runs the child in the hook library's folder (the working folder of the tests).
ChildRun RunApp(const char* mode) {
    const std::string folder = MakeTempFolder("tresk_fatal_");
    const std::string report = folder + "\\report.txt";
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    ChildRun run = RunChildReporting(ExeFolder() + "\\app_child.exe",
                                     std::string(mode) + " " + report, cwd, report);
    RemoveFolder(folder);
    return run;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Position of `part` in `text`, or npos.
std::size_t At(const std::string& text, const std::string& part) {
    return text.find(part);
}

// A run-time error that no handler traps, and a C++ exception that nothing catches
// (the program's terminate handler), end the same way.
TEST(Fatal, RuntimeErrorOrUncaughtExceptionGivesTheDesktopBackThenShowsTheErrorAndEndsWithOne) {
    for (const auto& [mode, description] :
         {std::pair{"throw", "Invalid procedure call or argument"},
          std::pair{"terminate", "Unexpected error"}}) {
        SCOPED_TRACE(mode);
        const ChildRun run = RunApp(mode);
        ASSERT_TRUE(Contains(run.report, "boxes watched yes")) << run.report;
        ASSERT_TRUE(Contains(run.report, "watching yes")) << run.report;
        ASSERT_TRUE(Contains(run.report, "started hookActive=-1")) << run.report;
        // The hook ran: installed, arrow replaced by the pick cursor.
        EXPECT_TRUE(Contains(run.report, "SetWindowsHookExA 7")) << run.report;
        EXPECT_TRUE(Contains(run.report, "SetSystemCursor pick")) << run.report;

        ASSERT_EQ(run.boxes.size(), 1u) << run.report;
        const BoxSeen& box = run.boxes[0];
        EXPECT_EQ(box.text, description);
        EXPECT_EQ(box.title, "Tresk Color");
        EXPECT_TRUE(box.hasIcon);
        EXPECT_TRUE(Contains(box.note, "MessageBoxA critical ok")) << box.note;
        // When the box was up, the library had already given the arrow back and
        // removed the hook it had installed, after the error was raised.
        const std::size_t raising = At(box.note, "raising");
        const std::size_t restore = At(box.note, "arrow restore");
        const std::size_t unhook = At(box.note, "UnhookWindowsHookEx installed");
        ASSERT_NE(raising, std::string::npos) << box.note;
        ASSERT_NE(restore, std::string::npos) << box.note;
        ASSERT_NE(unhook, std::string::npos) << box.note;
        EXPECT_LT(raising, restore);
        EXPECT_LT(restore, unhook);

        EXPECT_EQ(run.exitCode, 1) << run.report;
        EXPECT_FALSE(Contains(run.report, "returned")) << run.report;
    }
}

struct FormSearch {
    DWORD processId;
    std::string caption;  // how the caption starts
    HWND found;
};

BOOL CALLBACK MatchForm(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<FormSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->processId && ClassOf(window) == "TreskForm" && IsWindowVisible(window) &&
        TextOf(window).rfind(search->caption, 0) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible window of the program's own class whose caption starts with `caption`,
// waited for up to 30 s.
HWND WaitForForm(DWORD processId, const std::string& caption) {
    for (int i = 0; i < 1500; ++i) {
        FormSearch search{processId, caption, nullptr};
        EnumWindows(MatchForm, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            return search.found;
        }
        Sleep(20);
    }
    return nullptr;
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size())) {
        ++n;
    }
    return n;
}

// The child opens the road's dialog; once it is up, this test posts WM_CLOSE to the
// main window, as another program (or taskkill without /f) would.
struct CloseRun {
    bool dialogSeen = false;
    int exitCode = -1;
    std::string report;
};

CloseRun CloseWhileOpen(const std::string& road) {
    CloseRun run;
    const std::string folder = MakeTempFolder("tresk_close_");
    const std::string report = folder + "\\report.txt";
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    run.exitCode = RunChild(
        ExeFolder() + "\\app_child.exe", road + " " + report, cwd,
        [&](DWORD pid) {
            HWND main = WaitForForm(pid, "Tresk Color");
            if (main == nullptr) {
                return;
            }
            HWND open =
                road == "about" ? WaitForForm(pid, "About") : WaitForOwnedDialog(main, 30000);
            run.dialogSeen = open != nullptr && IsWindowVisible(open) && RoundTrip(open);
            PostMessageA(main, WM_CLOSE, 0, 0);
        },
        20000);
    run.report = ReadTextFile(report);
    RemoveFolder(folder);
    return run;
}

TEST(Close, RequestWhileADialogIsOpenEndsTheProgramAndLeavesTheHookOut) {
    for (const std::string road : {"color", "save", "about"}) {
        SCOPED_TRACE(road);
        const CloseRun run = CloseWhileOpen(road);
        ASSERT_TRUE(Contains(run.report, "watching yes")) << run.report;
        ASSERT_TRUE(run.dialogSeen) << run.report;
        // The process ends by itself, with 0, and the dialog's handler came back to
        // find the main window gone and the hook stopped: installed once, at start-up,
        // removed once, never installed again.
        EXPECT_EQ(run.exitCode, 0) << run.report;
        EXPECT_TRUE(Contains(run.report, "back from " + road + " hookActive=0 color="));
        EXPECT_TRUE(Contains(run.report, "main=gone about=gone\n"));
        EXPECT_TRUE(Contains(run.report, "end hookActive=0 main=gone about=gone"));
        EXPECT_EQ(Count(run.report, "SetWindowsHookExA"), 1);
        EXPECT_EQ(Count(run.report, "UnhookWindowsHookEx installed"), 1);
        EXPECT_EQ(Count(run.report, "SetSystemCursor pick"), 1);
        EXPECT_EQ(Count(run.report, "arrow restore"), 1);
        if (road == "color") {
            // Closed as by its Cancel button: no colour taken.
            EXPECT_TRUE(Contains(run.report, "color=-1 "));
        }
    }
}

TEST(Fatal, UnhandledExceptionGivesTheDesktopBackFirst) {
    const ChildRun run = RunApp("seh");
    ASSERT_TRUE(Contains(run.report, "watching yes")) << run.report;
    ASSERT_TRUE(Contains(run.report, "started hookActive=-1")) << run.report;
    ASSERT_TRUE(Contains(run.report, "program filter set")) << run.report;
    const std::size_t unhandled = At(run.report, "unhandled");
    const std::size_t restore = At(run.report, "arrow restore");
    const std::size_t unhook = At(run.report, "UnhookWindowsHookEx installed");
    const std::size_t after = At(run.report, "after filter hookActive=0 result=0");
    ASSERT_NE(unhandled, std::string::npos) << run.report;
    ASSERT_NE(restore, std::string::npos) << run.report;
    ASSERT_NE(unhook, std::string::npos) << run.report;
    ASSERT_NE(after, std::string::npos) << run.report;
    EXPECT_LT(unhandled, restore);
    EXPECT_LT(restore, unhook);
    EXPECT_LT(unhook, after);
    // The program's filter leaves the exception to the system: no box of its own.
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_FALSE(Contains(run.report, "MessageBoxA")) << run.report;
    EXPECT_EQ(run.exitCode, 3);
}

}  // namespace
}  // namespace tresk::test
