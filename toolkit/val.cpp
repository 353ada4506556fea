#include "toolkit/val.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

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

// An unsigned integer of any size, 32 bits a limb, least significant limb first, with
// no leading zero limbs.
using BigInt = std::vector<std::uint32_t>;

void MulAdd(BigInt& n, std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (std::uint32_t& limb : n) {
        const std::uint64_t product = std::uint64_t{limb} * factor + carry;
        limb = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0) {
        n.push_back(static_cast<std::uint32_t>(carry));
    }
}

std::int64_t BitLength(const BigInt& n) {
    return n.empty() ? 0 : static_cast<std::int64_t>(n.size() - 1) * 32 + std::bit_width(n.back());
}

void ShiftLeft(BigInt& n, std::int64_t bits) {
    if (n.empty() || bits <= 0) {
        return;
    }
    const auto limbs = static_cast<std::size_t>(bits / 32);
    const auto rest = static_cast<unsigned>(bits % 32);
    n.insert(n.begin(), limbs, 0);
    if (rest != 0) {
        std::uint32_t carry = 0;
        for (std::size_t i = limbs; i < n.size(); ++i) {
            const std::uint32_t limb = n[i];
            n[i] = (limb << rest) | carry;
            carry = limb >> (32 - rest);
        }
        if (carry != 0) {
            n.push_back(carry);
        }
    }
}

void ShiftRightOne(BigInt& n) {
    for (std::size_t i = 0; i < n.size(); ++i) {
        n[i] = (n[i] >> 1) | (i + 1 < n.size() ? n[i + 1] << 31 : 0);
    }
    if (!n.empty() && n.back() == 0) {
        n.pop_back();
    }
}

bool NotLess(const BigInt& a, const BigInt& b) {
    if (a.size() != b.size()) {
        return a.size() > b.size();
    }
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) {
            return a[i] > b[i];
        }
    }
    return true;
}

// a -= b, for a >= b.
void Subtract(BigInt& a, const BigInt& b) {
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::int64_t d = std::int64_t{a[i]} - (i < b.size() ? b[i] : 0) - borrow;
        borrow = d < 0 ? 1 : 0;
        a[i] = static_cast<std::uint32_t>(d + (borrow << 32));
    }
    while (!a.empty() && a.back() == 0) {
        a.pop_back();
    }
}

// The nearest double to m x 2^exponent, ties to even, where `sticky` says that the
// true value lies a little above m x 2^exponent. m is not 0.
double RoundToDouble(std::uint64_t m, std::int64_t exponent, bool sticky) {
    const int lead = std::countl_zero(m);
    m <<= lead;
    exponent -= lead;
    // Now 2^63 <= m < 2^64: the value lies in [2^top, 2^(top + 1)).
    const std::int64_t top = exponent + 63;
    if (top > 1023) {
        return std::numeric_limits<double>::infinity();
    }
    // Keep 53 bits, or fewer below the smallest normal double (2^-1022).
    const std::int64_t drop = 11 + (top < -1022 ? -1022 - top : 0);
    if (drop > 64) {
        return 0.0;  // below half the smallest subnormal double
    }
    std::uint64_t kept = 0;
    bool up = false;
    if (drop == 64) {
        up = m > (std::uint64_t{1} << 63) || sticky;
    } else {
        kept = m >> drop;
        const std::uint64_t rest = m & ((std::uint64_t{1} << drop) - 1);
        const std::uint64_t half = std::uint64_t{1} << (drop - 1);
        up = rest > half || (rest == half && (sticky || (kept & 1) != 0));
    }
    kept += up ? 1 : 0;
    // kept has at most 53 bits, so both steps are exact (or overflow to infinity).
    return std::ldexp(static_cast<double>(kept), static_cast<int>(exponent + drop));
}

// The nearest double to the decimal integer `digits` x 10^exponent, computed exactly.
double DecimalToDouble(std::string_view digits, std::int64_t exponent) {
    BigInt n;
    for (const char c : digits) {
        MulAdd(n, 10, static_cast<std::uint32_t>(c - '0'));
    }
    if (n.empty()) {
        return 0.0;
    }
    if (exponent >= 0) {
        for (std::int64_t i = 0; i < exponent; ++i) {
            MulAdd(n, 10, 0);
        }
        // The top 64 bits, and whether any bit below them is set.
        const std::int64_t shift = std::max<std::int64_t>(BitLength(n) - 64, 0);
        std::uint64_t m = 0;
        bool sticky = false;
        for (std::int64_t bit = BitLength(n) - 1; bit >= 0; --bit) {
            const bool set =
                (n[static_cast<std::size_t>(bit / 32)] >> static_cast<unsigned>(bit % 32)) & 1u;
            if (bit >= shift) {
                m = (m << 1) | (set ? 1u : 0u);
            } else if (set) {
                sticky = true;
                break;
            }
        }
        return RoundToDouble(m, shift, sticky);
    }
    // n / 10^-exponent: a quotient of 63 or 64 bits by long division, the remainder sticky.
    BigInt divisor{1};
    for (std::int64_t i = 0; i < -exponent; ++i) {
        MulAdd(divisor, 10, 0);
    }
    const std::int64_t scale = BitLength(divisor) - BitLength(n) + 63;
    if (scale >= 0) {
        ShiftLeft(n, scale);
    } else {
        ShiftLeft(divisor, -scale);
    }
    ShiftLeft(divisor, 63);
    std::uint64_t quotient = 0;
    for (int bit = 63; bit >= 0; --bit) {
        quotient <<= 1;
        if (NotLess(n, divisor)) {
            Subtract(n, divisor);
            quotient |= 1;
        }
        ShiftRightOne(divisor);
    }
    return RoundToDouble(quotient, -scale, !n.empty());
}

// Decimal exponents beyond this cannot change whether the result overflows or vanishes.
constexpr std::int64_t kExponentCap = 1'000'000'000'000;
// Only this many significant digits are converted; anything nonzero after them is kept
// as one sticky digit so that rounding stays correct (a double is settled by its first
// 768 significant digits and whether any digit after them is nonzero).
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

    // At most kMaxDigits digits, the last of them sticky when more were given.
    std::string_view significant(digits.data() + first, last - first + 1);
    std::string used(significant.substr(0, kMaxDigits));
    if (significant.size() > kMaxDigits) {
        used.back() = '1';
    }
    const double value = DecimalToDouble(used, power - static_cast<std::int64_t>(used.size()) + 1);
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
