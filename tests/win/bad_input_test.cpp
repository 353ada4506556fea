// Input the program does not expect, given to the real windows in this process: text
// of any length pasted into the percentage box, the main window at its smallest and
// at 32767 pixels wide, save paths at and past the path limit, and file names the
// file system refuses. Nothing may crash, painting uses a clamped percentage, and a
// failed save says why and leaves an existing file as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/hookclient/mouse_hook.h"
#include "app/render/bitmap_export.h"
#include "app/render/colors.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "tests/win/app_test_support.h"
#include "test_support/program_environment.h"
#include "test_support/ramp_model.h"
#include "toolkit/app.h"

namespace tresk {
namespace {

using test::Form;

void Pump(int times = 3) {
    test::DoEventsRounds(times, 1);
}

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::ProgramEnvironment(10, 1));

bool PutOnClipboard(const std::string& text) {
    if (!OpenClipboard(Form().Hwnd())) {
        return false;
    }
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool put = false;
    if (memory != nullptr) {
        auto* bytes = static_cast<char*>(GlobalLock(memory));
        std::copy(text.begin(), text.end(), bytes);
        bytes[text.size()] = '\0';
        GlobalUnlock(memory);
        put = SetClipboardData(CF_TEXT, memory) != nullptr;
        if (!put) {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
    return put;
}

// Colour of the painted picture area's leftmost column on the screen.
COLORREF LeftmostPainted() {
    const RECT r = test::WindowRectOf(Form().picTresk.Hwnd());
    return test::ScreenColor(r.left, (r.top + r.bottom) / 2);
}

class BadInput : public ::testing::Test {
protected:
    void SetUp() override {
        Form().chkVertical.SetValue(0);
        Form().chkInvert.SetValue(0);
        Form().SetBaseColor(kBase);
    }
    static constexpr COLORREF kBase = RGB(100, 150, 250);
};

TEST_F(BadInput, PastedTextOfAnyLengthKeepsThreeCharactersAndPaintsClamped) {
    struct Case {
        std::string pasted;
        int percent;  // what painting uses
    };
    const std::vector<Case> cases = {
        {std::string(70000, '7'), 100},
        {std::string(4, '9'), 100},
        {"-" + std::string(300, '5'), 0},
        {"1e3", 100},
        {"9e9", 100},
        {"-9e9", 0},
        {"&HFFFF", 15},
        {"  4", 4},
        {std::string(5000, 'x') + "12", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("pasted " + std::to_string(c.pasted.size()) +
                     " characters: " + c.pasted.substr(0, 12));
        for (bool byKey : {false, true}) {
            Form().txtPerc.SetText("50");
            Form().txtPerc.SetSelStart(0);
            Form().txtPerc.SetSelLength(2);
            ASSERT_TRUE(PutOnClipboard(c.pasted));
            if (byKey) {
                // Ctrl+V reaches an edit control as character 22.
                SendMessageA(Form().txtPerc.Hwnd(), WM_CHAR, 22, 0);
            } else {
                SendMessageA(Form().txtPerc.Hwnd(), WM_PASTE, 0, 0);
            }
            EXPECT_LE(Form().txtPerc.Text().size(), 3u);
            Form().btnTresk_Click();
            Pump();
            EXPECT_EQ(Form().txtPerc.Text(), std::to_string(c.percent));
            EXPECT_EQ(LeftmostPainted(), test::ModelColour(kBase, 2 * c.percent));
        }
    }
    Form().txtPerc.SetText("50");
}

TEST_F(BadInput, WindowAtItsSmallestAndAt32767PixelsWideKeepsWorking) {
    HWND main = Form().Hwnd();
    RECT original{};
    GetWindowRect(main, &original);
    const std::string title = tk::App::Title();
    Form().txtPerc.SetText("100");

    const SIZE sizes[] = {{1, 1},
                          {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)},
                          {0, 0},
                          {32767, 200},
                          {32767, 32767}};
    for (const SIZE& size : sizes) {
        SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy));
        SetWindowPos(main, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
        ASSERT_TRUE(IsWindow(main));
        EXPECT_EQ(Form().Caption().rfind(title, 0), 0u) << Form().Caption();
        for (int vertical : {0, 1}) {
            Form().chkVertical.SetValue(vertical);
            Form().btnTresk_Click();
            Pump();
        }
        Form().chkVertical.SetValue(0);
    }

    // The picture area itself at 32767 pixels wide, larger than any window the system
    // allows: every line is still painted from the right band.
    const std::int32_t wide = 32767;
    SetWindowPos(main, nullptr, original.left, original.top, original.right - original.left,
                 original.bottom - original.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    Form().picTresk.SetWidth(wide * Shared().twipsPerPixelX);
    RECT r{};
    GetWindowRect(Form().picTresk.Hwnd(), &r);
    ASSERT_EQ(r.right - r.left, wide);
    const std::int32_t h = r.bottom - r.top;
    for (int invert : {0, 1}) {
        SCOPED_TRACE(invert != 0 ? "inverted" : "not inverted");
        Form().chkInvert.SetValue(invert);
        Form().btnTresk_Click();
        HDC dc = GetWindowDC(Form().picTresk.Hwnd());
        for (std::int32_t x : {0, 1, 100, 400}) {
            EXPECT_EQ(GetPixel(dc, x, h / 2),
                      test::ModelPixel({kBase, 100, false, invert != 0}, x, h / 2, wide, h))
                << "column " << x;
        }
        ReleaseDC(Form().picTresk.Hwnd(), dc);
    }
    Form().chkInvert.SetValue(0);
    // A resize lays the window out again.
    SetWindowPos(main, nullptr, 0, 0, original.right - original.left + 1,
                 original.bottom - original.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(main, nullptr, original.left, original.top, original.right - original.left,
                 original.bottom - original.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    GetWindowRect(Form().picTresk.Hwnd(), &r);
    EXPECT_LT(r.right - r.left, original.right - original.left);
    Form().txtPerc.SetText("50");
}

// A folder of its own for each save test, removed with what is in it.
class SaveFolder {
public:
    SaveFolder() : path_(test::MakeTempFolder("tresk_bad_")) {}
    ~SaveFolder() { test::RemoveFolder(path_); }
    SaveFolder(const SaveFolder&) = delete;
    SaveFolder& operator=(const SaveFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

bool WriteText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
        written == text.size();
    CloseHandle(file);
    return ok;
}

// Saves to `path`; the message boxes shown, read and closed.
std::vector<test::BoxSeen> SaveCatchingBoxes(const std::string& path) {
    return test::BoxesDuring([&] {
        SaveBitmap(path);
        Pump();
    });
}

TEST_F(BadInput, SavePathsAtAndPastTheLimitSaveOrSayWhyAndKeepTheOldFile) {
    Form().btnTresk_Click();
    Pump();
    SaveFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::string marker = "an existing file that must survive a failed save";
    for (std::size_t length : {254u, 255u, 259u, 300u}) {
        SCOPED_TRACE("path of " + std::to_string(length) + " characters");
        const std::string stem = folder.Path() + "\\";
        ASSERT_LT(stem.size() + 4, length);
        const std::string path = stem + std::string(length - stem.size() - 4, 'n') + ".bmp";
        ASSERT_EQ(path.size(), length);
        const bool existed = WriteText(path, marker);
        const auto boxes = SaveCatchingBoxes(path);
        const std::string now = test::ReadTextFile(path);
        if (boxes.empty()) {
            // Saved: a whole bitmap replaced the old file.
            EXPECT_EQ(now.substr(0, 2), "BM");
            EXPECT_GT(now.size(), 54u);
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].title, "Save Bitmap");
            EXPECT_FALSE(boxes[0].text.empty());
            EXPECT_EQ(now, existed ? marker : std::string());
        }
        // Nothing but the target is left in the folder: no temporary file, whatever its name.
        for (const std::string& name : test::FilesIn(folder.Path())) {
            EXPECT_EQ(folder.Path() + "\\" + name, path) << "left behind: " << name;
        }
        DeleteFileA(path.c_str());
    }
}

TEST_F(BadInput, NamesTheFileSystemRefusesGiveAMessageAndWriteNothing) {
    Form().btnTresk_Click();
    Pump();
    SaveFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    for (const char* name : {"a<b>.bmp", "x?.bmp", "con:.bmp", "a*b.bmp", "a|b.bmp", "q\".bmp",
                             "nul:x.bmp", "dir\\", ""}) {
        SCOPED_TRACE(std::string("name \"") + name + "\"");
        const auto boxes = SaveCatchingBoxes(folder.Path() + "\\" + name);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].title, "Save Bitmap");
        EXPECT_FALSE(boxes[0].text.empty());
        EXPECT_TRUE(test::FilesIn(folder.Path()).empty());
    }
    EXPECT_TRUE(IsWindow(Form().Hwnd()));
}

}  // namespace
}  // namespace tresk
