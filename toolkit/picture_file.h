#pragma once
// The toolkit's picture-saving service.
#include <windows.h>

#include <string>

namespace tk {

// Writes `picture` to `path` as an uncompressed 24-bit bottom-up Windows bitmap,
// replacing any file of that name. The new file is written under a short temporary
// name beside the file the target names (behind a symbolic link: beside the file it
// points to, so the link stays) and moved over it only once complete, so a failure
// leaves the old file untouched and no temporary file behind; an existing file is
// replaced with ReplaceFileA, which keeps its security, attributes and streams, and a
// file another program holds open is waited for about a second. Where that cannot work
// (a folder that admits no new file, a file with several names, a move the system
// refuses) the target is written in place: the file first grows by real bytes, the
// old bytes are kept in memory and written back should the write fail, so a failure
// leaves them as they were; only if even that fails does the error say the file may
// be damaged. A read-only target is refused. The bitmap must not be selected into a
// device context. Throws tk::RuntimeError with a description ("Path not found: ...",
// "Permission denied: ...", "Disk full", ...) on failure.
void SavePictureFile(HBITMAP picture, const std::string& path);

}  // namespace tk
