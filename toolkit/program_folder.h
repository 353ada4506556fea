#pragma once
// The folder the running program's executable lies in.
#include <string>

namespace tk {

// The folder, without a trailing backslash, read wide and at any length a path can
// have, so that a folder named in any script, or longer in bytes than MAX_PATH, is
// reached as it is. Empty when the system cannot tell.
std::wstring ProgramFolder();

}  // namespace tk
