#include "app/render/screen_pixel.h"

#include "app/shell/shared_state.h"
#include "toolkit/handles.h"

namespace tresk {
namespace {

using SetThreadContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);

// SetThreadDpiAwarenessContext, found once at the first pick: Windows before 10
// (1607) lacks it, and the program then reads in its own context as it always has.
SetThreadContextFn SetThreadContext() noexcept {
    static const auto setContext = reinterpret_cast<SetThreadContextFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
    return setContext;
}

// Makes the calling thread per-monitor aware for its lifetime, so that the pointer,
// monitor and pixel calls made inside it speak physical pixels; puts the thread's
// previous context back at the end. The window keeps its own awareness: only calls
// made while a scope lives are affected. Windows 10 1607 refuses the v2 context
// (1703 added it) and gets the first version, which reads these coordinates alike;
// where neither can be set, nothing changes.
class PerMonitorScope {
public:
    PerMonitorScope() noexcept {
        if (const SetThreadContextFn setContext = SetThreadContext(); setContext != nullptr) {
            previous_ = setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
            if (previous_ == nullptr) {
                previous_ = setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
            }
        }
    }
    ~PerMonitorScope() {
        if (previous_ != nullptr) {
            SetThreadContext()(previous_);
        }
    }
    PerMonitorScope(const PerMonitorScope&) = delete;
    PerMonitorScope& operator=(const PerMonitorScope&) = delete;

    bool Active() const noexcept { return previous_ != nullptr; }

private:
    DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

}  // namespace

std::optional<POINT> PointerPosition() noexcept {
    PerMonitorScope physical;
    POINT p{};
    if (!GetCursorPos(&p)) {
        return std::nullopt;
    }
    return p;
}

POINT PhysicalPoint(POINT logical) noexcept {
    // The monitor's rectangle in both coordinate spaces gives the scale and offset.
    HMONITOR monitor = MonitorFromPoint(logical, MONITOR_DEFAULTTONULL);
    MONITORINFO mine{};
    MONITORINFO real{};
    mine.cbSize = real.cbSize = sizeof(MONITORINFO);
    if (monitor == nullptr || !GetMonitorInfoA(monitor, &mine)) {
        return logical;
    }
    {
        PerMonitorScope physical;
        if (!physical.Active() || !GetMonitorInfoA(monitor, &real)) {
            return logical;
        }
    }
    const RECT& m = mine.rcMonitor;
    const RECT& r = real.rcMonitor;
    if (m.right <= m.left || m.bottom <= m.top) {
        return logical;
    }
    // The physical pixel under the logical pixel's top-left corner: rounded down, so
    // the last logical pixel of a monitor never lands past its physical edge.
    const auto scale = [](LONG at, LONG from, LONG fromEnd, LONG to, LONG toEnd) {
        return static_cast<LONG>(to + static_cast<std::int64_t>(at - from) * (toEnd - to) /
                                          (fromEnd - from));
    };
    return POINT{scale(logical.x, m.left, m.right, r.left, r.right),
                 scale(logical.y, m.top, m.bottom, r.top, r.bottom)};
}

std::optional<COLORREF> ScreenPixel(std::int32_t x, std::int32_t y) noexcept {
    PerMonitorScope physical;
    tk::WindowDc screen(nullptr);
    const COLORREF pixel = GetPixel(screen.Get(), x, y);
    Shared().lastApiResult = screen.ReleaseNow();
    if (pixel == CLR_INVALID) {
        return std::nullopt;
    }
    return pixel & 0xFFFFFF;
}

}  // namespace tresk
