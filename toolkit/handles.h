#pragma once
// Move-only owners of Win32 handles. Each frees its handle exactly once.
#include <windows.h>

#include <utility>

#include "toolkit/handle_counts.h"

namespace tk {

// A handle with a free function; `Traits::Free(h)` releases a non-null handle.
// Traits that name a `kKind` have their handles counted (handle_counts.h): a handle
// counts from the moment an owner takes it until it is freed or released.
template <class Handle, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {
        if (handle_ != Handle{}) {
            Count(CountAcquired);
        }
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    // Moving passes the handle on without counting it again.
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Free(std::exchange(handle_, std::exchange(other.handle_, Handle{})));
        }
        return *this;
    }
    ~UniqueHandle() { Free(handle_); }

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Handle{}; }
    // Gives the handle to a new owner outside these types; it leaves the count.
    Handle Release() noexcept {
        if (handle_ != Handle{}) {
            Count(CountHandedOver);
        }
        return std::exchange(handle_, Handle{});
    }
    // Takes `handle` and frees the one held before; taking the held handle again is
    // a no-op rather than freeing what was just taken.
    void Reset(Handle handle = Handle{}) noexcept {
        if (handle == handle_) {
            return;
        }
        if (handle != Handle{}) {
            Count(CountAcquired);
        }
        Free(std::exchange(handle_, handle));
    }

private:
    static void Count(void (*counter)(HandleKind) noexcept) noexcept {
        if constexpr (requires { Traits::kKind; }) {
            counter(Traits::kKind);
        }
    }
    static void Free(Handle handle) noexcept {
        if (handle != Handle{}) {
            Traits::Free(handle);
            Count(CountFreed);
        }
    }

    Handle handle_{};
};

struct GdiObjectTraits {
    static void Free(HGDIOBJ h) noexcept { DeleteObject(h); }
};
struct BrushTraits : GdiObjectTraits {
    static constexpr HandleKind kKind = HandleKind::Brush;
};
struct FontTraits : GdiObjectTraits {
    static constexpr HandleKind kKind = HandleKind::Font;
};
struct BitmapTraits : GdiObjectTraits {
    static constexpr HandleKind kKind = HandleKind::Bitmap;
};
struct CursorTraits {
    static constexpr HandleKind kKind = HandleKind::Cursor;
    static void Free(HCURSOR h) noexcept { DestroyCursor(h); }
};
struct MenuTraits {
    static constexpr HandleKind kKind = HandleKind::Menu;
    static void Free(HMENU h) noexcept { DestroyMenu(h); }
};
struct MemoryDcTraits {
    static constexpr HandleKind kKind = HandleKind::MemoryDc;
    static void Free(HDC h) noexcept { DeleteDC(h); }
};
struct FileTraits {
    static void Free(HANDLE h) noexcept {
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
};

using Brush = UniqueHandle<HBRUSH, BrushTraits>;
using Font = UniqueHandle<HFONT, FontTraits>;
using Bitmap = UniqueHandle<HBITMAP, BitmapTraits>;
// A cursor loaded from resources or made with CreateIconIndirect; never one of the
// shared system cursors from LoadCursor(NULL, ...).
using Cursor = UniqueHandle<HCURSOR, CursorTraits>;
using Menu = UniqueHandle<HMENU, MenuTraits>;
using MemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
// A kernel file handle; hold only a handle that CreateFile returned as valid.
using File = UniqueHandle<HANDLE, FileTraits>;

// A device context borrowed from a window with GetDC or GetWindowDC.
class WindowDc {
public:
    enum class Area { Client, Window };
    explicit WindowDc(HWND hwnd, Area area = Area::Client) noexcept
        : hwnd_(hwnd), dc_(area == Area::Client ? GetDC(hwnd) : GetWindowDC(hwnd)) {
        if (dc_ != nullptr) {
            CountAcquired(HandleKind::WindowDc);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { ReleaseNow(); }
    HDC Get() const noexcept { return dc_; }
    // Gives the DC back now; returns ReleaseDC's result.
    int ReleaseNow() noexcept {
        if (dc_ == nullptr) {
            return 0;
        }
        int result = ReleaseDC(hwnd_, std::exchange(dc_, nullptr));
        CountFreed(HandleKind::WindowDc);
        return result;
    }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(SelectObject(dc, object)) {}
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
