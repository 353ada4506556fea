// A form's tool tips: one tool tip window per form, for its windowed and windowless
// controls.
#include "toolkit/form.h"

#include <commctrl.h>

#include "toolkit/app.h"

namespace tk {

void Form::EnsureToolTip() noexcept {
    if (toolTip_ == nullptr) {
        // Not owned by the form: under Wine a window that owns a pop-up cannot be
        // made top-most. The form destroys it in WM_DESTROY.
        toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   App::Instance(), nullptr);
    }
}

bool Form::KeepToolTip(WindowedControl* windowed, Windowless* windowless, const std::string& text) {
    if (IsWindowVisible(Hwnd())) {
        return false;
    }
    if (keptToolTips_.empty()) {
        PostMessageA(Hwnd(), kAddKeptToolTips, 0, 0);
    }
    keptToolTips_.push_back(KeptToolTip{windowed, windowless, text});
    return true;
}

void Form::AddKeptToolTips() {
    std::vector<KeptToolTip> kept;
    kept.swap(keptToolTips_);
    for (KeptToolTip& tip : kept) {
        if (tip.windowed != nullptr) {
            SetToolTip(*tip.windowed, tip.text);
        } else {
            SetToolTip(*tip.windowless, tip.text);
        }
    }
}

void Form::SetToolTip(WindowedControl& control, const std::string& text) {
    if (KeepToolTip(&control, nullptr, text)) {
        return;
    }
    EnsureToolTip();
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = Hwnd();
    ti.uId = reinterpret_cast<UINT_PTR>(control.Hwnd());
    ti.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void Form::SetToolTip(Windowless& control, const std::string& text) {
    if (control.Parent() == nullptr || KeepToolTip(nullptr, &control, text)) {
        return;
    }
    EnsureToolTip();
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = control.Parent()->ContainerHwnd();
    ti.uId = windowlessTools_.size() + 1;
    ti.rect = control.PixelRect();
    ti.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    windowlessTools_.emplace_back(&control, ti.uId);
}

void Form::UpdateToolTips() noexcept {
    for (auto& [control, id] : windowlessTools_) {
        TOOLINFOA ti{};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.hwnd = control->Parent()->ContainerHwnd();
        ti.uId = id;
        ti.rect = control->PixelRect();
        SendMessageA(toolTip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void Form::DestroyToolTip() noexcept {
    if (toolTip_ != nullptr) {
        DestroyWindow(toolTip_);
        toolTip_ = nullptr;
    }
}

}  // namespace tk
