// Dense linear algebra, the FIR filter and the distance measures.
#include "arrayops.h"
#include "numeric.h"

#include <cmath>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace yarbex {

ResultCode dotProduct(uint32_t n, const double* x, const double* y, double* out)
{
    if (out)
        *out = 0.0;
    if (!x || !y)
        return RcMissingData;
    if (!out)
        return RcMissingBuffer;
    double sum = 0.0;
    for (uint32_t i = 0; i < n; ++i)
        sum += x[i] * y[i];
    *out = sum;
    return RcOk;
}

ResultCode arrayDifference(uint32_t n, const double* x, const double* y, double* out)
{
    if (!x || !y)
        return RcMissingData;
    if (!out)
        return RcMissingBuffer;
    for (uint32_t i = 0; i < n; ++i)
        out[i] = x[i] - y[i];
    return RcOk;
}

ResultCode arrayProduct(uint32_t n, const double* x, const double* y, double* out)
{
    if (!x || !y)
        return RcMissingData;
    if (!out)
        return RcMissingBuffer;
    for (uint32_t i = 0; i < n; ++i)
        out[i] = x[i] * y[i];
    return RcOk;
}

ResultCode firFilter(uint32_t n, const double* x, double* y, uint32_t m, const double* c)
{
    if (!x || !y || !c || n == 0 || m == 0)
        return RcFailed;
    double* ring = allocDoubles(m);
    if (!ring)
        return RcOutOfMemory;
    const uint32_t h = (m - 1) / 2;
    // x[k] is x[0] before the start and x[n-1] past the end, also while
    // filling a window that is longer than the data.
    auto sample = [x, n](uint64_t k) { return k < n ? x[k] : x[n - 1]; };
    for (uint32_t j = 0; j < h; ++j)
        ring[j] = x[0];
    for (uint32_t j = h; j < m; ++j)
        ring[j] = sample(j - h);
    uint32_t start = 0;
    for (uint32_t i = 0; i < n; ++i) {
        double sum = 0.0;
        uint32_t slot = start;
        for (uint32_t j = 0; j < m; ++j) {
            sum += c[j] * ring[slot];
            if (++slot == m)
                slot = 0;
        }
        y[i] = sum;
        ring[start] = sample(uint64_t(m - h) + i);
        if (++start == m)
            start = 0;
    }
    std::free(ring);
    return RcOk;
}

ResultCode gaussJordan(double* A, uint32_t n, double* B, uint32_t m)
{
    if (!A || n == 0 || (m > 0 && !B))
        return RcMissingData;
    std::vector<uint32_t> rowOf, colOf, used;
    try {
        rowOf.resize(n);
        colOf.resize(n);
        used.assign(n, 0);
    } catch (const std::bad_alloc&) {
        return RcOutOfMemory;
    }
    auto a = [A, n](uint32_t i, uint32_t j) -> double& { return A[i + size_t(j) * n]; };
    auto b = [B, n](uint32_t i, uint32_t j) -> double& { return B[i + size_t(j) * n]; };

    for (uint32_t pass = 0; pass < n; ++pass) {
        double big = 0.0;
        uint32_t irow = 0, icol = 0;
        bool found = false;
        for (uint32_t j = 0; j < n; ++j) {
            if (used[j])
                continue;
            for (uint32_t k = 0; k < n; ++k) {
                if (used[k])
                    continue;
                if (std::fabs(a(j, k)) >= big) {
                    big = std::fabs(a(j, k));
                    irow = j;
                    icol = k;
                    found = true;
                }
            }
        }
        if (!found)
            return RcFailed;  // only NaN left to pivot on
        used[icol] = 1;
        if (irow != icol) {
            for (uint32_t l = 0; l < n; ++l)
                std::swap(a(irow, l), a(icol, l));
            for (uint32_t l = 0; l < m; ++l)
                std::swap(b(irow, l), b(icol, l));
        }
        rowOf[pass] = irow;
        colOf[pass] = icol;
        const double pivot = a(icol, icol);
        if (pivot == 0.0)
            return RcFailed;
        const double inverse = 1.0 / pivot;
        a(icol, icol) = 1.0;
        for (uint32_t l = 0; l < n; ++l)
            a(icol, l) *= inverse;
        for (uint32_t l = 0; l < m; ++l)
            b(icol, l) *= inverse;
        for (uint32_t ll = 0; ll < n; ++ll) {
            if (ll == icol)
                continue;
            const double f = a(ll, icol);
            a(ll, icol) = 0.0;
            for (uint32_t l = 0; l < n; ++l)
                a(ll, l) -= a(icol, l) * f;
            for (uint32_t l = 0; l < m; ++l)
                b(ll, l) -= b(icol, l) * f;
        }
    }
    for (uint32_t l = n; l-- > 0;) {
        if (rowOf[l] != colOf[l])
            for (uint32_t k = 0; k < n; ++k)
                std::swap(a(k, rowOf[l]), a(k, colOf[l]));
    }
    return RcOk;
}

double* matrixTimesVector(const double* A, uint32_t rows, uint32_t columns, const double* x, double* out)
{
    if (!A || !x)
        return nullptr;
    if (!out) {
        out = allocDoubles(columns);
        if (!out)
            return nullptr;
    }
    for (uint32_t j = 0; j < columns; ++j) {
        double sum = 0.0;
        for (uint32_t k = 0; k < rows; ++k)
            sum += A[j + size_t(k) * columns] * x[k];
        out[j] = sum;
    }
    return out;
}

double* gramMatrix(const double* A, uint32_t length, uint32_t rows, double* out)
{
    if (!A)
        return nullptr;
    if (!out) {
        if (uint64_t(rows) * rows > 0xFFFFFFFFu)
            return nullptr;
        out = allocDoubles(rows * rows);
        if (!out)
            return nullptr;
    }
    for (uint32_t i = 0; i < rows; ++i)
        for (uint32_t j = 0; j < rows; ++j) {
            const double* ri = A + size_t(i) * length;
            const double* rj = A + size_t(j) * length;
            double sum = 0.0;
            for (uint32_t k = 0; k < length; ++k)
                sum += ri[k] * rj[k];
            out[size_t(i) * rows + j] = sum;
        }
    return out;
}

ResultCode maximumPower(uint32_t n, const double* z, double* power, uint32_t* point)
{
    if (!z)
        return RcMissingData;
    double best = 0.0;
    uint32_t at = 0;
    if (n > 0) {
        best = z[0] * z[0] + z[n] * z[n];
        for (uint32_t k = 1; k < n; ++k) {
            const double p = z[k] * z[k] + z[n + k] * z[n + k];
            if (p > best) {
                best = p;
                at = k;
            }
        }
    }
    if (power)
        *power = best;
    if (point)
        *point = at;
    return RcOk;
}

ResultCode cumulativeDistance(uint32_t n, const double* x, const double* y, double* d)
{
    if (!x || !y)
        return RcMissingData;
    if (!d)
        return RcMissingBuffer;
    double X = 0.0, Y = 0.0;
    for (uint32_t i = 0; i < n; ++i) {
        X += x[i];
        Y += y[i];
    }
    // A zero sum leaves nothing to normalise by.
    if (n == 0 || X == 0.0 || Y == 0.0)
        return RcFailed;
    double sx = 0.0, sy = 0.0, D = 0.0;
    for (uint32_t i = 0; i < n; ++i) {
        sx += x[i];
        sy += y[i];
        const double diff = sx / X - sy / Y;
        D += diff * diff;
    }
    *d = std::sqrt(D / n);
    return RcOk;
}

ResultCode windowedCumulativeDistance(uint32_t n, const double* x, const double* y, double* d, double low,
                                      double high, double width)
{
    if (!x || !y)
        return RcMissingData;
    if (!d)
        return RcMissingBuffer;
    if (low > high)
        std::swap(low, high);
    if (low < 0)
        low = 0;
    if (high >= n)
        high = double(n) - 1;
    if (!(width > 0))
        width = 1.0;
    double X = 0.0, Y = 0.0;
    for (uint32_t i = 0; i < n; ++i) {
        X += x[i];
        Y += y[i];
    }
    if (n == 0 || X == 0.0 || Y == 0.0)
        return RcFailed;
    double W = 0.0, sx = 0.0, sy = 0.0, D = 0.0;
    for (uint32_t i = 0; i < n; ++i) {
        double w = 1.0;
        if (i < low) {
            const double t = (low - i) / width;
            w = std::exp(-t * t);
        } else if (i > high) {
            const double t = (i - high) / width;
            w = std::exp(-t * t);
        }
        W += w;
        sx += x[i] * w / X;
        sy += y[i] * w / Y;
        const double diff = sx - sy;
        D += diff * diff;
    }
    if (!(W > 0))
        return RcFailed;
    *d = std::sqrt(D / W);
    return RcOk;
}

}  // namespace yarbex
