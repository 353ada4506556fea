#include "hook/hook_rules.h"

namespace tresk {

namespace {

HookPlan NothingToDo() {
    HookPlan plan{};
    plan.passOn = false;
    plan.cursor = HookCursor::Keep;
    plan.captureFirst = false;
    plan.recipient = HookRecipient::Nobody;
    plan.delivery = HookDelivery::Send;
    plan.message = 0;
    plan.wParam = 0;
    plan.lParam = 0;
    plan.releaseAfter = false;
    return plan;
}

HookPlan Forward(HookRecipient recipient, HookDelivery delivery, std::uint32_t message,
                 std::uintptr_t wParam, std::uint32_t lParam) {
    HookPlan plan = NothingToDo();
    plan.recipient = recipient;
    plan.delivery = delivery;
    plan.message = message;
    plan.wParam = wParam;
    plan.lParam = lParam;
    return plan;
}

// Over the target the hit-test code decides; over any other window the pointer is
// the application cursor.
HookCursor PointerCursor(const HookEvent& event) {
    return event.windowIsTarget ? HitTestCursor(event.hitTest) : HookCursor::App;
}

// Copies of a non-client left press or release: sent when the target itself is
// under the pointer, else posted with the mouse captured to the target around them.
HookPlan NonClientLeft(const HookEvent& event, bool press) {
    if (event.windowIsTarget) {
        return Forward(HookRecipient::Target, HookDelivery::Send, event.message, kPressFlag,
                       event.point);
    }
    HookPlan plan =
        Forward(HookRecipient::Target, HookDelivery::Post, event.message, kPressFlag, event.point);
    plan.captureFirst = press;
    plan.releaseAfter = !press;
    return plan;
}

// Client left press or release: the target gets a sent copy; a direct child gets
// one only when it is the picture area (buttons and the like keep working on their
// own); any other window (a grandchild, a pop-up) makes the target take the mouse.
HookPlan ClientLeft(const HookEvent& event, bool press) {
    if (event.windowIsTarget) {
        return Forward(HookRecipient::Target, HookDelivery::Send, event.message, kPressFlag,
                       event.point);
    }
    if (event.parentIsTarget) {
        if (event.windowIsPicture) {
            return Forward(HookRecipient::Window, HookDelivery::Send, event.message, kPressFlag,
                           event.point);
        }
        return NothingToDo();
    }
    return NonClientLeft(event, press);
}

}  // namespace

HookCursor HitTestCursor(std::uint32_t hitTest) {
    if (hitTest == kHtCaption) {
        return HookCursor::App;
    }
    if (hitTest >= kHtLeft && hitTest <= kHtBorder) {
        return HookCursor::Keep;
    }
    if (hitTest == kHtSysMenu || hitTest == kHtMinButton || hitTest == kHtMaxButton ||
        hitTest == kHtClose) {
        return HookCursor::Sys;
    }
    return HookCursor::App;
}

std::uint32_t PackPoint(std::int32_t x, std::int32_t y) {
    const std::uint32_t low = static_cast<std::uint32_t>(x) & 0xFFFFu;
    const std::uint32_t high = static_cast<std::uint32_t>(y) & 0xFFFFu;
    return (high << 16) | low;
}

std::uint32_t RecordedMessage(std::uint32_t message, std::uint32_t previous) {
    switch (message) {
        case kWmNcHitTest:
        case kWmNcMouseMove:
        case kWmNcLButtonDown:
        case kWmNcLButtonUp:
        case kWmNcRButtonDown:
        case kWmNcRButtonUp:
        case kWmMouseMove:
        case kWmLButtonDown:
        case kWmLButtonUp:
            return message;
        default:
            return previous;
    }
}

bool LeftButtonNeedsLineage(const HookEvent& event) {
    return event.targetKnown && event.windowOnThisThread && !event.windowIsTarget &&
           (event.message == kWmLButtonDown || event.message == kWmLButtonUp);
}

bool IsPictureClassName(const char* className) {
    if (className == nullptr) {
        return false;
    }
    const char* expected = kPictureClassName;
    while (*expected != '\0' && *className == *expected) {
        ++className;
        ++expected;
    }
    return *expected == '\0' && *className == '\0';
}

HookPlan PlanHookMessage(const HookEvent& event) {
    HookPlan plan = NothingToDo();
    // A process that never initialised the library (every other program on the
    // desktop) only records the event: it has no target to forward to, and taking or
    // releasing the capture there would break that program's own buttons.
    if (!event.targetKnown) {
        plan.passOn = true;
        return plan;
    }
    // The same for a window of another thread. A desktop-wide hook from a 32-bit
    // library cannot be loaded into 64-bit programs, so the system calls it on the
    // thread that installed it, the program's own, with their messages: a press there
    // is no press on this program, and a move there no reason to set its cursor. A
    // message without a window belongs to no thread and is passed on as well.
    if (!event.windowOnThisThread) {
        plan.passOn = true;
        return plan;
    }
    switch (event.message) {
        case kWmSetCursor: {
            const std::uint32_t lParam =
                ((event.lastMessage & 0xFFFFu) << 16) | (event.hitTest & 0xFFFFu);
            plan = Forward(HookRecipient::Target, HookDelivery::Send, kWmSetCursor, event.window,
                           lParam);
            plan.cursor = PointerCursor(event);
            return plan;
        }
        case kWmNcHitTest:
            if (event.windowIsTarget) {
                plan = Forward(HookRecipient::Target, HookDelivery::Send, kWmNcHitTest, 0,
                               event.point);
            }
            return plan;
        case kWmNcMouseMove:
            if (event.windowIsTarget) {
                plan = Forward(HookRecipient::Target, HookDelivery::Send, kWmNcMouseMove,
                               event.hitTest, event.point);
            }
            plan.cursor = HitTestCursor(event.hitTest);
            return plan;
        case kWmNcLButtonDown:
            return NonClientLeft(event, true);
        case kWmNcLButtonUp:
            return NonClientLeft(event, false);
        case kWmNcRButtonDown:
        case kWmNcRButtonUp:
            // Only the system-button cursor, and no copy: the platform delivers the
            // press as the user made it. The default procedure takes a right press on
            // a caption or a window icon as the start of a right-drag that holds the
            // mouse until a right release; a copy of it that reaches the window later
            // (inside the system menu's own loop, say) holds the mouse again, and the
            // menu and the whole desktop's pointer input with it.
            plan.cursor = HookCursor::Sys;
            return plan;
        case kWmMouseMove:
            if (event.windowIsTarget) {
                plan = Forward(HookRecipient::Target, HookDelivery::Send, kWmMouseMove, 0,
                               event.point);
            }
            plan.cursor = PointerCursor(event);
            return plan;
        case kWmLButtonDown:
            return ClientLeft(event, true);
        case kWmLButtonUp:
            return ClientLeft(event, false);
        case kWmMove:
        case kWmCommand:
        case kWmSysCommand:
        case kWmInitMenu:
        case kWmInitMenuPopup:
        case kWmMenuSelect:
        case kWmMoving:
            return plan;
        default:
            plan.passOn = true;
            return plan;
    }
}

}  // namespace tresk
