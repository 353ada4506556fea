#pragma once
// Texts for the shell's failure results. No Windows dependency.
#include <cstdint>
#include <string_view>

namespace tresk {

// Empty for a result above 32 (success); otherwise the English failure text.
std::string_view ShellFailureText(std::intptr_t shellResult);

}  // namespace tresk
