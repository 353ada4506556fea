#include "app/about/author_texts.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tresk {

// Narrow enough that its run of blanks in the About text (one per character, plus
// twelve, in the text's larger font) is wider than the address drawn over it at
// every display scaling, with a few pixels to spare: spaces are hinted to whole
// pixels and some sizes round them well down (4 pixels at 120 dpi, 6 at 168), so
// the address keeps to narrow letters.
const char kEmailAddress[] = "tresk@list.test";
const char kWebAddress[] = "https://example.org/treskcolor";
const char kLocationLine[] = "Made for the Windows desktop";
const char kRightsNotice[] = "Copyright (C) ";
const char kYearsText[] = "2026";

namespace {

// "Tresk Color project"
constexpr std::array<std::uint16_t, 19> kAuthorCodes = {
    84, 114, 101, 115, 107, 32, 67, 111, 108, 111, 114, 32, 112, 114, 111, 106, 101, 99, 116};

// "https://example.org/treskcolor"
constexpr std::array<std::uint8_t, 30> kWebCodes = {
    104, 116, 116, 112, 115, 58,  47,  47,  101, 120, 97, 109, 112, 108, 101,
    46,  111, 114, 103, 47,  116, 114, 101, 115, 107, 99, 111, 108, 111, 114};

// Every code is plain ASCII, so each one is exactly one character of the result.
template <typename Code, std::size_t N>
constexpr bool AllAscii(const std::array<Code, N>& codes) {
    for (const Code code : codes) {
        if (code == 0 || code > 127) {
            return false;
        }
    }
    return true;
}
static_assert(AllAscii(kAuthorCodes));
static_assert(AllAscii(kWebCodes));

template <typename Code, std::size_t N>
std::string FromCodes(const std::array<Code, N>& codes) {
    std::string text;
    text.reserve(N);
    for (const Code code : codes) {
        text.push_back(static_cast<char>(code));
    }
    return text;
}

}  // namespace

std::string AuthorName() {
    return FromCodes(kAuthorCodes);
}

std::string WebAddress() {
    return FromCodes(kWebCodes);
}

}  // namespace tresk
