#pragma once
// The program's own count of the handles it holds. The platform's GetGuiResources
// reports nothing under Wine, so the RAII owners and the raw cursor routines keep
// these counters as they acquire and free handles. Plain integers: every handle is
// made and freed on the user-interface thread.

namespace tk {

enum class HandleKind { Brush, Font, Bitmap, Cursor, Menu, MemoryDc, WindowDc };

// Live handles per kind at one moment, and how many handles were handed to a new
// owner outside the program (the hook library) and so left the count for good.
struct HandleCounts {
    int brushes = 0;
    int fonts = 0;
    int bitmaps = 0;
    int cursors = 0;
    int menus = 0;
    int memoryDcs = 0;
    int windowDcs = 0;  // borrowed with GetDC or GetWindowDC, not yet released
    int total = 0;      // all live handles above
    int handedOver = 0;

    bool operator==(const HandleCounts&) const = default;
};

// A snapshot of the counters.
HandleCounts CurrentHandleCounts() noexcept;

// Bookkeeping for the owners: a handle was acquired, freed, or given away.
void CountAcquired(HandleKind kind) noexcept;
void CountFreed(HandleKind kind) noexcept;
void CountHandedOver(HandleKind kind) noexcept;

}  // namespace tk
