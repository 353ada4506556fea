#pragma once
// For the tests that run the real program in their own process: the main window, a
// pump through the program's own message handling, and a test environment that starts
// the program once before all tests and stops the desktop-wide hook after them.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "app/hookclient/mouse_hook.h"
#include "app/shell/startup.h"
#include "app/shell/tresk_form.h"
#include "toolkit/app.h"

namespace tresk::test {

inline TreskForm& Form() {
    return TreskForm::Instance();
}

// Handles what is waiting, `rounds` times, pausing `pauseMs` after each round.
inline void DoEventsRounds(int rounds, DWORD pauseMs) {
    for (int i = 0; i < rounds; ++i) {
        tk::App::DoEvents();
        if (pauseMs != 0) {
            Sleep(pauseMs);
        }
    }
}

// Moves the main window to the screen's top-left corner and sizes it so that its
// picture area is `width` x `height` pixels, and lets the layout run.
inline void SizePictureArea(int width, int height) {
    TreskForm& form = Form();
    RECT client{};
    RECT window{};
    RECT picture{};
    GetClientRect(form.Hwnd(), &client);
    GetWindowRect(form.Hwnd(), &window);
    GetWindowRect(form.picTresk.Hwnd(), &picture);
    const int column = client.right - (picture.right - picture.left);
    SetWindowPos(
        form.Hwnd(), nullptr, 0, 0, width + column + (window.right - window.left) - client.right,
        height + (window.bottom - window.top) - client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    DoEventsRounds(2, 20);
}

// Starts the program once for all tests (the main window is a process-wide object),
// runs `afterStartUp`, then handles the start-up's messages.
class ProgramEnvironment : public ::testing::Environment {
public:
    ProgramEnvironment(int rounds, DWORD pauseMs, std::function<void()> afterStartUp = nullptr)
        : rounds_(rounds), pauseMs_(pauseMs), afterStartUp_(std::move(afterStartUp)) {}
    void SetUp() override {
        InitApplication();
        StartUp();
        if (afterStartUp_) {
            afterStartUp_();
        }
        DoEventsRounds(rounds_, pauseMs_);
    }
    void TearDown() override { StopMouseHook(); }

private:
    int rounds_;
    DWORD pauseMs_;
    std::function<void()> afterStartUp_;
};

}  // namespace tresk::test
