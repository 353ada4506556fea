// The bitmap export on the real main window: the file holds the ramp that is on the
// screen, failures show the "Save Bitmap" box and leave an old file untouched, and the
// save command gives the hook back afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <dlgs.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/hookclient/mouse_hook.h"
#include "app/render/bitmap_export.h"
#include "app/render/colors.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "tests/win/app_test_support.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/test_support/ramp_model.h"
#include "toolkit/app.h"

namespace {

using tresk::test::BoxCatcher;
using tresk::test::MakeTempFolder;
using tresk::test::RemoveFolder;

tresk::TreskForm& Form() {
    return *tresk::Shared().mainForm;
}

class ExportEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        tresk::InitApplication();
        tresk::StartUp();
        tk::App::DoEvents();
    }
    void TearDown() override { tresk::StopMouseHook(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ExportEnvironment);

std::vector<unsigned char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

// Paints a ramp of `percent` from `base` and lets the screen catch up.
void PaintRamp(COLORREF base, const char* percent) {
    Form().SetBaseColor(base);
    Form().txtPerc.SetText(percent);
    Form().btnTresk_Click();
    tk::App::DoEvents();
}

TEST(BitmapExport, FileHoldsTheRampOnTheScreen) {
    const COLORREF base = RGB(200, 120, 40);
    PaintRamp(base, "50");
    const tresk::test::ScreenShot screen(tresk::test::WindowRectOf(Form().picTresk.Hwnd()));
    const char* outside = std::getenv("TRESK_EXPORT_CHECK_OUT");
    const std::string folder = MakeTempFolder("export");
    const std::string path = outside != nullptr ? outside : folder + "\\ramp.bmp";
    tresk::SaveBitmap(path);

    const tresk::test::BmpPicture file(ReadAll(path));
    ASSERT_EQ(file.Width(), Form().PicWidthPx()) << path;
    ASSERT_EQ(file.Height(), Form().PicHeightPx());
    ASSERT_EQ(screen.Width(), file.Width());
    ASSERT_EQ(screen.Height(), file.Height());
    EXPECT_TRUE(tresk::test::ShowsRamp(screen, {base, 50})) << "on the screen";
    int wrong = 0;
    for (int y = 0; y < file.Height(); ++y) {
        for (int x = 0; x < file.Width(); ++x) {
            if (file.At(x, y) != screen.At(x, y) && ++wrong <= 5) {
                ADD_FAILURE() << "file pixel (" << x << ", " << y << ") is "
                              << tresk::test::Rgb(file.At(x, y)) << ", the screen shows "
                              << tresk::test::Rgb(screen.At(x, y));
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    if (outside == nullptr) {
        RemoveFolder(folder);
    }
}

TEST(BitmapExport, ReadOnlyTargetShowsTheBoxAndKeepsTheOldFile) {
    PaintRamp(RGB(10, 200, 90), "20");
    const std::string folder = MakeTempFolder("export");
    const std::string path = folder + "\\old.bmp";
    {
        std::ofstream old(path, std::ios::binary);
        old << "the picture saved before";
    }
    const std::vector<unsigned char> before = ReadAll(path);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    std::vector<tresk::test::BoxSeen> seen;
    {
        BoxCatcher catcher(GetCurrentProcessId());
        tresk::SaveBitmap(path);
        seen = catcher.Seen();
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "Save Bitmap");
    EXPECT_FALSE(seen[0].text.empty());
    EXPECT_TRUE(seen[0].hasIcon);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"old.bmp"});
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveFolder(folder);
}

TEST(BitmapExport, MissingFolderShowsTheBoxWithItsDescription) {
    const std::string folder = MakeTempFolder("export");
    const std::string path = folder + "\\no such folder\\ramp.bmp";
    std::vector<tresk::test::BoxSeen> seen;
    {
        BoxCatcher catcher(GetCurrentProcessId());
        tresk::SaveBitmap(path);
        seen = catcher.Seen();
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "Save Bitmap");
    EXPECT_NE(seen[0].text.find("not found"), std::string::npos) << seen[0].text;
    EXPECT_TRUE(FilesIn(folder).empty());
    RemoveFolder(folder);
}

// The file-name field: a combo box in newer dialogs, an edit in older ones.
HWND NameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, cmb13);
    return field != nullptr ? field : GetDlgItem(dialog, edt1);
}

// What the save command showed when a name was typed into its dialog and confirmed.
struct SaveRun {
    std::int16_t hookDuringDialog = 1;
    std::string title;  // the dialog's
    std::string box;    // a failure box's text, empty when none was shown
};

SaveRun SaveThroughDialog(const std::string& path) {
    SaveRun run;
    std::atomic<bool> saved{false};
    HWND owner = Form().Hwnd();
    tresk::test::WhileDriving(
        owner,
        [&] {
            HWND dialog = tresk::test::WaitForOwnedDialog(owner);
            if (dialog == nullptr) {
                return;
            }
            run.hookDuringDialog = tresk::Shared().HookActive;
            run.title = tresk::test::TextOf(dialog);
            SendMessageA(NameField(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
            tresk::test::PressButton(dialog, IDOK);
            tresk::test::WaitForGone(dialog);
            // A failed save shows its box before the command returns.
            for (int i = 0; i < 500 && !saved; ++i) {
                if (HWND shown = tresk::test::FindOwnedDialog(owner); shown != nullptr) {
                    run.box = tresk::test::TextOf(shown);
                    tresk::test::PressButton(shown, IDOK);
                    break;
                }
                Sleep(20);
            }
        },
        [&] {
            Form().mnuSave_Click();
            saved = true;
            return 0;
        });
    return run;
}

TEST(BitmapExport, SaveCommandStopsTheHookForTheDialogAndStartsItAfter) {
    PaintRamp(RGB(90, 90, 250), "10");
    ASSERT_EQ(tresk::Shared().HookActive, -1);
    const std::string folder = MakeTempFolder("export");
    const std::string path = folder + "\\typed";
    const SaveRun run = SaveThroughDialog(path);
    EXPECT_EQ(run.title, "Save as...");
    EXPECT_EQ(run.hookDuringDialog, 0);
    EXPECT_EQ(tresk::Shared().HookActive, -1);
    // A name typed without an extension gets ".bmp".
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"typed.bmp"});
    RemoveFolder(folder);
}

// The dialog returns paths of up to 254 characters; the save command saves to the
// longest with a short file name, where a long temporary name beside it would pass
// the system's path limit.
TEST(BitmapExport, SaveCommandSavesToTheLongestPathTheDialogReturns) {
    PaintRamp(RGB(30, 160, 220), "40");
    const std::string folder = MakeTempFolder("export");
    std::string deep = folder;
    while (deep.size() < 230) {
        deep += "\\deeper";
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep;
    }
    const std::string name = "r.bmp";
    deep += "\\" + std::string(254 - deep.size() - 2 - name.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep;
    const std::string path = deep + "\\" + name;
    ASSERT_EQ(path.size(), 254u);

    EXPECT_EQ(SaveThroughDialog(path).box, "") << "the save reported a failure";
    const std::vector<unsigned char> file = ReadAll(path);
    ASSERT_GT(file.size(), 54u);
    EXPECT_EQ(static_cast<std::int32_t>(tresk::test::Le32(file, 18)), Form().PicWidthPx());
    EXPECT_EQ(FilesIn(deep), std::vector<std::string>{name});
    EXPECT_EQ(tresk::Shared().HookActive, -1);
    RemoveFolder(folder);
}

}  // namespace
