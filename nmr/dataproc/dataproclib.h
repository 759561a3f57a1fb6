// The object interface the library hands to the host: the library
// singleton, its static services and the settings.
#pragma once

#include "hostobjects.h"

#include <cstdint>

struct VerificationRecord;
namespace yarbex {
struct ArrayStatistics;
}

// Processing of one host spectrum. Every slot but 0 and 1 takes the
// caller's mode first (slot 21: the code, then the mode); results are the
// low 16 bits of a result code unless said otherwise.
class ISpectrumProc {
public:
    virtual void release() = 0;                                                                  // 0
    virtual uint32_t update() = 0;                                                               // 1
    virtual uint32_t noise(uint32_t mode, double* real, double* imaginary) = 0;                  // 2
    virtual uint32_t lineWidth(uint32_t mode, double* width) = 0;                                // 3
    virtual uint32_t statistics(uint32_t mode, yarbex::ArrayStatistics* real,
                                yarbex::ArrayStatistics* imaginary) = 0;                          // 4
    virtual uint32_t arrayOp(uint32_t mode, uint32_t code, double a, double b) = 0;             // 5
    virtual uint32_t reserved6(uint32_t mode, uint32_t, uint32_t, uint32_t) = 0;                 // 6
    virtual uint32_t reserved7(uint32_t mode, uint32_t, uint32_t, uint32_t) = 0;                 // 7
    virtual uint32_t reserved8(uint32_t mode, uint32_t, uint32_t, uint32_t) = 0;                 // 8
    virtual uint32_t reserved9(uint32_t mode, uint32_t, uint32_t, uint32_t, uint32_t) = 0;       // 9
    virtual uint32_t reserved10(uint32_t mode, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) = 0;  // 10
    virtual uint32_t savitzkyGolay(uint32_t mode, uint32_t derivative, uint32_t* order, uint32_t* points,
                                   double noiseFactor) = 0;                                      // 11
    virtual uint32_t resolutionBooster(uint32_t mode, uint32_t* order, uint32_t* points, double noiseFactor,
                                       double second) = 0;                                       // 12
    virtual uint32_t reserved13(uint32_t mode, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                uint32_t, uint32_t) = 0;                                         // 13
    virtual uint32_t pickPeaks(uint32_t mode, uint32_t passes, double widthDivisor, uint32_t, uint32_t, uint32_t,
                               uint32_t, uint32_t) = 0;                                          // 14
    virtual uint32_t markLabileLines(uint32_t mode, double amplitudeFraction) = 0;               // 15
    virtual uint32_t peakToArrays(uint32_t mode, IHostPeak* peak, float* out, int32_t, double, double) = 0;  // 16
    virtual uint32_t peakArea(uint32_t mode, IHostPeak* peak, double* area, uint32_t, double, double) = 0;  // 17
    virtual uint32_t sumPeaks(uint32_t mode, float* model, float* residual, uint32_t, double, double) = 0;  // 18
    virtual uint32_t sumPeaksByType(uint32_t mode, uint32_t kindMask, uint32_t flagMask, IHostSpectrum** out,
                                    uint32_t lineMode, double q, uint32_t, double, double) = 0;   // 19
    virtual uint32_t buildSplittings(uint32_t mode, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) = 0;  // 20
    virtual uint32_t special(uint32_t code, uint32_t mode, const double* params, uint32_t count,
                             IHostSpectrum** out) = 0;                                           // 21
    virtual uint32_t reserved22(uint32_t mode, uint32_t) = 0;                                    // 22

protected:
    ~ISpectrumProc() = default;
};

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
// The host given to the first set-up, or null.
IDataProcHost* libraryHost();
ISpectrumProc* createSpectrumProcessor(IHostSpectrum* spectrum);

}  // namespace yarbex
