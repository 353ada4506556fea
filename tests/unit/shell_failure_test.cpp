#include "app/about/shell_failure.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using tresk::ShellFailureText;

TEST(ShellFailureText, SuccessGivesNoText) {
    EXPECT_EQ(ShellFailureText(33), "");
    EXPECT_EQ(ShellFailureText(42), "");
    EXPECT_EQ(ShellFailureText(std::numeric_limits<std::intptr_t>::max()), "");
}

TEST(ShellFailureText, KnownFailuresHaveTheirOwnText) {
    EXPECT_EQ(ShellFailureText(2), "File not found.");
    EXPECT_EQ(ShellFailureText(3), "Path not found.");
    EXPECT_EQ(ShellFailureText(5), "Access denied.");
    EXPECT_EQ(ShellFailureText(27), "Incomplete association type of file.");
    EXPECT_EQ(ShellFailureText(31), "Missing association type of file.");
}

TEST(ShellFailureText, EveryOtherResultUpTo32IsGeneric) {
    for (const std::intptr_t r :
         {std::intptr_t{0}, std::intptr_t{1}, std::intptr_t{8}, std::intptr_t{11},
          std::intptr_t{26}, std::intptr_t{28}, std::intptr_t{29}, std::intptr_t{30},
          std::intptr_t{32}, std::intptr_t{-1}, std::numeric_limits<std::intptr_t>::min()}) {
        EXPECT_EQ(ShellFailureText(r), "Generic access file error.") << r;
    }
}

}  // namespace
