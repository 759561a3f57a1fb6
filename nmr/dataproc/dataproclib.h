// The object interface the library hands to the host: the library
// singleton, its static services and the settings.
#pragma once

#include "hostobjects.h"

#include <cstdint>

class ISpectrumProc;
struct VerificationRecord;

class IDataProcStatic {
public:
    virtual uint32_t reserved(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                              uint32_t, uint32_t, uint32_t) = 0;                                     // 0
    virtual uint32_t compareSpectra(IHostSpectraStack* stack, uint32_t mode, uint32_t flags, double* params,
                                    uint32_t capacity, uint32_t* result) = 0;                        // 1
    virtual uint32_t fft(uint32_t flags, uint32_t n, const float* in, float* out) = 0;              // 2
    virtual VerificationRecord* createVerification() = 0;                                            // 3
    virtual uint32_t runVerification(VerificationRecord* record) = 0;                               // 4
    virtual uint32_t releaseVerification(VerificationRecord** record) = 0;                          // 5
    virtual double* settings() = 0;                                                                  // 6
    virtual void setSettings(const double* values) = 0;                                              // 7

protected:
    ~IDataProcStatic() = default;
};

class IDataProcLib {
public:
    virtual int32_t release() = 0;                                          // 0
    virtual ISpectrumProc* createSpectrumProc(IHostSpectrum* spectrum) = 0; // 1
    virtual IDataProcStatic* staticInterface() = 0;                         // 2

protected:
    ~IDataProcLib() = default;
};

// The flags of IDataProcStatic::fft.
enum StaticFftFlags : uint32_t { FftNotImplemented = 0x1, FftCausal = 0x2, FftComplexInput = 0x4 };

extern "C" {
#if defined(YARBEX_BUILDING)
__attribute__((visibility("default")))
#endif
IDataProcLib* setupDataProcLib(IDataProcHost* host);
}

namespace yarbex {

// The entry point behind the export.
IDataProcLib* setupLibrary(IDataProcHost* host);
// The singleton, or null.
IDataProcLib* librarySingleton();
int32_t mapErrorThroughHost(uint32_t code);

}  // namespace yarbex
