#include "app/about/about_form.h"

#include "app/about/about_text.h"
#include "app/about/author_texts.h"
#include "app/about/shell_open.h"
#include "app/about/top_most.h"
#include "app/hookclient/cursors.h"
#include "app/hookclient/mouse_hook.h"
#include "app/res/resource_ids.h"
#include "app/shell/booleans.h"
#include "app/shell/shared_state.h"
#include "toolkit/app.h"
#include "toolkit/numeric.h"
#include "toolkit/runtime_error.h"

namespace tresk {
namespace {

constexpr COLORREF kLinkColor = 0x00FF0000;  // blue in the 0x00BBGGRR layout

COLORREF WindowColor() noexcept {
    return GetSysColor(COLOR_WINDOW);
}

tk::FormStyle AboutStyle() {
    tk::FormStyle style;
    style.clientWidth = 6555;
    style.clientHeight = 3180;
    style.sizable = false;
    style.minButton = false;
    style.maxButton = false;
    style.backColor = WindowColor();
    return style;
}

tk::FontSpec Arial(double points) {
    tk::FontSpec font;
    font.name = "Arial";
    font.points = points;
    return font;
}

// Half of the free room, in twips: the difference is first rounded half to even,
// then halved with truncation toward zero.
std::int32_t CentredOrigin(double screenTwips, std::int32_t windowTwips) {
    const double room = tk::RoundHalfEven(screenTwips - static_cast<double>(windowTwips));
    return static_cast<std::int32_t>(room) / 2;
}

// Metrics of a font as the screen draws it; all zero when no screen is there.
TEXTMETRICA ScreenMetrics(const tk::FontSpec& fontSpec) {
    TEXTMETRICA tm{};
    tk::WindowDc screen(nullptr);
    if (screen.Get() == nullptr) {
        return tm;
    }
    const tk::Font font = tk::MakeFont(fontSpec);
    tk::SelectedObject keep(screen.Get(), font.Get());
    GetTextMetricsA(screen.Get(), &tm);
    return tm;
}

// Top, in twips, at which a link label in `linkFont` reads as part of row `row`
// (from 1) of `text`: the text label draws its rows one font height apart from its
// top, and the link's baseline goes on that row's baseline. A fixed top in twips
// fits one face's row height at one resolution only: fonts scale with the real
// resolution, the twips layout with the whole twips per pixel, and faces differ in
// height. `designTop` is used only when no metrics can be read.
std::int32_t TopOnRow(const tk::Label& text, int row, const tk::FontSpec& linkFont,
                      std::int32_t designTop) {
    const TEXTMETRICA rows = ScreenMetrics(text.GetFontSpec());
    const TEXTMETRICA link = ScreenMetrics(linkFont);
    if (rows.tmHeight <= 0 || link.tmHeight <= 0) {
        return designTop;
    }
    const std::int32_t pixels =
        text.PixelRect().top + (row - 1) * rows.tmHeight + rows.tmAscent - link.tmAscent;
    return tk::ToTwipsY(pixels);
}

tk::FontSpec LinkFont() {
    return Arial(9);
}

void LinkLabel(tk::Label& label, std::int32_t top) {
    ResetHandCursor(label);
    label.SetAutoSize(true);
    label.Move(885, top, 0, 225);
    label.SetForeColor(kLinkColor);
    label.SetBackColor(WindowColor());
    label.SetFont(LinkFont());
    label.SetVisible(false);
}

}  // namespace

tk::Bitmap ResourcePicture(std::int32_t id) {
    return tk::Bitmap(static_cast<HBITMAP>(LoadImageA(tk::App::Instance(), MAKEINTRESOURCEA(id),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

fabout& fabout::Instance() {
    static fabout form;
    return form;
}

fabout::fabout() : tk::Form(AboutStyle()) {
    // The text ShellOpen returns is dropped: a link that cannot be opened is silent.
    openLink = [](const std::string& target) { ShellOpen(nullptr, target); };
}

void fabout::Build() {
    btnOK.Move(2730, 2595, 1095, 345);
    btnOK.SetFont(Arial(9.75));
    btnOK.Create(*this, "OK");
    btnOK.SetTabIndex(0);
    btnOK.onClick = [this] { btnOK_Click(); };
    RegisterControl(btnOK);
    SetDefaultButton(&btnOK);
    SetCancelButton(&btnOK);

    TimerHide.SetEnabled(false);
    TimerHide.onTimer = [this] { TimerHide_Timer(); };
    AddTimer(&TimerHide);

    // The frame goes below the button, which lies partly over it.
    Frame1.Move(180, 105, 6225, 2895);
    Frame1.Create(*this);
    Frame1.SetBackColor(WindowColor());
    Frame1.SetTabIndex(1);
    Frame1.onMouseMove = [this](const tk::MouseEventArgs& e) { Frame1_MouseMove(e); };
    RegisterControl(Frame1);
    SetWindowPos(Frame1.Hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    imgIcon.Move(270, 480, 480, 480);
    imgIcon.Attach(Frame1);

    lblAbout.Move(885, 210, 5190, 2220);
    lblAbout.SetFont(Arial(9.75));
    lblAbout.SetBackColor(WindowColor());
    lblAbout.SetCaption("");
    lblAbout.onMouseMove = [this](const tk::MouseEventArgs& e) { lblAbout_MouseMove(e); };
    lblAbout.Attach(Frame1);

    // Attached after the text label, so they are drawn over the blank runs it leaves
    // for them and take the pointer there; each sits on its row of the text.
    LinkLabel(lblmailto, TopOnRow(lblAbout, kMailLinkRow, LinkFont(), 1905));
    lblmailto.onMouseMove = [this](const tk::MouseEventArgs& e) { lblmailto_MouseMove(e); };
    lblmailto.onMouseDown = [this](const tk::MouseEventArgs& e) { lblmailto_MouseDown(e); };
    lblmailto.Attach(Frame1);

    LinkLabel(lblweb, TopOnRow(lblAbout, kWebLinkRow, LinkFont(), 2145));
    lblweb.onMouseMove = [this](const tk::MouseEventArgs& e) { lblweb_MouseMove(e); };
    lblweb.onMouseDown = [this](const tk::MouseEventArgs& e) { lblweb_MouseDown(e); };
    lblweb.Attach(Frame1);
}

void fabout::OnLoad() {
    SetCaption("About");
    LoadedFlag = kTrue;
    lblmailto.SetCaption(kEmailAddress);
    lblweb.SetCaption(WebAddress());
    lblmailto.SetVisible(true);
    lblweb.SetVisible(true);
    const double screenWidth = GetSystemMetrics(SM_CXSCREEN) * tk::TwipsPerPixelX();
    const double screenHeight = GetSystemMetrics(SM_CYSCREEN) * tk::TwipsPerPixelY();
    SetLeft(CentredOrigin(screenWidth, Width()));
    SetTop(CentredOrigin(screenHeight, Height()));
}

void fabout::About(const std::string& comment, tk::Bitmap hIcon) {
    const SharedState& s = Shared();
    const tk::Version version = tk::App::GetVersion();
    const std::string author = AuthorName();
    AboutTexts texts;
    texts.title = s.appTitle;
    texts.major = version.major;
    texts.minor = version.minor;
    texts.revision = version.revision;
    texts.rights = kRightsNotice;
    texts.years = s.yearsText;
    texts.author = author;
    texts.location = kLocationLine;
    texts.email = kEmailAddress;
    texts.web = kWebAddress;
    lblAbout.SetCaption(BuildAboutText(comment, texts));

    imgIcon.SetPicture(hIcon ? std::move(hIcon) : ResourcePicture(IDB_TRESK_ABOUT));
    if (IntervalSetting > 0) {
        TimerHide.SetEnabled(true);
    }
    MessageBeep(MB_ICONASTERISK);
    if (ModelessFlag != kFalse) {
        Show();
        SetTopMost(Hwnd());
    } else {
        ShowModal();
    }
}

void fabout::SetInterval(std::int32_t New_Interval) {
    // The timer counts unsigned milliseconds: a negative period is no valid value.
    if (New_Interval < 0) {
        throw tk::RuntimeError(tk::kErrInvalidPropertyValue, "Invalid property value");
    }
    IntervalSetting = New_Interval;
    TimerHide.SetInterval(static_cast<std::uint32_t>(New_Interval));
}

std::int32_t fabout::Interval() {
    IntervalSetting = static_cast<std::int32_t>(TimerHide.Interval());
    return IntervalSetting;
}

void fabout::OnUnload(int& /*cancel*/) {
    // Every way of closing (OK, Enter, Esc, the close box, the timer) ends here, and
    // none is refused.
    LoadedFlag = kFalse;
    StartMouseHook();
}

void fabout::btnOK_Click() {
    Unload();
}

void fabout::TimerHide_Timer() {
    TimerHide.SetEnabled(false);
    Unload();
}

void fabout::Frame1_MouseMove(const tk::MouseEventArgs& /*e*/) {
    lblmailto.SetUnderline(false);
    lblweb.SetUnderline(false);
}

void fabout::lblAbout_MouseMove(const tk::MouseEventArgs& /*e*/) {
    lblmailto.SetUnderline(false);
    lblweb.SetUnderline(false);
}

// The two hover handlers work in pairs, so only the link last pointed at carries the
// hand cursor and the underline.
void fabout::lblmailto_MouseMove(const tk::MouseEventArgs& /*e*/) {
    ResetHandCursor(lblweb);
    SetHandCursor(lblmailto);
    lblweb.SetUnderline(false);
    lblmailto.SetUnderline(true);
}

void fabout::lblweb_MouseMove(const tk::MouseEventArgs& /*e*/) {
    ResetHandCursor(lblmailto);
    SetHandCursor(lblweb);
    lblmailto.SetUnderline(false);
    lblweb.SetUnderline(true);
}

// Links open on the press of any button, not on the release; the window stays open.
void fabout::lblmailto_MouseDown(const tk::MouseEventArgs& /*e*/) {
    if (openLink) {
        openLink(std::string("mailto:") + kEmailAddress);
    }
}

void fabout::lblweb_MouseDown(const tk::MouseEventArgs& /*e*/) {
    if (openLink) {
        openLink(kWebAddress);
    }
}

}  // namespace tresk
