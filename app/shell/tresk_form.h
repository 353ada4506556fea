#pragma once
// The main window: picture area on the left, the column of controls on the right.
#include <windows.h>

#include <cstdint>

#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/windowless.h"

namespace tresk {

class TreskForm : public tk::Form {
public:
    // The process's one main window object (created at the first call).
    static TreskForm& Instance();

    // True for the main window and the picture area.
    bool MyHWND(HWND lpWnd) const noexcept;
    // True for the controls of the right-hand column (the button, the percentage box,
    // the two check boxes and the frame): those of the column's table.
    bool MyCtrl(HWND lpWnd) const noexcept;
    // Reads the percentage (0..100) and writes the normalised value back.
    std::int16_t Percent();
    COLORREF BaseColor() const noexcept { return lblCol.BackColor(); }
    void SetBaseColor(COLORREF color) { lblCol.SetBackColor(color); }
    // Each write refreshes the caption.
    void SetMx(std::int32_t value);
    void SetMy(std::int32_t value);
    void SetRGBColor(COLORREF value);
    std::int32_t Mx() const noexcept { return mx_; }
    std::int32_t My() const noexcept { return my_; }
    COLORREF RGBColor() const noexcept { return rgbColor_; }
    std::int32_t PicWidthPx() const noexcept { return picWidthPx_; }
    std::int32_t PicHeightPx() const noexcept { return picHeightPx_; }
    std::int32_t LastDialogColor() const noexcept { return lastDialogColor_; }

    void RefreshCaption();

    // Event handlers, callable as the events call them.
    void btnTresk_Click();
    void txtPerc_KeyPress(int& keyAscii);
    void txtPerc_GotFocus();
    void lblCol_Click();
    void picTresk_MouseUp(const tk::MouseEventArgs& e);
    void mnuSave_Click();
    void mnuClear_Click();

    tk::PictureBox picTresk;
    tk::CommandButton btnTresk;
    tk::TextBox txtPerc;
    tk::CheckBox chkVertical;
    tk::CheckBox chkInvert;
    tk::Frame fra;
    tk::Label lblCol;
    tk::PictureBox pic;
    tk::Form::MenuItem mnuSave{"Save as bitmap", nullptr};
    tk::Form::MenuItem sep{"-", nullptr};
    tk::Form::MenuItem mnuClear{"Clear", nullptr};

protected:
    void Build() override;
    void OnLoad() override;
    void OnResize() override;
    void OnQueryUnload(int& cancel, int reason) override;
    void OnEndSessionCancelled() override;

private:
    TreskForm();
    void Layout();
    // Cancels an open colour or save dialog and unloads the About box.
    void CloseWhatIsOpen() noexcept;

    std::int32_t picWidthPx_ = 0;
    std::int32_t picHeightPx_ = 0;
    std::int32_t mx_ = 0;
    std::int32_t my_ = 0;
    COLORREF rgbColor_ = 0;
    std::int32_t lastDialogColor_ = 0;
    bool shownMinimized_ = false;  // the minimised state the last resize saw
};

}  // namespace tresk
