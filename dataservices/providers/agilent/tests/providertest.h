// Helpers of the KSAgilentProvider component tests: registration into the
// test case's registry, objects by class identifier, and the points of
// spectrum objects and handles read back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chromatogram.h"
#include "ksagilentprovider.h"
#include "kscomptr.h"
#include "kscomtest.h"
#include "kscontract.h"
#include "kshandles.h"
#include "kstest.h"

namespace agilentprov {

using ks::test::Create;
using ks::test::Doubles;
using ks::test::Query;

// What a spectrum object or handle holds.
struct Points {
    LONG count = -1;
    std::vector<double> x;
    std::vector<double> y;
    bool centroid = true;
    double startRT = -1;
    double endRT = -1;
    LONG firstScan = -1;
    LONG lastScan = -1;
};

inline Points Read(IKSMassSpectrum* spectrum)
{
    Points p;
    spectrum->get_Count(&p.count);
    ks::Variant masses;
    spectrum->get_Masses(&masses);
    p.x = Doubles(masses);
    ks::Variant intensities;
    spectrum->get_Intensities(&intensities);
    p.y = Doubles(intensities);
    VARIANT_BOOL centroid = VARIANT_TRUE;
    spectrum->get_Centroid(&centroid);
    p.centroid = centroid != VARIANT_FALSE;
    if (auto two = Query<IKSMassSpectrum2>(spectrum)) {
        two->get_StartRT(&p.startRT);
        two->get_EndRT(&p.endRT);
        two->get_FirstScan(&p.firstScan);
        two->get_LastScan(&p.lastScan);
    }
    return p;
}

inline Points Read(const CKSMassSpectrum& handle)
{
    Points p;
    const CMassSpectrum* s = handle.get();
    p.count = s->GetCount();
    if (p.count > 0) {
        p.x.assign(s->Masses(), s->Masses() + p.count);
        p.y.assign(s->Intensities(), s->Intensities() + p.count);
    }
    p.centroid = s->IsCentroid();
    p.startRT = s->GetStartRT();
    p.endRT = s->GetEndRT();
    p.firstScan = s->GetFirstScan();
    p.lastScan = s->GetLastScan();
    return p;
}

inline std::vector<double> Values(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Intensities(), c.Intensities() + c.GetCount())
                        : std::vector<double>();
}

inline std::vector<double> Times(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Times(), c.Times() + c.GetCount()) : std::vector<double>();
}

}  // namespace agilentprov
