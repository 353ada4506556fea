#include "app/shell/tresk_form.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <type_traits>
#include <variant>

#include "app/about/about_form.h"
#include "app/hookclient/cursors.h"
#include "app/hookclient/mouse_hook.h"
#include "app/render/bitmap_export.h"
#include "app/render/color_dialog.h"
#include "app/render/colors.h"
#include "app/render/gradient.h"
#include "app/render/save_dialog.h"
#include "app/res/resource_ids.h"
#include "app/shell/booleans.h"
#include "app/shell/caption_text.h"
#include "app/shell/main_window.h"
#include "app/shell/percent_text.h"
#include "app/shell/shared_state.h"
#include "app/shell/subclass.h"
#include "toolkit/app.h"
#include "toolkit/numeric.h"

namespace tresk {
namespace {

tk::FormStyle MainStyle() {
    tk::FormStyle style;
    style.caption = "Tresk Color";
    style.clientWidth = 9480;
    style.clientHeight = 1425;
    style.iconId = IDI_TRESK;
    return style;
}

tk::FontSpec BoldSans() {
    tk::FontSpec font;
    font.name = "MS Sans Serif";
    font.points = 8.25;
    font.bold = true;
    return font;
}

// How the layout places a control of the right-hand column.
enum class Place {
    RightAligned,  // its right edge on the client area's right edge
    OverFrame,     // 4 pixels inside the frame's left edge: over the frame, not in it
};

struct DesignRect {
    std::int32_t left, top, width, height;  // twips
};

// One control of the right-hand column: the member (its type is the control's
// kind), its caption (the text box's first text), its design rectangle and place.
struct ColumnControl {
    std::variant<tk::TextBox TreskForm::*, tk::CheckBox TreskForm::*,
                 tk::CommandButton TreskForm::*, tk::Frame TreskForm::*>
        control;
    const char* caption;
    DesignRect design;
    Place place;
};

// The right-hand column, in tab order: Build creates it, the layout places it and
// MyCtrl counts it. The frame comes last, below the controls lying over it.
constexpr ColumnControl kColumn[] = {
    {&TreskForm::txtPerc, "50", {8370, 360, 675, 315}, Place::OverFrame},
    {&TreskForm::chkVertical, "Vertical", {8370, 780, 1005, 195}, Place::OverFrame},
    {&TreskForm::chkInvert, "Invert", {8370, 1080, 1005, 195}, Place::OverFrame},
    {&TreskForm::btnTresk, "Tresking", {8310, 15, 1155, 315}, Place::RightAligned},
    {&TreskForm::fra, "", {8310, 240, 1185, 1185}, Place::RightAligned},
};
constexpr auto kColumnSize = static_cast<std::int32_t>(std::size(kColumn));

template <class Form>
auto& ColumnMember(Form& form, const ColumnControl& row) noexcept {
    using Control =
        std::conditional_t<std::is_const_v<Form>, const tk::WindowedControl, tk::WindowedControl>;
    return std::visit([&form](auto member) -> Control& { return form.*member; }, row.control);
}

// Each kind of column control as it is made.
void CreateInColumn(tk::TextBox& box, tk::Container& form, const char* text) {
    box.Create(form, text);
}
void CreateInColumn(tk::CheckBox& box, tk::Container& form, const char* caption) {
    box.SetFont(BoldSans());
    box.Create(form, caption);
    box.SetValue(0);
}
void CreateInColumn(tk::CommandButton& button, tk::Container& form, const char* caption) {
    button.SetFont(BoldSans());
    button.Create(form, caption);
}
void CreateInColumn(tk::Frame& frame, tk::Container& form, const char* /*caption*/) {
    frame.Create(form);
    SetWindowPos(frame.Hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Cancels a system dialog (the colour or the save dialog) that `owner` owns, as its
// Cancel button would: no colour is taken, nothing is saved.
BOOL CALLBACK CancelOwnedDialog(HWND window, LPARAM owner) {
    char className[8] = {};
    if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) &&
        GetClassNameA(window, className, sizeof(className)) > 0 &&
        lstrcmpA(className, "#32770") == 0) {
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}

}  // namespace

TreskForm& TreskForm::Instance() {
    static TreskForm form;
    return form;
}

TreskForm::TreskForm() : tk::Form(MainStyle()) {}

void TreskForm::Build() {
    // Window-level controls: the picture area, the column, then the hidden picture.
    picTresk.Move(0, 0, 8295, 945);
    picTresk.Create(*this);
    picTresk.SetBackColor(RGB(255, 255, 255));
    picTresk.SetTabIndex(kColumnSize);
    picTresk.onMouseUp = [this](const tk::MouseEventArgs& e) { picTresk_MouseUp(e); };
    RegisterControl(picTresk);

    std::int32_t tabIndex = 0;
    for (const ColumnControl& row : kColumn) {
        std::visit(
            [&](auto member) {
                auto& control = this->*member;
                control.Move(row.design.left, row.design.top, row.design.width, row.design.height);
                CreateInColumn(control, *this, row.caption);
                control.SetTabIndex(tabIndex++);
                RegisterControl(control);
            },
            row.control);
    }
    txtPerc.SetMaxLength(3);
    txtPerc.SetBackColor(RGB(255, 255, 255));
    txtPerc.onKeyPress = [this](int& key) { txtPerc_KeyPress(key); };
    txtPerc.onGotFocus = [this] { txtPerc_GotFocus(); };
    btnTresk.onClick = [this] { btnTresk_Click(); };

    lblCol.Move(780, 135, 375, 285);
    lblCol.Attach(fra);
    lblCol.onClick = [this] { lblCol_Click(); };

    pic.Move(0, 1080, 855, 315);
    pic.SetVisible(false);
    pic.Create(*this);
    pic.SetAutoRedraw(true);
    pic.SetTabIndex(kColumnSize + 1);
    RegisterControl(pic);

    SetToolTip(txtPerc, "Percent value color tresking");
    SetToolTip(lblCol, "Color to tresk");

    mnuSave.onClick = [this] { mnuSave_Click(); };
    mnuClear.onClick = [this] { mnuClear_Click(); };
}

void TreskForm::OnLoad() {
    SharedState& s = Shared();
    s.twipsPerPixelX = static_cast<std::int32_t>(tk::RoundHalfEven(tk::TwipsPerPixelX()));
    s.twipsPerPixelY = static_cast<std::int32_t>(tk::RoundHalfEven(tk::TwipsPerPixelY()));
    picTresk.SetLeft(0);
    picTresk.SetTop(0);
    SetCaption(tk::App::Title());
    lblCol.SetBackColor(ActiveCaptionColor());
    SetHandCursor(lblCol);
}

void TreskForm::OnResize() {
    Layout();
    // The hook follows the window whatever minimised or restored it: the system menu,
    // Show desktop, another program's ShowWindow. Only a change of that state counts,
    // so that resizing never retries a start that failed.
    const bool minimized = IsMinimized();
    if (minimized != shownMinimized_) {
        shownMinimized_ = minimized;
        if (minimized) {
            StopMouseHook();
        } else {
            StartMouseHook();
        }
    }
}

void TreskForm::Layout() {
    // A step that fails (a negative width when the client area is narrower than the
    // frame) ends the layout silently, keeping what the earlier steps did.
    try {
        const SharedState& s = Shared();
        const std::int32_t w = ScaleWidth();
        const std::int32_t h = ScaleHeight();
        const std::int32_t f = fra.Width();
        picTresk.SetHeight(h);
        picTresk.SetWidth(w - f);
        picWidthPx_ = tk::TwipsToPixels(picTresk.Width(), s.twipsPerPixelX);
        picHeightPx_ = tk::TwipsToPixels(picTresk.Height(), s.twipsPerPixelY);
        // The controls that end at the right edge (the frame among them, whose left
        // becomes w - f) move first, then those lying over the frame, to 4 pixels
        // inside its new left edge, so that they are drawn over the moved frame.
        for (const Place place : {Place::RightAligned, Place::OverFrame}) {
            for (const ColumnControl& row : kColumn) {
                if (row.place == place) {
                    tk::WindowedControl& control = ColumnMember(*this, row);
                    control.SetLeft(place == Place::RightAligned ? w - control.Width()
                                                                 : w - f + 4 * s.twipsPerPixelX);
                }
            }
        }
        UpdateToolTips();
        if (!IsMinimized()) {
            SetCaption(SizeCaption(tk::App::Title(), picWidthPx_, picHeightPx_));
        }
    } catch (...) {
    }
}

void TreskForm::OnQueryUnload(int& /*cancel*/, int /*reason*/) {
    // A close can arrive from another program while a dialog or the About box is
    // open, inside its modal loop. Once the sequence has run, the handler that opened
    // it must not start the hook or subclass again when the dialog returns.
    Shared().closing = true;
    StopMouseHook();
    UnsubclassPicture(picTresk.Hwnd());
    UnsubclassForm(Hwnd());
    CloseWhatIsOpen();
}

void TreskForm::CloseWhatIsOpen() noexcept {
    EnumThreadWindows(GetCurrentThreadId(), CancelOwnedDialog, reinterpret_cast<LPARAM>(Hwnd()));
    fabout& about = fabout::Instance();
    if (about.IsLoaded()) {
        about.Unload();
    }
}

void TreskForm::OnEndSessionCancelled() {
    // The session's end ran the shutdown sequence and was then called off: the
    // program goes back to work as after start-up (a minimised window starts the hook
    // when it is restored).
    Shared().closing = false;
    SubclassForm(Hwnd());
    SubclassPicture(picTresk.Hwnd());
    StartMouseHook();
}

bool TreskForm::MyHWND(HWND lpWnd) const noexcept {
    return lpWnd == Hwnd() || lpWnd == picTresk.Hwnd();
}

bool TreskForm::MyCtrl(HWND lpWnd) const noexcept {
    return std::any_of(std::begin(kColumn), std::end(kColumn), [&](const ColumnControl& row) {
        return ColumnMember(*this, row).Hwnd() == lpWnd;
    });
}

// Reading writes the normalised number back on purpose: after a paint the box shows
// the percentage that was painted ("150" becomes "100", "abc" and "" become "0"),
// and the next paint and the user read the same value there.
std::int16_t TreskForm::Percent() {
    std::int16_t value = PercentFromText(txtPerc.Text());
    txtPerc.SetText(std::to_string(value));
    return value;
}

// Every write of Mx, My or RGBColor rebuilds the caption, even when its text stays
// the same: a pointer move over the window after a resize brings back the "; RGB: "
// form (the last pick's colour, 0,0,0 before any), which the resize had replaced by
// the size alone. The end-to-end roads park the pointer away from the window for
// this reason before they read the first caption.
void TreskForm::SetMx(std::int32_t value) {
    mx_ = value;
    RefreshCaption();
}

void TreskForm::SetMy(std::int32_t value) {
    my_ = value;
    RefreshCaption();
}

void TreskForm::SetRGBColor(COLORREF value) {
    rgbColor_ = value;
    RefreshCaption();
}

void TreskForm::RefreshCaption() {
    SetCaption(PickCaption(tk::App::Title(), picWidthPx_, picHeightPx_, rgbColor_));
}

void TreskForm::btnTresk_Click() {
    PaintGradient(picTresk.Hwnd(), kTrue, 0);
    txtPerc.SetFocus();
}

void TreskForm::txtPerc_KeyPress(int& keyAscii) {
    if (keyAscii == 13) {
        keyAscii = 0;
        btnTresk_Click();
    }
}

void TreskForm::txtPerc_GotFocus() {
    txtPerc.SetSelStart(0);
    txtPerc.SetSelLength(static_cast<std::int32_t>(txtPerc.Text().size()));
}

void TreskForm::lblCol_Click() {
    SharedState& s = Shared();
    StopMouseHook();
    s.dialogOpen = true;
    UnsubclassPicture(picTresk.Hwnd());
    UnsubclassForm(Hwnd());
    // "#A#O" is deliberate: the dialog function reads this token as "your default
    // title" and shows "Set Color"; any other text would be shown as the title
    // itself. The dialog's tests open it with the same token.
    lastDialogColor_ = ShowColorDialog(Hwnd(), lblCol.BackColor(), "#A#O");
    if (lastDialogColor_ > -1) {
        lblCol.SetBackColor(static_cast<COLORREF>(lastDialogColor_));
    }
    SubclassForm(Hwnd());
    SubclassPicture(picTresk.Hwnd());
    s.dialogOpen = false;
    StartMouseHook();
}

void TreskForm::picTresk_MouseUp(const tk::MouseEventArgs& e) {
    if (e.button == tk::kRightButton) {
        PopupMenu({&mnuSave, &sep, &mnuClear});
    }
}

void TreskForm::mnuSave_Click() {
    SharedState& s = Shared();
    StopMouseHook();
    s.dialogOpen = true;
    std::string fileName = "*.bmp";
    std::int32_t filterIndex = 1;
    std::string path = ShowSaveDialog(Hwnd(), "Bitmap File *.bmp|*.bmp", "Save as...", "bmp",
                                      fileName, tk::App::Path(), filterIndex);
    if (!path.empty()) {
        SaveBitmap(path);
    }
    s.dialogOpen = false;
    StartMouseHook();
}

void TreskForm::mnuClear_Click() {
    picTresk.SetPicture(tk::Bitmap());
    picTresk.Cls();
}

// The main window's face to the rest of the program (main_window.h), defined beside
// the class rather than in a file of its own: the header then depends on nothing, so
// the painter, the export and the picks include it and this file includes them
// without a loop.
namespace mainwindow {
namespace {

// Start-up creates the window before anything else asks for it.
TreskForm& Form() noexcept {
    return *Shared().mainForm;
}

}  // namespace

HWND Handle() noexcept {
    const SharedState& s = Shared();
    return s.mainForm != nullptr ? s.mainForm->Hwnd() : nullptr;
}

HWND PictureArea() noexcept {
    return Form().picTresk.Hwnd();
}

HWND LoadWindow() {
    SharedState& s = Shared();
    if (s.mainForm == nullptr) {
        s.mainForm = &TreskForm::Instance();
    }
    s.mainForm->Load();
    return s.mainForm->Hwnd();
}

bool MyHWND(HWND lpWnd) noexcept {
    return Form().MyHWND(lpWnd);
}

bool MyCtrl(HWND lpWnd) noexcept {
    return Form().MyCtrl(lpWnd);
}

RampInputs ReadRampInputs() {
    const SharedState& s = Shared();
    TreskForm& form = Form();
    // A braced list is evaluated in its written order: the percentage, whose reading
    // rewrites the box, comes last.
    return RampInputs{
        .widthPx = tk::TwipsToPixels(form.picTresk.Width(), s.twipsPerPixelX),
        .heightPx = tk::TwipsToPixels(form.picTresk.Height(), s.twipsPerPixelY),
        .vertical = form.chkVertical.Value() == 1,
        .invert = form.chkInvert.Value() == 1,
        .baseColor = form.BaseColor(),
        .percent = form.Percent(),
    };
}

void SetMx(std::int32_t value) {
    Form().SetMx(value);
}

void SetMy(std::int32_t value) {
    Form().SetMy(value);
}

void SetRGBColor(COLORREF value) {
    Form().SetRGBColor(value);
}

void SetBaseColor(COLORREF color) {
    Form().SetBaseColor(color);
}

SIZE PictureInnerSize() noexcept {
    const TreskForm& form = Form();
    return SIZE{form.picTresk.ScaleWidth(), form.picTresk.ScaleHeight()};
}

tk::PictureBox& HiddenPicture() noexcept {
    return Form().pic;
}

}  // namespace mainwindow

}  // namespace tresk
