// Feeds arbitrary bytes to the percentage box's reading rule.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/shell/percent_text.h"
#include "toolkit/val.h"

namespace {

bool SameValue(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const double value = tk::Val(text);
    if (std::isnan(value)) {
        std::abort();
    }

    // Blanks, tabs and line feeds are skipped wherever they stand, so removing them
    // changes nothing.
    std::string squeezed;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            squeezed.push_back(c);
        }
    }
    if (!SameValue(tk::Val(squeezed), value)) {
        std::abort();
    }

    // The box is rewritten with the result; reading that text again must give it back.
    const std::int16_t percent = tresk::PercentFromText(text);
    if (percent < 0 || percent > 100) {
        std::abort();
    }
    if (tresk::PercentFromText(std::to_string(percent)) != percent) {
        std::abort();
    }
    return 0;
}
