#include "arrayops.h"
#include "numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace yarbex {

namespace {

ResultCode check(const double* s, const double* d)
{
    if (!s)
        return RcMissingData;
    if (!d)
        return RcMissingBuffer;
    return RcOk;
}

int32_t roundedArgument(double a)
{
    int32_t k = 0;
    roundToSigned(a, &k, -0x7FFFFFFF, 0x7FFFFFFF);
    return k;
}

template <typename F> ResultCode mapArray(uint32_t n, const double* s, double* d, F f)
{
    if (ResultCode r = check(s, d))
        return r;
    for (uint32_t i = 0; i < n; ++i)
        d[i] = f(s[i]);
    return RcOk;
}

}  // namespace

ResultCode copyArray(uint32_t n, const double* s, double* d)
{
    if (ResultCode r = check(s, d))
        return r;
    if (s != d && n)
        std::memmove(d, s, size_t(n) * sizeof(double));
    return RcOk;
}

ResultCode fillArray(uint32_t n, double* d, double a)
{
    if (!d)
        return RcMissingBuffer;
    for (uint32_t i = 0; i < n; ++i)
        d[i] = a;
    return RcOk;
}

ResultCode negateArray(uint32_t n, const double* s, double* d)
{
    return mapArray(n, s, d, [](double v) { return -v; });
}

ResultCode absoluteArray(uint32_t n, const double* s, double* d)
{
    return mapArray(n, s, d, [](double v) { return std::fabs(v); });
}

ResultCode squareArray(uint32_t n, const double* s, double* d)
{
    return mapArray(n, s, d, [](double v) { return v * v; });
}

ResultCode addToArray(uint32_t n, const double* s, double* d, double a)
{
    return mapArray(n, s, d, [a](double v) { return v + a; });
}

ResultCode scaleArray(uint32_t n, const double* s, double* d, double a)
{
    return mapArray(n, s, d, [a](double v) { return v * a; });
}

ResultCode addNoise(uint32_t n, const double* s, double* d, double sigma)
{
    return mapArray(n, s, d, [sigma](double v) { return v + gaussian(0.0, sigma); });
}

ResultCode accumulateArray(uint32_t n, const double* s, double* d, double a)
{
    if (ResultCode r = check(s, d))
        return r;
    for (uint32_t i = 0; i < n; ++i)
        d[i] += a * s[i];
    return RcOk;
}

ResultCode multiplyArray(uint32_t n, const double* s, double* d)
{
    if (ResultCode r = check(s, d))
        return r;
    for (uint32_t i = 0; i < n; ++i)
        d[i] *= s[i];
    return RcOk;
}

ResultCode clipArray(uint32_t n, const double* s, double* d, double a, uint32_t mode)
{
    if (mode == 0)
        return mapArray(n, s, d, [a](double v) { return v >= a ? v : a; });
    return mapArray(n, s, d, [a](double v) { return v > a ? a : v; });
}

ResultCode thresholdArray(uint32_t n, const double* s, double* d, double a)
{
    return mapArray(n, s, d, [a](double v) { return std::fabs(v) < a ? 0.0 : v; });
}

ResultCode exchangeArrays(uint32_t n, double* s, double* d)
{
    if (ResultCode r = check(s, d))
        return r;
    if (s != d)
        for (uint32_t i = 0; i < n; ++i)
            std::swap(s[i], d[i]);
    return RcOk;
}

ResultCode reverseArray(uint32_t n, const double* s, double* d)
{
    if (ResultCode r = copyArray(n, s, d))
        return r;
    std::reverse(d, d + n);
    return RcOk;
}

ResultCode swapHalvesArray(uint32_t n, const double* s, double* d)
{
    if (ResultCode r = copyArray(n, s, d))
        return r;
    swapHalves(n, d);
    return RcOk;
}

ResultCode rotateArray(uint32_t n, const double* s, double* d, int32_t k)
{
    if (ResultCode r = copyArray(n, s, d))
        return r;
    if (n < 2)
        return RcOk;
    const int64_t kk = k;
    const uint64_t mag = uint64_t(kk < 0 ? -kk : kk) % n;
    const uint64_t right = kk >= 0 ? mag : (n - mag) % n;
    if (right)
        std::rotate(d, d + (n - right), d + n);
    return RcOk;
}

ResultCode shiftArray(uint32_t n, const double* s, double* d, int32_t k, uint32_t fillMode)
{
    if (ResultCode r = copyArray(n, s, d))
        return r;
    const int64_t kk = k;
    if (kk == 0 || kk >= int64_t(n) || -kk >= int64_t(n))
        return RcOk;  // nothing would remain of the array: left as it is
    const double first = d[0];
    const double last = d[n - 1];
    if (kk > 0) {
        const uint32_t sh = uint32_t(kk);
        for (uint32_t i = n - 1; i >= sh; --i)
            d[i] = d[i - sh];
        for (uint32_t i = 0; i < sh; ++i)
            d[i] = fillMode ? first : 0.0;
    } else {
        const uint32_t sh = uint32_t(-kk);
        for (uint32_t i = 0; i + sh < n; ++i)
            d[i] = d[i + sh];
        for (uint32_t i = n - sh; i < n; ++i)
            d[i] = fillMode ? last : 0.0;
    }
    return RcOk;
}

ResultCode zeroUpperHalf(uint32_t n, const double* s, double* d)
{
    if (ResultCode r = copyArray(n, s, d))
        return r;
    for (uint32_t i = n / 2; i < n; ++i)
        d[i] = 0.0;
    return RcOk;
}

ResultCode lagDifference(uint32_t n, const double* s, double* d, int32_t k)
{
    if (!d)
        return RcMissingBuffer;
    if (k == 0)
        return fillArray(n, d, 0.0);
    if (!s)
        return RcMissingData;
    if (k < 0)
        return RcOutOfMemory;  // a ring of negative length cannot exist
    const uint32_t lag = uint32_t(k);
    if (lag >= n) {
        // No value has a partner k points back.
        copyArray(n, s, d);
    } else {
        double* ring = allocDoubles(lag);
        if (!ring)
            return RcOutOfMemory;
        uint32_t slot = 0;
        for (uint32_t i = 0; i < n; ++i) {
            const double v = s[i];
            d[i] = i >= lag ? v - ring[slot] : v;
            ring[slot] = v;
            if (++slot == lag)
                slot = 0;
        }
        std::free(ring);
    }
    return rotateArray(n, d, d, -int32_t(lag / 2));
}

ResultCode elementOp(uint32_t n, const double* s, double* d, uint32_t op, double a)
{
    switch (op) {
    case OpCopy:
        return copyArray(n, s, d);
    case OpFill:
        return fillArray(n, d, a);
    case OpNegate:
        return negateArray(n, s, d);
    case OpAbsolute:
        return absoluteArray(n, s, d);
    case OpSquare:
        return squareArray(n, s, d);
    case OpAdd:
        return addToArray(n, s, d, a);
    case OpScale:
        return scaleArray(n, s, d, a);
    case OpFloor:
        return clipArray(n, s, d, a, 0);
    case OpCeiling:
        return clipArray(n, s, d, a, 1);
    case OpThreshold:
        return thresholdArray(n, s, d, a);
    case OpNoise:
        return addNoise(n, s, d, a);
    case OpReverse:
        return reverseArray(n, s, d);
    case OpSwapHalves:
        return swapHalvesArray(n, s, d);
    case OpSort: {
        if (ResultCode r = copyArray(n, s, d))
            return r;
        heapSort(d, n);
        return RcOk;
    }
    case OpShiftZero:
        return shiftArray(n, s, d, roundedArgument(a), 0);
    case OpShiftEdge:
        return shiftArray(n, s, d, roundedArgument(a), 1);
    case OpRotate:
        return rotateArray(n, s, d, roundedArgument(a));
    case OpZeroUpperHalf:
        return zeroUpperHalf(n, s, d);
    case OpLagDifference:
        return lagDifference(n, s, d, roundedArgument(a));
    case OpExchange:
        // The source stays untouched; the destination receives it.
        return copyArray(n, s, d);
    case OpAccumulate:
        return accumulateArray(n, s, d, a);
    case OpMultiply:
        return multiplyArray(n, s, d);
    default:
        return RcOk;
    }
}

ResultCode elementOpInPlace(uint32_t n, double* d, uint32_t op, double a)
{
    return elementOp(n, d, d, op, a);
}

namespace {

bool perHalfOp(uint32_t op, bool twoDimensional)
{
    switch (op) {
    case OpFill:
    case OpAbsolute:
    case OpSquare:
    case OpAdd:
    case OpScale:
    case OpFloor:
    case OpCeiling:
    case OpThreshold:
    case OpNoise:
    case OpReverse:
    case OpSort:
    case OpAccumulate:
    case OpMultiply:
        return true;
    case OpSwapHalves:
    case OpShiftZero:
    case OpShiftEdge:
    case OpRotate:
    case OpZeroUpperHalf:
    case OpLagDifference:
        return !twoDimensional;
    default:
        return false;
    }
}

// The operations shared by the 1D and 2D dispatches over m points.
ResultCode complexPoints(uint32_t m, const double* s, double* d, uint32_t op, double a, double b, bool twoD)
{
    if (op == OpCopy || op == OpNegate || op == OpExchange)
        return elementOp(2 * m, s, d, op, a);
    if (perHalfOp(op, twoD)) {
        if (ResultCode r = elementOp(m, s, d, op, a))
            return r;
        return elementOp(m, s ? s + m : nullptr, d + m, op, b);
    }
    if (ResultCode r = check(s, d))
        return r;
    const double* sr = s;
    const double* si = s + m;
    double* dr = d;
    double* di = d + m;
    switch (op) {
    case OpMagnitude:
        for (uint32_t k = 0; k < m; ++k) {
            const double re = sr[k], im = si[k];
            dr[k] = std::sqrt(re * re + im * im);
            di[k] = im;
        }
        return RcOk;
    case OpPolar:
        for (uint32_t k = 0; k < m; ++k) {
            const double re = sr[k], im = si[k];
            dr[k] = std::sqrt(re * re + im * im);
            di[k] = phase(re, im);
        }
        return RcOk;
    case OpNormalise: {
        double power = 0.0;
        uint32_t point = 0;
        maximumPower(m, s, &power, &point);
        // An all-zero array has no scale to normalise: it stays zero.
        const double f = power > 0 ? a / std::sqrt(power) : 0.0;
        for (uint32_t k = 0; k < 2 * m; ++k)
            d[k] = s[k] * f;
        return RcOk;
    }
    case OpPower:
        for (uint32_t k = 0; k < m; ++k) {
            const double re = sr[k], im = si[k];
            dr[k] = re * re + im * im;
            di[k] = im;
        }
        return RcOk;
    case OpPowerPhase:
        for (uint32_t k = 0; k < m; ++k) {
            const double re = sr[k], im = si[k];
            dr[k] = re * re + im * im;
            di[k] = phase(re, im);
        }
        return RcOk;
    case OpComplexScale:
        for (uint32_t k = 0; k < m; ++k) {
            const double re = sr[k], im = si[k];
            dr[k] = re * a - im * b;
            di[k] = im * a + re * b;
        }
        return RcOk;
    case OpExchangeParts:
        for (uint32_t k = 0; k < m; ++k) {
            const double re = sr[k], im = si[k];
            dr[k] = im;
            di[k] = re;
        }
        return RcOk;
    case OpComplexMultiply:
        for (uint32_t k = 0; k < m; ++k) {
            const double re = sr[k], im = si[k];
            const double xr = dr[k], xi = di[k];
            dr[k] = xr * re - xi * im;
            di[k] = xi * re + xr * im;
        }
        return RcOk;
    case OpRealToBoth:
        for (uint32_t k = 0; k < m; ++k) {
            const double v = sr[k];
            dr[k] = v;
            di[k] = v;
        }
        return RcOk;
    case OpImaginaryToBoth:
        for (uint32_t k = 0; k < m; ++k) {
            const double v = si[k];
            dr[k] = v;
            di[k] = v;
        }
        return RcOk;
    default:
        return RcUnknownCommand;
    }
}

}  // namespace

ResultCode complexOp1D(uint32_t n, const double* s, double* d, uint32_t op, double a, double b)
{
    if (n > 0x7FFFFFFFu)
        return RcFailed;
    switch (op) {
    case OpTransform: {
        if (ResultCode r = copyArray(2 * n, s, d))
            return r;
        return fft(n, d, a != 0.0 ? 1 : 0);
    }
    case OpHilbert:
    case OpHilbert2: {
        // Only the real half is the input: the copied imaginary half is
        // replaced by the reconstruction.
        if (ResultCode r = copyArray(n, s, d))
            return r;
        return hilbertImaginary(n, d);
    }
    case OpZeroLowRows:
        return RcUnknownCommand;
    default:
        return complexPoints(n, s, d, op, a, b, false);
    }
}

ResultCode complexOp2D(uint32_t rows, uint32_t columns, const double* s, double* d, uint32_t op, double a, double b)
{
    const uint64_t m64 = uint64_t(rows) * columns;
    if (m64 > 0x7FFFFFFFu)
        return RcFailed;
    const uint32_t m = uint32_t(m64);
    switch (op) {
    case OpTransform:
    case OpHilbert:
    case OpHilbert2:
        return RcUnknownCommand;
    case OpZeroLowRows: {
        if (ResultCode r = copyArray(2 * m, s, d))
            return r;
        const uint32_t cleared = rows / 3;
        for (uint32_t r = 0; r < cleared; ++r)
            for (uint32_t c = 0; c < columns; ++c) {
                d[r * columns + c] = 0.0;
                d[m + r * columns + c] = 0.0;
            }
        return RcOk;
    }
    default:
        return complexPoints(m, s, d, op, a, b, true);
    }
}

ResultCode newComplexOp1D(uint32_t n, const double* s, double** out, uint32_t op, double a, double b)
{
    if (!out)
        return RcMissingBuffer;
    freeAndClear(out);
    if (n > 0x7FFFFFFFu)
        return RcOutOfMemory;
    // Zeroed, so that the codes that combine with the destination start
    // from a defined state.
    *out = allocDoublesZeroed(2 * n);
    if (!*out)
        return RcOutOfMemory;
    const ResultCode r = complexOp1D(n, s, *out, op, a, b);
    if (r)
        freeAndClear(out);
    return r;
}

ResultCode newComplexOp2D(uint32_t rows, uint32_t columns, const double* s, double** out, uint32_t op, double a,
                          double b)
{
    if (!out)
        return RcMissingBuffer;
    freeAndClear(out);
    const uint64_t m = uint64_t(rows) * columns;
    if (m > 0x7FFFFFFFu)
        return RcOutOfMemory;
    *out = allocDoublesZeroed(uint32_t(2 * m));
    if (!*out)
        return RcOutOfMemory;
    const ResultCode r = complexOp2D(rows, columns, s, *out, op, a, b);
    if (r)
        freeAndClear(out);
    return r;
}

}  // namespace yarbex
