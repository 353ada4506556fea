#include "app/about/shell_open.h"

#include <shellapi.h>

#include <cstdint>

#include "app/about/shell_failure.h"
#include "toolkit/system_library.h"

namespace tresk {
namespace {

constinit tk::SystemLibrary shell("shell32.dll");

}  // namespace

std::string ShellOpen(HWND hWnd, std::string_view target) {
    const std::string targetText(target);
    // ShellExecuteA returns an HINSTANCE only for compatibility: it is a number,
    // greater than 32 on success.
    const auto shellExecute = shell.Find<decltype(&ShellExecuteA)>("ShellExecuteA");
    HINSTANCE result = shellExecute != nullptr ? shellExecute(hWnd, nullptr, targetText.c_str(),
                                                              nullptr, "C:\\", SW_SHOWNORMAL)
                                               : reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND);
    return std::string(ShellFailureText(reinterpret_cast<std::intptr_t>(result)));
}

}  // namespace tresk
