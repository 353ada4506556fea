// Ways out of the program short of being killed: a run-time error that no handler
// traps, an unhandled structured exception, and a close request from another program
// while a dialog or the About box is open. The real program runs as a child process
// with the hook installed; it reports the hook library's own system calls, and this
// test reads and closes its message box or asks its main window to close.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app_test_support.h"
#include "dialog_driver.h"

namespace tresk::test {
namespace {

// Runs the child in the hook library's folder (the working folder of the tests). Its
// message boxes are read and closed, unless `whileRunning` is given the child's dialogs.
ChildRun RunApp(const std::string& mode, const std::function<void(DWORD)>& whileRunning = {}) {
    const std::string folder = MakeTempFolder("tresk_fatal_");
    const std::string report = folder + "\\report.txt";
    const std::string exe = ExeFolder() + "\\app_child.exe";
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    ChildRun run;
    if (whileRunning) {
        run.exitCode = RunChild(exe, mode + " " + report, cwd, whileRunning, 20000);
        run.report = ReadTextFile(report);
    } else {
        run = RunChildReporting(exe, mode + " " + report, cwd, report);
    }
    RemoveFolder(folder);
    return run;
}

// A run-time error that no handler traps, and a C++ exception that nothing catches
// (the program's terminate handler), end the same way.
TEST(Fatal, RuntimeErrorOrUncaughtExceptionGivesTheDesktopBackThenShowsTheErrorAndEndsWithOne) {
    for (const auto& [mode, description] :
         {std::pair{"throw", "Invalid procedure call or argument"},
          std::pair{"terminate", "Unexpected error"}}) {
        SCOPED_TRACE(mode);
        const ChildRun run = RunApp(mode);
        // The hook ran: arrow replaced by the pick cursor, installed.
        ASSERT_EQ(
            NotInOrder(run.report, {"boxes watched yes", "watching yes", "SetSystemCursor pick",
                                    "SetWindowsHookExA 7", "started hookActive=-1"}),
            "");

        ASSERT_EQ(run.boxes.size(), 1u) << run.report;
        const BoxSeen& box = run.boxes[0];
        EXPECT_EQ(box.text, description);
        EXPECT_EQ(box.title, "Tresk Color");
        EXPECT_TRUE(box.hasIcon);
        EXPECT_TRUE(Contains(box.note, "MessageBoxA critical ok")) << box.note;
        // When the box was up, the library had already given the arrow back and
        // removed the hook it had installed, after the error was raised.
        EXPECT_EQ(
            NotInOrder(box.note, {"raising", "arrow restore", "UnhookWindowsHookEx installed"}),
            "");

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
TEST(Close, RequestWhileADialogIsOpenEndsTheProgramAndLeavesTheHookOut) {
    for (const std::string road : {"color", "save", "about"}) {
        SCOPED_TRACE(road);
        bool dialogSeen = false;
        const ChildRun run = RunApp(road, [&](DWORD pid) {
            HWND main = WaitForForm(pid, "Tresk Color");
            HWND open = main == nullptr   ? nullptr
                        : road == "about" ? WaitForForm(pid, "About")
                                          : WaitForOwnedDialog(main, 30000);
            dialogSeen = open != nullptr && IsWindowVisible(open) && RoundTrip(open);
            PostMessageA(main, WM_CLOSE, 0, 0);
        });
        ASSERT_TRUE(dialogSeen) << run.report;
        // The process ends by itself, with 0, and the dialog's handler came back to
        // find the main window gone and the hook stopped: installed once, at start-up,
        // removed once, never installed again.
        EXPECT_EQ(run.exitCode, 0) << run.report;
        EXPECT_EQ(NotInOrder(run.report,
                             {"watching yes", "back from " + road + " hookActive=0 color=",
                              "main=gone about=gone\n", "end hookActive=0 main=gone about=gone"}),
                  "");
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
    EXPECT_EQ(NotInOrder(run.report, {"watching yes", "started hookActive=-1", "program filter set",
                                      "unhandled", "arrow restore", "UnhookWindowsHookEx installed",
                                      "after filter hookActive=0 result=0"}),
              "");
    // The program's filter leaves the exception to the system: no box of its own.
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_FALSE(Contains(run.report, "MessageBoxA")) << run.report;
    EXPECT_EQ(run.exitCode, 3);
}

}  // namespace
}  // namespace tresk::test
