#pragma once
// Decisions of the mouse hook procedure. No Windows dependency: the hook procedure
// gathers the facts (which window, which hit-test code, whether the window is the
// target or its child) and carries out the plan these functions return.
//
// Kept C-like on purpose: this code is mapped into every program on the desktop,
// so it allocates nothing, throws nothing and needs no static constructors.
#include <cstdint>

#include "hook/picture_class.h"

namespace tresk {

// Message identifiers the hook procedure looks at. These numbers, and the others
// below, are the platform's own (mouse_hook_proc.cpp compares each with <windows.h>).
inline constexpr std::uint32_t kWmMove = 0x0003;
inline constexpr std::uint32_t kWmSetCursor = 0x0020;
inline constexpr std::uint32_t kWmNcHitTest = 0x0084;
inline constexpr std::uint32_t kWmNcMouseMove = 0x00A0;
inline constexpr std::uint32_t kWmNcLButtonDown = 0x00A1;
inline constexpr std::uint32_t kWmNcLButtonUp = 0x00A2;
inline constexpr std::uint32_t kWmNcRButtonDown = 0x00A4;
inline constexpr std::uint32_t kWmNcRButtonUp = 0x00A5;
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint32_t kWmSysCommand = 0x0112;
inline constexpr std::uint32_t kWmInitMenu = 0x0116;
inline constexpr std::uint32_t kWmInitMenuPopup = 0x0117;
inline constexpr std::uint32_t kWmMenuSelect = 0x011F;
inline constexpr std::uint32_t kWmMouseMove = 0x0200;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201;
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;
inline constexpr std::uint32_t kWmMoving = 0x0216;

// Hit-test codes with a cursor of their own.
inline constexpr std::uint32_t kHtCaption = 2;
inline constexpr std::uint32_t kHtSysMenu = 3;
inline constexpr std::uint32_t kHtMinButton = 8;
inline constexpr std::uint32_t kHtMaxButton = 9;
inline constexpr std::uint32_t kHtLeft = 10;
inline constexpr std::uint32_t kHtBorder = 18;
inline constexpr std::uint32_t kHtClose = 20;

// The wParam of the copies of left presses: MK_LBUTTON, which is also HTCLIENT for the
// copies of non-client presses.
inline constexpr std::uintptr_t kPressFlag = 1;

enum class HookCursor : std::uint8_t {
    Keep,  // leave the pointer shape alone
    App,   // the application cursor
    Sys,   // the system-button cursor
};

enum class HookRecipient : std::uint8_t {
    Nobody,
    Target,  // the program's main window
    Window,  // the window the message is meant for
};

enum class HookDelivery : std::uint8_t { Send, Post };

// What the hook knows about one call with a code of 0 or more, after recording it.
struct HookEvent {
    std::uint32_t message;
    std::uintptr_t window;      // the window the message is meant for
    std::uint32_t hitTest;      // compared unsigned: HTERROR (-2) is 4294967294
    std::uint32_t point;        // packed screen point, see PackPoint
    std::uint32_t lastMessage;  // last recorded message, this one included
    bool targetKnown;           // the library is initialised in this process and has a
                                // target window (false once its hook was removed)
    bool windowOnThisThread;    // the window belongs to the thread running the hook (false
                                // for no window; looked up only when targetKnown)
    bool windowIsTarget;        // window == target
    bool parentIsTarget;   // GetParent(window) == target (needed only by LeftButtonNeedsLineage)
    bool windowIsPicture;  // window's class is kPictureClassName (likewise)
};

// What the hook procedure does with one call. Steps run in this order: set the
// cursor, capture the mouse to the target, forward, release the capture.
struct HookPlan {
    bool passOn;  // hand the call to the next hook and return its result; nothing else
    HookCursor cursor;
    bool captureFirst;
    HookRecipient recipient;
    HookDelivery delivery;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::uint32_t lParam;
    bool releaseAfter;
};

// Cursor for a hit-test code: sizing borders keep the platform's cursor, the system
// menu box and the caption buttons get the system-button cursor, all else the
// application cursor.
HookCursor HitTestCursor(std::uint32_t hitTest);

// Screen point in the layout of a mouse message's lParam: low 16 bits of x in the
// low word, low 16 bits of y in the high word.
std::uint32_t PackPoint(std::int32_t x, std::int32_t y);

// The last recorded message after a call for `message`: only pointer moves, hit
// tests and left/right presses and releases are remembered.
std::uint32_t RecordedMessage(std::uint32_t message, std::uint32_t previous);

// Whether the plan for this call depends on the window's parent and class, which
// the hook procedure then has to look up: a left press or release in the program's
// process over a window of its own thread other than the target.
bool LeftButtonNeedsLineage(const HookEvent& event);

// Exact, case-sensitive comparison with the picture area's class name.
bool IsPictureClassName(const char* className);

HookPlan PlanHookMessage(const HookEvent& event);

}  // namespace tresk
