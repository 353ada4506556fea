#pragma once
// Windowed controls: push button, text box, check box, picture box, frame.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "hook/picture_class.h"
#include "toolkit/base_window.h"
#include "toolkit/control.h"
#include "toolkit/handles.h"

namespace tk {

class WindowedControl : public Control {
public:
    virtual HWND Hwnd() const noexcept = 0;

    // Tab order among the form's controls; lower comes first.
    std::int32_t TabIndex() const noexcept { return tabIndex_; }
    void SetTabIndex(std::int32_t index) noexcept { tabIndex_ = index; }
    bool TabStop() const noexcept { return tabStop_; }
    void SetTabStop(bool tabStop) noexcept { tabStop_ = tabStop; }
    bool CanFocus() const noexcept;
    void SetFocus() noexcept;

    void SetFont(const FontSpec& font);

    std::function<void()> onGotFocus;

    // Notifications the container routes here.
    virtual void OnCommand(WORD /*code*/) {}
    virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }

    static WindowedControl* FromHwnd(HWND hwnd) noexcept;

protected:
    void Register(Container& container, HWND hwnd);
    void Apply() override;

private:
    Font font_;
    std::int32_t tabIndex_ = 0;
    bool tabStop_ = true;
};

// A control of one of the system's classes (BUTTON, EDIT).
class SystemControl : public WindowedControl {
public:
    SystemControl() = default;
    ~SystemControl() override;
    HWND Hwnd() const noexcept override { return hwnd_; }
    void SetCaption(const std::string& text);
    std::string Caption() const;

protected:
    void CreateSystem(Container& container, const char* className, DWORD style, DWORD exStyle,
                      const std::string& text);
    // A message on its way to the class's procedure: true when handled here, with
    // `result` set; a handler may change `wParam` before the class sees it.
    virtual bool PreviewMessage(UINT msg, WPARAM& wParam, LPARAM lParam, LRESULT& result) noexcept;
    HWND hwnd_ = nullptr;  // a child window: its parent destroys it, or this object does

private:
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    WNDPROC classProc_ = nullptr;  // the class's own procedure, which ControlProc passes on to
};

class CommandButton : public SystemControl {
public:
    void Create(Container& container, const std::string& caption);
    std::function<void()> onClick;
    // Raises the click as a press of the button would.
    void Click();
    void OnCommand(WORD code) override;
};

class CheckBox : public SystemControl {
public:
    void Create(Container& container, const std::string& caption);
    // 0 unchecked, 1 checked, 2 grey.
    int Value() const noexcept { return value_; }
    void SetValue(int value);
    std::function<void()> onClick;
    void OnCommand(WORD code) override;

private:
    int value_ = 0;
};

class TextBox : public SystemControl {
public:
    void Create(Container& container, const std::string& text);
    std::string Text() const { return Caption(); }
    void SetText(const std::string& text) { SetCaption(text); }
    void SetMaxLength(std::int32_t length) noexcept;
    void SetSelStart(std::int32_t start) noexcept;
    void SetSelLength(std::int32_t length) noexcept;
    std::int32_t SelStart() const noexcept;
    std::int32_t SelLength() const noexcept;
    void SetBackColor(COLORREF color);

    // Character typed; the handler may change the code, and 0 swallows it.
    std::function<void(int& keyAscii)> onKeyPress;

    void OnCommand(WORD code) override;
    HBRUSH OnCtlColor(HDC dc) override;

protected:
    bool PreviewMessage(UINT msg, WPARAM& wParam, LPARAM lParam, LRESULT& result) noexcept override;

private:
    COLORREF backColor_ = RGB(255, 255, 255);
    Brush backBrush_;
};

// Window class of picture boxes: the class the hook library knows the picture area by.
inline constexpr const char* kPictureBoxClass = tresk::kPictureClassName;

class PictureBox : public WindowedControl, public Container, private BaseWindow {
public:
    void Create(Container& container);
    HWND Hwnd() const noexcept override { return BaseWindow::Hwnd(); }
    HWND ContainerHwnd() const noexcept override { return BaseWindow::Hwnd(); }

    COLORREF BackColor() const noexcept { return backColor_; }
    void SetBackColor(COLORREF color);

    // Inner (client) size in twips.
    std::int32_t ScaleWidth() const noexcept;
    std::int32_t ScaleHeight() const noexcept;

    // With a persistent image, drawing goes to a memory bitmap of the box's size,
    // which also repaints the window.
    void SetAutoRedraw(bool on);
    // The drawing surface: the persistent image's DC (owned by the box).
    HDC ImageDc() const noexcept { return imageDc_.Get(); }
    // The picture shown under the drawing; the box owns it.
    HBITMAP Picture() const noexcept { return picture_.Get(); }
    void SetPicture(Bitmap picture);
    // A copy of the persistent image as a picture the caller owns.
    Bitmap CopyImage() const;
    // Clears the drawing surface to the background colour.
    void Cls();

    std::function<void(const MouseEventArgs&)> onMouseDown;
    std::function<void(const MouseEventArgs&)> onMouseUp;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;
    void Apply() override;

private:
    void ResizeImage();
    COLORREF backColor_ = GetSysColor(COLOR_BTNFACE);
    bool autoRedraw_ = false;
    Bitmap picture_;
    Bitmap image_;
    MemoryDc imageDc_;
    HGDIOBJ imageDcDefault_ = nullptr;  // the DC's own bitmap, put back before freeing
};

// A frame without caption: an etched border around its controls.
class Frame : public WindowedControl, public Container, private BaseWindow {
public:
    void Create(Container& container);
    HWND Hwnd() const noexcept override { return BaseWindow::Hwnd(); }
    HWND ContainerHwnd() const noexcept override { return BaseWindow::Hwnd(); }
    void SetBackColor(COLORREF color);

    // Pointer moves over the frame's own area, not over one of its windowless controls.
    std::function<void(const MouseEventArgs&)> onMouseMove;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    COLORREF backColor_ = GetSysColor(COLOR_BTNFACE);
};

}  // namespace tk
