// Timers of a form.
#include "toolkit/timer.h"

#include "toolkit/app.h"
#include "toolkit/form.h"

namespace tk {

void Form::AddTimer(Timer* timer) {
    timers_.push_back(timer);
    timer->Attach(Hwnd(), timers_.size());
}

void Form::RaiseTimer(UINT_PTR id) noexcept {
    for (Timer* timer : timers_) {
        if (timer->id_ == id && timer->enabled_ && timer->onTimer) {
            auto handler = timer->onTimer;
            App::Raise([&] { handler(); });
            break;
        }
    }
}

void Form::StopTimers() noexcept {
    for (Timer* timer : timers_) {
        KillTimer(Hwnd(), timer->id_);
        timer->owner_ = nullptr;
    }
}

void Timer::Attach(HWND owner, UINT_PTR id) noexcept {
    owner_ = owner;
    id_ = id;
    Sync();
}

void Timer::SetInterval(std::uint32_t milliseconds) {
    interval_ = milliseconds;
    Sync();
}

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Sync();
}

void Timer::Sync() noexcept {
    if (owner_ == nullptr) {
        return;
    }
    if (enabled_ && interval_ > 0) {
        SetTimer(owner_, id_, interval_, nullptr);
    } else {
        KillTimer(owner_, id_);
    }
}

}  // namespace tk
