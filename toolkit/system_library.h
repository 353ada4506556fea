#pragma once
// A system library that only some commands need, loaded at the first call into it
// rather than when the program starts: the colour and save dialogs' library and the
// shell bring four more libraries with them, which start-up then does not wait for.
#include <windows.h>

namespace tk {

// Used from the program's one window thread; a constinit object needs no constructor at
// start-up.
class SystemLibrary {
public:
    // `fileName` names a library of the system folder ("comdlg32.dll"); it is loaded
    // from there only, never from the program's folder or the current one.
    explicit constexpr SystemLibrary(const char* fileName) noexcept : fileName_(fileName) {}
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The entry point `name` as a function pointer of type `Fn`, or null when the
    // library cannot be loaded or lacks it.
    template <class Fn>
    Fn Find(const char* name) noexcept {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(Address(name)));
    }

private:
    FARPROC Address(const char* name) noexcept;

    const char* fileName_;
    // Kept until the process ends: a dialog or the shell may leave threads and hooks
    // of its own running in the library after the call returns.
    HMODULE module_ = nullptr;
};

}  // namespace tk
