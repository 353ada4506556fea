// The painter on its own terms: what it leaves in the shared record, the window
// rectangle it covers (border included), the window text it writes over the ramp,
// and windows whose size disagrees with the picture area's size properties. The
// program is started once; the painter reads its inputs from the main window.
#include "app/render/gradient.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/hookclient/mouse_hook.h"
#include "app/render/colors.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "test_support/program_environment.h"
#include "test_support/ramp_model.h"
#include "test_support/window_utils.h"
#include "toolkit/app.h"
#include "toolkit/handle_counts.h"

namespace tresk {
namespace {

constexpr std::int16_t kTrue = -1;

using test::Form;

void Pump(int rounds = 2) {
    test::DoEventsRounds(rounds, 20);
}

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::ProgramEnvironment(5, 20));

using test::Ramp;
using test::ScreenColor;
using test::WindowRectOf;

// Every pixel of `window` on the screen against the model.
::testing::AssertionResult ShowsRamp(HWND window, const Ramp& ramp) {
    return test::ShowsRamp(test::ScreenShot(WindowRectOf(window)), ramp);
}

void Inputs(COLORREF base, const char* percent, int vertical = 0, int invert = 0) {
    TreskForm& form = Form();
    form.SetBaseColor(base);
    form.txtPerc.SetText(percent);
    form.chkVertical.SetValue(vertical);
    form.chkInvert.SetValue(invert);
}

// A bordered, captioned pop-up window of its own class, top-most so that the
// screen shows it.
class BorderedWindow {
public:
    BorderedWindow(const char* text, int x, int y, int width, int height) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "TreskGradientTestWindow";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, text,
                                WS_POPUP | WS_BORDER | WS_VISIBLE, x, y, width, height, nullptr,
                                nullptr, wc.hInstance, nullptr);
        Pump();
    }
    ~BorderedWindow() { DestroyWindow(hwnd_); }
    BorderedWindow(const BorderedWindow&) = delete;
    BorderedWindow& operator=(const BorderedWindow&) = delete;
    HWND Get() const noexcept { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

TEST(PaintGradientTest, RecordsItsWorkingValuesAndReleasesTheContext) {
    TreskForm& form = Form();
    Inputs(RGB(0, 0, 0), "150");
    PaintGradient(form.picTresk.Hwnd(), kTrue, 12345);
    const SharedState& s = Shared();
    EXPECT_EQ(s.bandMax, 200);
    EXPECT_EQ(s.paintTextColor, RGB(255, 255, 255));
    EXPECT_EQ(s.paintBaseColor, RGB(192, 192, 192));  // black paints from silver
    EXPECT_EQ(s.paintRect.left, 0);
    EXPECT_EQ(s.paintRect.top, 0);
    EXPECT_EQ(s.paintRect.right, 553);
    EXPECT_EQ(s.paintRect.bottom, 95);
    EXPECT_EQ(s.paintDC, nullptr);  // released before the painter returns
    EXPECT_EQ(form.txtPerc.Text(), "100");
    EXPECT_EQ(form.BaseColor(), RGB(0, 0, 0));  // the swatch keeps black
}

TEST(PaintGradientTest, InactivePaintsNothing) {
    TreskForm& form = Form();
    form.mnuClear_Click();
    Pump();
    Inputs(RGB(10, 10, 10), "50");
    PaintGradient(form.picTresk.Hwnd(), 0, 0);
    Pump();
    const RECT r = WindowRectOf(form.picTresk.Hwnd());
    EXPECT_EQ(ScreenColor(r.right - 1, r.top + 10), RGB(255, 255, 255));
    EXPECT_EQ(ScreenColor(r.left, r.top + 10), RGB(255, 255, 255));
}

TEST(PaintGradientTest, CoversTheBorderAndWritesTheWindowTextInWhite) {
    Inputs(RGB(0, 0, 120), "0");  // one band: the whole window in the base colour
    BorderedWindow window("WWWWWWWW", 700, 600, 200, 60);
    const RECT r = WindowRectOf(window.Get());
    ASSERT_EQ(r.right - r.left, 200);
    // Before: the border is not the base colour.
    ASSERT_NE(ScreenColor(r.left, r.top), RGB(0, 0, 120));
    PaintGradient(window.Get(), kTrue, 0);
    Pump();
    EXPECT_EQ(ScreenColor(r.left, r.top), RGB(0, 0, 120));  // border corner
    EXPECT_EQ(ScreenColor(r.right - 1, r.bottom - 1), RGB(0, 0, 120));
    EXPECT_EQ(ScreenColor(r.right - 1, r.top + 30), RGB(0, 0, 120));  // right of the text

    // The text starts at (3, 3) of the window rectangle: white pixels appear in its
    // first line, none above it or to its left.
    int white = 0;
    for (int y = r.top + 3; y < r.top + 20; ++y) {
        for (int x = r.left + 3; x < r.left + 80; ++x) {
            white += ScreenColor(x, y) == RGB(255, 255, 255) ? 1 : 0;
        }
    }
    EXPECT_GT(white, 20);
    for (int x = r.left; x < r.left + 80; ++x) {
        EXPECT_EQ(ScreenColor(x, r.top + 2), RGB(0, 0, 120)) << "row 2, column " << x - r.left;
    }
    for (int y = r.top; y < r.top + 20; ++y) {
        EXPECT_EQ(ScreenColor(r.left + 2, y), RGB(0, 0, 120)) << "column 2, row " << y - r.top;
    }
}

TEST(PaintGradientTest, InvertOverAWindowNarrowerThanThePictureSizeStaysInTheTable) {
    // The ramp is drawn over the window's real width (150), while Invert measures
    // from the picture area's width property (553): bands past the top are clamped.
    Inputs(RGB(200, 200, 200), "50", 0, 1);
    BorderedWindow window("", 700, 700, 150, 40);
    PaintGradient(window.Get(), kTrue, 0);
    Pump();
    EXPECT_TRUE(ShowsRamp(window.Get(), {RGB(200, 200, 200), 50, false, true, 553}));
    const RECT r = WindowRectOf(window.Get());
    EXPECT_EQ(ScreenColor(r.right - 1, r.top + 20), RGB(100, 100, 100));  // band 100
}

// The picture area at a size with bands several pixels wide and lines that do not
// divide evenly into bands (at 37 % some lines fall half-way and take the even band),
// in both directions and both orders, at the full and an odd percentage: every pixel
// is the model's, and no handle is left behind.
TEST(PaintGradientTest, EveryPixelOfALargePictureFollowsTheModel) {
    TreskForm& form = Form();
    const RECT before = WindowRectOf(form.Hwnd());
    test::SizePictureArea(1000, 523);
    HWND picture = form.picTresk.Hwnd();
    const RECT area = WindowRectOf(picture);
    ASSERT_EQ(area.right - area.left, 1000);
    ASSERT_EQ(area.bottom - area.top, 523);
    const tk::HandleCounts handles = tk::CurrentHandleCounts();
    for (const std::int16_t percent : {std::int16_t{100}, std::int16_t{37}}) {
        for (const int vertical : {0, 1}) {
            for (const int invert : {0, 1}) {
                SCOPED_TRACE(::testing::Message()
                             << percent << " %, vertical " << vertical << ", invert " << invert);
                const COLORREF base = RGB(230, 90, 160);
                Inputs(base, std::to_string(percent).c_str(), vertical, invert);
                PaintGradient(picture, kTrue, 0);
                Pump();
                EXPECT_TRUE(ShowsRamp(picture, {base, percent, vertical != 0, invert != 0}));
                EXPECT_EQ(tk::CurrentHandleCounts(), handles);
            }
        }
    }
    SetWindowPos(form.Hwnd(), nullptr, 0, 0, before.right - before.left, before.bottom - before.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
}

// More bands than pixel lines: some bands show nowhere, and each line still takes
// its own band, across and down.
TEST(PaintGradientTest, ANarrowWindowSkipsBandsLineByLine) {
    for (const int vertical : {0, 1}) {
        SCOPED_TRACE(vertical);
        Inputs(RGB(250, 250, 250), "100", vertical, 0);
        BorderedWindow window("", 700, 600, 97, 131);
        PaintGradient(window.Get(), kTrue, 0);
        Pump();
        EXPECT_TRUE(ShowsRamp(window.Get(), {RGB(250, 250, 250), 100, vertical != 0, false, 0}));
    }
}

// Nothing can be seen of a window without width or height; the painter must survive
// it and give back all it took.
TEST(PaintGradientTest, ZeroExtentSurvivesAndLeavesNoHandle) {
    const tk::HandleCounts handles = tk::CurrentHandleCounts();
    Inputs(RGB(1, 2, 3), "50", 1, 0);  // Vertical over a window without height
    BorderedWindow window("", 700, 800, 100, 0);
    PaintGradient(window.Get(), kTrue, 0);
    Inputs(RGB(1, 2, 3), "50", 0, 0);  // horizontal over a window without width
    BorderedWindow narrow("", 700, 850, 0, 30);
    PaintGradient(narrow.Get(), kTrue, 0);
    Pump();
    EXPECT_EQ(tk::CurrentHandleCounts(), handles);
    EXPECT_EQ(Shared().paintDC, nullptr);
}

// The model itself against figures worked out by hand from the ramp's rule.
TEST(RampModel, HandDerivedBandsAndColours) {
    using test::ModelBand;
    using test::ModelColour;
    // First and last band colours at 0, 37 and 100 %.
    EXPECT_EQ(ModelColour(RGB(100, 150, 250), 0), RGB(100, 150, 250));
    EXPECT_EQ(ModelColour(RGB(100, 150, 250), 74), RGB(26, 76, 176));
    EXPECT_EQ(ModelColour(RGB(100, 150, 250), 200), RGB(0, 0, 50));
    EXPECT_EQ(ModelColour(RGB(0, 0, 0), 0), RGB(192, 192, 192));  // black paints from silver
    EXPECT_EQ(ModelColour(RGB(0, 0, 0), 100), RGB(92, 92, 92));
    EXPECT_EQ(ModelBand(0, 552, 553, 553, false), 0);
    EXPECT_EQ(ModelBand(37, 0, 553, 553, false), 0);
    EXPECT_EQ(ModelBand(37, 552, 553, 553, false), 74);    // 74 x 552 / 553 = 73.87
    EXPECT_EQ(ModelBand(100, 552, 553, 553, false), 200);  // 199.64
    EXPECT_EQ(ModelBand(100, 0, 553, 553, true), 200);
    EXPECT_EQ(ModelBand(50, 94, 95, 95, false), 99);  // 98.95
    // 200 lines at 50 %: round-half-even(d / 2) gives 0, 0, 1, 2, 2, 2, 3, ... 100.
    const int bands[] = {0, 0, 1, 2, 2, 2, 3};
    for (int d = 0; d < 7; ++d) {
        EXPECT_EQ(ModelBand(50, d, 200, 200, false), bands[d]) << "line " << d;
    }
    EXPECT_EQ(ModelBand(50, 199, 200, 200, false), 100);  // 99.5 goes to the even 100
    EXPECT_EQ(ModelBand(50, 100, 150, 553, true), 100);   // past the top: kept at n
}

}  // namespace
}  // namespace tresk
