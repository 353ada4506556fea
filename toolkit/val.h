#pragma once
// Reading the leading number of a text, the way the classic Val() conversion does.
#include <string_view>

namespace tk {

// Blanks, tabs and line feeds anywhere in the text are skipped. Accepts a sign,
// digits, one decimal point and a decimal exponent (E or D), or the prefixes &H
// (hexadecimal) and &O (octal). The first character that does not fit ends the
// number; a text without a leading number gives 0.
double Val(std::string_view text);

}  // namespace tk
