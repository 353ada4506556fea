// The main window's layout, first caption, ramp and export, the About window's links,
// and whether the captions fit their controls, at other screen resolutions. The
// resolution of a process is fixed when it starts, so the test sets the desktop's
// LogPixels, starts this program again with --report-layout (which runs the real
// start-up and writes what it sees to a file), and puts the old setting back afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/about/about_box.h"
#include "app/about/about_form.h"
#include "app/hookclient/cursors.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/bitmap_export.h"
#include "app/render/colors.h"
#include "app/res/resource_ids.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "app_test_support.h"
#include "test_support/ramp_model.h"
#include "toolkit/app.h"
#include "toolkit/control.h"

namespace tresk {
namespace {

constexpr char kReportFlag[] = "--report-layout";
constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kLogPixels[] = "LogPixels";

// ---- The child: start the program, report, close it.

using test::ChildRect;
using test::ScreenColor;

// Left edge, in pixels, of the right-hand column: the leftmost of its controls.
LONG ColumnLeft(TreskForm& form) {
    LONG left = ChildRect(form.fra.Hwnd()).left;
    for (HWND control : {form.btnTresk.Hwnd(), form.txtPerc.Hwnd(), form.chkVertical.Hwnd(),
                         form.chkInvert.Hwnd()}) {
        left = std::min(left, ChildRect(control).left);
    }
    return left;
}

// Resizes the window to client widths and heights a pixel or a few apart and counts
// the sizes at which the caption states the picture area's real size and the column
// stays clear of it.
std::string CheckResizes(TreskForm& form) {
    RECT outer{};
    RECT client{};
    GetWindowRect(form.Hwnd(), &outer);
    GetClientRect(form.Hwnd(), &client);
    const int extraW = (outer.right - outer.left) - client.right;
    const int extraH = (outer.bottom - outer.top) - client.bottom;
    int good = 0;
    int tried = 0;
    for (int step = 1; step <= 9; ++step) {
        const int width = client.right + step * 7;
        const int height = client.bottom + step * 3;
        SetWindowPos(form.Hwnd(), nullptr, 0, 0, width + extraW, height + extraH,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        tk::App::DoEvents();
        const RECT pic = ChildRect(form.picTresk.Hwnd());
        const std::string real = std::to_string(pic.right) + "x" + std::to_string(pic.bottom);
        ++tried;
        if (form.Caption() == "Tresk Color [Size: " + real + "]" && pic.right <= ColumnLeft(form)) {
            ++good;
        }
    }
    return std::to_string(good) + "/" + std::to_string(tried);
}

// The captions among `controls` that do not fit inside their control: the text
// measured with the control's own font, one em more across for a check box's mark,
// against the client area less a border's width on each side. Heights count the em
// (the glyphs without the room the font keeps above for accents).
std::string Unfitting(std::initializer_list<HWND> controls) {
    std::string unfit;
    HDC screen = GetDC(nullptr);
    for (HWND control : controls) {
        char caption[64] = {};
        GetWindowTextA(control, caption, sizeof(caption));
        auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
        HGDIOBJ prior = SelectObject(screen, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
        SIZE text{};
        GetTextExtentPoint32A(screen, caption, static_cast<int>(std::strlen(caption)), &text);
        TEXTMETRICA tm{};
        GetTextMetricsA(screen, &tm);
        SelectObject(screen, prior);
        const LONG em = tm.tmHeight - tm.tmInternalLeading;
        char kind[16] = {};
        GetClassNameA(control, kind, sizeof(kind));
        const auto type = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)) & BS_TYPEMASK;
        const bool mark =
            _stricmp(kind, "Button") == 0 && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON;
        RECT client{};
        GetClientRect(control, &client);
        const int edge = GetSystemMetrics(SM_CXEDGE);
        if (text.cx + (mark ? em : 0) > client.right - 2 * edge ||
            em > client.bottom - (mark ? 0 : 2 * edge)) {
            unfit += std::string(unfit.empty() ? "" : ",") + caption;
        }
    }
    ReleaseDC(nullptr, screen);
    return unfit;
}

// Saves the picture area through the export and reports the file's size and the
// colours at both ends of its middle row.
void ReportExport(std::ostringstream& out) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "tresk_dpi_export.bmp";
    SaveBitmap(path);
    std::vector<unsigned char> file;
    {
        std::ifstream in(path, std::ios::binary);
        file.assign(std::istreambuf_iterator<char>(in), {});
    }
    DeleteFileA(path.c_str());
    const test::BmpPicture picture(std::move(file));
    if (picture.Width() == 0) {
        return;
    }
    const int row = picture.Height() / 2;
    out << "export=" << picture.Width() << "x" << picture.Height() << "\n"
        << "exportRightEdge=" << picture.At(picture.Width() - 1, row) << "\n"
        << "exportLeftEdge=" << picture.At(0, row) << "\n";
}

// Where a text lies in a label's container when the label draws it as a row from
// (left, top), in pixels, measured on the screen; `base` is the baseline.
struct Box {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    LONG base = 0;
};

Box DrawnBox(const tk::FontSpec& fontSpec, const std::string& text, LONG left, LONG top) {
    HDC screen = GetDC(nullptr);
    tk::Font font = tk::MakeFont(fontSpec);
    HGDIOBJ prior = SelectObject(screen, font.Get());
    TEXTMETRICA tm{};
    GetTextMetricsA(screen, &tm);
    SIZE size{};
    GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(screen, prior);
    ReleaseDC(nullptr, screen);
    return Box{left, top, left + size.cx, top + tm.tmHeight, top + tm.tmAscent};
}

std::string BoxText(const Box& b) {
    return std::to_string(b.left) + "," + std::to_string(b.top) + "," + std::to_string(b.right) +
           "," + std::to_string(b.bottom) + "," + std::to_string(b.base);
}

// Opens the About window and reports, for each link, the blank run that opens its
// row of the text (rows one font height apart, as the text label draws them), where
// the link's text is drawn and the rectangle that takes the pointer for it; then
// whether pointing at the mail link's text, and just past its blank run, reaches it.
void ReportAbout(std::ostringstream& out) {
    fabout& about = fabout::Instance();
    about.openLink = [](const std::string&) {};
    about.SetModeless(-1);
    ShowAbout("", 0, nullptr);
    tk::App::DoEvents();

    const tk::Label& text = about.lblAbout;
    const RECT textRect = text.PixelRect();
    const LONG rowHeight = DrawnBox(text.GetFontSpec(), "", 0, 0).bottom;
    std::vector<std::string> rows(1);
    for (const char c : text.Caption()) {
        if (c == '\r') {
            rows.emplace_back();
        } else {
            rows.back().push_back(c);
        }
    }
    rows.resize(std::max<std::size_t>(rows.size(), 9));
    const auto blankRun = [&](int row) {
        const std::string& line = rows[static_cast<std::size_t>(row - 1)];
        const std::size_t blanks = std::min(line.find_first_not_of(' '), line.size());
        return DrawnBox(text.GetFontSpec(), std::string(blanks, ' '), textRect.left,
                        textRect.top + (row - 1) * rowHeight);
    };
    const auto report = [&](const std::string& name, int row, const tk::Label& link) {
        const RECT hit = link.PixelRect();
        out << name << "Run=" << BoxText(blankRun(row)) << "\n"
            << name
            << "Link=" << BoxText(DrawnBox(link.GetFontSpec(), link.Caption(), hit.left, hit.top))
            << "\n"
            << name << "Hit=" << hit.left << "," << hit.top << "," << hit.right << "," << hit.bottom
            << "\n";
    };
    LONG widest = 0;
    for (const std::string& line : rows) {
        widest = std::max(widest, DrawnBox(text.GetFontSpec(), line, 0, 0).right);
    }
    out << "textRight=" << textRect.right << "\n"
        << "textFits="
        << (widest <= textRect.right - textRect.left &&
            static_cast<LONG>(rows.size()) * rowHeight <= textRect.bottom - textRect.top)
        << "\n";
    report("mail", 8, about.lblmailto);
    report("web", 9, about.lblweb);

    const HWND frame = about.Frame1.Hwnd();
    const RECT mail = about.lblmailto.PixelRect();
    const Box run = blankRun(8);
    const int middle = (run.top + run.bottom) / 2;
    SendMessageA(frame, WM_MOUSEMOVE, 0, MAKELPARAM((mail.left + mail.right) / 2, middle));
    const bool onLink = about.lblmailto.GetFontSpec().underline;
    SendMessageA(frame, WM_MOUSEMOVE, 0, MAKELPARAM(run.right + 1, middle));
    const bool pastRun = about.lblmailto.GetFontSpec().underline;
    out << "mailHover=" << onLink << "," << pastRun << "\n"
        << "aboutUnfit=" << Unfitting({about.btnOK.Hwnd()}) << "\n";
    about.Unload();
    tk::App::DoEvents();
}

// Size and hot spot of the pick cursor as the program loads it: "w,h,hotX,hotY".
void ReportPickCursor(std::ostringstream& out) {
    HCURSOR pick = LoadCursorRes(IDC_TRESK_PIPETTE);
    ICONINFO info{};
    BITMAP mask{};
    if (pick != nullptr && GetIconInfo(pick, &info)) {
        GetObjectA(info.hbmMask, sizeof(mask), &mask);
        DeleteObject(info.hbmMask);
        DeleteObject(info.hbmColor);
    }
    // Without a colour bitmap the mask holds both masks, one above the other.
    out << "pick=" << mask.bmWidth << "," << mask.bmHeight / (info.hbmColor ? 1 : 2) << ","
        << info.xHotspot << "," << info.yHotspot << "\n";
    DestroyCursorRef(pick);
}

int ReportLayout(const char* path) {
    InitApplication();
    StartUp();
    TreskForm& form = TreskForm::Instance();
    const std::string caption = form.Caption();
    tk::App::DoEvents();

    // One ramp across the picture area, read back at both ends of the middle row.
    form.SetBaseColor(RGB(200, 150, 100));
    form.txtPerc.SetText("50");
    form.btnTresk_Click();
    tk::App::DoEvents();
    RECT pic{};
    GetWindowRect(form.picTresk.Hwnd(), &pic);
    const int row = (pic.top + pic.bottom) / 2;

    RECT client{};
    GetClientRect(form.Hwnd(), &client);
    const SharedState& s = Shared();
    std::ostringstream out;
    out << "caption=" << caption << "\n"
        << "twips=" << s.twipsPerPixelX << "x" << s.twipsPerPixelY << "\n"
        << "client=" << client.right << "x" << client.bottom << "\n"
        << "scale=" << form.ScaleWidth() << "x" << form.ScaleHeight() << "\n"
        << "picTwips=" << form.picTresk.Width() << "x" << form.picTresk.Height() << "\n"
        << "picPx=" << form.PicWidthPx() << "x" << form.PicHeightPx() << "\n"
        << "lefts=" << form.btnTresk.Left() << "," << form.fra.Left() << "," << form.txtPerc.Left()
        << "," << form.chkVertical.Left() << "," << form.chkInvert.Left() << "\n"
        << "picRect=" << ChildRect(form.picTresk.Hwnd()).right << "x"
        << ChildRect(form.picTresk.Hwnd()).bottom << "\n"
        << "leftPx=" << ChildRect(form.btnTresk.Hwnd()).left << ","
        << ChildRect(form.fra.Hwnd()).left << "," << ChildRect(form.txtPerc.Hwnd()).left << "\n"
        << "columnLeft=" << ColumnLeft(form) << "\n"
        << "unfit="
        << Unfitting({form.btnTresk.Hwnd(), form.txtPerc.Hwnd(), form.chkVertical.Hwnd(),
                      form.chkInvert.Hwnd()})
        << "\n"
        << "rightEdge=" << ScreenColor(pic.right - 1, row) << "\n"
        << "leftEdge=" << ScreenColor(pic.left, row) << "\n";
    // Picks on the ramp, three quarters across: the picture area's own press (the
    // pointer's position), and the hook's copies of a press and of a title-bar press
    // (screen points). Each must take the pixel the screen shows there.
    const POINT on{(pic.left + 3 * pic.right) / 4, row};
    SetCursorPos(on.x, on.y);
    out << "pickScreen=" << ScreenColor(on.x, on.y) << "\npicks=";
    for (const auto& [window, message] : {std::pair{form.picTresk.Hwnd(), UINT{WM_LBUTTONDOWN}},
                                          std::pair{form.Hwnd(), UINT{WM_LBUTTONDOWN}},
                                          std::pair{form.Hwnd(), UINT{WM_NCLBUTTONDOWN}}}) {
        form.SetRGBColor(0);
        SendMessageA(window, message, 0, MAKELPARAM(on.x, on.y));
        out << form.RGBColor() << ",";
    }
    out << "\n";
    ReportExport(out);
    ReportAbout(out);
    ReportPickCursor(out);
    out << "resizes=" << CheckResizes(form) << "\n";
    std::ofstream(path, std::ios::binary) << out.str();

    SendMessageA(form.Hwnd(), WM_CLOSE, 0, 0);
    StopMouseHook();
    return IsWindow(form.Hwnd()) ? 2 : 0;
}

// ---- The parent.

// Sets the desktop's LogPixels for programs started from now on; the old value (or
// its absence) comes back on destruction, whatever the test's outcome.
class LogPixelsSetting {
public:
    explicit LogPixelsSetting(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &key_, nullptr);
        DWORD size = sizeof(old_);
        DWORD type = 0;
        hadOld_ = RegQueryValueExA(key_, kLogPixels, nullptr, &type, reinterpret_cast<BYTE*>(&old_),
                                   &size) == ERROR_SUCCESS &&
                  type == REG_DWORD;
        set_ = RegSetValueExA(key_, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                              sizeof(dpi)) == ERROR_SUCCESS;
    }
    ~LogPixelsSetting() {
        if (hadOld_) {
            RegSetValueExA(key_, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                           sizeof(old_));
        } else {
            const DWORD standard = 96;
            RegSetValueExA(key_, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&standard),
                           sizeof(standard));
        }
        RegCloseKey(key_);
    }
    LogPixelsSetting(const LogPixelsSetting&) = delete;
    LogPixelsSetting& operator=(const LogPixelsSetting&) = delete;
    bool Set() const noexcept { return set_; }

private:
    HKEY key_ = nullptr;
    DWORD old_ = 96;
    bool hadOld_ = false;
    bool set_ = false;
};

struct Report {
    int exitCode = -1;
    std::map<std::string, std::string> values;
    std::string output;
};

// Starts this program with kReportFlag and collects its key=value lines.
Report RunReporter() {
    const std::string folder = test::MakeTempFolder("tresk_dpi_");
    const std::string file = folder + "\\report.txt";
    char self[MAX_PATH] = {};
    char cwd[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, cwd);
    Report run;
    run.exitCode = test::RunChild(self, std::string(kReportFlag) + " \"" + file + "\"", cwd, {});
    run.output = test::ReadTextFile(file);
    test::RemoveFolder(folder);
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos) {
            run.values[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return run;
}

struct Resolution {
    DWORD dpi;
    const char* twips;
    const char* client;
    const char* scale;
    const char* picTwips;
    const char* caption;
    const char* lefts;   // btnTresk, fra, txtPerc, chkVertical, chkInvert (twips)
    const char* leftPx;  // btnTresk, fra, txtPerc (pixels)
    long cursorSize;     // the system's cursor size, SM_CXCURSOR
};

// One run of the reporter per resolution, shared by the tests of that resolution.
const Report& RunAt(DWORD dpi) {
    static std::map<DWORD, Report> runs;
    const auto found = runs.find(dpi);
    if (found != runs.end()) {
        return found->second;
    }
    LogPixelsSetting setting(dpi);
    if (!setting.Set()) {
        return runs[dpi];
    }
    return runs[dpi] = RunReporter();
}

// The comma-separated numbers of a reported value.
std::vector<long> Numbers(const std::map<std::string, std::string>& values,
                          const std::string& key) {
    std::vector<long> numbers;
    const auto found = values.find(key);
    if (found == values.end()) {
        return numbers;
    }
    std::istringstream in(found->second);
    std::string part;
    while (std::getline(in, part, ',')) {
        numbers.push_back(std::stol(part));
    }
    return numbers;
}

void PrintTo(const Resolution& r, std::ostream* os) {
    *os << r.dpi << " dpi";
}

class ResolutionTest : public ::testing::TestWithParam<Resolution> {};

TEST_P(ResolutionTest, LayoutAndFirstCaptionFollowTheScreen) {
    const Resolution& r = GetParam();
    const Report& run = RunAt(r.dpi);
    ASSERT_EQ(run.exitCode, 0) << "reporter output:\n" << run.output;
    auto v = run.values;
    EXPECT_EQ(v["twips"], r.twips);
    EXPECT_EQ(v["client"], r.client);
    EXPECT_EQ(v["scale"], r.scale);
    EXPECT_EQ(v["picTwips"], r.picTwips);
    EXPECT_EQ(v["caption"], std::string("Tresk Color [Size: ") + r.caption + "]");
    EXPECT_EQ(v["picPx"], r.caption);
    EXPECT_EQ(v["picRect"], r.caption);
    EXPECT_EQ(v["lefts"], r.lefts);
    EXPECT_EQ(v["leftPx"], r.leftPx);
    // The column starts where the picture area ends, never over it.
    const std::string picRect = v["picRect"];
    ASSERT_FALSE(v["columnLeft"].empty());
    EXPECT_LE(std::stoi(picRect.substr(0, picRect.find('x'))), std::stoi(v["columnLeft"]));
    // Every caption fits its control, though fonts scale with the real resolution
    // and controls with the whole twips per pixel.
    EXPECT_EQ(v["unfit"], "");
    // The ramp spans the whole picture area: base colour on the right, band 100 on
    // the left.
    EXPECT_EQ(v["rightEdge"], std::to_string(RGB(200, 150, 100)));
    EXPECT_EQ(v["leftEdge"], std::to_string(RGB(100, 50, 0)));  // band 100
    // The exported file holds the whole picture area, ramp ends included.
    EXPECT_EQ(v["export"], r.caption);
    EXPECT_EQ(v["exportRightEdge"], v["rightEdge"]);
    EXPECT_EQ(v["exportLeftEdge"], v["leftEdge"]);
    // Every kind of pick takes the pixel under the point.
    EXPECT_EQ(v["picks"], v["pickScreen"] + "," + v["pickScreen"] + "," + v["pickScreen"] + ",");
    // Likewise after resizes to other sizes.
    EXPECT_EQ(v["resizes"], "9/9");
    // The pick cursor, which becomes the desktop arrow, has the system's cursor size
    // and its hot spot at the pipette's tip, (7, 24) of 32 x 32, in proportion.
    const long c = r.cursorSize;
    EXPECT_EQ(Numbers(v, "pick"), (std::vector<long>{c, c, 7 * c / 32, 24 * c / 32}));
}

// Fonts scale with the real resolution, the twips layout with the whole twips per
// pixel: the links must still sit on the rows of the text whose blank runs they
// cover, and take the pointer exactly where they are drawn.
TEST_P(ResolutionTest, AboutLinksCoverTheBlankRunsOfTheirRows) {
    const Report& run = RunAt(GetParam().dpi);
    ASSERT_EQ(run.exitCode, 0) << "reporter output:\n" << run.output;
    auto v = run.values;
    for (const std::string name : {"mail", "web"}) {
        SCOPED_TRACE(name);
        // left, top, right, bottom, baseline
        const std::vector<long> blank = Numbers(v, name + "Run");
        const std::vector<long> link = Numbers(v, name + "Link");
        // left, top, right, bottom
        const std::vector<long> hit = Numbers(v, name + "Hit");
        ASSERT_EQ(blank.size(), 5u) << run.output;
        ASSERT_EQ(link.size(), 5u) << run.output;
        ASSERT_EQ(hit.size(), 4u) << run.output;
        // The link reads as part of its row: the same left edge and baseline, and
        // inside the row's height.
        EXPECT_EQ(link[0], blank[0]);
        EXPECT_EQ(link[4], blank[4]) << "baselines of the link and of its row";
        EXPECT_GE(link[1], blank[1]);
        EXPECT_LE(link[3], blank[3]);
        // The pointer reaches the link over all of its text and no further across.
        EXPECT_EQ(hit[0], link[0]);
        EXPECT_EQ(hit[2], link[2]);
        EXPECT_LE(hit[1], link[1]);
        EXPECT_GE(hit[3], link[3]);
    }
    // The mail link ends within its blank run, before "or check for updates": the
    // pointer just past the run is over the text, not the link.
    const std::vector<long> mailRun = Numbers(v, "mailRun");
    const std::vector<long> mailLink = Numbers(v, "mailLink");
    ASSERT_EQ(mailRun.size(), 5u);
    ASSERT_EQ(mailLink.size(), 5u);
    EXPECT_LT(mailLink[2], mailRun[2]);
    EXPECT_EQ(v["mailHover"], "1,0");
    EXPECT_EQ(v["aboutUnfit"], "");
    EXPECT_EQ(v["textFits"], "1") << "every row of the About text inside its label";
    // The web link's row holds nothing else; its text stays inside the text label.
    const std::vector<long> webLink = Numbers(v, "webLink");
    ASSERT_EQ(webLink.size(), 5u);
    ASSERT_FALSE(v["textRight"].empty());
    EXPECT_LE(webLink[2], std::stol(v["textRight"]));
}

// 9480 x 1425 twips of client area; the frame is 1185 twips wide.
// 120 dpi: 12 twips a pixel, 790 x 118.75 -> 119 pixels (1428 twips); picture
// 8295 twips = 691.25 -> 691 pixels.
// 144 dpi: 10 twips a pixel, 1425 / 10 = 142.5 -> 142 and 8295 / 10 = 829.5 -> 830
// (halves go to the even neighbour).
// Where 1440 / dpi is not whole, windows and controls use the rounded twips per
// pixel the program records, so the caption states the picture area's real size:
// 100 dpi: 14.4 -> 14; 9480 / 14 = 677.1 -> 677 pixels (9478 twips), 1425 / 14 =
// 101.8 -> 102 (1428); picture 9478 - 1185 = 8293 twips = 592.4 -> 592 pixels;
// btnTresk 8323 = 594.5 -> 594.
// 168 dpi: 8.57 -> 9; 1053 x 158 pixels (9477 x 1422 twips); picture 8292 twips =
// 921.3 -> 921 pixels.
// 192 dpi: 7.5 -> 8; 1185 x 178.1 -> 178 pixels (9480 x 1424 twips); picture 8295
// twips = 1036.9 -> 1037 pixels.
// The system's cursor size goes in steps of 16 pixels: 32 up to 143 dpi, 48 at 144 and
// 168, 64 at 192.
INSTANTIATE_TEST_SUITE_P(
    Screens, ResolutionTest,
    ::testing::Values(Resolution{96, "15x15", "632x95", "9480x1425", "8295x1425", "553x95",
                                 "8325,8295,8355,8355,8355", "555,553,557", 32},
                      Resolution{120, "12x12", "790x119", "9480x1428", "8295x1428", "691x119",
                                 "8325,8295,8343,8343,8343", "694,691,695", 32},
                      Resolution{144, "10x10", "948x142", "9480x1420", "8295x1420", "830x142",
                                 "8325,8295,8335,8335,8335", "832,830,834", 48},
                      Resolution{100, "14x14", "677x102", "9478x1428", "8293x1428", "592x102",
                                 "8323,8293,8349,8349,8349", "594,592,596", 32},
                      Resolution{168, "9x9", "1053x158", "9477x1422", "8292x1422", "921x158",
                                 "8322,8292,8328,8328,8328", "925,921,925", 48},
                      Resolution{192, "8x8", "1185x178", "9480x1424", "8295x1424", "1037x178",
                                 "8325,8295,8327,8327,8327", "1041,1037,1041", 64}),
    [](const ::testing::TestParamInfo<Resolution>& param) {
        return std::to_string(param.param.dpi) + "dpi";
    });

// A pointer size chosen in Windows' settings makes the arrow larger while the system's
// cursor size stays: the program's LoadCursorA hands it a colour model of the arrow in
// use and monochrome ones, at 96 dpi.
HCURSOR modelArrow = nullptr;
HCURSOR WINAPI ModelArrow(HINSTANCE instance, LPCSTR name) {
    return instance == nullptr && name == MAKEINTRESOURCEA(32512) ? modelArrow
                                                                  : LoadCursorA(instance, name);
}

TEST(PointerSizeTest, PickCursorTakesTheSizeOfTheArrowInUse) {
    InitApplication();
    const BYTE bits[64 * 64 / 8] = {};
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const std::pair<HCURSOR, int> models[] = {
        {static_cast<HCURSOR>(
             LoadImageA(nullptr, MAKEINTRESOURCEA(32512), IMAGE_CURSOR, 48, 48, 0)),
         48},
        {CreateCursor(instance, 0, 0, 64, 64, bits, bits), 64},
        {CreateCursor(instance, 0, 0, 16, 16, bits, bits), 32}};  // never below 32
    for (const auto& [arrow, c] : models) {
        modelArrow = arrow;
        const test::Patch patch(instance, "USER32.dll", "LoadCursorA",
                                reinterpret_cast<void*>(ModelArrow));
        ASSERT_TRUE(patch.active());
        std::ostringstream out;
        ReportPickCursor(out);
        char want[64];
        std::snprintf(want, sizeof(want), "pick=%d,%d,%d,%d\n", c, c, 7 * c / 32, 24 * c / 32);
        EXPECT_EQ(out.str(), want);
        DestroyCursor(arrow);
    }
}

}  // namespace
}  // namespace tresk

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == tresk::kReportFlag) {
        return tresk::ReportLayout(argv[2]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
