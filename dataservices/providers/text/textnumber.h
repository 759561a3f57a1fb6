// The number rule of text spectrum files: what the C library's "%lf" reads
// of a decimal number (optional sign, digits with an optional point and
// fraction, optional exponent), in the "C" locale whatever the process
// locale, without the library's locale machinery.
//
// Decimal only, as the format's numbers are: "inf", "nan" and hexadecimal
// forms are no numbers ("0x10" reads as 0, stopping at the "x"). A value
// beyond the range of a double is reported as an overflow instead of being
// read as infinity; a value too small for one reads as "%lf" reads it (0,
// or the nearest subnormal).
#pragma once

#include <cstdint>

namespace ks_text {

inline bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline bool IsDigit(unsigned char c)
{
    return static_cast<unsigned>(c - '0') < 10u;
}

// Powers of ten that a double holds exactly.
extern const double kExactPowersOfTen[23];

// The short decimals that make up nearly every data file ("1234.5678"):
// at p (a digit or a point; the sign already taken), digits with an
// optional point and fraction, no exponent letter after them, at most 19
// digits, a value of m / 10^k with m <= 2^53 and k <= 22. Both operands are
// then exact doubles, so the one division is correctly rounded: the value
// every correct reader gives. Answers the end of the number, or nullptr
// when the number is not of this form (nothing is decided then).
inline const char* ReadShortDecimal(const char* p, const char* end, bool negative, double& value)
{
    uint64_t m = 0;  // wraps for more than 19 digits, which are refused below
    const char* q = p;
    while (q < end && IsDigit(static_cast<unsigned char>(*q))) {
        m = m * 10 + static_cast<unsigned>(*q - '0');
        ++q;
    }
    int digits = static_cast<int>(q - p);
    int scale = 0;
    if (q < end && *q == '.') {
        const char* fraction = ++q;
        while (q < end && IsDigit(static_cast<unsigned char>(*q))) {
            m = m * 10 + static_cast<unsigned>(*q - '0');
            ++q;
        }
        scale = static_cast<int>(q - fraction);
        digits += scale;
    }
    if (digits == 0 || digits > 19 || scale > 22 || m > (uint64_t(1) << 53))
        return nullptr;
    if (q < end && (*q == 'e' || *q == 'E'))
        return nullptr;
    double v = static_cast<double>(m);
    if (scale > 0)
        v /= kExactPowersOfTen[scale];
    value = negative ? -v : v;
    return q;
}

// Where a short decimal at p ends when its value is not wanted: nullptr
// unless it has at most 15 digits (every such number is a short decimal).
inline const char* SkipShortDecimal(const char* p, const char* end)
{
    const char* q = p;
    while (q < end && IsDigit(static_cast<unsigned char>(*q)))
        ++q;
    int digits = static_cast<int>(q - p);
    if (q < end && *q == '.') {
        const char* fraction = ++q;
        while (q < end && IsDigit(static_cast<unsigned char>(*q)))
            ++q;
        digits += static_cast<int>(q - fraction);
    }
    if (digits == 0 || digits > 15 || (q < end && (*q == 'e' || *q == 'E')))
        return nullptr;
    return q;
}

// One number at p (no blanks skipped). Answers the end of what "%lf" takes
// (an exponent letter and sign without digits included, as "%lf" takes
// them: "100e 5" is 100 followed by " 5"), or nullptr when no decimal
// number starts at p. `overflow` tells a value beyond the range of double;
// `value` is then unchanged.
const char* ReadNumber(const char* p, const char* end, double& value, bool& overflow);

}  // namespace ks_text
