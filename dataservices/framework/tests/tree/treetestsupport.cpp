#include "treetestsupport.h"

#include <gtest/gtest.h>

#include "ksactivation.h"
#include "kstest.h"

namespace treetest {

void RegisterComponents()
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "ks_tree_test_fixture"}));
}

ks::ComPtr<ITreeFixtureControl> Control()
{
    ks::ComPtr<ITreeFixtureControl> control;
    EXPECT_EQ(CoCreateInstance(CLSID_TreeFixtureControl, nullptr, CLSCTX_INPROC_SERVER, KS_IID(ITreeFixtureControl),
                               control.out()),
              S_OK);
    return control;
}

std::wstring TakeLog(ITreeFixtureControl* control)
{
    ks::Bstr log;
    log.attach(control->TakeLog());
    return log.str();
}

ObjectSpectrum ReadObject(IKSMassSpectrum* spectrum)
{
    ObjectSpectrum s;
    spectrum->get_Count(&s.count);
    ks::Variant masses;
    spectrum->get_Masses(&masses);
    s.masses = Doubles(masses);
    ks::Variant intensities;
    spectrum->get_Intensities(&intensities);
    s.intensities = Doubles(intensities);
    ks::Bstr title;
    spectrum->get_Title(&title);
    s.title = title.str();
    spectrum->get_Centroid(&s.centroid);
    spectrum->get_MSOrder(&s.msOrder);
    spectrum->get_PrecursorMass(&s.precursor);
    spectrum->get_Spare(&s.spare);
    spectrum->get_Polarity(&s.polarity);
    ks::ComPtr<IKSMassSpectrum2> two;
    if (SUCCEEDED(two.queryFrom(spectrum))) {
        two->get_StartRT(&s.startRT);
        two->get_EndRT(&s.endRT);
        two->get_FirstScan(&s.firstScan);
        two->get_LastScan(&s.lastScan);
        two->get_FunctionType(&s.functionType);
    }
    return s;
}

ObjectChromatogram ReadObject(IKSChromatogram* chromatogram)
{
    ObjectChromatogram c;
    chromatogram->get_Count(&c.count);
    ks::Variant times;
    chromatogram->get_Times(&times);
    c.times = Doubles(times);
    ks::Variant intensities;
    chromatogram->get_Intensities(&intensities);
    c.intensities = Doubles(intensities);
    ks::Bstr name;
    chromatogram->get_Name(&name);
    c.name = name.str();
    return c;
}

HRESULT RecordingDetector::DetectPeaks(IKSMassSpectrum* pSpectrum)
{
    if (!pSpectrum)
        return E_POINTER;
    const ObjectSpectrum s = ReadObject(pSpectrum);
    calls.push_back(L"detect " + std::to_wstring(s.count));
    lastCount = s.count;
    lastMean = 0;
    for (double m : s.masses)
        lastMean += m;
    if (!s.masses.empty())
        lastMean /= static_cast<double>(s.masses.size());
    return S_OK;
}

HRESULT RecordingDetector::WritePeaks(IKSMassSpectrum* pTarget)
{
    if (!pTarget)
        return E_POINTER;
    calls.push_back(L"write");
    pTarget->put_Count(1);
    const double mass = lastMean;
    const double intensity = lastCount;
    ks::Variant masses;
    masses.vt = VT_ARRAY | VT_R8;
    masses.parray = MakeSafeArray(VT_R8, 1, &mass);
    ks::Variant intensities;
    intensities.vt = VT_ARRAY | VT_R8;
    intensities.parray = MakeSafeArray(VT_R8, 1, &intensity);
    pTarget->put_Masses(masses);
    pTarget->put_Intensities(intensities);
    pTarget->put_Centroid(VARIANT_TRUE);
    return S_OK;
}

}  // namespace treetest
