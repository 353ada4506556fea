#pragma once
// The program's 16-bit Booleans. No Windows dependency.
#include <cstdint>

namespace tresk {

// True is -1 (every bit set), false 0: the bitwise complement of one is the other,
// so a flag can be negated bit by bit and stays a Boolean. Flags that cross a
// routine's interface (`HookActive`, the About window's `Loaded` and `Modeless`, the
// painter's `Active`, the system-menu item's separator flag) carry these values, and
// what reads them back (tests, a caller holding a flag) compares with -1; a reader
// tests "not 0", so any other nonzero value also counts as true.
inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

}  // namespace tresk
