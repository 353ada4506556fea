#pragma once
// Opening the About window.
#include <windows.h>

#include <cstdint>
#include <string>

namespace tresk {

// Loads the About window and shows it with `comment` and a picture: `picture` when
// given, else the bitmap resource `pictureId` when positive, else the default one.
// Returns after the window has closed, unless it is set to be modeless.
void ShowAbout(const std::string& comment, std::int32_t pictureId, HBITMAP picture);

}  // namespace tresk
