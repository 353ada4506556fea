#include "hook/hook_rules.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tresk {
namespace {

constexpr std::uintptr_t kWindow = 0x1234;
constexpr std::uint32_t kPoint = 0x000AFFFB;  // (-5, 10)

// A call in the program's process over the window kWindow, a window of its own thread.
HookEvent Event(std::uint32_t message, bool overTarget, std::uint32_t hitTest = 1) {
    HookEvent event{};
    event.message = message;
    event.window = kWindow;
    event.hitTest = hitTest;
    event.point = kPoint;
    event.lastMessage = RecordedMessage(message, kWmMouseMove);
    event.targetKnown = true;
    event.windowOnThisThread = true;
    event.windowIsTarget = overTarget;
    return event;
}

// A left press or release over a window other than the target.
HookEvent Lineage(std::uint32_t message, bool parentIsTarget, bool picture) {
    HookEvent event = Event(message, false);
    event.parentIsTarget = parentIsTarget;
    event.windowIsPicture = picture;
    return event;
}

void ExpectForward(const HookPlan& plan, HookRecipient recipient, HookDelivery delivery,
                   std::uint32_t message, std::uintptr_t wParam, std::uint32_t lParam) {
    EXPECT_FALSE(plan.passOn);
    EXPECT_EQ(plan.recipient, recipient);
    EXPECT_EQ(plan.delivery, delivery);
    EXPECT_EQ(plan.message, message);
    EXPECT_EQ(plan.wParam, wParam);
    EXPECT_EQ(plan.lParam, lParam);
}

void ExpectQuiet(const HookPlan& plan) {
    EXPECT_FALSE(plan.passOn);
    EXPECT_EQ(plan.recipient, HookRecipient::Nobody);
    EXPECT_FALSE(plan.captureFirst);
    EXPECT_FALSE(plan.releaseAfter);
}

TEST(HookRulesTest, PackPointKeepsLowWordsOfScreenCoordinates) {
    EXPECT_EQ(PackPoint(-5, 10), 0x000AFFFBu);
    EXPECT_EQ(PackPoint(10, -5), 0xFFFB000Au);
    EXPECT_EQ(PackPoint(0, 0), 0u);
    EXPECT_EQ(PackPoint(-32768, 32767), 0x7FFF8000u);
    // Coordinates beyond 16 bits keep only their low word.
    EXPECT_EQ(PackPoint(0x12345, 0x6789A), 0x789A2345u);
}

TEST(HookRulesTest, HitTestCursorRule) {
    EXPECT_EQ(HitTestCursor(2), HookCursor::App);  // caption
    for (std::uint32_t sizing = 10; sizing <= 18; ++sizing) {
        EXPECT_EQ(HitTestCursor(sizing), HookCursor::Keep) << sizing;
    }
    for (std::uint32_t button : {3u, 8u, 9u, 20u}) {
        EXPECT_EQ(HitTestCursor(button), HookCursor::Sys) << button;
    }
    for (std::uint32_t other : {0u, 1u, 4u, 5u, 6u, 7u, 19u, 21u, 22u}) {
        EXPECT_EQ(HitTestCursor(other), HookCursor::App) << other;
    }
    // Negative codes compare unsigned: HTERROR (-2) and HTTRANSPARENT (-1).
    EXPECT_EQ(HitTestCursor(4294967294u), HookCursor::App);
    EXPECT_EQ(HitTestCursor(4294967295u), HookCursor::App);
}

TEST(HookRulesTest, RecordsOnlyMovesHitTestsAndButtonMessages) {
    for (std::uint32_t recorded :
         {0x84u, 0xA0u, 0xA1u, 0xA2u, 0xA4u, 0xA5u, 0x200u, 0x201u, 0x202u}) {
        EXPECT_EQ(RecordedMessage(recorded, 7), recorded) << recorded;
    }
    // WM_SETCURSOR, the right button, the wheel, a double-click keep the previous one.
    for (std::uint32_t kept : {0x20u, 0x204u, 0x205u, 0x20Au, 0x203u, 0xA3u, 0x3u}) {
        EXPECT_EQ(RecordedMessage(kept, 7), 7u) << kept;
    }
}

TEST(HookRulesTest, PictureClassNameMatchesExactly) {
    EXPECT_TRUE(IsPictureClassName("ThunderRT6PictureBoxDC"));
    EXPECT_FALSE(IsPictureClassName("ThunderRT6PictureBoxDc"));
    EXPECT_FALSE(IsPictureClassName("ThunderRT6PictureBox"));
    EXPECT_FALSE(IsPictureClassName("ThunderRT6PictureBoxDCX"));
    EXPECT_FALSE(IsPictureClassName("Button"));
    EXPECT_FALSE(IsPictureClassName(""));
    EXPECT_FALSE(IsPictureClassName(nullptr));
}

TEST(HookRulesTest, SetCursorAlwaysSendsLastMessageAndHitTestToTarget) {
    HookEvent event = Event(kWmSetCursor, false, 20);
    event.lastMessage = kWmMouseMove;
    HookPlan plan = PlanHookMessage(event);
    ExpectForward(plan, HookRecipient::Target, HookDelivery::Send, kWmSetCursor, kWindow,
                  (512u << 16) | 20u);
    EXPECT_EQ(plan.cursor, HookCursor::App);  // not the target: application cursor

    event = Event(kWmSetCursor, true, 20);
    event.lastMessage = 0;
    plan = PlanHookMessage(event);
    ExpectForward(plan, HookRecipient::Target, HookDelivery::Send, kWmSetCursor, kWindow, 20u);
    EXPECT_EQ(plan.cursor, HookCursor::Sys);  // over the target: by hit test

    // HTERROR keeps only its low word in lParam.
    event = Event(kWmSetCursor, true, 4294967294u);
    event.lastMessage = kWmLButtonDown;
    plan = PlanHookMessage(event);
    EXPECT_EQ(plan.lParam, (0x201u << 16) | 0xFFFEu);
    EXPECT_EQ(plan.cursor, HookCursor::App);
}

TEST(HookRulesTest, HitTestAndMovesAreForwardedOnlyOverTarget) {
    ExpectForward(PlanHookMessage(Event(kWmNcHitTest, true)), HookRecipient::Target,
                  HookDelivery::Send, kWmNcHitTest, 0, kPoint);
    ExpectQuiet(PlanHookMessage(Event(kWmNcHitTest, false)));
    EXPECT_EQ(PlanHookMessage(Event(kWmNcHitTest, true)).cursor, HookCursor::Keep);

    HookPlan plan = PlanHookMessage(Event(kWmMouseMove, true, 1));
    ExpectForward(plan, HookRecipient::Target, HookDelivery::Send, kWmMouseMove, 0, kPoint);
    EXPECT_EQ(plan.cursor, HookCursor::App);
    plan = PlanHookMessage(Event(kWmMouseMove, true, 13));
    EXPECT_EQ(plan.cursor, HookCursor::Keep);
    plan = PlanHookMessage(Event(kWmMouseMove, false, 20));
    ExpectQuiet(plan);
    EXPECT_EQ(plan.cursor, HookCursor::App);
}

TEST(HookRulesTest, NonClientMoveSetsCursorByHitTestOverAnyWindow) {
    HookPlan plan = PlanHookMessage(Event(kWmNcMouseMove, false, 20));
    ExpectQuiet(plan);
    EXPECT_EQ(plan.cursor, HookCursor::Sys);
    for (std::uint32_t sizing = 10; sizing <= 18; ++sizing) {
        plan = PlanHookMessage(Event(kWmNcMouseMove, true, sizing));
        ExpectForward(plan, HookRecipient::Target, HookDelivery::Send, kWmNcMouseMove, sizing,
                      kPoint);
        EXPECT_EQ(plan.cursor, HookCursor::Keep);
    }
}

TEST(HookRulesTest, NonClientLeftButtonSendsOverTargetElsePostsAroundCapture) {
    for (std::uint32_t message : {kWmNcLButtonDown, kWmNcLButtonUp}) {
        HookPlan plan = PlanHookMessage(Event(message, true, 2));
        ExpectForward(plan, HookRecipient::Target, HookDelivery::Send, message, 1, kPoint);
        EXPECT_FALSE(plan.captureFirst);
        EXPECT_FALSE(plan.releaseAfter);
        EXPECT_EQ(plan.cursor, HookCursor::Keep);
    }
    HookPlan press = PlanHookMessage(Event(kWmNcLButtonDown, false, 2));
    ExpectForward(press, HookRecipient::Target, HookDelivery::Post, kWmNcLButtonDown, 1, kPoint);
    EXPECT_TRUE(press.captureFirst);
    EXPECT_FALSE(press.releaseAfter);
    HookPlan release = PlanHookMessage(Event(kWmNcLButtonUp, false, 2));
    ExpectForward(release, HookRecipient::Target, HookDelivery::Post, kWmNcLButtonUp, 1, kPoint);
    EXPECT_FALSE(release.captureFirst);
    EXPECT_TRUE(release.releaseAfter);
}

// A copy of a right press on a caption or a window icon would start a second
// right-drag in the default procedure, which holds the mouse (the system menu's too).
TEST(HookRulesTest, NonClientRightButtonOnlyShowsTheSystemButtonCursor) {
    for (bool overTarget : {true, false}) {
        for (std::uint32_t message : {kWmNcRButtonDown, kWmNcRButtonUp}) {
            for (std::uint32_t hitTest : {kHtCaption, kHtSysMenu, kHtClose, kHtLeft}) {
                HookPlan plan = PlanHookMessage(Event(message, overTarget, hitTest));
                ExpectQuiet(plan);
                EXPECT_EQ(plan.cursor, HookCursor::Sys);
            }
        }
    }
}

TEST(HookRulesTest, ClientLeftButtonByWindowLineage) {
    for (std::uint32_t message : {kWmLButtonDown, kWmLButtonUp}) {
        const bool press = message == kWmLButtonDown;
        // Over the target.
        HookPlan plan = PlanHookMessage(Event(message, true));
        ExpectForward(plan, HookRecipient::Target, HookDelivery::Send, message, 1, kPoint);
        EXPECT_FALSE(plan.captureFirst);
        EXPECT_FALSE(plan.releaseAfter);
        // The picture area, a direct child, gets its own copy.
        plan = PlanHookMessage(Lineage(message, true, true));
        ExpectForward(plan, HookRecipient::Window, HookDelivery::Send, message, 1, kPoint);
        EXPECT_FALSE(plan.captureFirst);
        // Any other direct child (a button) is left alone.
        ExpectQuiet(PlanHookMessage(Lineage(message, true, false)));
        // A grandchild or a pop-up: capture to the target around a posted copy.
        plan = PlanHookMessage(Lineage(message, false, true));
        ExpectForward(plan, HookRecipient::Target, HookDelivery::Post, message, 1, kPoint);
        EXPECT_EQ(plan.captureFirst, press);
        EXPECT_EQ(plan.releaseAfter, !press);
        EXPECT_EQ(plan.cursor, HookCursor::Keep);
    }
}

TEST(HookRulesTest, LineageIsLookedUpOnlyForLeftButtonsAwayFromTarget) {
    EXPECT_TRUE(LeftButtonNeedsLineage(Event(kWmLButtonDown, false)));
    EXPECT_TRUE(LeftButtonNeedsLineage(Event(kWmLButtonUp, false)));
    EXPECT_FALSE(LeftButtonNeedsLineage(Event(kWmLButtonDown, true)));
    EXPECT_FALSE(LeftButtonNeedsLineage(Event(kWmNcLButtonDown, false)));
    EXPECT_FALSE(LeftButtonNeedsLineage(Event(kWmMouseMove, false)));
    HookEvent bystander = Event(kWmLButtonDown, false);
    bystander.targetKnown = false;
    EXPECT_FALSE(LeftButtonNeedsLineage(bystander));
    HookEvent foreign = Event(kWmLButtonUp, false);
    foreign.windowOnThisThread = false;
    EXPECT_FALSE(LeftButtonNeedsLineage(foreign));
}

TEST(HookRulesTest, QuietRowsDoNothingOtherMessagesPassOn) {
    for (std::uint32_t quiet : {kWmMove, kWmCommand, kWmSysCommand, kWmInitMenu, kWmInitMenuPopup,
                                kWmMenuSelect, kWmMoving}) {
        HookPlan plan = PlanHookMessage(Event(quiet, true));
        ExpectQuiet(plan);
        EXPECT_EQ(plan.cursor, HookCursor::Keep) << quiet;
    }
    // Right and middle buttons, double-clicks, the wheel, non-client double-click.
    for (std::uint32_t other : {0x204u, 0x205u, 0x207u, 0x208u, 0x203u, 0x20Au, 0xA3u}) {
        HookPlan plan = PlanHookMessage(Event(other, true));
        EXPECT_TRUE(plan.passOn) << other;
        EXPECT_EQ(plan.recipient, HookRecipient::Nobody);
        EXPECT_EQ(plan.cursor, HookCursor::Keep);
    }
}

void ExpectOnlyPassedOn(const HookEvent& event) {
    const HookPlan plan = PlanHookMessage(event);
    EXPECT_TRUE(plan.passOn) << event.message;
    EXPECT_EQ(plan.cursor, HookCursor::Keep) << event.message;
    EXPECT_EQ(plan.recipient, HookRecipient::Nobody) << event.message;
    EXPECT_FALSE(plan.captureFirst) << event.message;
    EXPECT_FALSE(plan.releaseAfter) << event.message;
}

constexpr std::uint32_t kEveryRow[] = {kWmSetCursor,     kWmNcHitTest,   kWmNcMouseMove,
                                       kWmNcLButtonDown, kWmNcLButtonUp, kWmNcRButtonDown,
                                       kWmNcRButtonUp,   kWmMouseMove,   kWmLButtonDown,
                                       kWmLButtonUp,     kWmMove,        0x204u};

TEST(HookRulesTest, ProcessWithoutTargetOnlyPassesOn) {
    // Every message, including a left press on a child window or on a window whose
    // parent lookup would also be null: nothing is set, sent, posted or captured.
    for (std::uint32_t message : kEveryRow) {
        for (bool sameAsTarget : {true, false}) {
            HookEvent event = Lineage(message, sameAsTarget, true);
            event.windowIsTarget = sameAsTarget;
            event.targetKnown = false;
            event.windowOnThisThread = false;
            ExpectOnlyPassedOn(event);
        }
    }
}

TEST(HookRulesTest, WindowOfAnotherThreadOrNoneOnlyPassesOn) {
    // Messages of a 64-bit program, handed to the installing thread (the program's
    // own, where the target is known), and messages for no window: a left press there
    // captures nothing and posts nothing, a move sets no cursor and sends no
    // WM_SETCURSOR to the target, whatever parent and class facts come along.
    for (std::uint32_t message : kEveryRow) {
        for (bool parentIsTarget : {true, false}) {
            for (bool picture : {true, false}) {
                HookEvent event = Lineage(message, parentIsTarget, picture);
                event.windowOnThisThread = false;
                ExpectOnlyPassedOn(event);
                event.window = 0;
                ExpectOnlyPassedOn(event);
            }
        }
    }
    // The same calls over a window of this thread keep their rows.
    HookEvent own = Lineage(kWmLButtonDown, false, false);
    EXPECT_TRUE(PlanHookMessage(own).captureFirst);
    own = Event(kWmSetCursor, false);
    EXPECT_EQ(PlanHookMessage(own).recipient, HookRecipient::Target);
}

}  // namespace
}  // namespace tresk
