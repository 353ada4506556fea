#pragma once
// Move-only owners of Win32 handles. Each frees its handle exactly once.
#include <windows.h>

#include <utility>

namespace tk {

// A handle with a free function; `Traits::Free(h)` releases a non-null handle.
template <class Handle, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, Handle{}));
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Handle{}; }
    Handle Release() noexcept { return std::exchange(handle_, Handle{}); }
    void Reset(Handle handle = Handle{}) noexcept {
        Handle old = std::exchange(handle_, handle);
        if (old != Handle{}) {
            Traits::Free(old);
        }
    }

private:
    Handle handle_{};
};

struct GdiObjectTraits {
    static void Free(HGDIOBJ h) noexcept { DeleteObject(h); }
};
struct CursorTraits {
    static void Free(HCURSOR h) noexcept { DestroyCursor(h); }
};
struct MenuTraits {
    static void Free(HMENU h) noexcept { DestroyMenu(h); }
};
struct MemoryDcTraits {
    static void Free(HDC h) noexcept { DeleteDC(h); }
};
struct FileTraits {
    static void Free(HANDLE h) noexcept {
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
};

using Brush = UniqueHandle<HBRUSH, GdiObjectTraits>;
using Font = UniqueHandle<HFONT, GdiObjectTraits>;
using Bitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
// A cursor loaded from resources or made with CreateIconIndirect; never one of the
// shared system cursors from LoadCursor(NULL, ...).
using Cursor = UniqueHandle<HCURSOR, CursorTraits>;
using Menu = UniqueHandle<HMENU, MenuTraits>;
using MemoryDc = UniqueHandle<HDC, MemoryDcTraits>;

// A device context borrowed from a window with GetDC or GetWindowDC.
class WindowDc {
public:
    enum class Area { Client, Window };
    explicit WindowDc(HWND hwnd, Area area = Area::Client) noexcept
        : hwnd_(hwnd), dc_(area == Area::Client ? GetDC(hwnd) : GetWindowDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(hwnd_, dc_);
        }
    }
    HDC Get() const noexcept { return dc_; }
    // Gives the DC back now; returns ReleaseDC's result.
    int ReleaseNow() noexcept {
        int result = dc_ != nullptr ? ReleaseDC(hwnd_, dc_) : 0;
        dc_ = nullptr;
        return result;
    }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace tk
