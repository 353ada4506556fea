// Ways out of the program short of being killed: a run-time error that no handler
// traps, and an unhandled structured exception. The real program runs as a child
// process with the hook installed; it reports the hook library's own system calls, and
// this test reads and closes its message box.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_test_support.h"

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

TEST(Fatal, RuntimeErrorGivesTheDesktopBackThenShowsTheErrorAndEndsWithOne) {
    const ChildRun run = RunApp("throw");
    ASSERT_TRUE(Contains(run.report, "boxes watched yes")) << run.report;
    ASSERT_TRUE(Contains(run.report, "watching yes")) << run.report;
    ASSERT_TRUE(Contains(run.report, "started hookActive=-1")) << run.report;
    // The hook ran: installed, arrow replaced by the pick cursor.
    EXPECT_TRUE(Contains(run.report, "SetWindowsHookExA 7")) << run.report;
    EXPECT_TRUE(Contains(run.report, "SetSystemCursor pick")) << run.report;

    ASSERT_EQ(run.boxes.size(), 1u) << run.report;
    const BoxSeen& box = run.boxes[0];
    EXPECT_EQ(box.text, "Invalid procedure call or argument");
    EXPECT_EQ(box.title, "Tresk Color");
    EXPECT_TRUE(box.hasIcon);
    EXPECT_TRUE(Contains(box.note, "MessageBoxA critical ok")) << box.note;
    // When the box was up, the library had already given the arrow back and removed
    // the hook it had installed, after the error was raised.
    const std::size_t raising = At(box.note, "raising");
    const std::size_t restore = At(box.note, "SetSystemCursor restore");
    const std::size_t unhook = At(box.note, "UnhookWindowsHookEx installed");
    ASSERT_NE(raising, std::string::npos) << box.note;
    ASSERT_NE(restore, std::string::npos) << box.note;
    ASSERT_NE(unhook, std::string::npos) << box.note;
    EXPECT_LT(raising, restore);
    EXPECT_LT(restore, unhook);

    EXPECT_EQ(run.exitCode, 1) << run.report;
    EXPECT_FALSE(Contains(run.report, "returned")) << run.report;
}

TEST(Fatal, UnhandledExceptionGivesTheDesktopBackFirst) {
    const ChildRun run = RunApp("seh");
    ASSERT_TRUE(Contains(run.report, "watching yes")) << run.report;
    ASSERT_TRUE(Contains(run.report, "started hookActive=-1")) << run.report;
    ASSERT_TRUE(Contains(run.report, "program filter set")) << run.report;
    const std::size_t unhandled = At(run.report, "unhandled");
    const std::size_t restore = At(run.report, "SetSystemCursor restore");
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
