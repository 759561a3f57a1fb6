// Radix-2 transform on split complex arrays, in place, with a
// trigonometric recurrence for the twiddles, and the Hilbert
// reconstruction built on it.
#include "numeric.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace yarbex {

bool isPowerOfTwo(uint32_t n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

void swapHalves(uint32_t n, double* a)
{
    if (!a)
        return;
    const uint32_t off = (n + 1) / 2;
    for (uint32_t i = 0; i < n / 2; ++i)
        std::swap(a[i], a[i + off]);
}

namespace {

inline void butterfly(double* re, double* im, uint32_t i, uint32_t j, double wr, double wi)
{
    const double tr = wr * re[j] - wi * im[j];
    const double ti = wr * im[j] + wi * re[j];
    re[j] = re[i] - tr;
    im[j] = im[i] - ti;
    re[i] += tr;
    im[i] += ti;
}

// w := w + w (wpr + i wpi)
inline void advance(double& wr, double& wi, double wpr, double wpi)
{
    const double t = wr;
    wr += wr * wpr - wi * wpi;
    wi += wi * wpr + t * wpi;
}

}  // namespace

ResultCode fft(uint32_t n, double* z, uint32_t inverse)
{
    if (!isPowerOfTwo(n) || !z)
        return RcFailed;
    double* re = z;
    double* im = z + n;
    if (inverse) {
        swapHalves(n, re);
        swapHalves(n, im);
    }

    // Bit-reversal permutation.
    for (uint32_t i = 0, j = 0; i < n; ++i) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        uint32_t bit = n >> 1;
        while (bit && (j & bit)) {
            j ^= bit;
            bit >>= 1;
        }
        j |= bit;
    }

    const double sign = inverse ? -1.0 : 1.0;
    for (uint32_t L = 1; L < n; L <<= 1) {
        const double theta = sign * M_PI / L;
        const double h = std::sin(0.5 * theta);
        const double wpr = -2.0 * h * h;
        const double wpi = std::sin(theta);
        const uint32_t step = L << 1;
        // Blocks in memory order, the twiddle recurrence run again in each
        // block (it yields the same values every time): power-of-two
        // strides across blocks would thrash the cache.
        for (uint32_t base = 0; base < n; base += step) {
            double wr = 1.0, wi = 0.0;
            for (uint32_t m = 0; m < L; ++m) {
                butterfly(re, im, base + m, base + m + L, wr, wi);
                advance(wr, wi, wpr, wpi);
            }
        }
    }

    const double scale = 1.0 / std::sqrt(double(n));
    for (size_t i = 0; i < 2 * size_t(n); ++i)
        z[i] *= scale;

    if (!inverse) {
        swapHalves(n, re);
        swapHalves(n, im);
    }
    return RcOk;
}

ResultCode causalFold(uint32_t n, double* z)
{
    if (!z)
        return RcOk;
    fft(n, z, 1);
    if (n < 2)
        return RcOk;
    double* re = z;
    double* im = z + n;
    for (uint32_t k = 1; k <= n / 2; ++k) {
        const uint32_t m = n - k;
        const double rk = re[k], rm = re[m];
        const double ik = im[k], imm = im[m];
        re[k] = rk + rm;
        re[m] = rk - rm;
        im[k] = ik - imm;
        im[m] = imm + ik;
    }
    return RcOk;
}

ResultCode hilbertImaginary(uint32_t n, double* z)
{
    if (!z || !isPowerOfTwo(n))
        return RcFailed;
    // The fold drops the time point n/2, which would change the real half;
    // only the imaginary half is taken from the reconstruction.
    double* realHalf = allocDoubles(n);
    if (!realHalf)
        return RcOutOfMemory;
    std::memcpy(realHalf, z, size_t(n) * sizeof(double));
    std::memset(z + n, 0, size_t(n) * sizeof(double));
    causalFold(n, z);
    fft(n, z, 0);
    std::memcpy(z, realHalf, size_t(n) * sizeof(double));
    std::free(realHalf);
    return RcOk;
}

}  // namespace yarbex
