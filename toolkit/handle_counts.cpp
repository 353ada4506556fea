#include "toolkit/handle_counts.h"

namespace tk {
namespace {

HandleCounts counts;  // user-interface thread only

int& Slot(HandleKind kind) noexcept {
    switch (kind) {
        case HandleKind::Brush:
            return counts.brushes;
        case HandleKind::Font:
            return counts.fonts;
        case HandleKind::Bitmap:
            return counts.bitmaps;
        case HandleKind::Cursor:
            return counts.cursors;
        case HandleKind::Menu:
            return counts.menus;
        case HandleKind::MemoryDc:
            return counts.memoryDcs;
        case HandleKind::WindowDc:
            return counts.windowDcs;
    }
    static int unknown = 0;  // unreachable: every kind is listed above
    return unknown;
}

}  // namespace

HandleCounts CurrentHandleCounts() noexcept {
    return counts;
}

void CountAcquired(HandleKind kind) noexcept {
    ++Slot(kind);
    ++counts.total;
}

void CountFreed(HandleKind kind) noexcept {
    --Slot(kind);
    --counts.total;
}

void CountHandedOver(HandleKind kind) noexcept {
    CountFreed(kind);
    ++counts.handedOver;
}

}  // namespace tk
