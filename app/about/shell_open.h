#pragma once
// Opening a document or an address with the shell's default action.
#include <windows.h>

#include <string>
#include <string_view>

namespace tresk {

// Hands `target` (a file, a folder, a "mailto:" or web address) to the shell's
// default verb, with "C:\" as working folder. Returns an empty text on success,
// otherwise a short English description of the shell's failure. Shows nothing.
std::string ShellOpen(HWND hWnd, std::string_view target);

}  // namespace tresk
