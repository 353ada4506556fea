#pragma once
// Saving what the picture area shows as a Windows bitmap file.
#include <string>

namespace tresk {

// Copies the picture area's client pixels from the screen into the hidden picture
// box and writes them to `Path`. A failure shows a critical "Save Bitmap" message
// with its description; an existing file is replaced only by a complete new one.
void SaveBitmap(const std::string& Path) noexcept;

}  // namespace tresk
