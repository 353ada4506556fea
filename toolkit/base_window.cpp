#include "toolkit/base_window.h"

#include <string>

#include "toolkit/app.h"

namespace tk {

BaseWindow::~BaseWindow() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK BaseWindow::StaticProc(HWND hwnd, UINT msg, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    BaseWindow* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<BaseWindow*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    LRESULT result = self->OnMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->OnWindowGone();
    }
    return result;
}

void BaseWindow::RegisterClassOnce(const char* className, HCURSOR cursor, HICON icon,
                                   HICON smallIcon) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExA(App::Instance(), className, &existing)) {
        return;
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticProc;
    wc.hInstance = App::Instance();
    wc.hCursor = cursor;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.lpszClassName = className;
    if (RegisterClassExA(&wc) == 0) {
        throw RuntimeError(kErrInvalidPropertyValue,
                           std::string("Cannot register window class ") + className);
    }
}

void BaseWindow::CreateBase(const char* className, DWORD exStyle, DWORD style, const char* text,
                            int x, int y, int width, int height, HWND parent) {
    HWND hwnd = CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent,
                                nullptr, App::Instance(), this);
    if (hwnd == nullptr) {
        throw RuntimeError(kErrInvalidPropertyValue,
                           std::string("Cannot create window of class ") + className);
    }
}

}  // namespace tk
