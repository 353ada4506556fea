#include "toolkit/val.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace {

using tk::Val;
using namespace std::string_view_literals;

// A text and the number it reads as.
using Reading = std::pair<std::string_view, double>;

void ExpectReads(std::span<const Reading> rows) {
    for (const auto& [text, value] : rows) {
        EXPECT_EQ(Val(text), value) << '"' << text << '"';
    }
}

TEST(Val, ReadsDecimalNumbers) {
    const Reading rows[] = {{"50", 50.0}, {"2.5", 2.5},    {".5", 0.5},  {"-5", -5.0},
                            {"+7", 7.0},  {"-.25", -0.25}, {"007", 7.0}, {"0.1", 0.1}};
    ExpectReads(rows);
    EXPECT_EQ(Val("123456789012345678901234567890"), 123456789012345678901234567890.0);
}

TEST(Val, TextWithoutALeadingNumberIsZero) {
    for (const std::string_view text :
         {""sv, "abc"sv, "."sv, "-"sv, "+"sv, "e5"sv, "-e5"sv, "--5"sv, "+-5"sv, "x12"sv, "\r5"sv,
          ","sv, "-0"sv, "-0.000e5"sv}) {
        EXPECT_EQ(Val(text), 0.0) << '"' << text << '"';
        EXPECT_FALSE(std::signbit(Val(text))) << '"' << text << '"';
    }
}

// A carriage return, a NUL or any other byte that fits no number ends it.
TEST(Val, FirstCharacterThatDoesNotFitEndsTheNumber) {
    const Reading rows[] = {{"12a", 12.0}, {"1.2.3", 1.2},    {"1,5", 1.0},
                            {"3-4", 3.0},  {"1e5.5", 1e5},    {"1e2e3", 100.0},
                            {"5\r6", 5.0}, {"4\0005"sv, 4.0}, {"9\3779", 9.0}};
    ExpectReads(rows);
}

TEST(Val, BlanksTabsAndLineFeedsAreSkippedAnywhere) {
    const Reading rows[] = {{" 5 0", 50.0},   {"1 2", 12.0},     {"\t-\n3 . 5", -3.5},
                            {"1 e 2", 100.0}, {"& h 1 f", 31.0}, {"   ", 0.0}};
    ExpectReads(rows);
}

TEST(Val, ReadsExponents) {
    const Reading rows[] = {{"1e3", 1000.0}, {"1E3", 1000.0}, {"2d2", 200.0}, {"2D+2", 200.0},
                            {"25e-1", 2.5},  {"9e9", 9e9},    {"-9e9", -9e9}, {"1e", 1.0},
                            {"1e+", 1.0},    {"1e-", 1.0},    {"1ex", 1.0},   {"0.001e3", 1.0},
                            {"1000e-3", 1.0}};
    ExpectReads(rows);
}

TEST(Val, ExtremeExponentsSaturate) {
    const double inf = std::numeric_limits<double>::infinity();
    const Reading rows[] = {{"9e999", inf}, {"-9e999", -inf}, {"1e308", 1e308},
                            {"1e309", inf}, {"9e-999", 0.0},  {"1e-320", 1e-320}};
    ExpectReads(rows);
    EXPECT_EQ(Val("1e99999999999999999999999999"), inf);
    EXPECT_EQ(Val("1e-99999999999999999999999999"), 0.0);
    // Many leading zeros shift the decimal exponent back into range.
    const std::string tiny = "0." + std::string(500, '0') + "1e510";
    EXPECT_EQ(Val(tiny), 1e9);
    const std::string huge = "1" + std::string(500, '0') + "e-495";
    EXPECT_EQ(Val(huge), 1e5);
}

TEST(Val, LongMantissasRoundCorrectly) {
    // 9007199254740993 lies exactly halfway between the doubles 2^53 and 2^53 + 2; a
    // nonzero digit a thousand places to the right must still tip it upwards.
    EXPECT_EQ(Val("9007199254740993"), 9007199254740992.0);
    const std::string aboveHalf = "9007199254740993." + std::string(1000, '0') + "1";
    EXPECT_EQ(Val(aboveHalf), 9007199254740994.0);
    const std::string exactHalf = "9007199254740993." + std::string(1000, '0');
    EXPECT_EQ(Val(exactHalf), 9007199254740992.0);
}

// The C library's strtod rounds correctly; so must Val, on short and long mantissas,
// large and tiny exponents, subnormals, and texts that lie next to or exactly halfway
// between two doubles.
TEST(Val, DecimalNumbersRoundLikeTheCLibrary) {
    std::mt19937_64 random(20261207);
    auto pick = [&random](std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(random);
    };
    auto expectSame = [](const std::string& text) {
        const double expected = std::strtod(text.c_str(), nullptr);
        const double actual = Val(text);
        EXPECT_EQ(std::memcmp(&expected, &actual, sizeof(double)), 0)
            << text.substr(0, 60) << "... (" << text.size() << " characters): " << actual
            << " instead of " << expected;
    };
    for (int i = 0; i < 1500; ++i) {
        const std::int64_t length = i % 5 == 0 ? pick(300, 900) : pick(1, 25);
        std::string text(1, static_cast<char>('1' + pick(0, 8)));
        text += '.';
        for (std::int64_t d = 1; d < length; ++d) {
            text += static_cast<char>('0' + pick(0, 9));
        }
        text += 'e' + std::to_string(pick(-345, 320));
        expectSame(text);
    }
    char buffer[1000];
    for (int i = 0; i < 1500; ++i) {
        // Any positive finite double, subnormals included.
        std::uint64_t bits = static_cast<std::uint64_t>(pick(1, 0x7FEF'FFFF'FFFF'FFFF));
        if (i % 4 == 0) {
            bits &= 0x000F'FFFF'FFFF'FFFF;
        }
        double x = 0;
        std::memcpy(&x, &bits, sizeof x);
        // Exactly halfway to the next double (a long double holds the midpoint exactly).
        const long double middle =
            (static_cast<long double>(x) +
             static_cast<long double>(std::nextafter(x, std::numeric_limits<double>::max()))) /
            2;
        std::snprintf(buffer, sizeof buffer, "%.780Le", middle);
        expectSame(buffer);
        std::snprintf(buffer, sizeof buffer, "%.16e", x);
        expectSame(buffer);
        std::snprintf(buffer, sizeof buffer, "%.25e", x);
        expectSame(buffer);
    }
}

// "&" with octal digits is octal; a sign belongs to decimal numbers only.
TEST(Val, ReadsHexadecimalAndOctal) {
    const Reading rows[] = {{"&H10", 16.0},   {"&h1f", 31.0}, {"&HaBc", 2748.0}, {"&O17", 15.0},
                            {"&o777", 511.0}, {"&17", 15.0},  {"&H1G", 1.0},     {"&O78", 7.0},
                            {"&H1.5", 1.0},   {"&H", 0.0},    {"&", 0.0},        {"&8", 0.0},
                            {"&Z1", 0.0},     {"-&H10", 0.0}};
    ExpectReads(rows);
}

// 16 bits, then 32, signed; past 32 bits the plain magnitude.
TEST(Val, HexadecimalAndOctalTakeTheWidthTheyFit) {
    const Reading rows[] = {{"&H7FFF", 32767.0},  {"&H8000", -32768.0}, {"&HFFFF", -1.0},
                            {"&H0000FFFF", -1.0}, {"&O177777", -1.0},   {"&H10000", 65536.0}};
    ExpectReads(rows);
    const Reading wide[] = {{"&H7FFFFFFF", 2147483647.0},  {"&H80000000", -2147483648.0},
                            {"&HFFFFFFFF", -1.0},          {"&O37777777777", -1.0},
                            {"&H100000000", 4294967296.0}, {"&HFFFFFFFFFF", 1099511627775.0}};
    ExpectReads(wide);
    EXPECT_EQ(Val("&H" + std::string(300, 'F')), std::numeric_limits<double>::infinity());
}

TEST(Val, NeverReadsPastTheView) {
    // The character after the view would extend the number if it were read.
    const std::string text = "12345";
    EXPECT_EQ(Val(std::string_view(text).substr(0, 2)), 12.0);
    const std::string hex = "&H1F";
    EXPECT_EQ(Val(std::string_view(hex).substr(0, 3)), 1.0);
    const std::string exponent = "1e5";
    EXPECT_EQ(Val(std::string_view(exponent).substr(0, 2)), 1.0);
}

}  // namespace
