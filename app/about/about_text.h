#pragma once
// The About window's text. No Windows dependency.
#include <cstdint>
#include <string>
#include <string_view>

namespace tresk {

struct AboutTexts {
    std::string_view title;  // application title
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t revision = 0;
    std::string_view rights;  // rights notice, followed by the years text
    std::string_view years;
    std::string_view author;
    std::string_view location;
    std::string_view email;  // its length sets the blank run under the mail link
    std::string_view web;    // its length sets the blank run under the web link
};

// Rows, counted from 1, that open with the blank runs under the mail and web links.
inline constexpr int kMailLinkRow = 8;
inline constexpr int kWebLinkRow = 9;

// Rows separated by a lone carriage return (13); the two link labels cover the blank
// runs at the start of rows 8 and 9 for a comment of up to three rows.
std::string BuildAboutText(std::string_view comment, const AboutTexts& texts);

// Number of carriage returns (13) in `text`.
std::int16_t CountCarriageReturns(std::string_view text);

}  // namespace tresk
