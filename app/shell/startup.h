#pragma once
// Bringing the program up, and the desktop clean-up that runs on any way out.

namespace tresk {

// Sets up the application object (title, version, fatal-error clean-up).
void InitApplication();

// The start-up sequence: title and years text, the main window shown, made
// top-most, its system menu extended, both windows subclassed, the hook started.
void StartUp();

}  // namespace tresk
