// The service command: composite operations with all their settings given
// as doubles, and the version and configuration report.
#include "arrayops.h"
#include "detect.h"
#include "dpi.h"
#include "frame.h"
#include "numeric.h"
#include "peak.h"
#include "yarbex.h"

#include <QLibrary>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

using namespace yarbex;

namespace yarbex {

QLibrary* loadLibrary(const char* name)
{
    auto* lib = new (std::nothrow) QLibrary(QString::fromUtf8(name ? name : ""));
    if (!lib)
        return nullptr;
    if (!lib->load()) {
        delete lib;
        return nullptr;
    }
    return lib;
}

QFunctionPointer resolveSymbol(QLibrary* lib, const char* name)
{
    return lib ? lib->resolve(name) : nullptr;
}

bool unloadLibrary(QLibrary** lib)
{
    if (!lib || !*lib)
        return false;
    if (!(*lib)->unload())
        return false;
    delete *lib;
    *lib = nullptr;
    return true;
}

}  // namespace yarbex

namespace {

// The most coefficients the input block holds after P1.
constexpr uint32_t kMaxBaselineDegree = 58;

uint32_t nearest(double v)
{
    uint32_t r = 0;
    roundToUnsigned(v, &r, 0, 0xFFFFFFFFu);
    return r;
}

cPeak1DList* detectedList(const DPI& dpi)
{
    return cPeak1DList::fromRecord(wordPointer<TPeak1DList>(dpi.results->slot[WkPeakList].words.first));
}

ResultCode versionReport()
{
    VersionRecord aux{};
    aux.version = 0;
    std::snprintf(aux.text, sizeof aux.text, "%s", "Can't access Whirlix");
    if (QLibrary* lib = loadLibrary("Whirlix")) {
        using Entry = uint32_t (*)(int32_t, void*);
        if (auto entry = reinterpret_cast<Entry>(resolveSymbol(lib, "VqDllCommand")))
            entry(16, &aux);
        unloadLibrary(&lib);
        delete lib;  // kept when it could not be unloaded
    }
    aux.text[sizeof aux.text - 1] = '\0';
    const double* s = dataProcSettings();
    char text[1024];
    std::snprintf(text, sizeof text,
                  "DLL frame\t%" PRIu32 ".%" PRIu32 "\n%s    \t%" PRIu32 ".%" PRIu32 ", Build %" PRIu32
                  "\nAux DLL     \t%s\n\nNoiseThresholdForPeakPicking\t%3.2f\nNoiseThresholdForPeakDisplay\t%3.2f\n"
                  "LabileLinesLinewidthFactor      \t%3.2f\n",
                  uint32_t(1), uint32_t(2), "DataProc", uint32_t(2), uint32_t(2), uint32_t(142), aux.text, s[0], s[1],
                  s[2]);
    showMessage(MessageInformation, text, "DLL Version and Configuration");
    return RcOk;
}

}  // namespace

namespace {

ResultCode prepareOutput(DPI& dpi)
{
    ResultCode r = dpi.prepare(0x30011);
    const uint32_t kind = dpi.dataKind();
    if (!r && kind != KindReal && kind != KindComplex)
        r = RcIllegalItemsType;
    if (!r)
        r = dpi.allocOutput(dpi.pointCount(), false);
    return r;
}

ResultCode polynomialBaseline(DPI& dpi)
{
    const uint32_t degree = dpi.intParameter(0);
    if (degree > kMaxBaselineDegree)
        return RcIllegalMode;
    ResultCode r = prepareOutput(dpi);
    if (!r) {
        const uint32_t n = dpi.pointCount();
        const double* z = dpi.staged();
        double* out = dpi.outputDoubles();
        double power = 0;
        maximumPower(n, z, &power, nullptr);
        const double M = std::sqrt(power);
        for (uint32_t i = 0; i < n; ++i) {
            const double t = n > 1 ? (2.0 * i + 1 - n) / (n - 1.0) : 0.0;
            double b = 0;
            for (uint32_t k = degree + 1; k >= 1; --k)
                b = b * t + dpi.doubleParameter(k);
            out[i] = z[i] + M * b;
            out[n + i] = z[n + i] - M * b;
        }
        r = dpi.finish(0x3000000);
    }
    dpi.finish(StageOutputDoubles);
    return r;
}

ResultCode oneLine(DPI& dpi, bool timeDomain)
{
    ResultCode r = prepareOutput(dpi);
    if (!r) {
        const uint32_t n = dpi.pointCount();
        copyArray(2 * n, dpi.staged(), dpi.outputDoubles());
        cPeak1D line(0, dpi.doubleParameter(1), dpi.doubleParameter(2), dpi.doubleParameter(3),
                     dpi.doubleParameter(4), dpi.intParameter(0), dpi.doubleParameter(5), dpi.doubleParameter(6),
                     dpi.doubleParameter(7));
        if (timeDomain)
            r = line.renderFid(n, dpi.outputDoubles(), 0);
        else
            r = line.render(n, dpi.outputDoubles(), 0, int32_t(n) - 1, 1, LineAsIs, 0.0);
        if (!r)
            r = dpi.finish(0x3000000);
    }
    dpi.finish(StageOutputDoubles);
    return r;
}

ResultCode testSpectrum(DPI& dpi)
{
    ResultCode r = dpi.prepare(0x30011);
    const uint32_t n = dpi.pointCount();
    if (!r && n <= 30000)
        r = RcMissingBuffer;
    const uint32_t kind = dpi.dataKind();
    if (!r && kind != KindReal && kind != KindComplex)
        r = RcIllegalItemsType;
    if (!r)
        r = dpi.allocOutput(n, false);
    if (!r) {
        double* out = dpi.outputDoubles();
        const bool frequency = dpi.intParameter(0) == 1;
        const double a = std::log(30000.0), b = std::log(3000.0);
        for (uint32_t k = 0; k < 300 && !r; ++k) {
            const double position = std::exp(double(k) * k * (a - b) / 300 / 300 + b);
            const double width = (k % 2) ? 10.0 : 30.0;
            const double amplitude = k % 3 == 0 ? 3.0 : k % 3 == 1 ? 1.0 : 1.0 / 3;
            cPeak1D line(0, position, width, amplitude, 0.0, 0, 0, 0, 0);
            r = frequency ? line.render(n, out, 0, int32_t(n) - 1, 1, LineAsIs, 0.0) : line.renderFid(n, out, 1);
        }
        if (!r && !frequency)
            r = fft(n, out, 0);
        if (!r)
            r = elementOpInPlace(2 * n, out, OpNoise, 0.003);
        if (!r)
            r = dpi.finish(0x3000000);
    }
    dpi.finish(StageOutputDoubles);
    return r;
}

ResultCode linesWithMode(DPI& dpi)
{
    cPeak1DList* list = detectedList(dpi);
    if (!list)
        return RcNoPeaks;
    ResultCode r = dpi.prepare(0x13);
    const uint32_t n = dpi.pointCount();
    if (!r)
        r = dpi.allocOutput(n, false);
    if (!r)
        r = list->renderWithLineMode(n, dpi.outputDoubles(), dpi.intParameter(0), dpi.doubleParameter(0));
    if (r) {
        dpi.finish(StageOutputDoubles);
        return r;
    }
    return dpi.finish(0x3000010);
}

ResultCode integralCurve(DPI& dpi)
{
    cPeak1DList* list = detectedList(dpi);
    if (!list)
        return RcNoPeaks;
    ResultCode r = dpi.prepare(0x13);
    const uint32_t n = dpi.pointCount();
    if (!r)
        r = dpi.allocOutput(n, false);
    if (!r)
        r = list->renderWithLineMode(n, dpi.outputDoubles(), LineAsIs, 0.0);
    if (r) {
        dpi.finish(StageOutputDoubles);
        return r;
    }
    double* out = dpi.outputDoubles();
    double M = 0;
    for (uint32_t i = 0; i < n; ++i)
        M = std::max(M, out[i]);
    if (dpi.intParameter(0) == 0) {
        out[0] = 0;
        for (uint32_t i = 1; i < n; ++i)
            out[i] += out[i - 1];
    } else {
        uint32_t at = 0;
        double sum = 0;
        for (cPeak1D* p = list->firstPeak(); p; p = p->nextPeak()) {
            double k = std::floor(p->position + 0.5);
            k = k < 0 ? 0 : k > n ? n : k;
            for (; at < uint32_t(k); ++at)
                out[at] = sum;
            double area = 0;
            p->area(&area);
            sum += area;
        }
        for (; at < n; ++at)
            out[at] = sum;
    }
    double largest = 0;
    for (uint32_t i = 0; i < n; ++i)
        largest = std::max(largest, out[i]);
    // A curve without a positive value keeps its scale.
    if (largest > 0)
        for (uint32_t i = 0; i < n; ++i)
            out[i] *= M / largest;
    return dpi.finish(0x3000010);
}

}  // namespace

ResultCode DPI::service(uint32_t sub)
{
    DpiBlock& in = *parameters;
    auto setInt = [&](uint32_t k, uint32_t v) { in.slot[InIntParams + k].words.second = v; };
    auto P = [&](uint32_t k) -> double& { return in.slot[InDoubles + k].value; };
    ResultCode r = RcOk;
    switch (sub) {
    case 18:
        r = versionReport();
        break;
    case 131:
        setInt(0, nearest(P(0)));
        setInt(1, nearest(P(1)));
        setInt(2, nearest(P(2)));
        P(0) = P(3);
        r = instanceCommand(131);
        break;
    case 132:
        setInt(0, 2);
        setInt(1, nearest(P(0)));
        setInt(2, nearest(P(1)));
        P(0) = P(2);
        P(1) = P(3);
        r = instanceCommand(132);
        break;
    case 10000:
        setInt(0, nearest(P(0)));
        r = polynomialBaseline(*this);
        break;
    case 10001:
    case 10002:
        setInt(0, nearest(P(0)));
        r = oneLine(*this, sub == 10002);
        break;
    case 10003:
        setInt(0, nearest(P(0)));
        r = testSpectrum(*this);
        break;
    case 10011: {
        int32_t k = 0;
        roundToSigned(P(0), &k, -0x7FFFFFFF, 0x7FFFFFFF);
        in.slot[InIntParams].words.first = uintptr_t(uint32_t(k));
        r = instanceCommand(10011);
        break;
    }
    case 10012:
        setInt(0, nearest(P(0)));
        r = instanceCommand(10012);
        break;
    case 10013:
    case 10014:
    case 10015:
    case 10016:
        setInt(0, nearest(P(2)));
        r = pickPeaks();
        if (r)
            break;
        if (sub == 10013 || sub == 10014) {
            r = instanceCommand(sub);
        } else if (sub == 10015) {
            setInt(0, nearest(P(3)));
            P(0) = P(4);
            r = linesWithMode(*this);
        } else {
            setInt(0, nearest(P(3)));
            r = integralCurve(*this);
        }
        break;
    default:
        r = RcUnknownCommand;
    }
    return reportResult(r);
}
