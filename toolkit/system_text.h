#pragma once
// The system's own words for an error code.
#include <windows.h>

#include <string>

namespace tk {

// The system's text for the error `code` without its trailing line break and spaces,
// with each "%1" in it replaced by `insert` when one is given (the name of what
// failed: "%1 is not a valid Win32 application."); empty when the system has no text
// for the code.
std::string SystemErrorText(DWORD code, const char* insert = nullptr);

}  // namespace tk
