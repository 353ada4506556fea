#pragma once
// Top-level windows: load, layout events, close query, modal and modeless showing,
// the keyboard interface, tooltips, timers and context menus. Each concern has a file
// of its own: form.cpp (the form's life and its messages), form_modal.cpp,
// form_focus.cpp, form_keys.cpp, form_tooltips.cpp, form_menu.cpp and timer.cpp.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/base_window.h"
#include "toolkit/control.h"
#include "toolkit/controls.h"
#include "toolkit/handles.h"
#include "toolkit/timer.h"

namespace tk {

// Why a form is asked to close.
inline constexpr int kCloseFromControlMenu = 0;  // close box, system menu, Alt+F4
inline constexpr int kCloseFromCode = 1;
inline constexpr int kCloseFromWindows = 2;  // the session is ending

struct FormStyle {
    std::string caption;
    std::int32_t clientWidth = 0;   // twips
    std::int32_t clientHeight = 0;  // twips
    bool sizable = true;
    bool minButton = true;
    bool maxButton = true;
    COLORREF backColor = GetSysColor(COLOR_BTNFACE);
    int iconId = 0;  // resource id of the window icon, 0 = none
};

class Form : public Container, protected BaseWindow {
public:
    explicit Form(FormStyle style);
    ~Form() override;

    HWND Hwnd() const noexcept { return BaseWindow::Hwnd(); }
    HWND ContainerHwnd() const noexcept override { return BaseWindow::Hwnd(); }
    bool IsLoaded() const noexcept { return BaseWindow::Hwnd() != nullptr; }

    // Creates the window and its controls and raises Load, when not loaded yet.
    void Load();
    // Shows without blocking; raises Load and the first Resize when needed.
    void Show();
    // Shows and returns when the form has closed; the program's other forms take
    // no input meanwhile.
    void ShowModal();
    // Asks the form to close, as code does.
    void Unload();

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    // Client area in twips.
    std::int32_t ScaleWidth() const noexcept;
    std::int32_t ScaleHeight() const noexcept;
    bool IsMinimized() const noexcept;

    // Outer position in twips.
    std::int32_t Left() const noexcept;
    std::int32_t Top() const noexcept;
    std::int32_t Width() const noexcept;
    std::int32_t Height() const noexcept;
    void SetLeft(std::int32_t twips);
    void SetTop(std::int32_t twips);

    // Enter and Esc press these buttons.
    void SetDefaultButton(CommandButton* button) noexcept { defaultButton_ = button; }
    void SetCancelButton(CommandButton* button) noexcept { cancelButton_ = button; }

    // Before the window has first been shown, the tips are kept and given to the tool
    // tip window when the message loop next runs: its creation need not delay the
    // first sight of the window, and no tip shows before the pointer has rested anyway.
    void SetToolTip(WindowedControl& control, const std::string& text);
    void SetToolTip(Windowless& control, const std::string& text);
    // Moves windowless tools to their controls' current places.
    void UpdateToolTips() noexcept;

    // Keyboard interface: Tab order, default and cancel buttons.
    bool HandleDialogKey(const MSG& msg) noexcept;

    // Shows a context menu at the pointer and raises the chosen item's handler.
    struct MenuItem {
        std::string caption;  // "-" is a separator
        std::function<void()> onClick;
    };
    void PopupMenu(const std::vector<MenuItem*>& items);

    void AddTimer(Timer* timer);

protected:
    // Creates the controls; runs at every load.
    virtual void Build() = 0;
    virtual void OnLoad() {}
    virtual void OnResize() {}
    virtual void OnQueryUnload(int& /*cancel*/, int /*reason*/) {}
    virtual void OnUnload(int& /*cancel*/) {}
    // The session's end was asked (and the form agreed, its unload events raised),
    // then called off: the window stays, and the form takes up its work again.
    virtual void OnEndSessionCancelled() {}

    void RegisterControl(WindowedControl& control) { controls_.push_back(&control); }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;
    void OnWindowGone() noexcept override;

private:
    // Posted to a form whose tool tips were set before its window was first shown.
    static constexpr UINT kAddKeptToolTips = WM_APP + 0x54;

    // True when the form may close.
    bool QueryClose(int reason) noexcept;
    // Destroys the window once its close has been agreed.
    void Destroy() noexcept;
    void RaiseResize() noexcept;
    // Enables and activates again what ShowModal disabled; nothing when it has.
    void GiveBackModalInput() noexcept;
    void EnsureToolTip() noexcept;
    // Keeps a tip for later when the window has not been shown yet; true when kept.
    bool KeepToolTip(WindowedControl* windowed, Windowless* windowless, const std::string& text);
    void AddKeptToolTips();
    void DestroyToolTip() noexcept;
    void FocusFirst() noexcept;
    // As a dialog does: the control that had the focus when the form was deactivated
    // gets it back when the form is activated or the focus is set to the form itself.
    // RestoreFocus tells whether a control of the form has the focus afterwards.
    void SaveFocus() noexcept;
    bool RestoreFocus() noexcept;
    void MoveFocus(bool backward) noexcept;
    // Raises the handler of the enabled timer `id`.
    void RaiseTimer(UINT_PTR id) noexcept;
    void StopTimers() noexcept;

    FormStyle style_;
    std::vector<WindowedControl*> controls_;
    std::vector<Timer*> timers_;
    CommandButton* defaultButton_ = nullptr;
    CommandButton* cancelButton_ = nullptr;
    HWND toolTip_ = nullptr;  // owned: destroyed when the form's window is
    std::vector<std::pair<Windowless*, UINT_PTR>> windowlessTools_;
    struct KeptToolTip {
        WindowedControl* windowed;
        Windowless* windowless;
        std::string text;
    };
    std::vector<KeptToolTip> keptToolTips_;  // to be added when the loop next runs
    bool modalDone_ = false;
    std::vector<HWND> modalDisabled_;  // disabled while this form is shown modal
    HWND modalReturn_ = nullptr;       // active when it was shown modal
    bool sessionUnloaded_ = false;     // the session's end was asked and agreed to
    HWND savedFocus_ = nullptr;        // a control of this form, or null
    bool resizeRaised_ = false;
    SIZE lastClientSize_{-1, -1};
    bool lastMinimized_ = false;
};

}  // namespace tk
