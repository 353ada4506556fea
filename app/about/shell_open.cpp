#include "app/about/shell_open.h"

#include <shellapi.h>

#include <cstdint>

#include "app/about/shell_failure.h"

namespace tresk {

std::string ShellOpen(HWND hWnd, std::string_view target) {
    const std::string targetText(target);
    // ShellExecuteA returns an HINSTANCE only for compatibility: it is a number,
    // greater than 32 on success.
    HINSTANCE result =
        ShellExecuteA(hWnd, nullptr, targetText.c_str(), nullptr, "C:\\", SW_SHOWNORMAL);
    return std::string(ShellFailureText(reinterpret_cast<std::intptr_t>(result)));
}

}  // namespace tresk
