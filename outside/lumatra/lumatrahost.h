// In-memory host objects for the NMR library's tests (see README.md).
#pragma once

#include "hostobjects.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lumatra {

class HostPeakShape final : public IHostPeakShape {
public:
    uint32_t code() override { return shapeCode; }
    void setCode(uint32_t c) override { shapeCode = c; }
    double parameter(uint32_t i) override { return i < 3 ? parameters[i] : 0.0; }
    void setParameter(uint32_t i, double v) override
    {
        if (i < 3)
            parameters[i] = v;
    }

    uint32_t shapeCode = 0;
    double parameters[3] = {0, 0, 0};
};

class HostPeak final : public IHostPeak {
public:
    // A new peak with one reference.
    static HostPeak* create();
    void addRef();

    void release() override;
    double position() override { return pos; }
    void setPosition(double v) override { pos = v; }
    double width() override { return wid; }
    void setWidth(double v) override { wid = v; }
    double amplitude() override { return amp; }
    void setAmplitude(double v) override { amp = v; }
    double phase() override { return ph; }
    void setPhase(double v) override { ph = v; }
    int32_t firstPoint() override { return first; }
    void setFirstPoint(int32_t v) override { first = v; }
    int32_t lastPoint() override { return last; }
    void setLastPoint(int32_t v) override { last = v; }
    uint32_t kind() override { return peakKind; }
    void setKind(uint32_t v) override { peakKind = v; }
    uint32_t flags() override { return peakFlags; }
    void setFlags(uint32_t v) override { peakFlags = v; }
    IHostPeakShape* shape() override { return &peakShape; }

    double pos = 0, wid = 1, amp = 0, ph = 0;
    int32_t first = 0, last = 0;
    uint32_t peakKind = 0, peakFlags = 0;
    HostPeakShape peakShape;

    // References handed out to callers and not yet released.
    static int64_t outstanding();
    // Peak objects alive.
    static int64_t alive();
    static void resetCounters();

private:
    friend class HostPeakList;
    HostPeak();
    ~HostPeak();
    void releaseHeld();  // a reference the list held
    int32_t references = 1;
};

class HostPeakList final : public IHostPeakList {
public:
    ~HostPeakList();
    uint32_t count() override { return uint32_t(peaks.size()); }
    IHostPeak* item(uint32_t index) override;
    int32_t insert(int32_t position, IHostPeak* peak) override;
    IHostPeak* createPeak() override;

    // Fixture helper: appends a new peak (the list holds it).
    HostPeak* add(double position, double width, double amplitude, uint32_t kind = 0, uint32_t flags = 0);
    HostPeak* at(uint32_t index) const { return index < peaks.size() ? peaks[index] : nullptr; }

    std::vector<HostPeak*> peaks;
    bool canCreate = true;
};

class HostMultiplet final : public IHostMultiplet {
public:
    HostMultiplet(double c, double w, uint32_t n, double j) : c_(c), w_(w), n_(n), j_(j) {}
    double centre() override { return c_; }
    double width() override { return w_; }
    uint32_t lineCount() override { return n_; }
    double coupling() override { return j_; }

private:
    double c_, w_;
    uint32_t n_;
    double j_;
};

class HostMultipletList final : public IHostMultipletList {
public:
    uint32_t count() override { return uint32_t(items.size()); }
    IHostMultiplet* item(uint32_t index) override { return index < items.size() ? items[index].get() : nullptr; }
    void add(double centre, double width, uint32_t lines, double coupling)
    {
        items.push_back(std::make_unique<HostMultiplet>(centre, width, lines, coupling));
    }

    std::vector<std::unique_ptr<HostMultiplet>> items;
};

class HostSpectrum final : public IHostSpectrum {
public:
    // A one-dimensional spectrum of n points, real or complex.
    HostSpectrum(uint32_t n, bool realData);

    void discard() override { discarded = true; }
    uint32_t dimensionCount() override { return uint32_t(sizes.size()); }
    float* data() override { return samples.empty() ? nullptr : samples.data(); }
    uint32_t size(uint32_t dimension) override
    {
        return dimension >= 1 && dimension <= sizes.size() ? sizes[dimension - 1] : 0;
    }
    bool isReal() override { return real; }
    bool isTimeDomain(uint32_t dimension) override { return dimension == 1 && timeDomain; }
    bool describe(uint32_t dimension, SpectrumDescription* out) override;
    IHostPeakList* peaks() override { return peakList; }
    IHostSplittingList* splittings() override { return splittingList; }
    IHostMultipletList* multiplets(uint32_t dimension) override { return dimension == 1 ? multipletList : nullptr; }

    std::vector<uint32_t> sizes;
    std::vector<float> samples;
    bool real = true;
    bool timeDomain = false;
    bool hasDescription = false;
    SpectrumDescription description{};
    HostPeakList* peakList = nullptr;
    HostPeakList* splittingList = nullptr;
    HostMultipletList* multipletList = nullptr;
    bool discarded = false;
};

class HostStack final : public IHostSpectraStack {
public:
    uint32_t count() override { return uint32_t(spectra.size()); }
    IHostSpectrum* item(uint32_t index) override { return index < spectra.size() ? spectra[index] : nullptr; }

    std::vector<IHostSpectrum*> spectra;
};

class Host final : public IDataProcHost {
public:
    IHostSpectrum* createSpectrum(uint32_t dimensions, const SpectrumDescription* description, uint32_t one,
                                  uint32_t timeDomain) override;
    void commitSpectrum(IHostSpectrum* spectrum) override { committed.push_back(spectrum); }
    int32_t mapError(uint32_t code) override
    {
        mapped.push_back(code);
        return mapper ? mapper(code) : int32_t(code);
    }

    std::function<int32_t(uint32_t)> mapper;
    std::vector<uint32_t> mapped;
    std::vector<IHostSpectrum*> committed;
    std::vector<std::unique_ptr<HostSpectrum>> created;
    // Spectra made by createSpectrum are real when set.
    bool createReal = false;
    bool canCreate = true;
};

}  // namespace lumatra
