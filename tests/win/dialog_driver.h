#pragma once
// Helpers for tests that drive real modal system dialogs: an owner window, and a
// second thread that finds the dialog and works it while the test thread sits in
// the dialog's modal loop.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "test_support/window_utils.h"

namespace tresk::test {

// A plain visible top-level window to own the dialogs.
class OwnerWindow : public TopWindow {
public:
    OwnerWindow() : TopWindow("TreskTestOwner", "Owner", 40, 40, 320, 200) {}
};

struct DialogSearch {
    HWND owner;
    HWND found;
};

inline BOOL CALLBACK MatchOwnedDialog(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    if (GetWindow(hwnd, GW_OWNER) == search->owner && IsWindowVisible(hwnd) &&
        ClassOf(hwnd) == "#32770") {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog box ("#32770") of the owner's thread owned by `owner`, or null.
inline HWND FindOwnedDialog(HWND owner) {
    DialogSearch search{owner, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), MatchOwnedDialog,
                      reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A round trip through the message loop of `window`'s thread (from another thread):
// true once that thread has handled what was sent to it before, within `timeoutMs`.
inline bool RoundTrip(HWND window, DWORD timeoutMs = 10000) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

// Waits up to `timeoutMs` for FindOwnedDialog to find one, and for the dialog's modal
// loop to run (its initialisation is over).
inline HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (HWND dialog = FindOwnedDialog(owner)) {
            RoundTrip(dialog);
            return dialog;
        }
        Sleep(20);
    }
    return nullptr;
}

// Waits up to `timeoutMs` for a window to be destroyed.
inline bool WaitForGone(HWND hwnd, DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (!IsWindow(hwnd)) {
            return true;
        }
        Sleep(20);
    }
    return false;
}

// Presses a dialog button by posting its command, so a modal window that the press
// opens never blocks the driving thread.
inline void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Runs `script` on a second thread while `modal` runs on this one, and returns
// what `modal` returned. Should the script leave a dialog of `owner` open, it is
// cancelled, so a failing script never leaves the test hanging in a modal loop.
template <class Modal>
auto WhileDriving(HWND owner, std::function<void()> script, Modal modal) {
    std::thread driver([owner, &script] {
        script();
        for (int i = 0; i < 50; ++i) {
            HWND left = FindOwnedDialog(owner);
            if (left == nullptr) {
                break;
            }
            PostMessageA(left, WM_COMMAND, IDCANCEL, 0);
            Sleep(100);
        }
    });
    auto result = modal();
    driver.join();
    return result;
}

}  // namespace tresk::test
