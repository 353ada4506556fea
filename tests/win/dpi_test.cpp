// The main window's layout and first caption at other screen resolutions. The
// resolution of a process is fixed when it starts, so the test sets the desktop's
// LogPixels, starts this program again with --report-layout (which runs the real
// start-up and prints what it sees), and puts the old setting back afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include "app/hookclient/mouse_hook.h"
#include "app/render/colors.h"
#include "app/shell/shared_state.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "toolkit/app.h"

namespace tresk {
namespace {

constexpr char kReportFlag[] = "--report-layout";
constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kLogPixels[] = "LogPixels";

// ---- The child: start the program, report, close it.

RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

COLORREF ScreenColor(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

int ReportLayout() {
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
        << "rightEdge=" << ScreenColor(pic.right - 1, row) << "\n"
        << "leftEdge=" << ScreenColor(pic.left, row) << "\n";
    std::fputs(out.str().c_str(), stdout);
    std::fflush(stdout);

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

struct ChildRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::map<std::string, std::string> values;
    std::string output;
};

// Starts this program with kReportFlag and collects its key=value lines.
ChildRun RunReporter() {
    ChildRun run;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" " + kReportFlag;

    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return run;
    }
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        run.output.append(buffer, got);
    }
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 3);
        WaitForSingleObject(process.hProcess, 5000);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);

    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
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
};

class ResolutionTest : public ::testing::TestWithParam<Resolution> {};

TEST_P(ResolutionTest, LayoutAndFirstCaptionFollowTheScreen) {
    const Resolution& r = GetParam();
    ChildRun run;
    {
        LogPixelsSetting setting(r.dpi);
        ASSERT_TRUE(setting.Set());
        run = RunReporter();
    }
    ASSERT_EQ(run.exitCode, 0u) << "reporter output:\n" << run.output;
    auto& v = run.values;
    EXPECT_EQ(v["twips"], r.twips);
    EXPECT_EQ(v["client"], r.client);
    EXPECT_EQ(v["scale"], r.scale);
    EXPECT_EQ(v["picTwips"], r.picTwips);
    EXPECT_EQ(v["caption"], std::string("Tresk Color [Size: ") + r.caption + "]");
    EXPECT_EQ(v["picPx"], r.caption);
    EXPECT_EQ(v["picRect"], r.caption);
    EXPECT_EQ(v["lefts"], r.lefts);
    EXPECT_EQ(v["leftPx"], r.leftPx);
    // The ramp spans the whole picture area: base colour on the right, band 100 on
    // the left.
    EXPECT_EQ(v["rightEdge"], std::to_string(RGB(200, 150, 100)));
    EXPECT_EQ(v["leftEdge"], std::to_string(BandColor(RGB(200, 150, 100), 100)));
}

// 9480 x 1425 twips of client area; the frame is 1185 twips wide.
// 120 dpi: 12 twips a pixel, 790 x 118.75 -> 119 pixels (1428 twips); picture
// 8295 twips = 691.25 -> 691 pixels.
// 144 dpi: 10 twips a pixel, 1425 / 10 = 142.5 -> 142 and 8295 / 10 = 829.5 -> 830
// (halves go to the even neighbour).
INSTANTIATE_TEST_SUITE_P(
    Screens, ResolutionTest,
    ::testing::Values(Resolution{96, "15x15", "632x95", "9480x1425", "8295x1425", "553x95",
                                 "8325,8295,8355,8355,8355", "555,553,557"},
                      Resolution{120, "12x12", "790x119", "9480x1428", "8295x1428", "691x119",
                                 "8325,8295,8343,8343,8343", "694,691,695"},
                      Resolution{144, "10x10", "948x142", "9480x1420", "8295x1420", "830x142",
                                 "8325,8295,8335,8335,8335", "832,830,834"}),
    [](const ::testing::TestParamInfo<Resolution>& param) {
        return std::to_string(param.param.dpi) + "dpi";
    });

}  // namespace
}  // namespace tresk

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == tresk::kReportFlag) {
        return tresk::ReportLayout();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
