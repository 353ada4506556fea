#pragma once
// Version of the hook library, shared by its version resource.
#define TRESKHOOK_VERSION_BINARY 1, 0, 0, 0
#define TRESKHOOK_VERSION_TEXT "1, 0, 0, 0"
#define TRESKHOOK_COMPANY "Tresk Color project"
#define TRESKHOOK_COPYRIGHT "Copyright (C) 2026 Tresk Color project"
