// Feeds arbitrary calls to the mouse hook's decision rules and checks every plan
// against the message table, written out again here as a list of rows. Besides the
// exact plan, each call is checked against the promises other programs rely on:
// nothing but passing on without a target window or for a window of another thread
// (or none), capture only around a posted copy
// of a left press, release only after a posted copy of a left release, and copies
// only to the target or to the picture area under the pointer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hook/hook_rules.h"

namespace {

using tresk::HookCursor;
using tresk::HookDelivery;
using tresk::HookEvent;
using tresk::HookPlan;
using tresk::HookRecipient;

// Messages the table names, and a few it does not, so that the fuzzer meets them
// often; any other 32-bit value is drawn too.
constexpr std::uint32_t kInterestingMessages[] = {
    0x0003, 0x0020, 0x0084, 0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4,     0x00A5,  0x00A6,
    0x00A7, 0x0111, 0x0112, 0x0116, 0x0117, 0x011F, 0x0200, 0x0201,     0x0202,  0x0203,
    0x0204, 0x0205, 0x0207, 0x0208, 0x020A, 0x0216, 0x0000, 0xFFFFFFFF, 0x10201, 0x10020};

constexpr std::uint32_t kInterestingHitTests[] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,          10,         11,      12,      13,
    14, 15, 16, 17, 18, 19, 20, 21, 22, 0xFFFFFFFE, 0xFFFFFFFF, 0x10002, 0x10014, 0x1000A};

// --- The message table, as rows ------------------------------------------------

enum class CursorRule : std::uint8_t {
    None,         // the row does not touch the pointer shape
    ByHitTest,    // the hit-test cursor rule, over any window
    OverTarget,   // the hit-test rule over the target, else the application cursor
    SystemButton  // always the system-button cursor
};

enum class Forwarding : std::uint8_t {
    Quiet,              // nothing forwarded
    SetCursorToTarget,  // always sent to the target, wParam the window
    SendIfTarget,       // sent to the target only when it is under the pointer
    NonClientLeft,      // sent over the target, else posted around the capture
    ClientLeft          // target / picture child / anything else
};

struct Row {
    std::uint32_t message;
    CursorRule cursor;
    Forwarding forwarding;
    std::uint32_t wParam;  // for SendIfTarget: 0, or kWParamIsHitTest
    bool press;            // left press (capture) rather than release
};

constexpr std::uint32_t kWParamIsHitTest = 0xFFFFFFFF;

constexpr Row kTable[] = {
    {32, CursorRule::OverTarget, Forwarding::SetCursorToTarget, 0, false},
    {132, CursorRule::None, Forwarding::SendIfTarget, 0, false},
    {160, CursorRule::ByHitTest, Forwarding::SendIfTarget, kWParamIsHitTest, false},
    {161, CursorRule::None, Forwarding::NonClientLeft, 1, true},
    {162, CursorRule::None, Forwarding::NonClientLeft, 1, false},
    {164, CursorRule::SystemButton, Forwarding::Quiet, 0, false},
    {165, CursorRule::SystemButton, Forwarding::Quiet, 0, false},
    {512, CursorRule::OverTarget, Forwarding::SendIfTarget, 0, false},
    {513, CursorRule::None, Forwarding::ClientLeft, 1, true},
    {514, CursorRule::None, Forwarding::ClientLeft, 1, false},
    {3, CursorRule::None, Forwarding::Quiet, 0, false},
    {273, CursorRule::None, Forwarding::Quiet, 0, false},
    {274, CursorRule::None, Forwarding::Quiet, 0, false},
    {278, CursorRule::None, Forwarding::Quiet, 0, false},
    {279, CursorRule::None, Forwarding::Quiet, 0, false},
    {287, CursorRule::None, Forwarding::Quiet, 0, false},
    {534, CursorRule::None, Forwarding::Quiet, 0, false},
};

// Messages remembered as the last message.
constexpr std::uint32_t kRecorded[] = {132, 160, 161, 162, 164, 165, 512, 513, 514};

const Row* FindRow(std::uint32_t message) {
    for (const Row& row : kTable) {
        if (row.message == message) {
            return &row;
        }
    }
    return nullptr;
}

// Hit-test cursor rule as a lookup: one entry per code below 32, App above.
HookCursor CursorForHitTest(std::uint32_t hitTest) {
    // 0..9: nowhere, client, caption, sysmenu, size, menu, hscroll, vscroll, min, max
    // 10..18: the sizing borders; 19: object; 20: close; 21 and up: help and others
    static constexpr char kRule[] = "AAASAAAASSKKKKKKKKKASAAAAAAAAAAA";
    if (hitTest >= 32) {
        return HookCursor::App;
    }
    switch (kRule[hitTest]) {
        case 'K':
            return HookCursor::Keep;
        case 'S':
            return HookCursor::Sys;
        default:
            return HookCursor::App;
    }
}

// What the table says one call must do. Fields that a plan without a recipient does
// not use (delivery, message, wParam, lParam) are left out of the comparison.
HookPlan Copy(HookRecipient recipient, HookDelivery delivery, const HookEvent& event,
              std::uintptr_t wParam, std::uint32_t lParam) {
    HookPlan out{};
    out.recipient = recipient;
    out.delivery = delivery;
    out.message = event.message;
    out.wParam = wParam;
    out.lParam = lParam;
    return out;
}

HookPlan FromTable(const HookEvent& event) {
    HookPlan out{};
    // In a process without a target (every other program) the hook only records, and
    // so it does for a window of another thread (a 64-bit program's, whose messages
    // the system hands to the installing thread) or for no window at all.
    if (!event.targetKnown || !event.windowOnThisThread) {
        out.passOn = true;
        return out;
    }
    const Row* row = FindRow(event.message);
    if (row == nullptr) {
        out.passOn = true;
        return out;
    }
    switch (row->forwarding) {
        case Forwarding::Quiet:
            break;
        case Forwarding::SetCursorToTarget:
            out = Copy(HookRecipient::Target, HookDelivery::Send, event, event.window,
                       (event.lastMessage & 0xFFFFu) * 65536u + (event.hitTest & 0xFFFFu));
            break;
        case Forwarding::SendIfTarget:
            if (event.windowIsTarget) {
                out = Copy(HookRecipient::Target, HookDelivery::Send, event,
                           row->wParam == kWParamIsHitTest ? event.hitTest : row->wParam,
                           event.point);
            }
            break;
        case Forwarding::ClientLeft:
            if (!event.windowIsTarget && event.parentIsTarget) {
                if (event.windowIsPicture) {
                    out = Copy(HookRecipient::Window, HookDelivery::Send, event, 1, event.point);
                }
                break;
            }
            [[fallthrough]];
        case Forwarding::NonClientLeft:
            if (event.windowIsTarget) {
                out = Copy(HookRecipient::Target, HookDelivery::Send, event, 1, event.point);
            } else {
                out = Copy(HookRecipient::Target, HookDelivery::Post, event, 1, event.point);
                out.captureFirst = row->press;
                out.releaseAfter = !row->press;
            }
            break;
    }
    switch (row->cursor) {
        case CursorRule::None:
            out.cursor = HookCursor::Keep;
            break;
        case CursorRule::ByHitTest:
            out.cursor = CursorForHitTest(event.hitTest);
            break;
        case CursorRule::OverTarget:
            out.cursor = event.windowIsTarget ? CursorForHitTest(event.hitTest) : HookCursor::App;
            break;
        case CursorRule::SystemButton:
            out.cursor = HookCursor::Sys;
            break;
    }
    return out;
}

// --- Checks ---------------------------------------------------------------------

std::string Describe(const HookEvent& e) {
    char text[256];
    std::snprintf(text, sizeof(text),
                  "message %u window %#zx hitTest %u point %#x last %u targetKnown %d "
                  "thisThread %d isTarget %d parentIsTarget %d picture %d",
                  e.message, static_cast<std::size_t>(e.window), e.hitTest, e.point, e.lastMessage,
                  e.targetKnown, e.windowOnThisThread, e.windowIsTarget, e.parentIsTarget,
                  e.windowIsPicture);
    return text;
}

std::string Describe(const HookPlan& p) {
    char text[256];
    std::snprintf(text, sizeof(text),
                  "passOn %d cursor %d capture %d recipient %d delivery %d message %u "
                  "wParam %#zx lParam %#x release %d",
                  p.passOn, static_cast<int>(p.cursor), p.captureFirst,
                  static_cast<int>(p.recipient), static_cast<int>(p.delivery), p.message,
                  static_cast<std::size_t>(p.wParam), p.lParam, p.releaseAfter);
    return text;
}

[[noreturn]] void Fail(const char* what, const HookEvent& event, const HookPlan& plan) {
    std::fprintf(stderr, "hook rule broken: %s\n  call: %s\n  plan: %s\n", what,
                 Describe(event).c_str(), Describe(plan).c_str());
    std::abort();
}

void Require(bool condition, const char* what, const HookEvent& event, const HookPlan& plan) {
    if (!condition) {
        Fail(what, event, plan);
    }
}

bool SamePlan(const HookPlan& a, const HookPlan& b) {
    return a.passOn == b.passOn && a.cursor == b.cursor && a.captureFirst == b.captureFirst &&
           a.recipient == b.recipient && a.releaseAfter == b.releaseAfter &&
           (a.recipient == HookRecipient::Nobody ||
            (a.delivery == b.delivery && a.message == b.message && a.wParam == b.wParam &&
             a.lParam == b.lParam));
}

// Promises that hold whatever the row: the ones a bystander program depends on.
void CheckSafety(const HookEvent& event, const HookPlan& plan) {
    Require(plan.cursor == HookCursor::Keep || plan.cursor == HookCursor::App ||
                plan.cursor == HookCursor::Sys,
            "cursor choice out of range", event, plan);
    Require(plan.recipient == HookRecipient::Nobody || plan.recipient == HookRecipient::Target ||
                plan.recipient == HookRecipient::Window,
            "recipient out of range", event, plan);
    if (plan.passOn) {
        Require(plan.cursor == HookCursor::Keep && !plan.captureFirst && !plan.releaseAfter &&
                    plan.recipient == HookRecipient::Nobody,
                "a call handed on must do nothing itself", event, plan);
    }
    if (!event.targetKnown) {
        Require(plan.passOn, "without a target window the hook must only pass on", event, plan);
    }
    if (!event.windowOnThisThread) {
        Require(plan.passOn, "for another thread's window the hook must only pass on", event, plan);
    }
    if (plan.captureFirst) {
        Require(plan.recipient == HookRecipient::Target && plan.delivery == HookDelivery::Post &&
                    (plan.message == 161 || plan.message == 513) && !plan.releaseAfter,
                "capture without a posted left-press copy to the target", event, plan);
    }
    if (plan.releaseAfter) {
        Require(plan.recipient == HookRecipient::Target && plan.delivery == HookDelivery::Post &&
                    (plan.message == 162 || plan.message == 514),
                "release without a posted left-release copy to the target", event, plan);
    }
    if (plan.recipient == HookRecipient::Nobody) {
        return;
    }
    Require(plan.message == event.message, "a copy of another message than the one seen", event,
            plan);
    if (plan.recipient == HookRecipient::Window) {
        const bool pictureSend = (plan.message == 513 || plan.message == 514) &&
                                 plan.delivery == HookDelivery::Send && event.parentIsTarget &&
                                 event.windowIsPicture && !event.windowIsTarget;
        Require(pictureSend, "a copy to the window under the pointer out of place", event, plan);
    }
    const bool fixedWParam = plan.wParam == 0 || plan.wParam == 1;
    const bool hitTestWParam = plan.message == 160 && plan.wParam == event.hitTest;
    const bool windowWParam = plan.message == 32 && plan.wParam == event.window;
    Require(fixedWParam || hitTestWParam || windowWParam, "wParam not 0, 1 or the hit-test code",
            event, plan);
    if (plan.message != 32) {
        Require(plan.lParam == event.point, "lParam of a copy is not the screen point", event,
                plan);
    }
}

void CheckPlan(const HookEvent& event) {
    const HookPlan plan = tresk::PlanHookMessage(event);
    CheckSafety(event, plan);

    const HookPlan expected = FromTable(event);
    if (!SamePlan(plan, expected)) {
        std::fprintf(stderr, "  table says: %s\n", Describe(expected).c_str());
        Fail("plan differs from the message table", event, plan);
    }

    // The hook procedure looks up parent and class only when asked to, and leaves
    // both false otherwise: then they must not change the plan.
    const bool lineage = tresk::LeftButtonNeedsLineage(event);
    const bool wantLineage = event.targetKnown && event.windowOnThisThread &&
                             !event.windowIsTarget &&
                             (event.message == 513 || event.message == 514);
    Require(lineage == wantLineage, "lineage asked for in the wrong calls", event, plan);
    if (!lineage) {
        HookEvent unlooked = event;
        unlooked.parentIsTarget = false;
        unlooked.windowIsPicture = false;
        Require(SamePlan(tresk::PlanHookMessage(unlooked), plan),
                "plan depends on a parent or class that was never looked up", event, plan);
    }
}

// One byte picks from the named values most of the time; otherwise any 32-bit value.
template <std::size_t N>
std::uint32_t Draw(FuzzedDataProvider& data, const std::uint32_t (&named)[N]) {
    const auto pick = data.ConsumeIntegral<std::uint8_t>();
    if (pick < 224) {
        return named[pick % N];
    }
    return data.ConsumeIntegral<std::uint32_t>();
}

void CheckPointPacking(std::int32_t x, std::int32_t y) {
    const std::uint32_t packed = tresk::PackPoint(x, y);
    // Both halves read back as the signed 16-bit coordinates a message carries.
    const auto lowX = static_cast<std::int16_t>(static_cast<std::uint16_t>(packed & 0xFFFFu));
    const auto highY = static_cast<std::int16_t>(static_cast<std::uint16_t>(packed >> 16));
    if (lowX != static_cast<std::int16_t>(x) || highY != static_cast<std::int16_t>(y)) {
        std::fprintf(stderr, "PackPoint(%d, %d) = %#x\n", x, y, packed);
        std::abort();
    }
}

void CheckClassName(const std::string& name) {
    // An exact, NUL-terminated heap copy: reading past its end is caught.
    std::vector<char> text(name.begin(), name.end());
    text.push_back('\0');
    const bool expected = std::strcmp(text.data(), tresk::kPictureClassName) == 0;
    if (tresk::IsPictureClassName(text.data()) != expected) {
        std::fprintf(stderr, "IsPictureClassName(\"%s\") should be %d\n", text.data(), expected);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);

    // A class name: sometimes the picture class with a change at one end.
    std::string name = data.ConsumeRandomLengthString(40);
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            name = tresk::kPictureClassName;
            break;
        case 1:
            name = std::string(tresk::kPictureClassName) + name;
            break;
        case 2:
            name = std::string(tresk::kPictureClassName).substr(0, name.size() % 23);
            break;
        default:
            break;
    }
    CheckClassName(name);

    // A run of calls in one process, the last message carried along as the hook
    // procedure carries it.
    const auto start = data.ConsumeIntegral<std::uint8_t>();
    std::uint32_t lastMessage = (start & 1u) != 0 ? 0 : Draw(data, kInterestingMessages);
    const bool targetKnown = (start & 2u) == 0;
    while (data.remaining_bytes() > 0) {
        HookEvent event{};
        event.message = Draw(data, kInterestingMessages);
        event.hitTest = Draw(data, kInterestingHitTests);
        const auto flags = data.ConsumeIntegral<std::uint8_t>();
        event.window = data.ConsumeIntegral<std::uint16_t>();
        // Mostly coordinates a desktop has, sometimes any 32-bit value.
        std::int32_t x = data.ConsumeIntegral<std::int16_t>();
        std::int32_t y = data.ConsumeIntegral<std::int16_t>();
        if ((flags & 0x80u) != 0) {
            event.window = data.ConsumeIntegral<std::uintptr_t>();
            x = data.ConsumeIntegral<std::int32_t>();
            y = data.ConsumeIntegral<std::int32_t>();
        }
        CheckPointPacking(x, y);
        event.point = tresk::PackPoint(x, y);

        const std::uint32_t recorded = tresk::RecordedMessage(event.message, lastMessage);
        bool remembered = false;
        for (const std::uint32_t m : kRecorded) {
            remembered = remembered || m == event.message;
        }
        if (recorded != (remembered ? event.message : lastMessage)) {
            std::fprintf(stderr, "RecordedMessage(%u, %u) = %u\n", event.message, lastMessage,
                         recorded);
            std::abort();
        }
        lastMessage = recorded;
        event.lastMessage = lastMessage;

        // Mostly the combinations a real process produces; sometimes any at all.
        event.targetKnown = targetKnown;
        event.windowIsTarget = (flags & 0x01u) != 0;
        event.parentIsTarget = (flags & 0x02u) != 0;
        event.windowIsPicture = (flags & 0x04u) != 0;
        if ((flags & 0x70u) != 0) {
            event.windowIsTarget = event.windowIsTarget && targetKnown && event.window != 0;
            // The target is a window of this thread; other windows sometimes belong to
            // another (a 64-bit program's), a missing window to none.
            event.windowOnThisThread = targetKnown && event.window != 0 &&
                                       (event.windowIsTarget || (flags & 0x30u) != 0x10u);
            event.parentIsTarget = event.parentIsTarget && tresk::LeftButtonNeedsLineage(event);
            event.windowIsPicture = event.windowIsPicture && event.parentIsTarget;
        } else {
            event.targetKnown = (flags & 0x08u) != 0;
            event.windowOnThisThread = data.ConsumeBool();
        }
        CheckPlan(event);
    }
    return 0;
}
