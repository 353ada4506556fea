#pragma once
// Starting and stopping the desktop-wide mouse hook together with the arrow swap.

namespace tresk {

// Binds the library to the main window, hands it the pick and arrow cursors, makes
// the pick cursor the desktop arrow and installs the hook. Does nothing while the
// hook runs, once the program is closing, while the main window is minimised, while
// the colour or save dialog or the About box is open, or from inside its own run. A
// failure shows a critical message box; the program runs on.
void StartMouseHook() noexcept;

// Gives the desktop its arrow back and removes the hook. Does nothing while the hook
// is stopped.
void StopMouseHook() noexcept;

}  // namespace tresk
