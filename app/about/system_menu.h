#pragma once
// The main window's system-menu command.
#include <windows.h>

#include <cstdint>
#include <string_view>

namespace tresk {

// Inserts a command item `id` captioned `caption` into the window's system menu,
// preceded by a separator when `withSeparator` is nonzero. Both are inserted before
// the item that already carries `id`, or at the end when none does. A null window
// changes nothing; failures of the menu calls are not reported.
void AddSystemMenuItem(HWND hWnd, std::uint32_t id, std::string_view caption,
                       std::int16_t withSeparator);

}  // namespace tresk
