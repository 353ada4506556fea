// The small window utilities against real windows: the system-menu item, making a
// window top-most, and opening targets through the shell.
#include "app/about/system_menu.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/about/shell_open.h"
#include "app/about/top_most.h"
#include "app_test_support.h"

namespace tresk {
namespace {

constexpr std::uint32_t kAboutId = 2001;

// A top-level window with a system menu.
class TestWindow : public test::TopWindow {
public:
    TestWindow() : TopWindow("TreskMenuTestWindow", "Menu test", 60, 60, 300, 200) {}
};

struct MenuEntry {
    bool separator = false;
    UINT id = 0;
    std::string text;
};

// Item `position` of the window's system menu; negative positions count from the end.
MenuEntry EntryAt(HWND hwnd, int position) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    const int count = GetMenuItemCount(menu);
    const UINT index = static_cast<UINT>(position < 0 ? count + position : position);
    char text[256] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    MenuEntry entry;
    if (GetMenuItemInfoA(menu, index, TRUE, &info)) {
        entry.separator = (info.fType & MFT_SEPARATOR) != 0;
        entry.id = info.wID;
        entry.text = text;
    }
    return entry;
}

int MenuCount(HWND hwnd) {
    return GetMenuItemCount(GetSystemMenu(hwnd, FALSE));
}

TEST(AddSystemMenuItem, AppendsASeparatorAndTheAboutCommand) {
    TestWindow window;
    const int before = MenuCount(window.Get());
    ASSERT_GT(before, 0);
    AddSystemMenuItem(window.Get(), kAboutId, "About...", -1);
    EXPECT_EQ(MenuCount(window.Get()), before + 2);
    EXPECT_TRUE(EntryAt(window.Get(), -2).separator);
    const MenuEntry about = EntryAt(window.Get(), -1);
    EXPECT_FALSE(about.separator);
    EXPECT_EQ(about.id, kAboutId);
    EXPECT_EQ(about.text, "About...");
    HMENU menu = GetSystemMenu(window.Get(), FALSE);
    EXPECT_EQ(GetMenuState(menu, kAboutId, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED), 0u);

    // A second call with the same id finds the older item and puts its pair right
    // above it, below the older separator.
    AddSystemMenuItem(window.Get(), kAboutId, "Newer", 1);
    EXPECT_EQ(MenuCount(window.Get()), before + 4);
    EXPECT_TRUE(EntryAt(window.Get(), -4).separator);
    EXPECT_TRUE(EntryAt(window.Get(), -3).separator);
    EXPECT_EQ(EntryAt(window.Get(), -2).text, "Newer");
    EXPECT_EQ(EntryAt(window.Get(), -2).id, kAboutId);
    EXPECT_EQ(EntryAt(window.Get(), -1).text, "About...");
    EXPECT_EQ(EntryAt(window.Get(), -1).id, kAboutId);
}

TEST(AddSystemMenuItem, WithoutSeparatorAddsOnlyTheItem) {
    TestWindow window;
    const int before = MenuCount(window.Get());
    const MenuEntry lastBefore = EntryAt(window.Get(), -1);
    AddSystemMenuItem(window.Get(), 3000, "Only", 0);
    EXPECT_EQ(MenuCount(window.Get()), before + 1);
    EXPECT_EQ(EntryAt(window.Get(), -1).text, "Only");
    EXPECT_EQ(EntryAt(window.Get(), -1).id, 3000u);
    EXPECT_EQ(EntryAt(window.Get(), -2).text, lastBefore.text);
}

TEST(AddSystemMenuItem, CaptionTextIsExactlyTheCaption) {
    TestWindow window;
    // The caption is a view into a longer text: only its own characters go in.
    AddSystemMenuItem(window.Get(), 3001, std::string_view("About...and more", 8), 0);
    EXPECT_EQ(EntryAt(window.Get(), -1).text, "About...");

    // An empty caption still makes a command item, with an empty text.
    AddSystemMenuItem(window.Get(), 3002, "", 0);
    const MenuEntry empty = EntryAt(window.Get(), -1);
    EXPECT_FALSE(empty.separator);
    EXPECT_EQ(empty.id, 3002u);
    EXPECT_EQ(empty.text, "");
}

TEST(AddSystemMenuItem, NullWindowChangesNothing) {
    TestWindow window;
    const int before = MenuCount(window.Get());
    AddSystemMenuItem(nullptr, kAboutId, "About...", -1);
    EXPECT_EQ(MenuCount(window.Get()), before);
}

TEST(SetTopMost, PutsTheWindowInTheTopMostBandWithoutMovingIt) {
    TestWindow window;
    ASSERT_EQ(GetWindowLongA(window.Get(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    RECT before{};
    GetWindowRect(window.Get(), &before);
    SetTopMost(window.Get());
    EXPECT_NE(GetWindowLongA(window.Get(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    RECT after{};
    GetWindowRect(window.Get(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    // Again on a top-most window: it stays top-most and in place.
    SetTopMost(window.Get());
    EXPECT_NE(GetWindowLongA(window.Get(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    GetWindowRect(window.Get(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

class ShellOpenTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = test::MakeTempFolder("tresk-shell-"); }
    void TearDown() override { test::RemoveFolder(folder_); }
    std::string folder_;
};

TEST_F(ShellOpenTest, MissingFileGivesFileNotFound) {
    EXPECT_EQ(ShellOpen(nullptr, folder_ + "\\missing.txt"), "File not found.");
}

TEST_F(ShellOpenTest, OpenableTargetGivesEmptyTextAndRuns) {
    // A batch file that leaves a mark and ends by itself: its default action runs it.
    const std::string marker = folder_ + "\\ran.txt";
    std::ofstream(folder_ + "\\run.bat") << "@echo ran> \"" << marker << "\"\r\n";
    EXPECT_EQ(ShellOpen(nullptr, folder_ + "\\run.bat"), "");
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES &&
           GetTickCount() - start < 15000) {
        Sleep(50);
    }
    EXPECT_NE(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the batch file did not run";
    Sleep(300);  // let the command processor let go of the files
}

}  // namespace
}  // namespace tresk
