#pragma once
// The window class of the program's picture area. The hook library sends left presses
// and releases over a child window of this class straight to it, so the program's
// toolkit registers its picture boxes under this name and the hook compares class
// names with it; other programs see it too. Part of the library's protocol with the
// program, kept here because the library, mapped into every program on the desktop,
// depends on nothing of the program's. No Windows dependency.

namespace tresk {

inline constexpr char kPictureClassName[] = "ThunderRT6PictureBoxDC";

}  // namespace tresk
