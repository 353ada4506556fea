#ifndef TRESK_APP_RES_RESOURCE_IDS_H
#define TRESK_APP_RES_RESOURCE_IDS_H
// Identifiers of the program's resources (Treskcolor.rc). Macros, so that the
// resource compiler reads the same numbers as the C++ code.

// Program icon: 32 x 32 and 16 x 16, 16 colours.
#define IDI_TRESK 1

// Cursors, each one 32 x 32 image, stored under resource language 1040.
#define IDC_TRESK_ARROW 100    // arrow, hot spot at the tip
#define IDC_TRESK_HAND 101     // hand with raised index finger
#define IDC_TRESK_PIPETTE 104  // pick cursor, hot spot at the pipette's tip

// About picture: 32 x 32, 24-bit colour.
#define IDB_TRESK_ABOUT 364

// Application manifest (the identifier the loader looks for in a program).
#define IDR_TRESK_MANIFEST 1

// Language and sublanguage of the cursor resources: Italian (Italy), 1040.
#define TRESK_CURSOR_LANG 0x10
#define TRESK_CURSOR_SUBLANG 0x01

#endif
