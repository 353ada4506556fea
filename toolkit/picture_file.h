#pragma once
// The toolkit's picture-saving service.
#include <windows.h>

#include <string>

namespace tk {

// Writes `picture` to `path` as an uncompressed 24-bit bottom-up Windows bitmap,
// replacing any file of that name. The new file is written beside the target under
// a temporary name and moved over the target only once complete, so a failure
// leaves the old file untouched and no temporary file behind. The bitmap must not
// be selected into a device context. Throws tk::RuntimeError with a description
// ("Path not found: ...", "Permission denied: ...", "Disk full", ...) on failure.
void SavePictureFile(HBITMAP picture, const std::string& path);

}  // namespace tk
