#include "textnumber.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <system_error>

namespace ks_text {

const double kExactPowersOfTen[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

namespace {

locale_t cLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

bool hasExponent(const char* begin, const char* end)
{
    for (const char* p = begin; p < end; ++p)
        if (*p == 'e' || *p == 'E')
            return true;
    return false;
}

}  // namespace

const char* ReadNumber(const char* p, const char* end, double& value, bool& overflow)
{
    overflow = false;
    const char* q = p;
    const bool negative = q < end && *q == '-';
    if (q < end && (*q == '+' || *q == '-'))
        ++q;
    // Decimal only: a digit, or a point followed by one.
    if (q == end || !(IsDigit(static_cast<unsigned char>(*q)) ||
                      (*q == '.' && q + 1 < end && IsDigit(static_cast<unsigned char>(q[1])))))
        return nullptr;
    if (const char* next = ReadShortDecimal(q, end, negative, value))
        return next;

    // Everything else (long mantissas, exponents) through from_chars, which
    // takes no "+" but rounds as "%lf" does.
    double v = 0;
    const std::from_chars_result r = std::from_chars(negative ? p : q, end, v);
    const char* stop = r.ptr;
    if (r.ec == std::errc::result_out_of_range) {
        // Beyond double one way or the other: the C library tells an
        // overflow from an underflow and gives the value of the latter.
        const std::string token(p, stop);
        v = strtod_l(token.c_str(), nullptr, cLocale());
        if (std::isinf(v)) {
            overflow = true;
            return stop;
        }
    } else if (r.ec != std::errc()) {
        return nullptr;  // not reached: a digit was seen
    }
    // An exponent letter that from_chars left (no digits after it, or after
    // its sign) belongs to the number for "%lf", unless the number already
    // has its exponent.
    if (stop < end && (*stop == 'e' || *stop == 'E') && !hasExponent(q, stop)) {
        ++stop;
        if (stop < end && (*stop == '+' || *stop == '-'))
            ++stop;
    }
    value = v;
    return stop;
}

}  // namespace ks_text
