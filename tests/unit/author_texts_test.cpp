#include "app/about/author_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

TEST(AuthorTexts, WebAddressIsTheSameAddressAsTheConstant) {
    EXPECT_EQ(tresk::WebAddress(), std::string(tresk::kWebAddress));
    EXPECT_EQ(tresk::WebAddress(), "https://example.org/treskcolor");
}

TEST(AuthorTexts, AuthorNameIsSpelledInFull) {
    EXPECT_EQ(tresk::AuthorName(), "Tresk Color project");
}

TEST(AuthorTexts, AddressesAreUsableLinks) {
    const std::string_view email = tresk::kEmailAddress;
    EXPECT_NE(email.find('@'), std::string_view::npos);
    EXPECT_EQ(email.find(' '), std::string_view::npos);
    const std::string_view web = tresk::kWebAddress;
    EXPECT_EQ(web.substr(0, 8), "https://");
    EXPECT_EQ(web.find(' '), std::string_view::npos);
}

TEST(AuthorTexts, RightsLineReadsAsOneSentence) {
    const std::string line = std::string(tresk::kRightsNotice) + tresk::kYearsText;
    EXPECT_EQ(line, "Copyright (C) 2026");
    EXPECT_EQ(std::string_view(tresk::kLocationLine), "Made for the Windows desktop");
}

}  // namespace
