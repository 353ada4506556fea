#pragma once
// The mouse hook procedure (installed by InstallFilter) and its class-name helper.
#include <windows.h>

namespace tresk {

inline constexpr int kClassNameBufferChars = 150;

struct ClassNameBuffer {
    char text[kClassNameBufferChars];
};

// Class name of a window, at most 149 characters; empty when it cannot be read.
const char* WindowClassName(HWND window, ClassNameBuffer& buffer) noexcept;

}  // namespace tresk
