// Helpers of the tree tests: registration of the fixture component and
// the spectrum-object library into the test case's registry, reading back
// library objects, and a recording peak detector.
#pragma once

#include <string>
#include <vector>

#include "fixturecontrol.h"
#include "kscomptr.h"
#include "kscomtest.h"
#include "ksconvert.h"

namespace treetest {

// Registers KSControls and the fixture component with ksregsvr; fails the
// test when either registration fails.
void RegisterComponents();

ks::ComPtr<ITreeFixtureControl> Control();
std::wstring TakeLog(ITreeFixtureControl* control);

using ks::test::Doubles;

// A spectrum object read back into plain fields.
struct ObjectSpectrum {
    LONG count = -1;
    std::vector<double> masses;
    std::vector<double> intensities;
    std::wstring title;
    VARIANT_BOOL centroid = 0;
    SHORT msOrder = 0;
    double precursor = 0;
    SHORT spare = 0;
    LONG polarity = 0;
    double startRT = 0;
    double endRT = 0;
    LONG firstScan = 0;
    LONG lastScan = 0;
    LONG functionType = 0;
};
ObjectSpectrum ReadObject(IKSMassSpectrum* spectrum);

struct ObjectChromatogram {
    LONG count = -1;
    std::vector<double> times;
    std::vector<double> intensities;
    std::wstring name;
};
ObjectChromatogram ReadObject(IKSChromatogram* chromatogram);

// A peak detector that records its calls ("detect <count>", "write") and
// writes one peak at the mean m/z of the last detected spectrum with its
// point count as intensity.
class RecordingDetector : public ks::Object<ks::Dual<IKSPeakDetection>> {
public:
    HRESULT DetectPeaks(IKSMassSpectrum* pSpectrum) override;
    HRESULT WritePeaks(IKSMassSpectrum* pTarget) override;

    std::vector<std::wstring> calls;
    double lastMean = 0;
    LONG lastCount = 0;
};

}  // namespace treetest
