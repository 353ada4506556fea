#pragma once
// The author's texts shown by the About window, kept in one place.
#include <string>

namespace tresk {

extern const char kEmailAddress[];
extern const char kWebAddress[];
extern const char kLocationLine[];
extern const char kRightsNotice[];
extern const char kYearsText[];

// Built from arrays of character codes: the name from 16-bit codes, the address
// from 8-bit codes.
std::string AuthorName();
std::string WebAddress();

}  // namespace tresk
