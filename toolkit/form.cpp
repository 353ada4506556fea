// A form's life (load, show, close and its queries, the session's end), its place
// and size, and the messages its window gets.
#include "toolkit/form.h"

#include "toolkit/app.h"

namespace tk {
namespace {

constexpr char kFormClass[] = "TreskForm";

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

bool Form::QueryClose(int reason) noexcept {
    int cancel = 0;
    App::Raise([&] { OnQueryUnload(cancel, reason); });
    if (cancel != 0) {
        return false;
    }
    App::Raise([&] { OnUnload(cancel); });
    return cancel == 0;
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
            RaiseTimer(wParam);
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
            DestroyToolTip();
            StopTimers();
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

}  // namespace tk
