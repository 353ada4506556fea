#pragma once
// Controls placed and sized in twips, and the containers that hold them.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/handles.h"

namespace tk {

struct FontSpec {
    std::string name = "MS Sans Serif";
    double points = 8.25;
    bool bold = false;
    bool underline = false;
};
// A font of the given point size at the screen's resolution.
Font MakeFont(const FontSpec& font);

// Mouse buttons as events report them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// Mouse-pointer kinds of a label.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerCustom = 99;

struct MouseEventArgs {
    int button = 0;      // kLeftButton, kRightButton, kMiddleButton, or 0 for moves
    int shift = 0;       // 1 Shift, 2 Ctrl, 4 Alt
    std::int32_t x = 0;  // twips, relative to the control
    std::int32_t y = 0;
};

// The button of a mouse-button message, 0 for other messages.
int MouseButtonOf(UINT msg) noexcept;
// Shift, Ctrl and Alt as 1, 2 and 4.
int ShiftState() noexcept;

class Container;

class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    // Position and size in twips, relative to the container's client area.
    std::int32_t Left() const noexcept { return left_; }
    std::int32_t Top() const noexcept { return top_; }
    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }
    void SetLeft(std::int32_t twips);
    void SetTop(std::int32_t twips);
    // A negative size is an invalid property value (run-time error 380).
    void SetWidth(std::int32_t twips);
    void SetHeight(std::int32_t twips);
    void Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);

    // Pixel rectangle within the container's client area.
    RECT PixelRect() const noexcept;

    Container* Parent() const noexcept { return container_; }

protected:
    // Pushes position, size and visibility to the screen.
    virtual void Apply() {}
    void AttachTo(Container& container) noexcept { container_ = &container; }

    Container* container_ = nullptr;
    std::int32_t left_ = 0;
    std::int32_t top_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    bool visible_ = true;
};

// A control without a window: its container draws it, hit-tests it, raises its
// events and shows its mouse pointer.
class Windowless : public Control {
public:
    void Attach(Container& container);

    int MousePointer() const noexcept { return mousePointer_; }
    void SetMousePointer(int kind) noexcept { mousePointer_ = kind; }
    // The label takes ownership of the cursor; the previous one is destroyed.
    void SetMouseIcon(Cursor icon) noexcept { mouseIcon_ = std::move(icon); }
    HCURSOR MouseIcon() const noexcept { return mouseIcon_.Get(); }

    std::function<void()> onClick;
    std::function<void(const MouseEventArgs&)> onMouseDown;
    std::function<void(const MouseEventArgs&)> onMouseMove;
    std::function<void(const MouseEventArgs&)> onMouseUp;

    virtual void Paint(HDC dc) const = 0;
    void Invalidate() const noexcept;

protected:
    void Apply() override { Invalidate(); }

private:
    int mousePointer_ = kPointerDefault;
    Cursor mouseIcon_;
};

// A window that hosts controls: it routes their notifications and draws,
// hit-tests and raises the events of its windowless controls.
class Container {
public:
    Container() = default;
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;
    virtual ~Container() = default;

    virtual HWND ContainerHwnd() const noexcept = 0;
    void AddWindowless(Windowless* control);
    void ClearWindowless() noexcept;

protected:
    // Mouse messages over windowless controls, WM_SETCURSOR and painting.
    // Returns true when the message was handled and `result` holds the answer.
    bool RouteWindowlessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;
    void PaintWindowless(HDC dc) const;
    // Child-control notifications (WM_COMMAND, WM_CTLCOLOR*) routed to the control.
    bool RouteChildMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;

private:
    Windowless* HitTest(POINT pixel) const noexcept;
    std::vector<Windowless*> windowless_;  // drawing order: later ones on top
    Windowless* pressed_ = nullptr;
};

}  // namespace tk
