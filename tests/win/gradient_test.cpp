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
#include "app/render/bands.h"
#include "app/render/colors.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "test_support/program_environment.h"
#include "toolkit/app.h"

namespace tresk {
namespace {

constexpr std::int16_t kTrue = -1;

using test::Form;

void Pump(int rounds = 2) {
    test::DoEventsRounds(rounds, 20);
}

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::ProgramEnvironment(5, 20));

COLORREF ScreenColor(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
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
    const RECT r = WindowRectOf(window.Get());
    for (int x = 0; x < 150; ++x) {
        const int line = 149 - x;
        const COLORREF expected =
            BandColor(RGB(200, 200, 200), BandOfLine(100, line, 150, 553, true));
        ASSERT_EQ(ScreenColor(r.left + x, r.top + 20), expected) << "column " << x;
    }
    EXPECT_EQ(ScreenColor(r.right - 1, r.top + 20), RGB(100, 100, 100));  // band 100
}

TEST(PaintGradientTest, ZeroExtentPaintsNothingAndSurvives) {
    Inputs(RGB(1, 2, 3), "50", 1, 0);  // Vertical over a window without height
    BorderedWindow window("", 700, 800, 100, 0);
    PaintGradient(window.Get(), kTrue, 0);
    Inputs(RGB(1, 2, 3), "50", 0, 0);  // horizontal over a window without width
    BorderedWindow narrow("", 700, 850, 0, 30);
    PaintGradient(narrow.Get(), kTrue, 0);
    SUCCEED();
}

}  // namespace
}  // namespace tresk
