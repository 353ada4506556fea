#pragma once
// Small helpers shared by the tests that work with real windows: picking out records,
// reading a window's class and text, handling the thread's messages for a while, a plain top-level
// window, and a copy of what the screen shows.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace tresk::test {

// The elements of `all` that `keep` holds for, in their order.
template <class T, class Keep>
std::vector<T> Where(const std::vector<T>& all, Keep keep) {
    std::vector<T> found;
    std::copy_if(all.begin(), all.end(), std::back_inserter(found), keep);
    return found;
}

inline std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

inline std::string TextOf(HWND hwnd) {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

inline RECT WindowRectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

// Pixel rectangle of a child window in its parent's client coordinates.
inline RECT ChildRect(HWND child) {
    RECT r = WindowRectOf(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline COLORREF ScreenColor(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

// Handles this thread's waiting messages for `ms` milliseconds.
inline void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(1);
    } while (GetTickCount() - start < ms);
}

// A plain visible top-level window of its own class (registered on first use) with
// the default procedure; destroyed with the object.
class TopWindow {
public:
    TopWindow(const char* className, const char* title, int x, int y, int width, int height) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        RegisterClassA(&wc);  // fails harmlessly when already registered
        hwnd_ = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width,
                                height, nullptr, nullptr, wc.hInstance, nullptr);
    }
    TopWindow(const TopWindow&) = delete;
    TopWindow& operator=(const TopWindow&) = delete;
    ~TopWindow() { DestroyWindow(hwnd_); }
    HWND Get() const { return hwnd_; }

private:
    HWND hwnd_;  // owned: destroyed with the object
};

// Shows a top-most tool window of one solid colour at a screen rectangle without
// activating it, so screen reads there see a known colour.
inline HWND ShowColourPatch(const char* className, COLORREF colour, int x, int y, int width,
                            int height) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(colour);  // owned by the class from here on
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    HWND patch = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className, "", WS_POPUP, x, y,
                                 width, height, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(patch, SW_SHOWNOACTIVATE);
    UpdateWindow(patch);
    return patch;
}

// A rectangle of the screen as the user sees it, copied at construction.
class ScreenShot {
public:
    explicit ScreenShot(const RECT& area)
        : width_(area.right - area.left), height_(area.bottom - area.top) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap != nullptr) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            BitBlt(memory, 0, 0, width_, height_, screen, area.left, area.top, SRCCOPY);
            GdiFlush();
            const auto* words = static_cast<const std::uint32_t*>(bits);
            pixels_.assign(words, words + static_cast<std::size_t>(width_) *
                                              static_cast<std::size_t>(height_));
            SelectObject(memory, old);
            DeleteObject(bitmap);
        }
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    bool Taken() const noexcept { return !pixels_.empty(); }
    // 0x00BBGGRR, as GetPixel reports it.
    COLORREF At(int x, int y) const {
        const std::uint32_t bgr =
            pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                    static_cast<std::size_t>(x)];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }

private:
    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
};

// Hot spot of a cursor, or (-1, -1) when the handle is not a live cursor.
inline POINT HotSpot(HCURSOR cursor) {
    ICONINFO info{};
    if (cursor == nullptr || !GetIconInfo(cursor, &info)) {
        return POINT{-1, -1};
    }
    if (info.hbmMask != nullptr) {
        DeleteObject(info.hbmMask);
    }
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    return POINT{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
}

}  // namespace tresk::test
