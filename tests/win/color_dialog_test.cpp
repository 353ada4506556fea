// The colour dialog driven for real: a second thread finds it, reads it and
// presses its buttons while the test thread waits in ShowColorDialog.
#include "app/render/color_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "app/shell/shared_state.h"
#include "tests/win/dialog_driver.h"

namespace tresk {
namespace {

using test::OwnerWindow;
using test::PressButton;
using test::TextOf;
using test::WaitForOwnedDialog;
using test::WhileDriving;

constexpr int kAddToCustomColors = 712;  // COLOR_ADD
constexpr int kCustomColorBoxes = 721;   // COLOR_CUSTOM1: the 2 x 8 grid of custom boxes

class ColorDialogTest : public ::testing::Test {
protected:
    void SetUp() override { std::fill(std::begin(custom()), std::end(custom()), COLORREF{0}); }
    static COLORREF (&custom())[16] { return Shared().customColors; }

    // Opens the dialog, lets `script` work it, and returns the dialog's result.
    std::int32_t Run(COLORREF initial, std::string_view title,
                     const std::function<void(HWND dialog)>& script) {
        return WhileDriving(
            owner_.Get(),
            [&] {
                HWND dialog = WaitForOwnedDialog(owner_.Get());
                ASSERT_NE(dialog, nullptr) << "the colour dialog did not appear";
                script(dialog);
            },
            [&] { return ShowColorDialog(owner_.Get(), initial, title); });
    }

    OwnerWindow owner_;
};

// Clicks custom box `index` (rows of eight) the way the user would.
void ClickCustomBox(HWND dialog, int index) {
    HWND grid = GetDlgItem(dialog, kCustomColorBoxes);
    RECT rect{};
    GetWindowRect(grid, &rect);
    const int cellWidth = (rect.right - rect.left) / 8;
    const int cellHeight = (rect.bottom - rect.top) / 2;
    POINT point{rect.left + (index % 8) * cellWidth + cellWidth / 3,
                rect.top + (index / 8) * cellHeight + cellHeight / 3};
    ScreenToClient(dialog, &point);
    const LPARAM at = MAKELPARAM(point.x, point.y);
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(dialog, WM_LBUTTONUP, 0, at);
}

TEST_F(ColorDialogTest, TitleSetColorAndOkWithoutChangeReturnsTheInitialColour) {
    std::string title;
    const std::int32_t result = Run(RGB(10, 120, 200), "#A#O", [&](HWND dialog) {
        title = TextOf(dialog);
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(title, "Set Color");
    EXPECT_EQ(Shared().colorDialogTitle, "Set Color");
    EXPECT_EQ(result, static_cast<std::int32_t>(RGB(10, 120, 200)));
    EXPECT_GE(Shared().colorDialogResult, 1);
}

TEST_F(ColorDialogTest, OtherTitlesAreShownAsGiven) {
    std::string title;
    Run(0, "Pick a colour", [&](HWND dialog) {
        title = TextOf(dialog);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(title, "Pick a colour");
    // The token is matched exactly, case included.
    Run(0, "#a#o", [&](HWND dialog) {
        title = TextOf(dialog);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(title, "#a#o");
}

TEST_F(ColorDialogTest, NegativeInitialColourKeepsItsLow24Bits) {
    const std::int32_t result =
        Run(0x80123456u, "#A#O", [](HWND dialog) { PressButton(dialog, IDOK); });
    EXPECT_EQ(result, 0x123456);
}

TEST_F(ColorDialogTest, CancelAndCloseReturnMinusOne) {
    EXPECT_EQ(Run(RGB(1, 2, 3), "#A#O", [](HWND dialog) { PressButton(dialog, IDCANCEL); }), -1);
    EXPECT_EQ(Shared().colorDialogResult, 0);
    EXPECT_EQ(Run(RGB(1, 2, 3), "#A#O", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }),
              -1);
}

TEST_F(ColorDialogTest, CustomColoursAreOfferedAgainAtTheNextOpening) {
    const COLORREF defined = RGB(12, 34, 56);
    // First opening: the user adds the current colour to the custom boxes.
    const std::int32_t first = Run(defined, "#A#O", [](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kAddToCustomColors, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kAddToCustomColors)));
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(first, static_cast<std::int32_t>(defined));
    const auto found = std::find(std::begin(custom()), std::end(custom()), defined);
    ASSERT_NE(found, std::end(custom())) << "the added colour is not in the shared record";
    EXPECT_EQ(std::count(std::begin(custom()), std::end(custom()), defined), 1);
    const int index = static_cast<int>(found - std::begin(custom()));

    // Second opening on black: picking that custom box and OK gives the colour back.
    const std::int32_t second = Run(RGB(0, 0, 0), "#A#O", [index](HWND dialog) {
        ClickCustomBox(dialog, index);
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(second, static_cast<std::int32_t>(defined));
}

TEST_F(ColorDialogTest, CustomColoursFromTheRecordAreShown) {
    custom()[13] = RGB(200, 10, 90);
    const std::int32_t result = Run(RGB(0, 0, 0), "#A#O", [](HWND dialog) {
        ClickCustomBox(dialog, 13);
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(result, static_cast<std::int32_t>(RGB(200, 10, 90)));
    EXPECT_EQ(custom()[13], RGB(200, 10, 90));
}

}  // namespace
}  // namespace tresk
