#pragma once
// One C++ object per window of our own classes. The static procedure takes `this`
// from lpCreateParams at WM_NCCREATE, keeps it in the window's user data and
// forwards every message to OnMessage.
#include <windows.h>

namespace tk {

class BaseWindow {
public:
    BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;
    virtual ~BaseWindow();

    HWND Hwnd() const noexcept { return hwnd_; }

    // The procedure every window of our classes starts with.
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

protected:
    // Registers an ANSI window class once per process.
    static void RegisterClassOnce(const char* className, HCURSOR cursor, HICON icon,
                                  HICON smallIcon);
    // Creates the window; raises a run-time error when the system refuses.
    void CreateBase(const char* className, DWORD exStyle, DWORD style, const char* text, int x,
                    int y, int width, int height, HWND parent);

    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept = 0;
    // Called at WM_NCDESTROY, after which the object has no window.
    virtual void OnWindowGone() noexcept {}

    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }

    HWND hwnd_ = nullptr;  // owned: destroyed with this object if still alive
};

}  // namespace tk
