#include "smoothing.h"
#include "arrayops.h"
#include "dpi.h"
#include "frame.h"
#include "numeric.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace yarbex;

namespace {

// Coefficients of the least-squares polynomial of the given order over the
// window, evaluated (derivative `derivative`) at offset shift + h.
//
// The fit is made in a basis of polynomials orthonormal over the window's
// own abscissae, built by Arnoldi steps with reorthogonalisation on the
// offsets scaled into [-1, 1] (Vandermonde with Arnoldi). The normal
// equations in raw powers that define these coefficients square the
// condition of the power basis: solved as they stand they lose all accuracy
// beyond order 20 or so while still answering success. Here every allowed
// order is accurate to rounding (checked against exact rational arithmetic
// in the tests). With q_k the basis and D_k its derivative at the centre,
// c_j = sum_k q_k(u_j) D_k, scaled back by h^-derivative.
ResultCode coefficients(uint32_t derivative, uint32_t points, uint32_t order, double shift, double** out,
                        double* noiseFactor)
{
    *out = nullptr;
    if (points == 0 || order >= points || derivative > order || order > kMaxSmoothingOrder)
        return RcIllegalMode;
    const uint32_t rows = order + 1;
    const uint32_t dims = derivative + 1;
    const uint32_t h = points / 2;
    if (uint64_t(rows) * points > 0x1FFFFFFFu)
        return RcOutOfMemory;
    double* Q = allocDoubles(rows * points);     // q_k at the abscissae, row k
    double* D = allocDoublesZeroed(rows * dims);  // derivatives 0..d of q_k at 0
    double* u = allocDoubles(points);
    double* c = allocDoublesZeroed(points);
    if (!Q || !D || !u || !c) {
        std::free(Q);
        std::free(D);
        std::free(u);
        std::free(c);
        return RcOutOfMemory;
    }
    double scale = 1.0;
    for (uint32_t j = 0; j < points; ++j) {
        u[j] = double(j) - shift - double(h);
        scale = std::fmax(scale, std::fabs(u[j]));
    }
    for (uint32_t j = 0; j < points; ++j)
        u[j] /= scale;
    const double q0 = 1.0 / std::sqrt(double(points));
    for (uint32_t j = 0; j < points; ++j)
        Q[j] = q0;
    D[0] = q0;
    ResultCode r = RcOk;
    for (uint32_t k = 1; k < rows && !r; ++k) {
        double* v = Q + size_t(k) * points;
        double* dv = D + size_t(k) * dims;
        const double* prev = v - points;
        const double* dprev = dv - dims;
        for (uint32_t j = 0; j < points; ++j)
            v[j] = u[j] * prev[j];
        // (u q)^(m) at u = 0 is m q^(m-1)(0)
        for (uint32_t m = 1; m < dims; ++m)
            dv[m] = double(m) * dprev[m - 1];
        for (int pass = 0; pass < 2; ++pass)
            for (uint32_t i = 0; i < k; ++i) {
                const double* qi = Q + size_t(i) * points;
                const double* di = D + size_t(i) * dims;
                double dot = 0;
                for (uint32_t j = 0; j < points; ++j)
                    dot += qi[j] * v[j];
                for (uint32_t j = 0; j < points; ++j)
                    v[j] -= dot * qi[j];
                for (uint32_t m = 0; m < dims; ++m)
                    dv[m] -= dot * di[m];
            }
        double norm = 0;
        for (uint32_t j = 0; j < points; ++j)
            norm += v[j] * v[j];
        norm = std::sqrt(norm);
        // distinct abscissae keep every step independent; a shift that is
        // not a finite number does not
        if (!(norm > 0) || !std::isfinite(norm)) {
            r = RcFailed;
            break;
        }
        for (uint32_t j = 0; j < points; ++j)
            v[j] /= norm;
        for (uint32_t m = 0; m < dims; ++m)
            dv[m] /= norm;
    }
    if (!r) {
        double back = 1.0;
        for (uint32_t m = 0; m < derivative; ++m)
            back /= scale;
        double sq = 0;
        for (uint32_t j = 0; j < points; ++j) {
            double sum = 0;
            for (uint32_t k = 0; k < rows; ++k)
                sum += Q[size_t(k) * points + j] * D[size_t(k) * dims + derivative];
            c[j] = sum * back;
            sq += c[j] * c[j];
        }
        if (noiseFactor)
            *noiseFactor = std::sqrt(sq);
        *out = c;
        c = nullptr;
    }
    std::free(Q);
    std::free(D);
    std::free(u);
    std::free(c);
    return r;
}

// The checks shared by both filters; r becomes at least 0.5.
ResultCode checkFilter(uint32_t n, const double* in, double* out, double& r, uint32_t derivative, uint32_t* order,
                       uint32_t* points, uint32_t mode)
{
    if (!in)
        return RcMissingData;
    if (!out || !order || !points)
        return RcMissingBuffer;
    if (n == 0)
        return RcFailed;
    // A fresh instance has no line width: the ratio is not a number.
    if (!std::isfinite(r))
        return RcIllegalMode;
    if (!(r > 0.5))
        r = 0.5;
    if (!(mode & ModeKeepWindow))
        *points = smoothingWindow(derivative, r, order);
    if (derivative > *order)
        return RcIllegalDerivative;
    // The window must carry the polynomial and see some data.
    if (*points <= *order || *order > kMaxSmoothingOrder || uint64_t(*points) > 2 * uint64_t(n) + 1)
        return RcIllegalMode;
    return RcOk;
}

}  // namespace

double* yarbex::savitzkyGolayCoefficients(uint32_t derivative, uint32_t points, uint32_t order, double shift,
                                          double* noiseFactor)
{
    double* c = nullptr;
    coefficients(derivative, points, order, shift, &c, noiseFactor);
    return c;
}

uint32_t yarbex::smoothingWindow(uint32_t derivative, double r, uint32_t* order)
{
    if (order)
        *order = derivative + 3;
    double a = std::fabs(r);
    if (!(a < 2e9))
        a = std::isnan(a) ? 0.0 : 2e9;
    const uint64_t points = uint64_t(std::floor(a + 1)) + derivative + 3;
    return uint32_t((points > 0xFFFFFFFFu ? 0xFFFFFFFFu : points) | 1u);
}

ResultCode yarbex::savitzkyGolay(uint32_t n, const double* in, double* out, double r, uint32_t derivative,
                                 uint32_t* order, uint32_t* points, double* noiseFactor, uint32_t mode)
{
    if (ResultCode rc = checkFilter(n, in, out, r, derivative, order, points, mode))
        return rc;
    double noise = 0;
    double* c = nullptr;
    if (ResultCode rc = coefficients(derivative, *points, *order, 0.0, &c, &noise))
        return rc == RcFailed ? RcIllegalMode : rc;
    ResultCode rc = firFilter(n, in, out, *points, c);
    if (!rc && !(mode & ModeRealOnly))
        rc = firFilter(n, in + n, out + n, *points, c);
    std::free(c);
    if (rc)
        return rc;
    if (derivative && !(mode & ModeUnscaledDerivative)) {
        double f = 1.0;
        for (uint32_t k = 1; k <= derivative; ++k)
            f *= r / k;
        const size_t count = (mode & ModeRealOnly) ? n : 2 * size_t(n);
        for (size_t i = 0; i < count; ++i)
            out[i] *= f;
        noise *= f;
    }
    if (noiseFactor)
        *noiseFactor = noise;
    return RcOk;
}

ResultCode yarbex::savitzkyGolayReal(uint32_t n, const double* in, double* out, double r, uint32_t derivative,
                                     uint32_t* order, uint32_t* points, double* noiseFactor, uint32_t mode)
{
    if (ResultCode rc = checkFilter(n, in, out, r, derivative, order, points, mode))
        return rc;
    double noise = 0;
    double* c = nullptr;
    if (ResultCode rc = coefficients(derivative, *points, *order, 0.0, &c, &noise))
        return rc == RcFailed ? RcIllegalMode : rc;
    const ResultCode rc = firFilter(n, in, out, *points, c);
    std::free(c);
    if (rc)
        return rc;
    if (derivative && !(mode & ModeUnscaledDerivative)) {
        double f = 1.0;
        for (uint32_t k = 1; k <= derivative; ++k)
            f /= k;
        for (uint32_t i = 0; i < n; ++i)
            out[i] *= f;
        noise *= f;
    }
    if (noiseFactor)
        *noiseFactor = noise;
    return RcOk;
}

ResultCode yarbex::resolutionBooster(uint32_t n, const double* in, double* out, double r, double sigma,
                                     double floorFactor, uint32_t kind, uint32_t* order, uint32_t* points,
                                     double* noiseFactor, uint32_t mode)
{
    if (kind != 2)
        return RcIllegalMode;
    if (r <= 0.5)
        r = 0.5;
    double noise = 0;
    if (ResultCode rc = savitzkyGolay(n, in, out, r, 2, order, points, &noise, mode | ModeRealOnly))
        return rc;
    if (noiseFactor)
        *noiseFactor = noise;
    if (floorFactor != 0) {
        const double floor = -2 * floorFactor * noise * sigma;
        for (uint32_t i = 0; i < n; ++i)
            if (out[i] > floor)
                out[i] = floor;
    }
    for (uint32_t i = 0; i < n; ++i)
        out[i] = -out[i];
    return RcOk;
}

// ---- instance commands ----------------------------------------------------

ResultCode DPI::savitzkyGolay()
{
    const bool report = mode & ModeReport;
    mode &= ~uint32_t(ModeReport);
    ResultCode r = prepare(0x130011);
    if (!r) {
        DpiBlock& w = *results;
        w.slot[WkOrder].words.second = intParameter(1);
        w.slot[WkPoints2].words.second = intParameter(2);
        const uint32_t kind = dataKind();
        if (kind != KindReal && kind != KindComplex)
            r = RcIllegalItemsType;
        if (!r)
            r = allocOutput(pointCount(), false);
        if (!r) {
            uint32_t order = wordCount(w.slot[WkOrder].words.second);
            uint32_t points = wordCount(w.slot[WkPoints2].words.second);
            const double ratio = w.slot[WkLineWidth].value / doubleParameter(0);
            const uint32_t derivative = intParameter(0);
            r = yarbex::savitzkyGolay(pointCount(), staged(), outputDoubles(), ratio, derivative, &order, &points,
                                      &w.slot[WkNoiseFactor].value, mode);
            w.slot[WkOrder].words.second = order;
            w.slot[WkPoints2].words.second = points;
            if (!r) {
                r = finish(0x3000000);
                if (!r && report) {
                    char text[256];
                    std::snprintf(text, sizeof text,
                                  "Savitsky-Golay:\nDerivative: %" PRIu32 "\nOrder: %" PRIu32 "\nPoints: %" PRIu32
                                  "\nNoise factor:%10.3g",
                                  derivative, order, points, w.slot[WkNoiseFactor].value);
                    showMessage(MessageInformation, text, "Data Processing");
                }
            }
        }
    }
    finish(StageOutputDoubles);
    return r;
}

ResultCode DPI::resolutionBooster()
{
    const bool report = mode & ModeReport;
    mode &= ~uint32_t(ModeReport);
    ResultCode r = prepare(0x1B0011);
    if (!r && domain() != DomainFrequency)
        r = RcIllegalDataKind;
    if (!r) {
        DpiBlock& w = *results;
        w.slot[WkOrder].words.second = intParameter(1);
        w.slot[WkPoints2].words.second = intParameter(2);
        const uint32_t kind = dataKind();
        if (kind != KindReal && kind != KindComplex)
            r = RcIllegalItemsType;
        if (!r)
            r = allocOutput(pointCount(), false);
        if (!r) {
            const uint32_t n = pointCount();
            const double ratio = w.slot[WkLineWidth].value / doubleParameter(0);
            // Smoothed first, so that the imaginary half carries the
            // smoothed imaginary part; the booster then replaces the real
            // half.
            uint32_t scratchOrder = 0, scratchPoints = 0;
            double scratchNoise = 0;
            r = yarbex::savitzkyGolay(n, staged(), outputDoubles(), ratio, 0, &scratchOrder, &scratchPoints,
                                      &scratchNoise, mode & ~uint32_t(ModeKeepWindow));
            uint32_t order = wordCount(w.slot[WkOrder].words.second);
            uint32_t points = wordCount(w.slot[WkPoints2].words.second);
            if (!r)
                r = yarbex::resolutionBooster(n, staged(), outputDoubles(), ratio, w.slot[WkNoiseReal].value,
                                              doubleParameter(1), intParameter(0), &order, &points,
                                              &w.slot[WkNoiseFactor].value, mode);
            w.slot[WkOrder].words.second = order;
            w.slot[WkPoints2].words.second = points;
            if (!r) {
                r = finish(0x3000000);
                if (!r && report) {
                    char text[256];
                    std::snprintf(text, sizeof text,
                                  "Resolution Booster:\nOrder: %" PRIu32 "\nPoints: %" PRIu32 "\nNoise factor:%10.3g",
                                  order, points, w.slot[WkNoiseFactor].value);
                    showMessage(MessageInformation, text, "Data Processing");
                }
            }
        }
    }
    finish(StageOutputDoubles);
    return r;
}
