#pragma once
// The About window: title, version, author line, an e-mail link and a web link.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/handles.h"
#include "toolkit/windowless.h"

namespace tresk {

// A bitmap of the program's resources (the About bitmap, or another a caller names)
// as a DIB section; null when there is none.
tk::Bitmap ResourcePicture(std::int32_t id);

class fabout : public tk::Form {
public:
    // The process's one About window object; its settings last for the run.
    static fabout& Instance();

    // Fills the window with the text for `comment` and the picture (the About bitmap
    // when none is given), then shows it: modal, returning when it has closed, or,
    // when Modeless is set, without blocking and top-most.
    void About(const std::string& comment, tk::Bitmap hIcon);

    // Auto-close period in milliseconds; the window closes itself after it when
    // positive. The getter reads the period back from the timer.
    void SetInterval(std::int32_t New_Interval);
    std::int32_t Interval();
    // 16-bit Booleans: 0 false, -1 true.
    void SetModeless(std::int16_t NewValue) noexcept { ModelessFlag = NewValue; }
    std::int16_t Modeless() const noexcept { return ModelessFlag; }
    std::int16_t Loaded() const noexcept { return LoadedFlag; }

    // Event handlers, callable as the events call them.
    void btnOK_Click();
    void TimerHide_Timer();
    void Frame1_MouseMove(const tk::MouseEventArgs& e);
    void lblAbout_MouseMove(const tk::MouseEventArgs& e);
    void lblmailto_MouseMove(const tk::MouseEventArgs& e);
    void lblweb_MouseMove(const tk::MouseEventArgs& e);
    void lblmailto_MouseDown(const tk::MouseEventArgs& e);
    void lblweb_MouseDown(const tk::MouseEventArgs& e);

    // Opens a link target; the shell's default action unless replaced. Whatever
    // goes wrong stays silent: the window has no error message of its own.
    std::function<void(const std::string& target)> openLink;

    tk::CommandButton btnOK;
    tk::Timer TimerHide;
    tk::Frame Frame1;
    tk::Image imgIcon;
    tk::Label lblAbout;
    tk::Label lblmailto;
    tk::Label lblweb;

protected:
    void Build() override;
    void OnLoad() override;
    void OnUnload(int& cancel) override;

private:
    fabout();

    std::int32_t IntervalSetting = 0;
    std::int16_t ModelessFlag = 0;
    std::int16_t LoadedFlag = 0;
};

}  // namespace tresk
