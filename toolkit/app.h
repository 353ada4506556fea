#pragma once
// The application object: title, version, folder, screen units, the message loop
// and the end of the program on an untrapped run-time error.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>

#include "toolkit/runtime_error.h"

namespace tk {

class Form;

struct Version {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t revision = 0;
};

class App {
public:
    static void Init(HINSTANCE instance, std::string title, Version version);
    static HINSTANCE Instance() noexcept;
    static const std::string& Title() noexcept;
    static Version GetVersion() noexcept;
    // Folder of the executable, without a trailing backslash, in the process's code
    // page (UTF-8 under the program's manifest), however long. Empty when that code
    // page cannot spell the folder exactly (older Windows, a name outside it).
    static std::string Path();

    // Runs the message loop until every form has closed; returns the exit code.
    static int Run();
    // Handles the messages that are waiting, then returns.
    static void DoEvents();
    // Dispatches one message taken from the queue, remembering it meanwhile.
    static void Dispatch(const MSG& msg) noexcept;
    // The queued message that one of the toolkit's loops is dispatching now, or null
    // (for example while a message is sent from inside GetMessage).
    static const MSG* DispatchingMessage() noexcept;

    // Runs once before the program ends on an untrapped error, so that what the
    // program lent the desktop (such as the system arrow) is given back first.
    using CleanupFn = void (*)() noexcept;
    static void SetFatalCleanup(CleanupFn cleanup) noexcept;
    // Ends the program: clean-up, then a critical message box with the description.
    [[noreturn]] static void Fatal(const std::string& description) noexcept;

    // Calls an event handler. A run-time error that the handler does not trap ends
    // the program, as does any other exception: none leaves through a window procedure.
    template <class F>
    static void Raise(F&& handler) noexcept {
        try {
            handler();
        } catch (...) {
            Fatal(CaughtErrorText());
        }
    }

    // Form bookkeeping for the loop and the keyboard interface.
    static void FormOpened(Form* form) noexcept;
    static void FormClosed(Form* form) noexcept;
};

// Twips per pixel of the screen: 1440 / dots per inch, rounded to a whole number
// (TwipsPerPixelAt). Windows, controls and their events convert with it.
double TwipsPerPixelX() noexcept;
double TwipsPerPixelY() noexcept;
// Twips to pixels and back, rounding half to even.
std::int32_t ToPixelsX(std::int32_t twips) noexcept;
std::int32_t ToPixelsY(std::int32_t twips) noexcept;
std::int32_t ToTwipsX(std::int32_t pixels) noexcept;
std::int32_t ToTwipsY(std::int32_t pixels) noexcept;

}  // namespace tk
