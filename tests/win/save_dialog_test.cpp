// The save-file dialog driven for real: a second thread finds it, reads its
// controls, types a name and presses its buttons while the test thread waits in
// ShowSaveDialog.
#include "app/render/save_dialog.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <fstream>

#include "app/shell/shared_state.h"
#include "tests/win/app_test_support.h"
#include "tests/win/dialog_driver.h"

namespace tresk {
namespace {

using test::FindOwnedDialog;
using test::OwnerWindow;
using test::PressButton;
using test::TextOf;
using test::WaitForGone;
using test::WaitForOwnedDialog;
using test::WhileDriving;

constexpr std::string_view kBitmapFilter = "Bitmap File *.bmp|*.bmp";

std::string ComboText(HWND combo) {
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index < 0) {
        return {};
    }
    char text[512] = {};
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::string FolderShown(HWND dialog) {
    char path[MAX_PATH] = {};
    SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
    return path;
}

// The file-name field: a combo box (cmb13) in newer dialogs, an edit (edt1) in older.
HWND NameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, cmb13);
    return field != nullptr ? field : GetDlgItem(dialog, edt1);
}

// Types `name` into the name field and presses Save.
void SaveAs(HWND dialog, const char* name) {
    SetWindowTextA(NameField(dialog), name);
    PressButton(dialog, IDOK);
}

class SaveDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = test::MakeTempFolder("tresk-save-");
        std::ofstream(folder_ + "\\old.bmp") << "old";
    }
    void TearDown() override { test::RemoveFolder(folder_); }

    // Opens the dialog as the export does, with `title` and `filter`, lets
    // `script` work it, and returns the dialog's result.
    std::string Run(std::string_view filter, std::string_view title,
                    const std::function<void(HWND dialog)>& script) {
        return WhileDriving(
            owner_.Get(),
            [&] {
                HWND dialog = WaitForOwnedDialog(owner_.Get());
                ASSERT_NE(dialog, nullptr) << "the save dialog did not appear";
                script(dialog);
            },
            [&] {
                return ShowSaveDialog(owner_.Get(), filter, title, "bmp", fileName_, folder_,
                                      filterIndex_);
            });
    }

    OwnerWindow owner_;
    std::string folder_;
    std::string fileName_ = "*.bmp";
    std::int32_t filterIndex_ = 1;
};

// The dialog opens as the export asks, appends the extension, and leaves the process's
// current folder where it was, not on the folder saved into (which it would keep open).
TEST_F(SaveDialogTest, OpensAsTheExportAsksAndAppendsTheDefaultExtension) {
    std::string title, typeText, nameText, folderShown;
    LRESULT typeCount = 0;
    char before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    const std::string path = Run(kBitmapFilter, "Save as...", [&](HWND dialog) {
        title = TextOf(dialog);
        typeText = ComboText(GetDlgItem(dialog, cmb1));
        typeCount = SendDlgItemMessageA(dialog, cmb1, CB_GETCOUNT, 0, 0);
        nameText = TextOf(NameField(dialog));
        folderShown = FolderShown(dialog);
        SaveAs(dialog, "picture");
    });
    EXPECT_EQ(title, "Save as...");
    EXPECT_EQ(typeText, "Bitmap File *.bmp");
    EXPECT_EQ(typeCount, 1);
    EXPECT_EQ(nameText, "*.bmp");
    EXPECT_EQ(folderShown, folder_);

    EXPECT_EQ(path, folder_ + "\\picture.bmp");
    EXPECT_EQ(fileName_, "picture.bmp");
    EXPECT_EQ(filterIndex_, 1);
    EXPECT_NE(Shared().saveDialogResult, 0);
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before);
}

TEST_F(SaveDialogTest, ExistingNameBringsTheReplaceQuestion) {
    std::string question;
    bool backInDialog = false;
    const std::string path = Run(kBitmapFilter, "Save as...", [&](HWND dialog) {
        SaveAs(dialog, "old");
        HWND ask = WaitForOwnedDialog(dialog);
        ASSERT_NE(ask, nullptr) << "no replace question";
        question = TextOf(GetDlgItem(ask, 0xFFFF));  // the message box's text
        // "No" returns to the file dialog.
        PressButton(ask, IDNO);
        ASSERT_TRUE(WaitForGone(ask));
        // Once the dialog's loop has run again, a second box would have disabled it.
        backInDialog = test::RoundTrip(dialog) && IsWindowEnabled(dialog) &&
                       FindOwnedDialog(dialog) == nullptr;
        // Asked again, "Yes" takes the existing name.
        SaveAs(dialog, "old");
        ask = WaitForOwnedDialog(dialog);
        ASSERT_NE(ask, nullptr) << "no replace question the second time";
        PressButton(ask, IDYES);
    });
    // The wording is the system's own; it asks about replacing.
    EXPECT_NE(question.find("replace"), std::string::npos) << question;
    EXPECT_TRUE(backInDialog);
    EXPECT_EQ(path, folder_ + "\\old.bmp");
    EXPECT_EQ(fileName_, "old.bmp");
}

TEST_F(SaveDialogTest, CancelReturnsEmptyAndKeepsNameAndFilter) {
    fileName_ = "keep.bmp";
    filterIndex_ = 2;
    const std::string path = Run("Text *.txt|*.txt|Bitmap File *.bmp|*.bmp", "Save as...",
                                 [](HWND dialog) { PressButton(dialog, IDCANCEL); });
    EXPECT_EQ(path, "");
    EXPECT_EQ(fileName_, "keep.bmp");
    EXPECT_EQ(filterIndex_, 2);
    EXPECT_EQ(Shared().saveDialogResult, 0);
}

TEST_F(SaveDialogTest, FilterIndexGoesInAndComesBack) {
    filterIndex_ = 2;
    std::string typeAtOpening;
    const std::string path =
        Run("Text *.txt|*.txt|Bitmap File *.bmp|*.bmp", "Save as...", [&](HWND dialog) {
            HWND combo = GetDlgItem(dialog, cmb1);
            typeAtOpening = ComboText(combo);
            // The user picks the first type: a selection in a drop-down list ends
            // with these two notifications.
            SendMessageA(combo, CB_SETCURSEL, 0, 0);
            for (int notification : {CBN_SELCHANGE, CBN_SELENDOK}) {
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, notification),
                             reinterpret_cast<LPARAM>(combo));
            }
            SaveAs(dialog, "picture.bmp");
        });
    EXPECT_EQ(typeAtOpening, "Bitmap File *.bmp");
    EXPECT_EQ(filterIndex_, 1);
    EXPECT_EQ(path, folder_ + "\\picture.bmp");
}

TEST_F(SaveDialogTest, EmptyTitleShowsSaveAsAndABarlessFilterIsOneEntry) {
    std::string title, typeText;
    LRESULT typeCount = 0;
    Run("Bitmap File *.bmp", "", [&](HWND dialog) {
        title = TextOf(dialog);
        typeText = ComboText(GetDlgItem(dialog, cmb1));
        typeCount = SendDlgItemMessageA(dialog, cmb1, CB_GETCOUNT, 0, 0);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(title, "Save As...");
    EXPECT_EQ(typeText, "Bitmap File *.bmp");
    EXPECT_EQ(typeCount, 1);
}

}  // namespace
}  // namespace tresk
