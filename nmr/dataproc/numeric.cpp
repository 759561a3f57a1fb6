#include "numeric.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace yarbex {

bool roundToUnsigned(double x, uint32_t* out, uint32_t low, uint32_t high)
{
    uint32_t v = low;
    bool ok = false;
    if (x >= 0) {
        const double r = std::floor(x + 0.5);
        if (r > high)
            v = high;
        else if (r < low)
            v = low;
        else {
            v = static_cast<uint32_t>(r);
            ok = true;
        }
    }
    // Negative and NaN inputs give low.
    if (out)
        *out = v;
    return ok;
}

bool roundToSigned(double x, int32_t* out, int32_t low, int32_t high)
{
    int32_t v = low;
    bool ok = false;
    if (!std::isnan(x)) {
        const double r = x >= 0 ? std::floor(x + 0.5) : -std::floor(0.5 - x);
        if (r > high)
            v = high;
        else if (r < low)
            v = low;
        else {
            v = static_cast<int32_t>(r);
            ok = true;
        }
    }
    if (out)
        *out = v;
    return ok;
}

namespace {

double guardedAtan(double x, double y)
{
    if (x * 1e-18 > std::fabs(y))
        return 0.0;
    if (std::fabs(y) * 1e-18 > x)
        return y > 0 ? M_PI / 2 : -M_PI / 2;
    if (x == 0.0)
        return 0.0;  // only (0, 0) gets here
    return std::atan(y / x);
}

}  // namespace

double phase(double re, double im)
{
    if (re >= 0)
        return guardedAtan(re, im);
    if (im >= 0)
        return M_PI - guardedAtan(-re, im);
    return -M_PI - guardedAtan(-re, im);
}

double integerPower(double x, uint32_t k)
{
    double result = 1.0;
    double base = x;
    while (k) {
        if (k & 1u)
            result *= base;
        k >>= 1;
        if (k)
            base *= base;
    }
    return result;
}

double factorial(uint32_t k)
{
    double f = 1.0;
    for (uint32_t i = 2; i <= k; ++i)
        f *= i;
    return f;
}

double parabolaVertex(double x0, double x1, double x2, double y0, double y1, double y2, double* xv, double* yv)
{
    const double s12 = (y2 - y1) / (x2 - x1);
    const double s01 = (y0 - y1) / (x0 - x1);
    const double c = 2 * (s12 - s01) / (x2 - x0);
    const double g = s12 - (x2 - x1) * c / 2;
    const double d = g / c;
    if (xv)
        *xv = x1 - d;
    if (yv)
        *yv = y1 - d * g / 2;
    return c;
}

double* heapSort(double* a, uint32_t n)
{
    if (!a || n <= 1)
        return a;
    auto siftDown = [a](uint32_t root, uint32_t end) {
        const double v = a[root];
        uint32_t i = root;
        for (;;) {
            uint32_t child = 2 * i + 1;
            if (child >= end)
                break;
            if (child + 1 < end && a[child + 1] > a[child])
                ++child;
            if (!(a[child] > v))
                break;
            a[i] = a[child];
            i = child;
        }
        a[i] = v;
    };
    for (uint32_t i = n / 2; i-- > 0;)
        siftDown(i, n);
    for (uint32_t end = n - 1; end > 0; --end) {
        const double t = a[0];
        a[0] = a[end];
        a[end] = t;
        siftDown(0, end);
    }
    return a;
}

double* allocDoubles(uint32_t n)
{
    if (n == 0 || uint64_t(n) * sizeof(double) > 0xFFFFFFFFull)
        return nullptr;
    return static_cast<double*>(std::malloc(size_t(n) * sizeof(double)));
}

double* allocDoublesZeroed(uint32_t n)
{
    if (n == 0 || uint64_t(n) * sizeof(double) > 0xFFFFFFFFull)
        return nullptr;
    return static_cast<double*>(std::calloc(n, sizeof(double)));
}

uint32_t* allocWordsZeroed(uint32_t n)
{
    if (n == 0 || uint64_t(n) * sizeof(uint32_t) > 0xFFFFFFFFull)
        return nullptr;
    return static_cast<uint32_t*>(std::calloc(n, sizeof(uint32_t)));
}

void freeAndClear(void** p)
{
    if (p && *p) {
        std::free(*p);
        *p = nullptr;
    }
}

}  // namespace yarbex
