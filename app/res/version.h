#ifndef TRESK_APP_RES_VERSION_H
#define TRESK_APP_RES_VERSION_H
// The program's version numbers and version texts: read by the version resource
// (Treskcolor.rc) and by the About window. Macros, because the resource compiler
// understands nothing else.

#define TRESK_VERSION_MAJOR 3
#define TRESK_VERSION_MINOR 0
#define TRESK_VERSION_BUILD 0
#define TRESK_VERSION_REVISION 4

// The version as text: major, then minor with two digits, then the revision with
// four digits.
#define TRESK_VERSION_TEXT "3.00.0004"

#define TRESK_FILE_DESCRIPTION "Tresk Color"
#define TRESK_PRODUCT_NAME "TRESKCOL"
#define TRESK_INTERNAL_NAME "Treskcolor"
#define TRESK_ORIGINAL_FILENAME "Treskcolor.exe"
#define TRESK_COMPANY_NAME "Tresk Color project"
#define TRESK_LEGAL_COPYRIGHT "Copyright (C) 2026 Tresk Color project"

#ifndef RC_INVOKED
#include <cstdint>

namespace tresk {

// The numbers the About window shows (3, 0 and 4 read "3.0.4").
inline constexpr std::int32_t kVersionMajor = TRESK_VERSION_MAJOR;
inline constexpr std::int32_t kVersionMinor = TRESK_VERSION_MINOR;
inline constexpr std::int32_t kVersionRevision = TRESK_VERSION_REVISION;

}  // namespace tresk
#endif

#endif
