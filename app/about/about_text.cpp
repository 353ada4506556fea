#include "app/about/about_text.h"

#include <algorithm>
#include <limits>

namespace tresk {

namespace {

constexpr char kCR = '\r';

// Only spaces count here: a comment of tabs is still shown.
bool IsBlankComment(std::string_view comment) {
    return comment.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

std::int16_t CountCarriageReturns(std::string_view text) {
    const auto count = std::count(text.begin(), text.end(), kCR);
    // Saturates instead of wrapping for texts with more than 32767 carriage returns.
    return static_cast<std::int16_t>(
        std::min<std::ptrdiff_t>(count, std::numeric_limits<std::int16_t>::max()));
}

std::string BuildAboutText(std::string_view comment, const AboutTexts& texts) {
    // The extra carriage returns keep the mail prompt on row 7 and the two link rows on
    // rows 8 and 9 for a comment of up to three rows.
    std::string lead;
    std::string body;
    std::string gap;
    if (IsBlankComment(comment) || comment.front() == kCR) {
        lead = kCR;
        body = kCR;
        gap = kCR;
    } else {
        const std::int16_t returns = CountCarriageReturns(comment);
        body = comment;
        if (returns <= 1) {
            body += kCR;
            body += kCR;
            if (returns == 0) {
                gap = kCR;
            }
        } else {
            body += kCR;
        }
    }

    std::string version = std::to_string(texts.major) + "." + std::to_string(texts.minor);
    if (texts.revision > 0) {
        version += "." + std::to_string(texts.revision);
    }

    std::string text = lead;
    text += texts.title;
    text += "  -  version ";
    text += version;
    text += kCR;
    text += body;
    text += texts.rights;
    text += texts.years;
    text += ", ";
    text += texts.author;
    text += kCR;
    text += texts.location;
    text += kCR;
    text += gap;
    text += "for comments or bugs send e-mail to address:";
    text += kCR;
    text.append(texts.email.size(), ' ');
    text.append(12, ' ');
    text += "or check for updates on the web:";
    text += kCR;
    text.append(texts.web.size(), ' ');
    return text;
}

}  // namespace tresk
