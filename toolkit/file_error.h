#pragma once
// The safe save's shared pieces of Win32: an error code as the user is told it, and
// paths in the system's wide form.
#include <windows.h>

#include <string>
#include <string_view>

#include "toolkit/runtime_error.h"

namespace tk {

// The error for the system's error `code` from an operation on the target `path`.
RuntimeError FileError(DWORD code, const std::string& path);

// Raises FileError.
[[noreturn]] void FailFile(DWORD code, const std::string& path);

// `path` in UTF-16, converted as the ANSI file functions convert it.
std::wstring WidePath(std::string_view path);

// True when something answers to the name `path`.
bool Exists(const std::string& path);

}  // namespace tk
