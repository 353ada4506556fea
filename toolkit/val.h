#pragma once
// Reading the leading number of a text, the way the classic Val() conversion does.
#include <string_view>

namespace tk {

// Blanks, tabs and line feeds anywhere in the text are skipped. Accepts a sign,
// digits, one decimal point and a decimal exponent (E or D), or the prefixes &H
// (hexadecimal) and &O (octal). The first character that does not fit ends the
// number; a text without a leading number gives 0.
//
// Details: "&" directly followed by octal digits is octal too ("&17" is 15). A sign
// applies to decimal numbers only ("-&H10" is 0). Hexadecimal and octal values are
// 16-bit signed while they fit in 16 bits (&HFFFF is -1), 32-bit signed while they fit
// in 32 bits (&HFFFFFFFF is -1), and beyond that their plain positive magnitude.
// A decimal number too large for a double is +inf or -inf ("9e999"); one too small is
// 0. Never reads outside `text`; any byte, NUL included, simply ends the number.
double Val(std::string_view text);

}  // namespace tk
