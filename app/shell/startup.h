#pragma once
// Bringing the program up, and the desktop clean-up that runs on any way out.

namespace tresk {

// Makes every library the process loads by bare name come from the system folder
// only, never the current folder or PATH, where the platform can
// (SetDefaultDllDirectories, resolved at run time so that systems without it still
// start); elsewhere it at least takes the current folder out of the search. Runs
// first, before anything loads a library.
void RestrictLibrarySearch() noexcept;

// Sets up the application object (title, version, fatal-error clean-up).
void InitApplication();

// The start-up sequence: title and years text, the main window shown, made
// top-most, its system menu extended, both windows subclassed, the hook started.
void StartUp();

}  // namespace tresk
