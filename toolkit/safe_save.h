#pragma once
// Writing a whole file over an existing one so that a failure keeps the old one.
#include <cstdint>
#include <span>
#include <string>

namespace tk {

// Writes `bytes` as the whole file `path`, replacing any file of that name. The new
// file is written under a temporary name ("~" and hexadecimal digits, ".tmp") beside
// the file the target names (behind a symbolic link: beside the file it points to, so
// the link stays) and moved over it only once complete, so a failure leaves the old
// file untouched and no temporary file behind; an existing file is replaced with
// ReplaceFileA, which keeps its security, attributes and streams, and a file another
// program holds open is waited for about a second. Where that cannot work (a folder
// that admits no new file or lets files be made but not deleted, a file with several
// names, a move the system refuses) the target is written in place: the file first
// grows by real bytes, the old bytes are kept in memory and written back should the
// write fail, so a failure leaves them as they were; only if even that fails does the
// error say the file may be damaged. A read-only target, and a name that stands for a
// device rather than a file, are refused before anything is made. Throws
// tk::RuntimeError with a description ("Path not found: ...", "Permission denied:
// ...", "Disk full", ...) on failure.
void SaveFileSafely(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace tk
