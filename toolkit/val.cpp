#include "toolkit/val.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace tk {

namespace {

constexpr int kEnd = -1;

// Walks the text, stepping over the characters the conversion ignores wherever they are.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    // The next character that counts, as 0..255, or kEnd.
    int Peek() {
        while (pos_ < text_.size() && IsIgnored(text_[pos_])) {
            ++pos_;
        }
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : kEnd;
    }

    void Advance() { ++pos_; }

private:
    static bool IsIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

    std::string_view text_;
    std::size_t pos_ = 0;
};

bool IsDecimalDigit(int c) {
    return c >= '0' && c <= '9';
}

// Value of `c` as a digit of `radix` (8 or 16), or -1.
int DigitValue(int c, unsigned radix) {
    if (c >= '0' && c <= '9') {
        const int d = c - '0';
        return d < static_cast<int>(radix) ? d : -1;
    }
    if (radix == 16) {
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
    }
    return -1;
}

// Hexadecimal and octal numbers are 16-bit signed while they fit in 16 bits (&HFFFF is
// -1) and 32-bit signed while they fit in 32 bits (&HFFFFFFFF is -1). Longer ones read
// as their plain positive magnitude, which may round, or become +inf for hundreds of
// digits.
double ReadRadix(Reader& reader, unsigned radix) {
    std::uint64_t value = 0;
    double magnitude = 0.0;
    bool beyond32 = false;
    for (int d = DigitValue(reader.Peek(), radix); d >= 0; d = DigitValue(reader.Peek(), radix)) {
        reader.Advance();
        magnitude = magnitude * radix + d;
        if (!beyond32) {
            value = value * radix + static_cast<unsigned>(d);
            beyond32 = value > 0xFFFF'FFFFu;
        }
    }
    if (beyond32) {
        return magnitude;
    }
    if (value <= 0xFFFFu) {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// Decimal exponents beyond this cannot change whether the result overflows or vanishes.
constexpr std::int64_t kExponentCap = 1'000'000'000'000;
// Only this many significant digits are handed to the parser; anything nonzero after
// them is kept as one sticky digit so that rounding stays correct.
constexpr std::size_t kMaxDigits = 800;

double ReadDecimal(Reader& reader) {
    bool negative = false;
    int c = reader.Peek();
    if (c == '+' || c == '-') {
        negative = c == '-';
        reader.Advance();
        c = reader.Peek();
    }

    std::string digits;
    std::int64_t integerDigits = 0;
    for (; IsDecimalDigit(c); c = reader.Peek()) {
        digits.push_back(static_cast<char>(c));
        ++integerDigits;
        reader.Advance();
    }
    if (c == '.') {
        reader.Advance();
        for (c = reader.Peek(); IsDecimalDigit(c); c = reader.Peek()) {
            digits.push_back(static_cast<char>(c));
            reader.Advance();
        }
    }

    std::int64_t exponent = 0;
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
        reader.Advance();
        bool negativeExponent = false;
        c = reader.Peek();
        if (c == '+' || c == '-') {
            negativeExponent = c == '-';
            reader.Advance();
            c = reader.Peek();
        }
        for (; IsDecimalDigit(c); c = reader.Peek()) {
            exponent = exponent * 10 + (c - '0');
            if (exponent > kExponentCap) {
                exponent = kExponentCap;
            }
            reader.Advance();
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }

    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return 0.0;
    }
    const std::size_t last = digits.find_last_not_of('0');
    // Decimal exponent of the first significant digit: the number is d.ddd x 10^power.
    const std::int64_t power = integerDigits - static_cast<std::int64_t>(first) - 1 + exponent;
    const double infinity = std::numeric_limits<double>::infinity();
    if (power > 400) {
        return negative ? -infinity : infinity;
    }
    if (power < -400) {
        return 0.0;
    }

    std::string_view significant(digits.data() + first, last - first + 1);
    std::string scientific;
    scientific.push_back(significant.front());
    scientific.push_back('.');
    if (significant.size() > kMaxDigits) {
        scientific.append(significant.substr(1, kMaxDigits - 1));
        scientific.push_back('1');
    } else {
        scientific.append(significant.substr(1));
    }
    scientific.push_back('e');
    scientific.append(std::to_string(power));

    // strtod rounds correctly, gives infinity past the largest double and 0 below the
    // smallest. The text has a '.' point, and the program never leaves the C locale.
    // (std::from_chars would do the same but brings 40 KB of tables into the program.)
    const double value = std::strtod(scientific.c_str(), nullptr);
    if (value == 0.0) {
        return 0.0;
    }
    return negative ? -value : value;
}

}  // namespace

double Val(std::string_view text) {
    Reader reader(text);
    if (reader.Peek() != '&') {
        return ReadDecimal(reader);
    }
    reader.Advance();
    const int c = reader.Peek();
    if (c == 'H' || c == 'h') {
        reader.Advance();
        return ReadRadix(reader, 16);
    }
    if (c == 'O' || c == 'o') {
        reader.Advance();
        return ReadRadix(reader, 8);
    }
    // "&" directly followed by octal digits is octal as well ("&17" is 15).
    return ReadRadix(reader, 8);
}

}  // namespace tk
