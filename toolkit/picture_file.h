#pragma once
// The toolkit's picture-saving service.
#include <windows.h>

#include <string>

namespace tk {

// Writes `picture` to `path` as an uncompressed 24-bit bottom-up Windows bitmap,
// replacing any file of that name so that a failure keeps the old one
// (SaveFileSafely, toolkit/safe_save.h). The bitmap must not be selected into a
// device context. Throws tk::RuntimeError with a description ("Invalid picture",
// "Path not found: ...", "Permission denied: ...", "Disk full", ...) on failure.
void SavePictureFile(HBITMAP picture, const std::string& path);

}  // namespace tk
