// The host application's objects as the library calls them. Every
// operation is a virtual operation in the slot order given; slots the
// library never calls are reserved (they keep the order).
#pragma once

#include <cstdint>

struct SpectrumDescription {
    uint32_t size;
    uint32_t secondSize;
    float zero;
    float spectralWidth;  // Hz
    float offset;
    float frequency;      // spectrometer frequency, MHz
};
static_assert(sizeof(SpectrumDescription) == 24, "SpectrumDescription layout");

class IHostPeakShape {
public:
    virtual uint32_t code() = 0;                             // 0
    virtual void setCode(uint32_t code) = 0;                 // 1
    virtual double parameter(uint32_t i) = 0;                // 2
    virtual void setParameter(uint32_t i, double value) = 0; // 3

protected:
    ~IHostPeakShape() = default;
};

class IHostPeak {
public:
    virtual void release() = 0;                  // 0
    virtual double position() = 0;               // 1
    virtual void setPosition(double v) = 0;      // 2
    virtual double width() = 0;                  // 3
    virtual void setWidth(double v) = 0;         // 4
    virtual double amplitude() = 0;              // 5
    virtual void setAmplitude(double v) = 0;     // 6
    virtual double phase() = 0;                  // 7
    virtual void setPhase(double v) = 0;         // 8
    virtual int32_t firstPoint() = 0;            // 9
    virtual void setFirstPoint(int32_t v) = 0;   // 10
    virtual int32_t lastPoint() = 0;             // 11
    virtual void setLastPoint(int32_t v) = 0;    // 12
    virtual uint32_t kind() = 0;                 // 13
    virtual void setKind(uint32_t v) = 0;        // 14
    virtual uint32_t flags() = 0;                // 15
    virtual void setFlags(uint32_t v) = 0;       // 16
    virtual IHostPeakShape* shape() = 0;         // 17, not released

protected:
    ~IHostPeak() = default;
};

// Also the splittings list.
class IHostPeakList {
public:
    virtual void reserved0() {}                                      // 0
    virtual uint32_t count() = 0;                                    // 1
    virtual IHostPeak* item(uint32_t index) = 0;                     // 2, the caller releases
    virtual void reserved3() {}                                      // 3
    virtual void reserved4() {}                                      // 4
    virtual int32_t insert(int32_t position, IHostPeak* peak) = 0;   // 5, -1 appends
    virtual IHostPeak* createPeak() = 0;                             // 6, released after insertion

protected:
    ~IHostPeakList() = default;
};
using IHostSplittingList = IHostPeakList;

class IHostMultiplet {
public:
    virtual void reserved0() {}          // 0
    virtual double centre() = 0;         // 1, axis units
    virtual double width() = 0;          // 2, axis units
    virtual uint32_t lineCount() = 0;    // 3
    virtual double coupling() = 0;       // 4, Hz

protected:
    ~IHostMultiplet() = default;
};

class IHostMultipletList {
public:
    virtual void reserved0() {}                        // 0
    virtual uint32_t count() = 0;                      // 1
    virtual IHostMultiplet* item(uint32_t index) = 0;  // 2, not released

protected:
    ~IHostMultipletList() = default;
};

class IHostSpectrum {
public:
    virtual void reserved0() {}                                                   // 0
    virtual void discard() = 0;                                                   // 1
    virtual uint32_t dimensionCount() = 0;                                        // 2
    virtual float* data() = 0;                                                    // 3
    virtual void reserved4() {}                                                   // 4
    virtual uint32_t size(uint32_t dimension) = 0;                                // 5, from 1
    virtual void reserved6() {}                                                   // 6
    virtual void reserved7() {}                                                   // 7
    virtual bool isReal() = 0;                                                    // 8
    virtual void reserved9() {}                                                   // 9
    virtual bool isTimeDomain(uint32_t dimension) = 0;                            // 10
    virtual void reserved11() {}                                                  // 11
    virtual void reserved12() {}                                                  // 12
    virtual bool describe(uint32_t dimension, SpectrumDescription* out) = 0;      // 13
    virtual IHostPeakList* peaks() = 0;                                           // 14
    virtual IHostSplittingList* splittings() = 0;                                 // 15
    virtual IHostMultipletList* multiplets(uint32_t dimension) = 0;               // 16

protected:
    ~IHostSpectrum() = default;
};

class IHostSpectraStack {
public:
    virtual void reserved0() {}                       // 0
    virtual uint32_t count() = 0;                     // 1
    virtual void reserved2() {}                       // 2
    virtual IHostSpectrum* item(uint32_t index) = 0;  // 3

protected:
    ~IHostSpectraStack() = default;
};

class IDataProcHost {
public:
    virtual void reserved0() {}  // 0
    virtual IHostSpectrum* createSpectrum(uint32_t dimensions, const SpectrumDescription* description, uint32_t one,
                                          uint32_t timeDomain) = 0;  // 1
    virtual void commitSpectrum(IHostSpectrum* spectrum) = 0;        // 2, null after a failed fill
    virtual int32_t mapError(uint32_t code) = 0;                     // 3

protected:
    ~IDataProcHost() = default;
};
