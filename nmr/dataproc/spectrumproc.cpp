// ISpectrumProc: processing of one host spectrum through an instance.
#include "compare.h"
#include "dataproclib.h"
#include "detect.h"
#include "dpi.h"
#include "frame.h"
#include "hostadapters.h"
#include "measure.h"
#include "numeric.h"
#include "peak.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

using namespace yarbex;

namespace {

constexpr uint32_t kInterfaceMode = 0xA0;
constexpr uint32_t kRecomputeMode = 0xE0;
constexpr uint32_t kTestSpectrumCode = 0xEEEEEEE;
constexpr uint32_t kRegionSpectrumCode = 11001;

uint32_t low16(ResultCode r)
{
    return r & 0xFFFF;
}

class TSpectrumProcImpl final : public ISpectrumProc {
public:
    explicit TSpectrumProcImpl(IHostSpectrum* s) : spectrum(s)
    {
        status = createDPI(&dpi);
        if (!status)
            update();
        else
            reportResult(status);
    }

    ~TSpectrumProcImpl() { destroyDPI(&dpi); }

    void release() override { delete this; }

    uint32_t update() override
    {
        if (!dpi)
            return RcOk;
        dpi->reset();
        const uint32_t d = spectrum ? spectrum->dimensionCount() : 0;
        if (d > 5)
            return RcTooManyDimensions;
        for (uint32_t k = 0; k < 5; ++k)
            dpi->sizes[k] = k < d ? spectrum->size(k + 1) : 0;
        dpi->realData = d > 0 ? spectrum->data() : nullptr;
        DpiBlock& in = *dpi->parameters;
        if (dpi->realData) {
            in.slot[InDomain].words.second = spectrum->isTimeDomain(1) ? DomainTime : DomainFrequency;
            in.slot[InKind].words.first = spectrum->isReal() ? KindReal : KindComplex;
        } else {
            in.slot[InDomain].words.second = DomainNone;
        }
        return RcOk;
    }

    uint32_t noise(uint32_t mode, double* real, double* imaginary) override
    {
        if (!dpi)
            return low16(status);
        dpi->mode = mode | kRecomputeMode;
        const ResultCode r = dpi->instanceCommand(50);
        if (real)
            *real = work(WkNoiseReal).value;
        if (imaginary)
            *imaginary = work(WkNoiseImag).value;
        return low16(r);
    }

    uint32_t lineWidth(uint32_t mode, double* width) override
    {
        if (!dpi)
            return low16(status);
        dpi->mode = mode | kRecomputeMode;
        const ResultCode r = dpi->instanceCommand(51);
        if (width)
            *width = work(WkLineWidth).value;
        return low16(r);
    }

    uint32_t statistics(uint32_t mode, ArrayStatistics* real, ArrayStatistics* imaginary) override
    {
        if (!dpi)
            return low16(status);
        dpi->mode = mode | kRecomputeMode;
        const ResultCode r = dpi->instanceCommand(49);
        const auto* re = wordPointer<ArrayStatistics>(work(WkStatistics).words.first);
        const auto* im = wordPointer<ArrayStatistics>(work(WkStatistics).words.second);
        if (real && re)
            *real = *re;
        if (imaginary && im && dpi->dataKind() == KindComplex)
            *imaginary = *im;
        return low16(r);
    }

    uint32_t arrayOp(uint32_t mode, uint32_t code, double a, double b) override
    {
        if (!dpi)
            return low16(status);
        setDouble(0, a);
        setDouble(1, b);
        dpi->mode = mode | kInterfaceMode;
        const ResultCode r = dpi->arrayOp(code);
        update();
        return low16(r);
    }

    uint32_t reserved6(uint32_t mode, uint32_t, uint32_t, uint32_t) override { return reservedRead(mode); }
    uint32_t reserved7(uint32_t mode, uint32_t, uint32_t, uint32_t) override { return reservedRead(mode); }
    uint32_t reserved8(uint32_t mode, uint32_t, uint32_t, uint32_t) override { return reservedRead(mode); }
    uint32_t reserved9(uint32_t mode, uint32_t, uint32_t, uint32_t, uint32_t) override { return reservedPlain(mode); }
    uint32_t reserved10(uint32_t mode, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) override
    {
        return reservedPlain(mode);
    }
    uint32_t reserved13(uint32_t mode, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                        uint32_t) override
    {
        if (dpi)
            dpi->mode = mode | kInterfaceMode;
        return RcNotImplemented;
    }

    uint32_t savitzkyGolay(uint32_t mode, uint32_t derivative, uint32_t* order, uint32_t* points,
                           double noiseFactor) override
    {
        if (!dpi)
            return low16(status);
        setInt(0, derivative);
        setInt(1, order ? *order : 0);
        setInt(2, points ? *points : 0);
        setDouble(0, noiseFactor);
        dpi->mode = mode | kInterfaceMode;
        const ResultCode r = dpi->instanceCommand(131);
        copyWindow(order, points);
        update();
        return low16(r);
    }

    uint32_t resolutionBooster(uint32_t mode, uint32_t* order, uint32_t* points, double noiseFactor,
                               double second) override
    {
        if (!dpi)
            return low16(status);
        setInt(0, 2);
        setInt(1, order ? *order : 0);
        setInt(2, points ? *points : 0);
        setDouble(0, noiseFactor);
        setDouble(1, second);
        dpi->mode = mode | kInterfaceMode;
        const ResultCode r = dpi->instanceCommand(132);
        copyWindow(order, points);
        update();
        return low16(r);
    }

    uint32_t pickPeaks(uint32_t mode, uint32_t passes, double widthDivisor, uint32_t, uint32_t, uint32_t, uint32_t,
                       uint32_t) override;
    uint32_t markLabileLines(uint32_t mode, double amplitudeFraction) override;
    uint32_t peakToArrays(uint32_t mode, IHostPeak* peak, float* out, int32_t, double, double) override;
    uint32_t peakArea(uint32_t mode, IHostPeak* peak, double* area, uint32_t, double, double) override;
    uint32_t sumPeaks(uint32_t mode, float* model, float* residual, uint32_t, double, double) override;
    uint32_t sumPeaksByType(uint32_t mode, uint32_t kindMask, uint32_t flagMask, IHostSpectrum** out,
                            uint32_t lineMode, double q, uint32_t, double, double) override;
    uint32_t buildSplittings(uint32_t mode, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) override;
    uint32_t special(uint32_t code, uint32_t mode, const double* params, uint32_t count,
                     IHostSpectrum** out) override;
    uint32_t reserved22(uint32_t, uint32_t) override { return RcOk; }

private:
    DpiSlot& work(uint32_t k) { return dpi->results->slot[k]; }
    void setInt(uint32_t k, uint32_t v) { dpi->parameters->slot[InIntParams + k].words.second = v; }
    void setDouble(uint32_t k, double v) { dpi->parameters->slot[InDoubles + k].value = v; }

    uint32_t reservedRead(uint32_t mode)
    {
        if (dpi)
            dpi->mode = mode | kInterfaceMode;
        update();
        return RcNotImplemented;
    }
    uint32_t reservedPlain(uint32_t mode)
    {
        if (dpi)
            dpi->mode = mode | ModeInterface;
        if (mode & ModeInPlace)
            update();
        return RcNotImplemented;
    }
    void copyWindow(uint32_t* order, uint32_t* points)
    {
        if (order)
            *order = wordCount(work(WkOrder).words.second);
        if (points)
            *points = wordCount(work(WkPoints2).words.second);
    }

    // Renders one host peak (with its range clamped to the spectrum) into
    // the output doubles; first and last receive the range.
    ResultCode renderHostPeak(IHostPeak* hp, uint32_t lineMode, double q, int32_t* first, int32_t* last);
    ResultCode sumInto(double* model, uint32_t kindMask, uint32_t flagMask, bool select, uint32_t lineMode,
                       double q);

    IHostSpectrum* spectrum;
    DPI* dpi = nullptr;
    ResultCode status = 0;
};

ResultCode TSpectrumProcImpl::renderHostPeak(IHostPeak* hp, uint32_t lineMode, double q, int32_t* first,
                                             int32_t* last)
{
    *first = 1;
    *last = 0;
    dpi->computeSizes();
    if (!hp) {
        dpi->release(StageOutputDoubles);
        return RcOk;
    }
    const uint32_t n = dpi->pointCount();
    if (n == 0 || n > 0x0FFFFFFFu)
        return RcOutOfMemory;
    if (!dpi->outputDoubles() || wordCount(work(WkOutputPoints).words.first) != n)
        if (ResultCode r = dpi->allocOutput(n, false))
            return r;
    cPeak1D line;
    int32_t a = 0, b = 0;
    readHostPeak(hp, &line, &a, &b);
    // The host's range is only used within the spectrum.
    if (a < 0)
        a = 0;
    if (b > int32_t(n) - 1)
        b = int32_t(n) - 1;
    const ResultCode r = line.render(n, dpi->outputDoubles(), a, b, 0, lineMode, q);
    if (r) {
        dpi->release(StageOutputDoubles);
        return r;
    }
    *first = a;
    *last = b;
    return RcOk;
}

uint32_t TSpectrumProcImpl::peakToArrays(uint32_t, IHostPeak* peak, float* out, int32_t, double, double)
{
    if (!dpi)
        return low16(status);
    int32_t first = 1, last = 0;
    const ResultCode r = renderHostPeak(peak, LineAsIs, 0.0, &first, &last);
    if (!r && peak && out) {
        const uint32_t n = dpi->pointCount();
        const double* z = dpi->outputDoubles();
        for (int32_t i = first; i <= last; ++i) {
            out[2 * size_t(i - first)] = float(z[i]);
            out[2 * size_t(i - first) + 1] = float(z[n + i]);
        }
    }
    return low16(r);
}

uint32_t TSpectrumProcImpl::peakArea(uint32_t, IHostPeak* peak, double* area, uint32_t, double, double)
{
    if (!peak)
        return RcMissingData;
    cPeak1D line;
    readHostPeak(peak, &line, nullptr, nullptr);
    double a = 0;
    const ResultCode r = line.area(&a);
    if (!r && area)
        *area = a;
    return r;
}

ResultCode TSpectrumProcImpl::sumInto(double* model, uint32_t kindMask, uint32_t flagMask, bool select,
                                      uint32_t lineMode, double q)
{
    IHostPeakList* list = spectrum->peaks();
    const uint32_t n = dpi->pointCount();
    const uint32_t count = list->count();
    for (uint32_t i = 0; i < count; ++i) {
        HostPeakRef hp(list, i);
        if (!hp)
            return RcOutOfMemory;
        if (select && !peakMatchesMasks(hp.get(), 0, kindMask, flagMask))
            continue;
        int32_t first = 1, last = 0;
        const ResultCode r = renderHostPeak(hp.get(), lineMode, q, &first, &last);
        if (r) {
            if (select)
                continue;
            return r;
        }
        const double* z = dpi->outputDoubles();
        for (int32_t k = first; k <= last; ++k) {
            model[k] += z[k];
            model[n + k] += z[n + k];
        }
    }
    return RcOk;
}

uint32_t TSpectrumProcImpl::sumPeaks(uint32_t, float* model, float* residual, uint32_t, double, double)
{
    if (!dpi)
        return low16(status);
    if (!spectrum || !spectrum->peaks())
        return RcNoPeaks;
    dpi->computeSizes();
    if (ResultCode r = dpi->prepare(StageModel | StageOutputDoubles))
        return low16(r);
    const uint32_t n = dpi->pointCount();
    double* m = n <= 0x0FFFFFFFu ? allocDoublesZeroed(2 * n) : nullptr;
    if (!m)
        return low16(RcOutOfMemory);
    work(WkModel).words.first = pointerWord(m);
    ResultCode r = sumInto(m, 0, 0, false, LineAsIs, 0.0);
    if (r) {
        // A sum that stopped at a line that cannot be rendered (or a host
        // peak that cannot be had) is no model: the caller's arrays are
        // cleared rather than left with a part sum or what they held.
        if (model)
            std::fill(model, model + 2 * size_t(n), 0.0f);
        if (residual)
            std::fill(residual, residual + n, 0.0f);
    }
    if (!r && model)
        interleaveToFloats(n, m, model);
    if (!r && residual) {
        const float* data = dpi->realData;
        const bool real = dpi->dataKind() == KindReal;
        for (uint32_t k = 0; k < n; ++k)
            residual[k] = float((data ? (real ? data[k] : data[2 * size_t(k)]) : 0.0f) - m[k]);
    }
    dpi->finish(StageModel | StageOutputDoubles);
    return low16(r);
}

uint32_t TSpectrumProcImpl::sumPeaksByType(uint32_t, uint32_t kindMask, uint32_t flagMask, IHostSpectrum** out,
                                           uint32_t lineMode, double q, uint32_t, double, double)
{
    if (out)
        *out = nullptr;
    if (!dpi)
        return low16(status);
    if (!spectrum || !spectrum->peaks())
        return RcNoPeaks;
    dpi->computeSizes();
    if (ResultCode r = dpi->prepare(StageModel | StageOutputDoubles))
        return low16(r);
    const uint32_t n = dpi->pointCount();
    double* m = n <= 0x0FFFFFFFu ? allocDoublesZeroed(2 * n) : nullptr;
    if (!m)
        return low16(RcOutOfMemory);
    work(WkModel).words.first = pointerWord(m);
    ResultCode r = sumInto(m, kindMask, flagMask, true, lineMode, q);
    if (!r) {
        IDataProcHost* host = libraryHost();
        SpectrumDescription d{};
        if (!host || !spectrum->describe(1, &d)) {
            r = RcInternalLow;
        } else {
            IHostSpectrum* made = host->createSpectrum(1, &d, 1, 0);
            if (!made) {
                r = RcOutOfMemory;
            } else {
                // Only a complex spectrum of at least n points can take the
                // model; any other is discarded.
                float* data = made->data();
                if (made->dimensionCount() == 1 && !made->isReal() && made->size(1) >= n && data) {
                    interleaveToFloats(n, m, data);
                } else {
                    made->discard();
                    made = nullptr;
                    r = RcSizeMismatch;
                }
                host->commitSpectrum(made);
                if (out)
                    *out = made;
            }
        }
    }
    dpi->finish(StageModel | StageOutputDoubles);
    return low16(r);
}

uint32_t TSpectrumProcImpl::pickPeaks(uint32_t mode, uint32_t passes, double widthDivisor, uint32_t, uint32_t,
                                      uint32_t, uint32_t, uint32_t)
{
    if (!dpi)
        return low16(status);
    IHostPeakList* list = spectrum ? spectrum->peaks() : nullptr;
    if (!list)
        return RcNoPeaks;
    dpi->mode = mode | kRecomputeMode;
    setInt(0, passes);
    setDouble(0, widthDivisor);
    setDouble(1, dataProcSettings()[1]);
    if (ResultCode r = dpi->instanceCommand(161))
        return low16(r);
    auto* record = wordPointer<TPeak1DList>(work(WkPeakList).words.first);
    const int32_t n = int32_t(std::min<uint32_t>(dpi->pointCount(), 0x7FFFFFFF));
    for (_TPeak1D* rec = record ? record->firstRecord : nullptr; rec; rec = rec->nextRecord) {
        const cPeak1D* line = cPeak1D::fromRecord(rec);
        int32_t first = 0, last = 0;
        line->pointRange(n, &first, &last);
        if (first > last)
            continue;
        HostPeakRef hp(list->createPeak());
        if (!hp)
            return low16(RcOutOfMemory);
        writeHostPeak(line, hp.get(), first, last);
        list->insert(-1, hp.get());
    }
    return RcOk;
}

uint32_t TSpectrumProcImpl::markLabileLines(uint32_t, double f)
{
    if (!spectrum)
        return RcInternalLow;
    SpectrumDescription d{};
    if (!spectrum->describe(1, &d))
        return RcInternalLow;
    IHostPeakList* list = spectrum->peaks();
    if (!list)
        return RcNoPeaks;
    SpectrumGeometry g;
    // A spectral width of 0 gives no positions: nothing is marked by
    // position and the call reports it.
    const ResultCode geometry = spectrumGeometry(spectrum, nullptr, &g);
    const uint32_t count = list->count();
    if (!geometry)
        if (IHostMultipletList* multiplets = spectrum->multiplets(1))
            for (uint32_t i = 0; i < count; ++i) {
                HostPeakRef hp(list, i);
                if (hp && pointInMultiplet(multiplets, hp->position(), g.zeroPoint, g.pointsPerPpm, g.pointsPerHz)) {
                    hp->setFlags(hp->flags() | 0x80000);
                    hp->setKind(3);
                }
            }
    double S1 = 0, S2 = 0, M = 0;
    for (uint32_t i = 0; i < count; ++i) {
        HostPeakRef hp(list, i);
        if (!hp || hp->kind() != 0)
            continue;
        const double a = std::fabs(hp->amplitude());
        S1 += a;
        S2 += a * hp->width();
        M = std::max(M, a);
    }
    // Without kind-0 lines there is no mean width: no line is broad.
    const bool haveWidth = S1 > 0;
    const double W = haveWidth ? S2 / S1 : 0.0;
    const double factor = dataProcSettings()[2];
    for (uint32_t i = 0; i < count; ++i) {
        HostPeakRef hp(list, i);
        if (!hp)
            continue;
        uint32_t flags = hp->flags();
        if (std::fabs(hp->amplitude()) < f * M)
            flags |= 0x2;
        if (haveWidth && hp->width() > factor * W)
            flags |= 0x10;
        hp->setFlags(flags);
    }
    return geometry;
}

uint32_t TSpectrumProcImpl::buildSplittings(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)
{
    IHostPeakList* list = spectrum ? spectrum->peaks() : nullptr;
    if (!list)
        return RcNoPeaks;
    IHostPeakList* splittings = spectrum->splittings();
    if (!splittings)
        return RcNoSplittings;
    const uint32_t count = list->count();
    if (count == 0)
        return low16(RcOutOfMemory);  // the first item is not there
    if (count == 1)
        return RcOk;
    for (uint32_t i = 0; i < count; ++i) {
        HostPeakRef a(list, i);
        if (!a)
            return low16(RcOutOfMemory);
        if (a->flags() & 0x4)
            continue;
        for (uint32_t j = i + 1; j < count; ++j) {
            HostPeakRef b(list, j);
            if (!b)
                return low16(RcOutOfMemory);
            if (b->flags() & 0x4)
                continue;
            HostPeakRef s(splittings->createPeak());
            if (!s)
                return low16(RcOutOfMemory);
            s->setPosition((a->position() + b->position()) / 2);
            s->setWidth(std::fabs(b->position() - a->position()));
            s->setAmplitude(std::sqrt(std::fabs(a->amplitude() * b->amplitude())));
            splittings->insert(-1, s.get());
        }
    }
    return RcOk;
}

IHostSpectrum* makeTestSpectrum()
{
    IDataProcHost* host = libraryHost();
    if (!host)
        return nullptr;
    const SpectrumDescription d0{16384, 16384, 0.0f, 2000.0f, -100.0f, 300.0f};
    IHostSpectrum* s = host->createSpectrum(1, &d0, 1, 1);
    if (!s)
        return nullptr;
    SpectrumDescription d{};
    float* data = s->data();
    if (!s->describe(1, &d) || !data || d.spectralWidth == 0) {
        host->commitSpectrum(s);
        return s;
    }
    const uint32_t stride = s->isReal() ? 1 : 2;
    // Never more points than the spectrum holds.
    const uint32_t N = std::min(d.secondSize, s->size(1));
    static const double A[10] = {500, 2000, 1300, 1500, 1800, 200, 3400, 950, 1100, 1000};
    static const double R[10] = {0.5, 0.9, 0.25, 0.7, 0.6, 0.1, 0.3, 0.4, 0.2, 0.44};
    static const double F[10] = {0, 200, 215.2, 300, 310, 215, 182, 181.5, 290, 180};
    const double dt = 1.0 / d.spectralWidth;
    const double carrier = double(d.frequency) * 1000000.0;
    for (uint32_t k = 0; k < N; ++k) {
        const double t = k * dt;
        float re = 0, im = 0;
        for (int j = 0; j < 10; ++j) {
            const double a = A[j] * std::exp(-R[j] * t);
            const double w = 2 * M_PI * (F[j] + carrier) * t;
            re += float(a * std::cos(w));
            im += float(a * std::sin(w));
        }
        data[size_t(k) * stride] = re;
        if (stride == 2)
            data[size_t(k) * 2 + 1] = im;
    }
    host->commitSpectrum(s);
    return s;
}

uint32_t TSpectrumProcImpl::special(uint32_t code, uint32_t mode, const double* params, uint32_t count,
                                    IHostSpectrum** out)
{
    if (out)
        *out = nullptr;
    if (!dpi)
        return low16(status);
    dpi->mode = mode | kInterfaceMode;
    // The block holds 60 double parameters: more are cut.
    if (params)
        for (uint32_t k = 0; k < count && k < 60; ++k)
            setDouble(k, params[k]);
    ResultCode r = RcOk;
    if (code == kRegionSpectrumCode) {
        r = dpi->prepare(0x30011);
        const uint32_t n = dpi->pointCount();
        if (!r)
            r = dpi->allocOutput(n, false);
        if (!r) {
            double* weights = nullptr;
            r = regionWeights(spectrum, &weights);
            if (!r && spectrum->size(1) != n)
                r = RcSizeMismatch;
            if (!r) {
                std::memcpy(dpi->outputDoubles(), weights, size_t(n) * sizeof(double));
                std::memcpy(dpi->outputDoubles() + n, weights, size_t(n) * sizeof(double));
                r = dpi->finish(0x3000000);
            }
            std::free(weights);
        }
        dpi->finish(StageOutputDoubles);
    } else if (code == kTestSpectrumCode) {
        IHostSpectrum* s = makeTestSpectrum();
        if (out)
            *out = s;
    } else {
        r = dpi->service(code);
    }
    update();
    return low16(r);
}

}  // namespace

ISpectrumProc* yarbex::createSpectrumProcessor(IHostSpectrum* spectrum)
{
    return new (std::nothrow) TSpectrumProcImpl(spectrum);
}
