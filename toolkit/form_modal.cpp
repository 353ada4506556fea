// Showing a form modal: the program's other windows are disabled while it runs its own
// message loop, and given back their input when it goes.
#include "toolkit/form.h"

#include "toolkit/app.h"

namespace tk {

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

}  // namespace tk
