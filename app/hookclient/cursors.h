#pragma once
// Loading and freeing the program's cursors, and the hand pointer of labels.
#include <windows.h>

#include <cstdint>

#include "toolkit/handles.h"

namespace tk {
class Label;
}

namespace tresk {

// A new cursor handle for resource "#<number>" at the size of the arrow in use (at
// least the system's cursor size), owned by the caller; null when there is no such
// cursor.
HCURSOR LoadCursorRes(std::int16_t number) noexcept;

// The same cursor owned by a tk::Cursor, for callers that keep it in one.
tk::Cursor LoadCursorOwned(std::int16_t number) noexcept;

// Destroys the cursor a variable holds and sets it to 0; a null variable is left alone.
void DestroyCursorRef(HCURSOR& cursor) noexcept;

// The window procedures' cursor switch: makes the cursor of resource `number` the
// current cursor, held in customCursor. The cursor customCursor holds is kept when
// this switch loaded it from the same resource; otherwise it is destroyed and the
// resource loaded in its place.
void SwitchCustomCursor(std::int16_t number) noexcept;

// Gives the label the hand cursor (loaded afresh), or its default pointer back.
void SetHandCursor(tk::Label& label);
void ResetHandCursor(tk::Label& label);

}  // namespace tresk
