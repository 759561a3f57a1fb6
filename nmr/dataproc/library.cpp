// The library singleton handed to the host and its static services.
#include "dataproclib.h"
#include "compare.h"
#include "verification.h"
#include "detect.h"
#include "dpi.h"
#include "frame.h"
#include "numeric.h"

#include <cstdlib>
#include <new>

using namespace yarbex;

namespace {

class TDPStaticImpl final : public IDataProcStatic {
public:
    uint32_t reserved(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                      uint32_t, uint32_t) override
    {
        return RcNotImplemented;
    }
    uint32_t compareSpectra(IHostSpectraStack* stack, uint32_t mode, uint32_t flags, double* params,
                            uint32_t capacity, uint32_t* result) override
    {
        return yarbex::compareSpectra(stack, mode, flags, params, capacity, result);
    }
    uint32_t fft(uint32_t flags, uint32_t n, const float* in, float* out) override;
    VerificationRecord* createVerification() override
    {
        auto* v = new (std::nothrow) cVqNmrVerification(0);
        if (!v)
            return nullptr;
        if (!v->valid()) {
            delete v;
            return nullptr;
        }
        return &v->record;
    }
    uint32_t runVerification(VerificationRecord* record) override
    {
        if (!record || !record->owner)
            return RcMissingInput;
        return record->owner->run();
    }
    uint32_t releaseVerification(VerificationRecord** record) override
    {
        if (record && *record) {
            delete (*record)->owner;
            *record = nullptr;
        }
        return RcOk;
    }
    double* settings() override { return dataProcSettings(); }
    void setSettings(const double* values) override
    {
        if (!values)
            return;
        for (int k = 0; k < 3; ++k)
            dataProcSettings()[k] = values[k];
    }
};

class TDataProcLibImpl final : public IDataProcLib {
public:
    explicit TDataProcLibImpl(IDataProcHost* h) : host(h) {}

    int32_t release() override;
    ISpectrumProc* createSpectrumProc(IHostSpectrum* spectrum) override
    {
        return createSpectrumProcessor(spectrum);
    }
    IDataProcStatic* staticInterface() override { return &staticPart; }

    int32_t references = 1;
    IDataProcHost* host;
    TDPStaticImpl staticPart;
};

TDataProcLibImpl* g_library = nullptr;

uint32_t TDPStaticImpl::fft(uint32_t flags, uint32_t n, const float* in, float* out)
{
    if (!in)
        return RcMissingInput;
    if (!out)
        return RcMissingData;
    if (n == 0)
        return RcMissingInput;
    if (n > 0x7FFFFFFFu)
        return RcOutOfMemory;
    double* z = nullptr;
    if (flags & FftComplexInput) {
        z = newSplitDoubles(n, in);
        if (z)
            for (uint32_t k = 0; k < n; ++k)
                z[n + k] = 0.0;
    } else {
        z = newDoublesFromFloats(n, in);
    }
    if (!z)
        return RcOutOfMemory;
    if (flags & FftNotImplemented) {
        std::free(z);
        return RcNotImplemented;
    }
    if (flags & FftCausal)
        causalFold(n, z);
    else
        hilbertImaginary(n, z);  // not a power of two: the imaginary half stays 0
    interleaveToFloats(n, z, out);
    std::free(z);
    return RcOk;
}

int32_t TDataProcLibImpl::release()
{
    const int32_t left = --references;
    if (left > 0)
        return left;
    g_library = nullptr;
    dllCommand(FrameDelete, nullptr);
    delete this;
    return 0;
}

}  // namespace

int32_t yarbex::mapErrorThroughHost(uint32_t code)
{
    if (!g_library || !g_library->host)
        return int32_t(0x80000000u);
    return g_library->host->mapError(code);
}

IDataProcHost* yarbex::libraryHost()
{
    return g_library ? g_library->host : nullptr;
}

IDataProcLib* yarbex::librarySingleton()
{
    return g_library;
}

IDataProcLib* yarbex::setupLibrary(IDataProcHost* host)
{
    if (!host)
        return nullptr;
    if (g_library) {
        ++g_library->references;
        return g_library;
    }
    auto* lib = new (std::nothrow) TDataProcLibImpl(host);
    if (!lib)
        return nullptr;
    g_library = lib;
    FrameInitRecord init{mapErrorThroughHost, 0, nullptr, 0};
    dllCommand(FrameInit, &init);
    return lib;
}
