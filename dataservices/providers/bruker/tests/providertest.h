// Helpers of the component tests: objects created through the registry
// of the test case, spectrum objects read back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kscontract.h"
#include "kshandles.h"
#include "kscomtest.h"

namespace xmass {

using ks::test::Create;
using ks::test::Doubles;
using ks::test::Query;

struct Points {
    std::vector<double> mz;
    std::vector<double> intensity;
    bool centroid = true;
};

inline Points Read(IKSMassSpectrum* spectrum)
{
    Points p;
    ks::Variant masses, intensities;
    spectrum->get_Masses(&masses);
    spectrum->get_Intensities(&intensities);
    p.mz = Doubles(masses);
    p.intensity = Doubles(intensities);
    VARIANT_BOOL centroid = VARIANT_TRUE;
    spectrum->get_Centroid(&centroid);
    p.centroid = centroid != VARIANT_FALSE;
    return p;
}

inline Points Read(const CKSMassSpectrum& spectrum)
{
    Points p;
    const LONG n = spectrum.GetCount();
    if (n > 0 && spectrum.GetMasses() && spectrum.GetIntensities()) {
        p.mz.assign(spectrum.GetMasses(), spectrum.GetMasses() + n);
        p.intensity.assign(spectrum.GetIntensities(), spectrum.GetIntensities() + n);
    }
    p.centroid = spectrum.IsCentroid();
    return p;
}

}  // namespace xmass
