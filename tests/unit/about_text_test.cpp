#include "app/about/about_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tresk::AboutTexts;
using tresk::BuildAboutText;

constexpr char kCR = '\r';
const std::string kPrompt = "for comments or bugs send e-mail to address:";
const std::string kWebPrompt = "or check for updates on the web:";

AboutTexts Texts() {
    AboutTexts texts;
    texts.title = "Tresk Color";
    texts.major = 3;
    texts.minor = 0;
    texts.revision = 4;
    texts.rights = "Copyright (C) ";
    texts.years = "2026";
    texts.author = "Tresk Color project";
    texts.location = "Made for the Windows desktop";
    texts.email = "treskcolor@example.com";
    texts.web = "https://example.com/treskcolor";
    return texts;
}

std::vector<std::string> Rows(const std::string& text) {
    std::vector<std::string> rows(1);
    for (const char c : text) {
        if (c == kCR) {
            rows.emplace_back();
        } else {
            rows.back().push_back(c);
        }
    }
    return rows;
}

// The rows from the rights notice down, which every layout ends with.
std::vector<std::string> Tail(bool emptyRowBeforePrompt) {
    const AboutTexts texts = Texts();
    std::vector<std::string> rows = {"Copyright (C) 2026, Tresk Color project",
                                     "Made for the Windows desktop"};
    if (emptyRowBeforePrompt) {
        rows.emplace_back();
    }
    rows.push_back(kPrompt);
    rows.push_back(std::string(texts.email.size() + 12, ' ') + kWebPrompt);
    rows.push_back(std::string(texts.web.size(), ' '));
    return rows;
}

std::vector<std::string> Join(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const std::string kTitleRow = "Tresk Color  -  version 3.0.4";

TEST(BuildAboutText, WithoutACommentGivesNineRows) {
    const std::string text = BuildAboutText("", Texts());
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const std::vector<std::string> expected = {
        "",
        kTitleRow,
        "",
        "Copyright (C) 2026, Tresk Color project",
        "Made for the Windows desktop",
        "",
        kPrompt,
        std::string(22 + 12, ' ') + kWebPrompt,
        std::string(30, ' '),
    };
    EXPECT_EQ(Rows(text), expected);
    EXPECT_EQ(text.back(), ' ');  // no carriage return after the last blank run
}

TEST(BuildAboutText, HiddenCommentsLookLikeNoComment) {
    const std::string none = BuildAboutText("", Texts());
    EXPECT_EQ(BuildAboutText(" ", Texts()), none);
    EXPECT_EQ(BuildAboutText("     ", Texts()), none);
    EXPECT_EQ(BuildAboutText("\rHello", Texts()), none);
    EXPECT_EQ(BuildAboutText("\r", Texts()), none);
}

TEST(BuildAboutText, OnlySpacesAreTrimmedWhenLookingForAComment) {
    // A tab is text: the comment shows, as a row of its own.
    EXPECT_EQ(Rows(BuildAboutText("\t", Texts())), Join({kTitleRow, "\t", ""}, Tail(true)));
    EXPECT_EQ(Rows(BuildAboutText("  Hi  ", Texts())), Join({kTitleRow, "  Hi  ", ""}, Tail(true)));
}

TEST(BuildAboutText, CommentsOfUpToThreeRowsKeepTheLinkRows) {
    EXPECT_EQ(Rows(BuildAboutText("One", Texts())), Join({kTitleRow, "One", ""}, Tail(true)));
    EXPECT_EQ(Rows(BuildAboutText("One\rTwo", Texts())),
              Join({kTitleRow, "One", "Two", ""}, Tail(false)));
    EXPECT_EQ(Rows(BuildAboutText("One\rTwo\rThree", Texts())),
              Join({kTitleRow, "One", "Two", "Three"}, Tail(false)));
    for (const char* comment : {"", "One", "One\rTwo", "One\rTwo\rThree"}) {
        const auto rows = Rows(BuildAboutText(comment, Texts()));
        ASSERT_EQ(rows.size(), 9u) << comment;
        EXPECT_EQ(rows[6], kPrompt) << comment;
        EXPECT_EQ(rows[7].substr(0, 34), std::string(34, ' ')) << comment;
        EXPECT_EQ(rows[8], std::string(30, ' ')) << comment;
    }
}

TEST(BuildAboutText, LongerCommentsMoveThePromptDown) {
    const auto four = Rows(BuildAboutText("1\r2\r3\r4", Texts()));
    EXPECT_EQ(four, Join({kTitleRow, "1", "2", "3", "4"}, Tail(false)));
    EXPECT_EQ(four[7], kPrompt);
    const auto five = Rows(BuildAboutText("1\r2\r3\r4\r5", Texts()));
    EXPECT_EQ(five[8], kPrompt);
}

TEST(BuildAboutText, VersionHasTwoOrThreeParts) {
    AboutTexts texts = Texts();
    texts.revision = 0;
    EXPECT_EQ(Rows(BuildAboutText("", texts))[1], "Tresk Color  -  version 3.0");
    texts.major = 10;
    texts.minor = 12;
    texts.revision = 345;
    EXPECT_EQ(Rows(BuildAboutText("", texts))[1], "Tresk Color  -  version 10.12.345");
}

TEST(BuildAboutText, BlankRunsFollowTheAddresses) {
    AboutTexts texts = Texts();
    texts.email = "a@b";
    texts.web = "w";
    const auto rows = Rows(BuildAboutText("", texts));
    EXPECT_EQ(rows[7], std::string(3 + 12, ' ') + kWebPrompt);
    EXPECT_EQ(rows[8], " ");
    texts.email = "";
    texts.web = "";
    const std::string text = BuildAboutText("", texts);
    EXPECT_EQ(Rows(text)[7], std::string(12, ' ') + kWebPrompt);
    EXPECT_EQ(text.back(), kCR);  // the last row is empty
}

TEST(CountCarriageReturns, CountsOnlyCarriageReturns) {
    EXPECT_EQ(tresk::CountCarriageReturns(""), 0);
    EXPECT_EQ(tresk::CountCarriageReturns("abc"), 0);
    EXPECT_EQ(tresk::CountCarriageReturns("a\nb\n"), 0);
    EXPECT_EQ(tresk::CountCarriageReturns("\r"), 1);
    EXPECT_EQ(tresk::CountCarriageReturns("\r\n"), 1);
    EXPECT_EQ(tresk::CountCarriageReturns("a\rb\r\rc"), 3);
}

TEST(CountCarriageReturns, SaturatesAtTheSixteenBitLimit) {
    EXPECT_EQ(tresk::CountCarriageReturns(std::string(32767, kCR)), 32767);
    EXPECT_EQ(tresk::CountCarriageReturns(std::string(40000, kCR)), 32767);
}

}  // namespace
