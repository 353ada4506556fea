#include "toolkit/form.h"

#include <commctrl.h>

#include <algorithm>

#include "toolkit/app.h"
#include "toolkit/runtime_error.h"

namespace tk {
namespace {

constexpr char kFormClass[] = "TreskForm";
// Posted to a form whose tool tips were set before its window was first shown.
constexpr UINT kAddKeptToolTips = WM_APP + 0x54;

DWORD WindowStyle(const FormStyle& s) {
    DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (s.sizable) {
        style |= WS_THICKFRAME;
    }
    if (s.minButton) {
        style |= WS_MINIMIZEBOX;
    }
    if (s.maxButton) {
        style |= WS_MAXIMIZEBOX;
    }
    return style;
}

DWORD WindowExStyle(const FormStyle& s) {
    return s.sizable ? WS_EX_CONTROLPARENT : (WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME);
}

}  // namespace

Form::Form(FormStyle style) : style_(std::move(style)) {}

Form::~Form() {
    if (Hwnd() != nullptr) {
        App::FormClosed(this);
    }
}

void Form::Load() {
    if (IsLoaded()) {
        return;
    }
    RegisterClassOnce(kFormClass, LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
    DWORD style = WindowStyle(style_);
    DWORD exStyle = WindowExStyle(style_);
    RECT r{0, 0, ToPixelsX(style_.clientWidth), ToPixelsY(style_.clientHeight)};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    controls_.clear();
    timers_.clear();
    windowlessTools_.clear();
    keptToolTips_.clear();
    ClearWindowless();
    defaultButton_ = nullptr;
    cancelButton_ = nullptr;
    modalDone_ = false;
    sessionUnloaded_ = false;
    savedFocus_ = nullptr;
    resizeRaised_ = false;
    lastClientSize_ = SIZE{-1, -1};
    CreateBase(kFormClass, exStyle, style, style_.caption.c_str(), CW_USEDEFAULT, CW_USEDEFAULT,
               r.right - r.left, r.bottom - r.top, nullptr);
    if (style_.iconId != 0) {
        // Shared resource icons belong to the system's cache: never destroyed here.
        auto big = LoadImageA(App::Instance(), MAKEINTRESOURCEA(style_.iconId), IMAGE_ICON,
                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED);
        auto small =
            LoadImageA(App::Instance(), MAKEINTRESOURCEA(style_.iconId), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
        SendMessageA(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        SendMessageA(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
    App::FormOpened(this);
    Build();
    OnLoad();
}

void Form::Show() {
    Load();
    if (!resizeRaised_) {
        RaiseResize();
    }
    ShowWindow(Hwnd(), SW_SHOW);
    UpdateWindow(Hwnd());
    FocusFirst();
}

void Form::ShowModal() {
    Load();
    // The window the user was working in gets the activation back at the end, not
    // whichever disabled window comes first (a tooltip may be showing).
    HWND active = GetActiveWindow();
    modalReturn_ = active != Hwnd() ? active : nullptr;
    std::vector<HWND>& disabled = modalDisabled_;
    disabled.clear();
    for (HWND other = GetTopWindow(nullptr); other != nullptr;
         other = GetWindow(other, GW_HWNDNEXT)) {
        if (other != Hwnd() && GetWindowThreadProcessId(other, nullptr) == GetCurrentThreadId() &&
            IsWindowVisible(other) && IsWindowEnabled(other)) {
            disabled.push_back(other);
        }
    }
    for (HWND other : disabled) {
        EnableWindow(other, FALSE);
    }
    Show();
    MSG msg;
    bool quit = false;
    int quitCode = 0;
    while (IsLoaded() && !modalDone_) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) {
            break;
        }
        if (msg.message == WM_KEYDOWN && HandleDialogKey(msg)) {
            continue;
        }
        TranslateMessage(&msg);
        App::Dispatch(msg);
    }
    GiveBackModalInput();
    if (quit) {
        PostQuitMessage(quitCode);
    }
}

void Form::Unload() {
    if (IsLoaded() && QueryClose(kCloseFromCode)) {
        Destroy();
    }
}

void Form::Destroy() noexcept {
    // The windows a modal form disabled take input again before it goes: destroying
    // the active window while they are disabled would hand the activation (and the
    // keyboard) to another program.
    GiveBackModalInput();
    DestroyWindow(Hwnd());
}

void Form::GiveBackModalInput() noexcept {
    if (modalDisabled_.empty() && modalReturn_ == nullptr) {
        return;
    }
    // As a dialog ends: enabled again, hidden, and the foreground handed on when the
    // user was working in this form.
    const bool active = IsLoaded() && GetActiveWindow() == Hwnd();
    std::vector<HWND> windows;
    windows.swap(modalDisabled_);
    HWND back = modalReturn_;
    modalReturn_ = nullptr;
    for (HWND other : windows) {
        if (IsWindow(other)) {
            EnableWindow(other, TRUE);
        }
    }
    if (IsLoaded()) {
        SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    }
    if (back != nullptr && IsWindow(back)) {
        if (active) {
            SetForegroundWindow(back);
        } else {
            SetActiveWindow(back);
        }
    }
}

void Form::SetCaption(const std::string& caption) {
    style_.caption = caption;
    // Writing the text it already shows would only redraw the title bar: pointer
    // moves rewrite the caption twice each with the same text.
    if (IsLoaded() && Caption() != caption) {
        SetWindowTextA(Hwnd(), caption.c_str());
    }
}

std::string Form::Caption() const {
    if (!IsLoaded()) {
        return style_.caption;
    }
    char buffer[512] = {};
    int length = GetWindowTextA(Hwnd(), buffer, static_cast<int>(sizeof(buffer)));
    return std::string(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::int32_t Form::ScaleWidth() const noexcept {
    RECT r{};
    if (IsLoaded()) {
        GetClientRect(Hwnd(), &r);
    }
    return ToTwipsX(r.right);
}

std::int32_t Form::ScaleHeight() const noexcept {
    RECT r{};
    if (IsLoaded()) {
        GetClientRect(Hwnd(), &r);
    }
    return ToTwipsY(r.bottom);
}

bool Form::IsMinimized() const noexcept {
    return IsLoaded() && IsIconic(Hwnd());
}

std::int32_t Form::Left() const noexcept {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    return ToTwipsX(r.left);
}
std::int32_t Form::Top() const noexcept {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    return ToTwipsY(r.top);
}
std::int32_t Form::Width() const noexcept {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    return ToTwipsX(r.right - r.left);
}
std::int32_t Form::Height() const noexcept {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    return ToTwipsY(r.bottom - r.top);
}

void Form::SetLeft(std::int32_t twips) {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    SetWindowPos(Hwnd(), nullptr, ToPixelsX(twips), r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetTop(std::int32_t twips) {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    SetWindowPos(Hwnd(), nullptr, r.left, ToPixelsY(twips), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

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

bool Form::HandleDialogKey(const MSG& msg) noexcept {
    if (msg.message != WM_KEYDOWN) {
        return false;
    }
    bool ctrlOrAlt = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    switch (msg.wParam) {
        case VK_TAB:
            if (ctrlOrAlt) {
                return false;
            }
            MoveFocus(GetKeyState(VK_SHIFT) < 0);
            return true;
        case VK_RETURN: {
            WindowedControl* focused = WindowedControl::FromHwnd(GetFocus());
            auto* button = dynamic_cast<CommandButton*>(focused);
            if (button == nullptr) {
                button = defaultButton_;
            }
            if (button == nullptr) {
                return false;
            }
            App::Raise([&] { button->Click(); });
            return true;
        }
        case VK_ESCAPE:
            if (cancelButton_ == nullptr) {
                return false;
            }
            App::Raise([&] { cancelButton_->Click(); });
            return true;
        default:
            return false;
    }
}

void Form::PopupMenu(const std::vector<MenuItem*>& items) {
    Menu menu(CreatePopupMenu());
    if (!menu) {
        throw RuntimeError(7, "Out of memory");
    }
    UINT id = 1;
    for (MenuItem* item : items) {
        if (item->caption == "-") {
            AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(menu.Get(), MF_STRING, id, item->caption.c_str());
        }
        ++id;
    }
    POINT p;
    GetCursorPos(&p);
    auto chosen = static_cast<UINT>(
        TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                       p.x, p.y, 0, Hwnd(), nullptr));
    menu.Reset();
    if (chosen >= 1 && chosen <= items.size() && items[chosen - 1]->onClick) {
        items[chosen - 1]->onClick();
    }
}

void Form::AddTimer(Timer* timer) {
    timers_.push_back(timer);
    timer->Attach(Hwnd(), timers_.size());
}

bool Form::QueryClose(int reason) noexcept {
    int cancel = 0;
    App::Raise([&] { OnQueryUnload(cancel, reason); });
    if (cancel != 0) {
        return false;
    }
    App::Raise([&] { OnUnload(cancel); });
    return cancel == 0;
}

void Form::FocusFirst() noexcept {
    WindowedControl* first = nullptr;
    for (WindowedControl* c : controls_) {
        if (c->CanFocus() && (first == nullptr || c->TabIndex() < first->TabIndex())) {
            first = c;
        }
    }
    if (first != nullptr) {
        first->SetFocus();
    }
}

void Form::SaveFocus() noexcept {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(Hwnd(), focus)) {
        savedFocus_ = focus;
    }
}

bool Form::RestoreFocus() noexcept {
    if (IsMinimized()) {
        return false;
    }
    if (savedFocus_ != nullptr && IsWindow(savedFocus_) && IsChild(Hwnd(), savedFocus_) &&
        IsWindowVisible(savedFocus_) && IsWindowEnabled(savedFocus_)) {
        ::SetFocus(savedFocus_);
    } else {
        FocusFirst();
    }
    HWND focus = GetFocus();
    return focus != nullptr && IsChild(Hwnd(), focus);
}

void Form::MoveFocus(bool backward) noexcept {
    std::vector<WindowedControl*> order;
    for (WindowedControl* c : controls_) {
        if (c->CanFocus()) {
            order.push_back(c);
        }
    }
    if (order.empty()) {
        return;
    }
    std::stable_sort(order.begin(), order.end(),
                     [](auto* a, auto* b) { return a->TabIndex() < b->TabIndex(); });
    WindowedControl* current = WindowedControl::FromHwnd(GetFocus());
    auto it = std::find(order.begin(), order.end(), current);
    std::size_t index = 0;
    if (it != order.end()) {
        auto at = static_cast<std::size_t>(it - order.begin());
        index = backward ? (at + order.size() - 1) % order.size() : (at + 1) % order.size();
    }
    order[index]->SetFocus();
}

void Form::RaiseResize() noexcept {
    RECT r{};
    GetClientRect(Hwnd(), &r);
    lastClientSize_ = SIZE{r.right, r.bottom};
    lastMinimized_ = IsMinimized();
    resizeRaised_ = true;
    App::Raise([&] { OnResize(); });
    UpdateToolTips();
}

LRESULT Form::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    if (RouteWindowlessMessage(msg, wParam, lParam, result) ||
        RouteChildMessage(msg, wParam, lParam, result)) {
        return result;
    }
    switch (msg) {
        case kAddKeptToolTips:
            App::Raise([this] { AddKeptToolTips(); });
            return 0;
        case WM_SIZE:
            if (resizeRaised_) {
                RECT r{};
                GetClientRect(Hwnd(), &r);
                if (r.right != lastClientSize_.cx || r.bottom != lastClientSize_.cy ||
                    IsMinimized() != lastMinimized_) {
                    RaiseResize();
                }
            }
            return 0;
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(Hwnd(), &r);
            Brush back(CreateSolidBrush(style_.backColor));
            FillRect(reinterpret_cast<HDC>(wParam), &r, back.Get());
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(Hwnd(), &ps);
            PaintWindowless(dc);
            EndPaint(Hwnd(), &ps);
            return 0;
        }
        case WM_TIMER:
            for (Timer* timer : timers_) {
                if (timer->id_ == wParam && timer->enabled_ && timer->onTimer) {
                    auto handler = timer->onTimer;
                    App::Raise([&] { handler(); });
                    break;
                }
            }
            return 0;
        case WM_CLOSE:
            if (QueryClose(kCloseFromControlMenu)) {
                Destroy();
            }
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                SaveFocus();
            } else if (HIWORD(wParam) == 0 && RestoreFocus()) {
                return 0;
            }
            return Default(msg, wParam, lParam);
        case WM_SETFOCUS: {
            // The focus lands on the form itself (a restore from minimised sets it
            // there): it goes on to the control that had it.
            auto previous = reinterpret_cast<HWND>(wParam);
            if (previous != nullptr && IsChild(Hwnd(), previous)) {
                savedFocus_ = previous;
            }
            RestoreFocus();
            return 0;
        }
        case WM_WINDOWPOSCHANGING:
            // Being minimised while active takes the focus away without deactivating.
            if (IsMinimized()) {
                SaveFocus();
            }
            return Default(msg, wParam, lParam);
        case WM_QUERYENDSESSION:
            sessionUnloaded_ = QueryClose(kCloseFromWindows);
            return sessionUnloaded_ ? TRUE : FALSE;
        case WM_ENDSESSION:
            if (wParam != 0) {
                Destroy();
            } else if (sessionUnloaded_) {
                sessionUnloaded_ = false;
                App::Raise([&] { OnEndSessionCancelled(); });
            }
            return 0;
        case WM_DESTROY:
            if (toolTip_ != nullptr) {
                DestroyWindow(toolTip_);
                toolTip_ = nullptr;
            }
            for (Timer* timer : timers_) {
                KillTimer(Hwnd(), timer->id_);
                timer->owner_ = nullptr;
            }
            return 0;
        default:
            return Default(msg, wParam, lParam);
    }
}

void Form::OnWindowGone() noexcept {
    toolTip_ = nullptr;
    modalDone_ = true;
    controls_.clear();
    timers_.clear();
    windowlessTools_.clear();
    keptToolTips_.clear();
    ClearWindowless();
    App::FormClosed(this);
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
