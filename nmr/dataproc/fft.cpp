// The unitary transform of split complex arrays and the Hilbert
// reconstruction built on it.
//
// Sizes from 8 points up run self-sorting (Stockham) radix-4 passes that
// alternate between the caller's array and a scratch array, with a
// radix-2 pass last for odd powers of two; no bit reversal. The twiddles
// come from a table of cos and sin per size, computed once; the scaling
// rides on the first pass, and the centring costs nothing: the inverse
// reads its input with the halves exchanged, the forward writes its output
// so. Up to 4 points, beyond 2^24 points and whenever the scratch cannot
// be had, the in-place radix-2 transform runs instead; both give the same
// results to rounding.
#include "numeric.h"

#include <atomic>
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

// ---------------------------------------------------------------------------
// In-place radix-2 transform with a trigonometric recurrence for the
// twiddles: needs no memory beyond the data.

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

// ---------------------------------------------------------------------------
// Memory: twiddle tables per size and per-thread scratch.

// Tables are kept for sizes up to 2^20 points (a 4 MB table); larger sizes
// build theirs for the call.
constexpr unsigned kLargestCachedLog2 = 20;
// Scratch of up to this many doubles stays with its thread (4 MB: a
// transform of 2^18 points); larger scratch is allocated for the call.
constexpr size_t kLargestKeptScratch = size_t(1) << 19;
// Beyond 2^24 points (256 MB of data) the in-place transform runs: the
// scratch would double the memory of a transform that size.
constexpr unsigned kLargestStockhamLog2 = 24;

std::atomic<double*> g_tables[kLargestCachedLog2 + 1];

// cos(2 pi k / n) for k < n/4, then sin(2 pi k / n) for the same k.
double* buildTable(uint32_t n)
{
    const size_t quarter = n / 4;
    double* t = static_cast<double*>(std::malloc(2 * quarter * sizeof(double)));
    if (!t)
        return nullptr;
    const double step = 2.0 * M_PI / double(n);
    for (size_t k = 0; k < quarter; ++k) {
        t[k] = std::cos(step * double(k));
        t[quarter + k] = std::sin(step * double(k));
    }
    return t;
}

const double* cachedTable(uint32_t n, unsigned log2n)
{
    double* t = g_tables[log2n].load(std::memory_order_acquire);
    if (t)
        return t;
    double* fresh = buildTable(n);
    if (!fresh)
        return nullptr;
    if (g_tables[log2n].compare_exchange_strong(t, fresh, std::memory_order_acq_rel))
        return fresh;
    std::free(fresh);  // another thread was first
    return t;
}

struct KeptBuffer {
    double* data = nullptr;
    size_t size = 0;
    ~KeptBuffer() { std::free(data); }
};

// One buffer for the transform, one for the Hilbert reconstruction (which
// calls the transform while holding its own).
enum ScratchUse { ForTransform, ForHilbert, ScratchUses };
thread_local KeptBuffer t_kept[ScratchUses];

// Doubles for one call: the thread's kept buffer when small enough, else
// allocated and freed with this object. data() is null when out of memory.
class Scratch {
public:
    Scratch(ScratchUse use, size_t count)
    {
        if (count > kLargestKeptScratch) {
            m_data = static_cast<double*>(std::malloc(count * sizeof(double)));
            m_owned = true;
            return;
        }
        KeptBuffer& kept = t_kept[use];
        if (kept.size < count) {
            // Contents need not survive: a fresh block, not realloc.
            double* grown = static_cast<double*>(std::malloc(count * sizeof(double)));
            if (!grown)
                return;
            std::free(kept.data);
            kept.data = grown;
            kept.size = count;
        }
        m_data = kept.data;
    }
    ~Scratch()
    {
        if (m_owned)
            std::free(m_data);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    double* data() const { return m_data; }

private:
    double* m_data = nullptr;
    bool m_owned = false;
};

// ---------------------------------------------------------------------------
// Radix-4 passes. A pass of length len and stride s takes, for p < len/4
// and q < s, the four points a, b, c, d at q + s (p + k len/4) and writes
//   y[q + s (4p)]     =          (a + c) + (b + d)
//   y[q + s (4p + 1)] = w^p    ((a - c) + J (b - d))
//   y[q + s (4p + 2)] = w^2p   ((a + c) - (b + d))
//   y[q + s (4p + 3)] = w^3p   ((a - c) - J (b - d))
// with w = e^(+-2 pi i / len) and J = w^(len/4) = +-i: + forward, - inverse.
// The table holds w^p of the whole size at index p s.

struct Quad {
    double r0, i0, r1, i1, r2, i2, r3, i3;
};

template <bool Inverse>
inline Quad radix4(double ar, double ai, double br, double bi, double cr, double ci, double dr, double di)
{
    const double apcR = ar + cr, apcI = ai + ci;
    const double amcR = ar - cr, amcI = ai - ci;
    const double bpdR = br + dr, bpdI = bi + di;
    const double bmdR = br - dr, bmdI = bi - di;
    // J (b - d)
    const double jR = Inverse ? bmdI : -bmdI;
    const double jI = Inverse ? -bmdR : bmdR;
    return {apcR + bpdR, apcI + bpdI, amcR + jR, amcI + jI,
            apcR - bpdR, apcI - bpdI, amcR - jR, amcI - jI};
}

template <bool Inverse>
inline void twiddles(const double* cosines, const double* sines, size_t k, double w[6])
{
    const double c = cosines[k];
    const double s = Inverse ? -sines[k] : sines[k];
    w[0] = c;
    w[1] = s;
    w[2] = c * c - s * s;
    w[3] = 2.0 * c * s;
    w[4] = w[2] * c - w[3] * s;
    w[5] = w[2] * s + w[3] * c;
}

// First pass: length n, stride 1, the input scaled; the inverse reads it
// with its halves exchanged.
template <bool Inverse>
void firstPass(uint32_t n, double scale, const double* xr, const double* xi, double* __restrict yr,
               double* __restrict yi, const double* table)
{
    const size_t quarter = n / 4;
    const size_t half = n / 2;
    const size_t offA = Inverse ? half : 0;
    const size_t offC = Inverse ? 0 : half;
    const double* __restrict aR = xr + offA;
    const double* __restrict aI = xi + offA;
    const double* __restrict bR = xr + offA + quarter;
    const double* __restrict bI = xi + offA + quarter;
    const double* __restrict cR = xr + offC;
    const double* __restrict cI = xi + offC;
    const double* __restrict dR = xr + offC + quarter;
    const double* __restrict dI = xi + offC + quarter;
    const double* __restrict cosines = table;
    const double* __restrict sines = table + quarter;
    for (size_t p = 0; p < quarter; ++p) {
        const Quad t = radix4<Inverse>(aR[p] * scale, aI[p] * scale, bR[p] * scale, bI[p] * scale,
                                       cR[p] * scale, cI[p] * scale, dR[p] * scale, dI[p] * scale);
        double w[6];
        twiddles<Inverse>(cosines, sines, p, w);
        double* __restrict oR = yr + 4 * p;
        double* __restrict oI = yi + 4 * p;
        oR[0] = t.r0;
        oI[0] = t.i0;
        oR[1] = w[0] * t.r1 - w[1] * t.i1;
        oI[1] = w[0] * t.i1 + w[1] * t.r1;
        oR[2] = w[2] * t.r2 - w[3] * t.i2;
        oI[2] = w[2] * t.i2 + w[3] * t.r2;
        oR[3] = w[4] * t.r3 - w[5] * t.i3;
        oI[3] = w[4] * t.i3 + w[5] * t.r3;
    }
}

// A pass of length len >= 8 and stride s >= 4 between two arrays.
template <bool Inverse>
void middlePass(size_t n, size_t len, size_t s, const double* xr, const double* xi, double* __restrict yr,
                double* __restrict yi, const double* table)
{
    const size_t quarter = len / 4;
    const double* cosines = table;
    const double* sines = table + n / 4;
    for (size_t p = 0; p < quarter; ++p) {
        double w[6];
        twiddles<Inverse>(cosines, sines, p * s, w);
        const double* __restrict aR = xr + s * p;
        const double* __restrict aI = xi + s * p;
        const double* __restrict bR = aR + s * quarter;
        const double* __restrict bI = aI + s * quarter;
        const double* __restrict cR = bR + s * quarter;
        const double* __restrict cI = bI + s * quarter;
        const double* __restrict dR = cR + s * quarter;
        const double* __restrict dI = cI + s * quarter;
        double* __restrict oR = yr + 4 * s * p;
        double* __restrict oI = yi + 4 * s * p;
        for (size_t q = 0; q < s; ++q) {
            const Quad t = radix4<Inverse>(aR[q], aI[q], bR[q], bI[q], cR[q], cI[q], dR[q], dI[q]);
            oR[q] = t.r0;
            oI[q] = t.i0;
            oR[s + q] = w[0] * t.r1 - w[1] * t.i1;
            oI[s + q] = w[0] * t.i1 + w[1] * t.r1;
            oR[2 * s + q] = w[2] * t.r2 - w[3] * t.i2;
            oI[2 * s + q] = w[2] * t.i2 + w[3] * t.r2;
            oR[3 * s + q] = w[4] * t.r3 - w[5] * t.i3;
            oI[3 * s + q] = w[4] * t.i3 + w[5] * t.r3;
        }
    }
}

// Last pass of length 4 (stride n/4, no twiddles). It may run in place:
// each q reads and writes the same four points. The forward writes the
// halves exchanged (the centred spectrum).
template <bool Inverse>
void lastPass4(size_t n, const double* xr, const double* xi, double* yr, double* yi)
{
    const size_t s = n / 4;
    const size_t rot = Inverse ? 0 : 2;
    double* o0R = yr + s * ((0 + rot) % 4);
    double* o0I = yi + s * ((0 + rot) % 4);
    double* o1R = yr + s * ((1 + rot) % 4);
    double* o1I = yi + s * ((1 + rot) % 4);
    double* o2R = yr + s * ((2 + rot) % 4);
    double* o2I = yi + s * ((2 + rot) % 4);
    double* o3R = yr + s * ((3 + rot) % 4);
    double* o3I = yi + s * ((3 + rot) % 4);
#pragma GCC ivdep
    for (size_t q = 0; q < s; ++q) {
        const Quad t = radix4<Inverse>(xr[q], xi[q], xr[s + q], xi[s + q], xr[2 * s + q], xi[2 * s + q],
                                       xr[3 * s + q], xi[3 * s + q]);
        o0R[q] = t.r0;
        o0I[q] = t.i0;
        o1R[q] = t.r1;
        o1I[q] = t.i1;
        o2R[q] = t.r2;
        o2I[q] = t.i2;
        o3R[q] = t.r3;
        o3I[q] = t.i3;
    }
}

// Last pass of length 2 (stride n/2), in place or not, centred likewise.
template <bool Inverse>
void lastPass2(size_t n, const double* xr, const double* xi, double* yr, double* yi)
{
    const size_t s = n / 2;
    double* sumR = Inverse ? yr : yr + s;
    double* sumI = Inverse ? yi : yi + s;
    double* difR = Inverse ? yr + s : yr;
    double* difI = Inverse ? yi + s : yi;
#pragma GCC ivdep
    for (size_t q = 0; q < s; ++q) {
        const double ar = xr[q], ai = xi[q], br = xr[s + q], bi = xi[s + q];
        sumR[q] = ar + br;
        sumI[q] = ai + bi;
        difR[q] = ar - br;
        difI[q] = ai - bi;
    }
}

unsigned log2Of(uint32_t n)
{
    unsigned k = 0;
    while ((uint32_t(1) << k) < n)
        ++k;
    return k;
}

template <bool Inverse>
void stockham(uint32_t n, unsigned log2n, double* z, double* scratch, const double* table)
{
    // 1/sqrt(n) exactly as the radix-2 transform forms it.
    const double scale = 1.0 / std::sqrt(double(n));
    double* cur = z;
    double* other = scratch;
    firstPass<Inverse>(n, scale, cur, cur + n, other, other + n, table);
    std::swap(cur, other);
    size_t len = n / 4, s = 4;
    for (; len >= 8; len /= 4, s *= 4) {
        middlePass<Inverse>(n, len, s, cur, cur + n, other, other + n, table);
        std::swap(cur, other);
    }
    if (log2n % 2 == 0)
        lastPass4<Inverse>(n, cur, cur + n, z, z + n);
    else
        lastPass2<Inverse>(n, cur, cur + n, z, z + n);
}

}  // namespace

ResultCode fftInPlace(uint32_t n, double* z, uint32_t inverse)
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

ResultCode fft(uint32_t n, double* z, uint32_t inverse)
{
    if (!isPowerOfTwo(n) || !z)
        return RcFailed;
    const unsigned log2n = log2Of(n);
    if (n <= 4 || log2n > kLargestStockhamLog2)
        return fftInPlace(n, z, inverse);
    const double* table = nullptr;
    double* ownTable = nullptr;
    if (log2n <= kLargestCachedLog2)
        table = cachedTable(n, log2n);
    else
        table = ownTable = buildTable(n);
    Scratch scratch(ForTransform, 2 * size_t(n));
    if (!table || !scratch.data()) {
        std::free(ownTable);
        return fftInPlace(n, z, inverse);
    }
    if (inverse)
        stockham<true>(n, log2n, z, scratch.data(), table);
    else
        stockham<false>(n, log2n, z, scratch.data(), table);
    std::free(ownTable);
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
    // Scratch follows the library's limit of 32-bit byte counts.
    if (uint64_t(n) * sizeof(double) > 0xFFFFFFFFull)
        return RcOutOfMemory;
    // The fold drops the time point n/2, which would change the real half;
    // only the imaginary half is taken from the reconstruction.
    Scratch realHalf(ForHilbert, n);
    if (!realHalf.data())
        return RcOutOfMemory;
    std::memcpy(realHalf.data(), z, size_t(n) * sizeof(double));
    std::memset(z + n, 0, size_t(n) * sizeof(double));
    causalFold(n, z);
    fft(n, z, 0);
    std::memcpy(z, realHalf.data(), size_t(n) * sizeof(double));
    return RcOk;
}

}  // namespace yarbex
