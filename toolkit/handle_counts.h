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

namespace detail {
// Inline so that the header-only owners in handles.h need no library to link.
inline HandleCounts liveHandleCounts;  // user-interface thread only

inline int& CountOf(HandleKind kind) noexcept {
    switch (kind) {
        case HandleKind::Brush:
            return liveHandleCounts.brushes;
        case HandleKind::Font:
            return liveHandleCounts.fonts;
        case HandleKind::Bitmap:
            return liveHandleCounts.bitmaps;
        case HandleKind::Cursor:
            return liveHandleCounts.cursors;
        case HandleKind::Menu:
            return liveHandleCounts.menus;
        case HandleKind::MemoryDc:
            return liveHandleCounts.memoryDcs;
        case HandleKind::WindowDc:
            break;
    }
    return liveHandleCounts.windowDcs;
}
}  // namespace detail

// Bookkeeping for the owners: a handle was acquired, freed, or given away.
inline void CountAcquired(HandleKind kind) noexcept {
    ++detail::CountOf(kind);
    ++detail::liveHandleCounts.total;
}
inline void CountFreed(HandleKind kind) noexcept {
    --detail::CountOf(kind);
    --detail::liveHandleCounts.total;
}
inline void CountHandedOver(HandleKind kind) noexcept {
    CountFreed(kind);
    ++detail::liveHandleCounts.handedOver;
}

}  // namespace tk
