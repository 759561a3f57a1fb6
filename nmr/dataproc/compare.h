// Comparison of stacked host spectra and the verification score.
#pragma once

#include "hostobjects.h"
#include "resultcode.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace yarbex {

enum CompareMode : uint32_t { CompareGlobal = 20001, CompareEqualParts = 20002, CompareBoundaries = 20003 };
enum CompareFlags : uint32_t { CompareReport = 0x10, CompareWeights = 0x800, CompareAllPairs = 0x1000 };

// Points per Hz, the point of 0 ppm and points per ppm of a spectrum.
struct SpectrumGeometry {
    double pointsPerHz = 0;
    double zeroPoint = 0;
    double pointsPerPpm = 0;
};

// 0x40000005 when the spectrum cannot describe itself or its spectral
// width gives no finite geometry.
ResultCode spectrumGeometry(IHostSpectrum* s, uint32_t* size, SpectrumGeometry* g);
ResultCode regionWeights(IHostSpectrum* spectrum, double** weights);

// The most sub-regions a region may be divided into.
constexpr uint32_t kMaxSubRegions = 65535;

// Region, edge and sub-region boundaries read from a parameter array laid
// out for CompareEqualParts or CompareBoundaries.
struct RegionSetup {
    double low = 0, high = 0, edge = 0;
    uint32_t parts = 0;
    std::vector<double> bounds;  // parts + 1 values
};
ResultCode readRegionSetup(const double* params, bool givenBoundaries, RegionSetup* setup);

// The region distances of a stack (the region, then each sub-region, for
// every compared pair); each distance goes to sink, the report lines to
// report when given.
ResultCode regionDistances(IHostSpectraStack* stack, uint32_t flags, uint32_t transform, double exponent,
                           const RegionSetup& setup, const std::function<void(double)>& sink, std::string* report);

uint32_t compareSpectra(IHostSpectraStack* stack, uint32_t mode, uint32_t flags, double* params, uint32_t capacity,
                        uint32_t* result);

}  // namespace yarbex
