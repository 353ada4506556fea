#include "toolkit/control.h"

#include <windowsx.h>

#include "toolkit/app.h"
#include "toolkit/controls.h"
#include "toolkit/numeric.h"
#include "toolkit/runtime_error.h"

namespace tk {

Font MakeFont(const FontSpec& font) {
    HDC screen = GetDC(nullptr);
    int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    auto height = static_cast<int>(RoundHalfEven(font.points * dpi / 72.0));
    return Font(CreateFontA(-height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                            font.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, font.name.c_str()));
}

void Control::SetLeft(std::int32_t twips) {
    left_ = twips;
    Apply();
}

void Control::SetTop(std::int32_t twips) {
    top_ = twips;
    Apply();
}

void Control::SetWidth(std::int32_t twips) {
    if (twips < 0) {
        throw RuntimeError(kErrInvalidPropertyValue, "Invalid property value");
    }
    width_ = twips;
    Apply();
}

void Control::SetHeight(std::int32_t twips) {
    if (twips < 0) {
        throw RuntimeError(kErrInvalidPropertyValue, "Invalid property value");
    }
    height_ = twips;
    Apply();
}

void Control::Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) {
        throw RuntimeError(kErrInvalidPropertyValue, "Invalid property value");
    }
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Apply();
}

void Control::SetVisible(bool visible) {
    visible_ = visible;
    Apply();
}

RECT Control::PixelRect() const noexcept {
    RECT r;
    r.left = ToPixelsX(left_);
    r.top = ToPixelsY(top_);
    r.right = r.left + ToPixelsX(width_);
    r.bottom = r.top + ToPixelsY(height_);
    return r;
}

void Windowless::Attach(Container& container) {
    AttachTo(container);
    container.AddWindowless(this);
}

void Windowless::Invalidate() const noexcept {
    if (container_ != nullptr && container_->ContainerHwnd() != nullptr) {
        InvalidateRect(container_->ContainerHwnd(), nullptr, TRUE);
    }
}

void Container::AddWindowless(Windowless* control) {
    for (Windowless* existing : windowless_) {
        if (existing == control) {
            return;
        }
    }
    windowless_.push_back(control);
}

void Container::ClearWindowless() noexcept {
    windowless_.clear();
    pressed_ = nullptr;
}

Windowless* Container::HitTest(POINT pixel) const noexcept {
    for (auto it = windowless_.rbegin(); it != windowless_.rend(); ++it) {
        if ((*it)->Visible()) {
            RECT r = (*it)->PixelRect();
            if (PtInRect(&r, pixel)) {
                return *it;
            }
        }
    }
    return nullptr;
}

void Container::PaintWindowless(HDC dc) const {
    for (const Windowless* control : windowless_) {
        if (control->Visible()) {
            control->Paint(dc);
        }
    }
}

int ShiftState() noexcept {
    int shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= 2;
    if (GetKeyState(VK_MENU) < 0)
        shift |= 4;
    return shift;
}

int MouseButtonOf(UINT msg) noexcept {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            return kLeftButton;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return kRightButton;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return kMiddleButton;
        default:
            return 0;
    }
}

bool Container::RouteWindowlessMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result) noexcept {
    HWND hwnd = ContainerHwnd();
    switch (msg) {
        case WM_SETCURSOR: {
            if (reinterpret_cast<HWND>(wParam) != hwnd || LOWORD(lParam) != HTCLIENT) {
                return false;
            }
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(hwnd, &p);
            Windowless* over = HitTest(p);
            if (over != nullptr && over->MousePointer() == kPointerCustom &&
                over->MouseIcon() != nullptr) {
                SetCursor(over->MouseIcon());
                result = TRUE;
                return true;
            }
            return false;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            Windowless* over = HitTest(p);
            if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) {
                Windowless* pressed = pressed_;
                if (msg == WM_LBUTTONUP) {
                    pressed_ = nullptr;
                    if (GetCapture() == hwnd) {
                        ReleaseCapture();
                    }
                }
                if (pressed != nullptr) {
                    over = pressed;
                }
            }
            if (over == nullptr) {
                return false;
            }
            RECT r = over->PixelRect();
            MouseEventArgs args;
            args.button = MouseButtonOf(msg);
            args.shift = ShiftState();
            args.x = ToTwipsX(p.x - r.left);
            args.y = ToTwipsY(p.y - r.top);
            // Handlers may unload the form: keep nothing of `this` after them.
            if (msg == WM_MOUSEMOVE) {
                if (over->onMouseMove)
                    App::Raise([&] { over->onMouseMove(args); });
            } else if (args.button != 0 &&
                       (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN)) {
                if (msg == WM_LBUTTONDOWN) {
                    pressed_ = over;
                    SetCapture(hwnd);
                }
                if (over->onMouseDown)
                    App::Raise([&] { over->onMouseDown(args); });
            } else {
                bool inside = false;
                POINT q = p;
                RECT hit = over->PixelRect();
                inside = PtInRect(&hit, q) != FALSE;
                auto onUp = over->onMouseUp;
                auto onClick = over->onClick;
                if (onUp)
                    App::Raise([&] { onUp(args); });
                if (msg == WM_LBUTTONUP && inside && onClick)
                    App::Raise([&] { onClick(); });
            }
            result = 0;
            return true;
        }
        default:
            return false;
    }
}

bool Container::RouteChildMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                  LRESULT& result) noexcept {
    switch (msg) {
        case WM_COMMAND: {
            if (lParam == 0) {
                return false;
            }
            WindowedControl* control = WindowedControl::FromHwnd(reinterpret_cast<HWND>(lParam));
            if (control == nullptr) {
                return false;
            }
            WORD code = HIWORD(wParam);
            App::Raise([&] { control->OnCommand(code); });
            result = 0;
            return true;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            WindowedControl* control = WindowedControl::FromHwnd(reinterpret_cast<HWND>(lParam));
            HBRUSH brush = nullptr;
            if (control != nullptr) {
                App::Raise([&] { brush = control->OnCtlColor(reinterpret_cast<HDC>(wParam)); });
            }
            if (brush == nullptr) {
                return false;
            }
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace tk
