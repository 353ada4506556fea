#include "app/shell/percent_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace {

using tresk::PercentFromText;

TEST(PercentFromText, ReadsTheBoxLikeTheUserExpects) {
    const std::pair<std::string_view, int> cases[] = {
        {"50", 50},   {"150", 100}, {"-5", 0},     {"abc", 0},  {"12a", 12},  {"2.5", 2},
        {"3.5", 4},   {"", 0},      {"9e9", 100},  {"-9e9", 0}, {"&H10", 16}, {" 5 0", 50},
        {"100", 100}, {"0", 0},     {"99.5", 100}, {"0.5", 0},  {"-0.4", 0},  {"1e2", 100},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(PercentFromText(text), expected) << '"' << text << '"';
    }
}

TEST(PercentFromText, ClampsNumbersBeyondSixteenBits) {
    EXPECT_EQ(PercentFromText("32768"), 100);
    EXPECT_EQ(PercentFromText("-32769"), 0);
    EXPECT_EQ(PercentFromText("9e999"), 100);  // +inf
    EXPECT_EQ(PercentFromText("-9e999"), 0);   // -inf
    EXPECT_EQ(PercentFromText("&HFFFF"), 0);   // -1
    EXPECT_EQ(PercentFromText("&H100000000"), 100);
}

TEST(PercentFromText, EveryResultReadsBackUnchanged) {
    for (int percent = 0; percent <= 100; ++percent) {
        const std::string text = std::to_string(percent);
        EXPECT_EQ(PercentFromText(text), percent) << text;
    }
}

}  // namespace
