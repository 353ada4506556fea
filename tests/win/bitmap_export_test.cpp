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
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/render/bitmap_export.h"
#include "app/render/colors.h"
#include "app/render/save_dialog_text.h"
#include "app/shell/shared_state.h"
#include "app/shell/tresk_form.h"
#include "tests/win/app_test_support.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/test_support/program_environment.h"
#include "tests/win/test_support/ramp_model.h"
#include "toolkit/app.h"
#include "toolkit/save_failure.h"

namespace {

using tresk::test::FilesIn;
using tresk::test::MakeTempFolder;
using tresk::test::RemoveFolder;
using Names = std::set<std::string>;

tresk::TreskForm& Form() {
    return *tresk::Shared().mainForm;
}

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new tresk::test::ProgramEnvironment(1, 0));

std::vector<unsigned char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// Paints a ramp of `percent` from `base` and lets the screen catch up.
void PaintRamp(COLORREF base, const char* percent) {
    Form().SetBaseColor(base);
    Form().txtPerc.SetText(percent);
    Form().btnTresk_Click();
    tk::App::DoEvents();
}

// At 200 pixels across and 50 %, every other line falls half-way between two bands
// and takes the even one.
TEST(BitmapExport, FileHoldsTheRampOnTheScreen) {
    tresk::test::SizePictureArea(200, 95);
    ASSERT_EQ(Form().PicWidthPx(), 200);
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
    EXPECT_TRUE(tresk::test::ShowsRamp(file, {base, 50})) << "in the file";
    if (outside == nullptr) {
        RemoveFolder(folder);
    }
    tresk::test::SizePictureArea(553, 95);
}

// A read-only file and a missing folder: the "Save Bitmap" box says why, and the old
// file stays as it was with nothing beside it.
TEST(BitmapExport, FailuresShowTheBoxWithTheirDescriptionAndKeepTheOldFile) {
    PaintRamp(RGB(10, 200, 90), "20");
    const std::string folder = MakeTempFolder("export");
    const std::string old = folder + "\\old.bmp";
    std::ofstream(old, std::ios::binary) << "the picture saved before";
    ASSERT_TRUE(SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string missing = folder + "\\no such folder";
    for (const auto& [path, text] :
         {std::pair{old, "Permission denied: " + old},
          std::pair{missing + "\\ramp.bmp", "Path not found: " + missing}}) {
        const auto seen = tresk::test::BoxesDuring([&] { tresk::SaveBitmap(path); });
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].title, "Save Bitmap");
        EXPECT_EQ(seen[0].text, text);
        EXPECT_TRUE(seen[0].hasIcon);
    }
    EXPECT_EQ(tresk::test::ReadTextFile(old), "the picture saved before");
    EXPECT_EQ(FilesIn(folder), Names{"old.bmp"});
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

// Presses `button` on the first box `owner` shows while `waiting()`; returns its text.
template <class Waiting>
std::string AnswerBox(HWND owner, int button, Waiting waiting) {
    for (int i = 0; i < 500 && waiting(); ++i) {
        if (HWND box = tresk::test::FindOwnedDialog(owner); box != nullptr) {
            const std::string text = tresk::test::TextOf(GetDlgItem(box, 0xFFFF));
            tresk::test::PressButton(box, button);
            return text;
        }
        Sleep(20);
    }
    return "";
}

// Types `path` into the save dialog and confirms it, answering yes should the dialog
// ask to replace a file; an empty path cancels the dialog instead.
SaveRun SaveThroughDialog(const std::string& path) {
    SaveRun run;
    std::atomic<bool> saved{false};
    HWND owner = Form().Hwnd();
    tresk::test::WhileDriving(
        owner,
        [&] {
            HWND dialog = tresk::test::WaitForOwnedDialog(owner);
            if (dialog == nullptr) {
                ADD_FAILURE() << "the save command opened no dialog";
                return;
            }
            run.hookDuringDialog = tresk::Shared().HookActive;
            run.title = tresk::test::TextOf(dialog);
            // Typed as the user types: characters, whatever the program's code page.
            SendMessageW(NameField(dialog), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(tresk::test::Wide(path).c_str()));
            tresk::test::PressButton(dialog, path.empty() ? IDCANCEL : IDOK);
            AnswerBox(dialog, IDYES, [&] { return IsWindow(dialog); });
            tresk::test::WaitForGone(dialog);
            // A failed save shows its box before the command returns.
            run.box = AnswerBox(owner, IDOK, [&] { return !saved; });
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
    // A name longer than the dialog's buffer: the dialog answers FALSE as for Cancel,
    // but the user is told and nothing is saved; Cancel itself stays silent.
    const std::string tooLong = folder + "\\" + std::string(254 - folder.size(), 'n') + ".bmp";
    EXPECT_EQ(SaveThroughDialog(tooLong).box, tresk::kSaveDialogNameTooLong);
    EXPECT_EQ(SaveThroughDialog("").box, "") << "Cancel showed a box";
    // A device's name, typed with or without an extension: the clear message, no
    // warning of damage, nothing made.
    for (const auto& [typed, saved] :
         {std::pair{"nul", "nul.bmp"}, std::pair{"NUL.bmp", "NUL.bmp"}}) {
        EXPECT_EQ(SaveThroughDialog(folder + "\\" + typed).box,
                  tk::NamesADevice(folder + "\\" + saved).Description());
    }
    EXPECT_EQ(tresk::Shared().HookActive, -1);
    // A name typed without an extension gets ".bmp".
    EXPECT_EQ(FilesIn(folder), Names{"typed.bmp"});
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
    EXPECT_EQ(FilesIn(deep), Names{name});
    EXPECT_EQ(tresk::Shared().HookActive, -1);
    RemoveFolder(folder);
}

// With the UTF-8 code page (under which the file functions below take UTF-8 too), a
// folder named in any script is one the program can save to: a typed path into
// "颜色 🎨" saves there and over the file it made, a failure quotes the name as it
// is, and a multi-byte name longer than the dialog's buffer fails with the box
// instead of saving to a cut name.
TEST(BitmapExport, SaveCommandSavesIntoAFolderNamedInAnyScript) {
    ASSERT_EQ(GetACP(), 65001u) << "the program does not run with the UTF-8 code page";
    PaintRamp(RGB(120, 60, 200), "30");
    const std::string folder = MakeTempFolder("export");
    const std::string named = folder + "\\颜色 🎨";
    const std::string picture = named + "\\图片.bmp";
    ASSERT_TRUE(CreateDirectoryA(named.c_str(), nullptr));
    for (int round = 0; round < 2; ++round) {  // a new file, then over it
        EXPECT_EQ(SaveThroughDialog(named + "\\图片").box, "");
        EXPECT_GT(ReadAll(picture).size(), 54u) << "nothing saved under the folder's real name";
    }
    ASSERT_TRUE(SetFileAttributesA(picture.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(SaveThroughDialog(picture).box, "Permission denied: " + picture);
    SetFileAttributesA(picture.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Three bytes a character: the path passes the buffer's 254 bytes long before it
    // passes 254 characters. A path of exactly 254 bytes is saved under its name; one
    // character more is refused with the box, not saved under a cut name.
    const std::size_t room = 254 - named.size() - 1 - 4;  // for the name before ".bmp"
    std::string name(room % 3, 'x');
    while (name.size() < room) {
        name += "色";
    }
    EXPECT_EQ(SaveThroughDialog(named + "\\" + name + ".bmp").box, "");
    EXPECT_TRUE(DeleteFileA((named + "\\" + name + ".bmp").c_str())) << "not saved under its name";
    EXPECT_EQ(SaveThroughDialog(named + "\\色" + name + ".bmp").box, tresk::kSaveDialogNameTooLong);
    EXPECT_EQ(FilesIn(named), Names{"图片.bmp"});
    RemoveFolder(folder);
}

}  // namespace
