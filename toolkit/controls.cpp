#include "toolkit/controls.h"

#include <windowsx.h>

#include <vector>

#include "toolkit/app.h"
#include "toolkit/runtime_error.h"

namespace tk {
namespace {

constexpr char kControlProp[] = "TreskControl";
constexpr char kFrameClass[] = "TreskFrame";

std::string WindowText(HWND hwnd) {
    int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    int got = GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

}  // namespace

// ---- WindowedControl

WindowedControl* WindowedControl::FromHwnd(HWND hwnd) noexcept {
    return hwnd != nullptr ? static_cast<WindowedControl*>(GetPropA(hwnd, kControlProp)) : nullptr;
}

void WindowedControl::Register(Container& container, HWND hwnd) {
    AttachTo(container);
    SetPropA(hwnd, kControlProp, this);
    if (font_) {
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    } else {
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
    }
}

bool WindowedControl::CanFocus() const noexcept {
    HWND hwnd = Hwnd();
    return hwnd != nullptr && tabStop_ && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
}

void WindowedControl::SetFocus() noexcept {
    if (Hwnd() != nullptr) {
        ::SetFocus(Hwnd());
    }
}

void WindowedControl::SetFont(const FontSpec& font) {
    font_ = MakeFont(font);
    if (Hwnd() != nullptr) {
        SendMessageA(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    }
}

void WindowedControl::Apply() {
    HWND hwnd = Hwnd();
    if (hwnd == nullptr) {
        return;
    }
    // Only what changes is passed on: a layout sets every place again, and each move
    // or show costs messages and a repaint even where nothing moves.
    RECT r = PixelRect();
    RECT now{};
    GetWindowRect(hwnd, &now);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&now), 2);
    if (!EqualRect(&now, &r)) {
        MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    const bool shown = (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != visible_) {
        ShowWindow(hwnd, visible_ ? SW_SHOWNA : SW_HIDE);
    }
}

// ---- SystemControl

SystemControl::~SystemControl() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        RemovePropA(hwnd_, kControlProp);
        DestroyWindow(hwnd_);
    }
}

void SystemControl::CreateSystem(Container& container, const char* className, DWORD style,
                                 DWORD exStyle, const std::string& text) {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        RemovePropA(hwnd_, kControlProp);
        DestroyWindow(hwnd_);
    }
    RECT r = PixelRect();
    hwnd_ = CreateWindowExA(exStyle, className, text.c_str(),
                            style | WS_CHILD | (visible_ ? WS_VISIBLE : 0), r.left, r.top,
                            r.right - r.left, r.bottom - r.top, container.ContainerHwnd(), nullptr,
                            App::Instance(), nullptr);
    if (hwnd_ == nullptr) {
        throw RuntimeError(kErrInvalidPropertyValue,
                           std::string("Cannot create control of class ") + className);
    }
    Register(container, hwnd_);
    // Subclassed through the window's own procedure slot, with this object in its user
    // data (free in the system's classes): every message to the control passes here,
    // and under Wine a window property (what SetWindowSubclass keeps its chain in) is a
    // round trip to the server for each of them. Unicode, as SetWindowSubclass was.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    classProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
}

bool SystemControl::PreviewMessage(UINT, WPARAM&, LPARAM, LRESULT&) noexcept {
    return false;
}

LRESULT CALLBACK SystemControl::ControlProc(HWND hwnd, UINT msg, WPARAM wParam,
                                            LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<SystemControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    const WNDPROC classProc = self->classProc_;
    if (msg == WM_NCDESTROY) {
        // The parent destroyed the control, or this object did: forget the handle,
        // which the system may give to another window later.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        RemovePropA(hwnd, kControlProp);
        self->hwnd_ = nullptr;
    } else {
        LRESULT result = 0;
        if (self->PreviewMessage(msg, wParam, lParam, result)) {
            return result;
        }
    }
    return CallWindowProcW(classProc, hwnd, msg, wParam, lParam);
}

void SystemControl::SetCaption(const std::string& text) {
    if (hwnd_ != nullptr) {
        SetWindowTextA(hwnd_, text.c_str());
    }
}

std::string SystemControl::Caption() const {
    return hwnd_ != nullptr ? WindowText(hwnd_) : std::string();
}

// ---- CommandButton

void CommandButton::Create(Container& container, const std::string& caption) {
    CreateSystem(container, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, caption);
}

void CommandButton::Click() {
    if (onClick) {
        onClick();
    }
}

void CommandButton::OnCommand(WORD code) {
    if (code == BN_CLICKED) {
        Click();
    } else if (code == BN_SETFOCUS && onGotFocus) {
        onGotFocus();
    }
}

// ---- CheckBox

void CheckBox::Create(Container& container, const std::string& caption) {
    CreateSystem(container, "BUTTON", BS_3STATE | WS_TABSTOP, 0, caption);
    SetValue(value_);
}

void CheckBox::SetValue(int value) {
    if (value < 0 || value > 2) {
        throw RuntimeError(kErrInvalidPropertyValue, "Invalid property value");
    }
    value_ = value;
    if (hwnd_ != nullptr) {
        SendMessageA(hwnd_, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void CheckBox::OnCommand(WORD code) {
    if (code == BN_CLICKED) {
        // A click checks an unchecked box and clears a checked or grey one.
        SetValue(value_ == 0 ? 1 : 0);
        if (onClick) {
            onClick();
        }
    } else if (code == BN_SETFOCUS && onGotFocus) {
        onGotFocus();
    }
}

// ---- TextBox

void TextBox::Create(Container& container, const std::string& text) {
    CreateSystem(container, "EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, text);
}

void TextBox::SetMaxLength(std::int32_t length) noexcept {
    if (hwnd_ != nullptr) {
        SendMessageA(hwnd_, EM_LIMITTEXT, static_cast<WPARAM>(length), 0);
    }
}

void TextBox::SetSelStart(std::int32_t start) noexcept {
    if (hwnd_ != nullptr) {
        SendMessageA(hwnd_, EM_SETSEL, static_cast<WPARAM>(start), start);
    }
}

void TextBox::SetSelLength(std::int32_t length) noexcept {
    if (hwnd_ != nullptr) {
        std::int32_t start = SelStart();
        SendMessageA(hwnd_, EM_SETSEL, static_cast<WPARAM>(start), start + length);
    }
}

std::int32_t TextBox::SelStart() const noexcept {
    DWORD start = 0;
    if (hwnd_ != nullptr) {
        SendMessageA(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    }
    return static_cast<std::int32_t>(start);
}

std::int32_t TextBox::SelLength() const noexcept {
    DWORD start = 0;
    DWORD end = 0;
    if (hwnd_ != nullptr) {
        SendMessageA(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
    }
    return static_cast<std::int32_t>(end - start);
}

void TextBox::SetBackColor(COLORREF color) {
    backColor_ = color;
    backBrush_.Reset();
    if (hwnd_ != nullptr) {
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
}

void TextBox::OnCommand(WORD code) {
    if (code == EN_SETFOCUS && onGotFocus) {
        onGotFocus();
    }
}

HBRUSH TextBox::OnCtlColor(HDC dc) {
    if (!backBrush_) {
        backBrush_.Reset(CreateSolidBrush(backColor_));
    }
    SetBkColor(dc, backColor_);
    return backBrush_.Get();
}

bool TextBox::PreviewMessage(UINT msg, WPARAM& wParam, LPARAM, LRESULT& result) noexcept {
    if (msg == WM_CHAR && onKeyPress) {
        int key = static_cast<int>(wParam);
        App::Raise([&] { onKeyPress(key); });
        if (key == 0) {
            result = 0;
            return true;
        }
        wParam = static_cast<WPARAM>(key);
    }
    return false;
}

// ---- PictureBox

void PictureBox::Create(Container& container) {
    RegisterClassOnce(kPictureBoxClass, LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
    RECT r = PixelRect();
    if (BaseWindow::Hwnd() != nullptr) {
        DestroyWindow(BaseWindow::Hwnd());
    }
    CreateBase(kPictureBoxClass, 0, WS_CHILD | WS_CLIPCHILDREN | (visible_ ? WS_VISIBLE : 0), "",
               r.left, r.top, r.right - r.left, r.bottom - r.top, container.ContainerHwnd());
    Register(container, BaseWindow::Hwnd());
    SetTabStop(false);
    if (autoRedraw_) {
        ResizeImage();
    }
}

void PictureBox::SetBackColor(COLORREF color) {
    backColor_ = color;
    if (BaseWindow::Hwnd() != nullptr) {
        InvalidateRect(BaseWindow::Hwnd(), nullptr, TRUE);
    }
}

std::int32_t PictureBox::ScaleWidth() const noexcept {
    RECT r{};
    if (BaseWindow::Hwnd() != nullptr) {
        GetClientRect(BaseWindow::Hwnd(), &r);
    }
    return ToTwipsX(r.right);
}

std::int32_t PictureBox::ScaleHeight() const noexcept {
    RECT r{};
    if (BaseWindow::Hwnd() != nullptr) {
        GetClientRect(BaseWindow::Hwnd(), &r);
    }
    return ToTwipsY(r.bottom);
}

void PictureBox::SetAutoRedraw(bool on) {
    autoRedraw_ = on;
    if (on) {
        ResizeImage();
    } else {
        if (imageDc_ && imageDcDefault_ != nullptr) {
            SelectObject(imageDc_.Get(), imageDcDefault_);
        }
        imageDc_.Reset();
        image_.Reset();
    }
}

void PictureBox::ResizeImage() {
    RECT r{};
    if (BaseWindow::Hwnd() != nullptr) {
        GetClientRect(BaseWindow::Hwnd(), &r);
    }
    int width = r.right > 0 ? r.right : 1;
    int height = r.bottom > 0 ? r.bottom : 1;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap image(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!image) {
        throw RuntimeError(7, "Out of memory");
    }
    MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) {
        throw RuntimeError(7, "Out of memory");
    }
    HGDIOBJ defaultBitmap = SelectObject(dc.Get(), image.Get());
    {
        Brush back(CreateSolidBrush(backColor_));
        RECT all{0, 0, width, height};
        FillRect(dc.Get(), &all, back.Get());
    }
    if (imageDc_) {
        BitBlt(dc.Get(), 0, 0, width, height, imageDc_.Get(), 0, 0, SRCCOPY);
        SelectObject(imageDc_.Get(), imageDcDefault_);
    }
    imageDc_ = std::move(dc);
    image_ = std::move(image);
    imageDcDefault_ = defaultBitmap;
}

void PictureBox::SetPicture(Bitmap picture) {
    picture_ = std::move(picture);
    if (BaseWindow::Hwnd() != nullptr) {
        InvalidateRect(BaseWindow::Hwnd(), nullptr, TRUE);
    }
}

Bitmap PictureBox::CopyImage() const {
    if (!image_) {
        return Bitmap();
    }
    return Bitmap(
        static_cast<HBITMAP>(::CopyImage(image_.Get(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

void PictureBox::Cls() {
    if (imageDc_) {
        RECT r{};
        GetClientRect(BaseWindow::Hwnd(), &r);
        Brush back(CreateSolidBrush(backColor_));
        FillRect(imageDc_.Get(), &r, back.Get());
    }
    if (BaseWindow::Hwnd() != nullptr) {
        RedrawWindow(BaseWindow::Hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    }
}

void PictureBox::Apply() {
    WindowedControl::Apply();
    if (autoRedraw_) {
        ResizeImage();
    }
}

LRESULT PictureBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(BaseWindow::Hwnd(), &r);
            Brush back(CreateSolidBrush(backColor_));
            FillRect(reinterpret_cast<HDC>(wParam), &r, back.Get());
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(BaseWindow::Hwnd(), &ps);
            if (picture_) {
                MemoryDc source(CreateCompatibleDC(dc));
                BITMAP bm{};
                GetObjectA(picture_.Get(), sizeof(bm), &bm);
                SelectedObject keep(source.Get(), picture_.Get());
                BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, source.Get(), 0, 0, SRCCOPY);
            }
            if (imageDc_) {
                RECT r;
                GetClientRect(BaseWindow::Hwnd(), &r);
                BitBlt(dc, 0, 0, r.right, r.bottom, imageDc_.Get(), 0, 0, SRCCOPY);
            }
            PaintWindowless(dc);
            EndPaint(BaseWindow::Hwnd(), &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            MouseEventArgs args;
            args.button = MouseButtonOf(msg);
            args.shift = ShiftState();
            args.x = ToTwipsX(GET_X_LPARAM(lParam));
            args.y = ToTwipsY(GET_Y_LPARAM(lParam));
            bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
            auto handler = down ? onMouseDown : onMouseUp;
            if (handler) {
                App::Raise([&] { handler(args); });
            }
            return 0;
        }
        default: {
            LRESULT result = 0;
            if (RouteChildMessage(msg, wParam, lParam, result)) {
                return result;
            }
            return Default(msg, wParam, lParam);
        }
    }
}

// ---- Frame

void Frame::Create(Container& container) {
    RegisterClassOnce(kFrameClass, LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
    RECT r = PixelRect();
    if (BaseWindow::Hwnd() != nullptr) {
        DestroyWindow(BaseWindow::Hwnd());
    }
    ClearWindowless();
    CreateBase(kFrameClass, WS_EX_CONTROLPARENT,
               WS_CHILD | WS_CLIPSIBLINGS | (visible_ ? WS_VISIBLE : 0), "", r.left, r.top,
               r.right - r.left, r.bottom - r.top, container.ContainerHwnd());
    Register(container, BaseWindow::Hwnd());
    SetTabStop(false);
}

void Frame::SetBackColor(COLORREF color) {
    backColor_ = color;
    if (BaseWindow::Hwnd() != nullptr) {
        InvalidateRect(BaseWindow::Hwnd(), nullptr, TRUE);
    }
}

LRESULT Frame::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    if (RouteWindowlessMessage(msg, wParam, lParam, result) ||
        RouteChildMessage(msg, wParam, lParam, result)) {
        return result;
    }
    switch (msg) {
        case WM_MOUSEMOVE:
            if (onMouseMove) {
                MouseEventArgs args;
                args.shift = ((wParam & MK_SHIFT) != 0 ? 1 : 0) |
                             ((wParam & MK_CONTROL) != 0 ? 2 : 0) |
                             (GetKeyState(VK_MENU) < 0 ? 4 : 0);
                args.x = ToTwipsX(GET_X_LPARAM(lParam));
                args.y = ToTwipsY(GET_Y_LPARAM(lParam));
                auto handler = onMouseMove;
                App::Raise([&] { handler(args); });
            }
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(BaseWindow::Hwnd(), &ps);
            RECT r;
            GetClientRect(BaseWindow::Hwnd(), &r);
            Brush back(CreateSolidBrush(backColor_));
            FillRect(dc, &r, back.Get());
            DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
            PaintWindowless(dc);
            EndPaint(BaseWindow::Hwnd(), &ps);
            return 0;
        }
        default:
            return Default(msg, wParam, lParam);
    }
}

}  // namespace tk
