#pragma once
// Timers of a form (Form::AddTimer).
#include <windows.h>

#include <cstdint>
#include <functional>

namespace tk {

// A timer of a form: raises onTimer every Interval milliseconds while enabled.
class Timer {
public:
    void SetInterval(std::uint32_t milliseconds);
    std::uint32_t Interval() const noexcept { return interval_; }
    void SetEnabled(bool enabled);
    bool Enabled() const noexcept { return enabled_; }
    std::function<void()> onTimer;

private:
    friend class Form;
    void Attach(HWND owner, UINT_PTR id) noexcept;
    void Sync() noexcept;
    HWND owner_ = nullptr;
    UINT_PTR id_ = 0;
    std::uint32_t interval_ = 0;
    bool enabled_ = false;
};

}  // namespace tk
