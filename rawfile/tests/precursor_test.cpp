// Precursor information: the chain of the sample's MS2 and MS3 scans, the
// refinement on label peaks, the trailer readers and the checks.
#include "ombrelprecursor.h"
#include "ombreltest.h"

#include <cmath>
#include <cstring>

using namespace ombreltest;

namespace {

struct Level {
    double mono, isolation;
    int32_t charge, master;
};

class PrecursorTest : public OmbrelTest {
protected:
    HRESULT chain(LONG scan, std::vector<Level>& out)
    {
        Var infos;
        LONG count = -1;
        const HRESULT hr = reader->GetPrecursorInfoFromScanNum(scan, &infos.v, &count);
        out.clear();
        if (hr != kOmbrelDone)
            return hr;
        EXPECT_EQ(infos.v.vt, VT_ARRAY | VT_UI1);
        LONG upper = -1;
        SafeArrayGetUBound(infos.v.parray, 1, &upper);
        EXPECT_EQ(upper + 1, count * 24);
        uint8_t* data = nullptr;
        EXPECT_EQ(SafeArrayAccessData(infos.v.parray, reinterpret_cast<void**>(&data)), S_OK);
        for (LONG i = 0; i < count; ++i) {
            Level l;
            std::memcpy(&l.mono, data + 24 * i, 8);
            std::memcpy(&l.isolation, data + 24 * i + 8, 8);
            std::memcpy(&l.charge, data + 24 * i + 16, 4);
            std::memcpy(&l.master, data + 24 * i + 20, 4);
            out.push_back(l);
        }
        SafeArrayUnaccessData(infos.v.parray);
        return hr;
    }
};

// The sample's first cycle: precursor 500.2452 at charge 2, isolated on
// its second isotope (500.75); the MS3 on the MS2's top fragment 639.67.
constexpr double kMono = 500.2452, kIsolation = 500.75, kTop = 639.67;

}  // namespace

TEST_F(PrecursorTest, ChainsOfTheSampleUpToTheSurvey)
{
    openSampleMS();
    std::vector<Level> levels;
    ASSERT_EQ(chain(1, levels), kOmbrelDone);
    EXPECT_TRUE(levels.empty());  // a survey has no precursor

    ASSERT_EQ(chain(2, levels), kOmbrelDone);
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_NEAR(levels[0].mono, kMono, 1e-9);  // the survey's label at the trailer's mono m/z
    EXPECT_EQ(levels[0].isolation, kIsolation);
    EXPECT_EQ(levels[0].charge, 2);
    EXPECT_EQ(levels[0].master, 1);  // found by "Scan Event:"

    // The MS3 trailer knows no mass or charge: its master (found by the
    // isolation window of the class-4 MS2) gives the label's m/z and charge.
    ASSERT_EQ(chain(3, levels), kOmbrelDone);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].mono, kTop);
    EXPECT_EQ(levels[0].isolation, kTop);
    EXPECT_EQ(levels[0].charge, 1);
    EXPECT_EQ(levels[0].master, 2);
    EXPECT_EQ(levels[1].master, 1);
    EXPECT_EQ(levels[1].charge, 2);

    // The other cycles the same way, one level per order above 1.
    ASSERT_EQ(chain(8, levels), kOmbrelDone);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].master, 7);
    EXPECT_EQ(levels[1].master, 6);
}

TEST_F(PrecursorTest, RefinementRules)
{
    ControllerData& ms = model.controllers[0];
    const CGenericDataHeader& th = ms.trailer.header;
    const int monoItem = th.FindItem(L"Monoisotopic M/Z:");
    auto setMono = [&](int scan, double mono) {
        GenericRecord& r = ms.trailer.records[size_t(scan - 1)];
        std::memcpy(r.bytes.data() + th.ItemOffset(monoItem), &mono, 8);
    };
    const int chargeItem = th.FindItem(L"Charge State:");
    auto setCharge = [&](int scan, int16_t charge) {
        GenericRecord& r = ms.trailer.records[size_t(scan - 1)];
        std::memcpy(r.bytes.data() + th.ItemOffset(chargeItem), &charge, 2);
    };
    // Cycle 2 (scans 6 to 10): 622.3011 at charge 1, isolated at 623.31.
    setMono(7, 622.3011 + 6.0);  // 6.0 away at charge 1: beyond 5.0, not taken
    // Cycle 3 (scans 11 to 15): 500.2452 at charge 2, isolated at 500.75;
    // mono 2.6 away at charge 2 is beyond 2.5.
    setMono(12, 500.75 - 2.6);
    // Cycle 6 (26 to 30): the MS3's top-fragment label moved within the
    // window and given charge 2: 2 x m/z is above 1500, so only the charge.
    const double top = ms.scans[27].event.reactions[1].precursorMass;
    for (LabelPeak& l : ms.scans[26].labels)
        if (l.mass == top) {
            l.mass = top + 0.005;
            l.charge = 2;
        }
    // Cycle 5 (21 to 25): the same at charge 1 is taken whole.
    const double topB = ms.scans[22].event.reactions[1].precursorMass;
    for (LabelPeak& l : ms.scans[21].labels)
        if (l.mass == topB)
            l.mass = topB + 0.005;
    // Its MS2 without mono m/z or charge: refined on the survey's labels.
    setMono(22, 0.0);
    setCharge(22, 0);
    sample = writeModel(model, "refine.raw");
    openSampleMS();

    std::vector<Level> levels;
    ASSERT_EQ(chain(7, levels), kOmbrelDone);
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0].mono, levels[0].isolation);  // no mono: the isolation m/z, charge kept
    EXPECT_EQ(levels[0].charge, 1);

    ASSERT_EQ(chain(12, levels), kOmbrelDone);
    EXPECT_EQ(levels[0].mono, 500.75);
    EXPECT_EQ(levels[0].charge, 2);

    ASSERT_EQ(chain(28, levels), kOmbrelDone);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].mono, top);  // the label's m/z not taken
    EXPECT_EQ(levels[0].charge, 2);

    ASSERT_EQ(chain(23, levels), kOmbrelDone);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].mono, topB + 0.005);
    EXPECT_EQ(levels[0].charge, 1);
    // The survey's label at the isolation m/z (the second isotope of
    // 622.3011, charge 1) gives the MS2 both its m/z and its charge.
    EXPECT_NEAR(levels[1].mono, 622.3011 + 1.00335, 1e-9);
    EXPECT_EQ(levels[1].charge, 1);
}

TEST(OmbrelPrecursorSteps, LabelWindowScoreAndNeutralMass)
{
    auto label = [](double mz, float intensity) {
        LabelPeak l;
        l.mass = mz;
        l.intensity = intensity;
        return l;
    };
    const double t = 1000.0;  // window 0.03 on each side
    // Two labels equally scored: the lower m/z.
    std::vector<LabelPeak> tie = {label(t - 0.01, 100), label(t + 0.01, 100)};
    EXPECT_EQ(ombrel::SelectBestLabelPeak(tie, t, 7.5, 4.0), 0u);
    // Intensity outweighs a small distance.
    std::vector<LabelPeak> strong = {label(t, 10), label(t + 0.02, 100)};
    EXPECT_EQ(ombrel::SelectBestLabelPeak(strong, t, 7.5, 4.0), 1u);
    // Outside the window: none.
    std::vector<LabelPeak> far = {label(t - 0.031, 100), label(t + 0.031, 100)};
    EXPECT_EQ(ombrel::SelectBestLabelPeak(far, t, 7.5, 4.0), 2u);
    EXPECT_EQ(ombrel::SelectBestLabelPeak({}, t, 7.5, 4.0), 0u);

    EXPECT_DOUBLE_EQ(ombrel::NeutralMassFromMz(800.0, 2), 1600.0 - 1.00727663);
    EXPECT_EQ(ombrel::NeutralMassFromMz(800.0, 0), 800.0);
}

TEST(OmbrelPrecursorSteps, TrailerReadersTakeTheirWidthsOnly)
{
    CGenericDataHeader h;
    h.SetNumItems(4);
    h.ItemData(0, L"Charge State:", kDataLong, 0);
    h.ItemData(1, L"charge state:", kDataShort, 0);
    h.ItemData(2, L"Scan Event:", kDataChar, 0);
    h.ItemData(3, L"Monoisotopic M/Z:", kDataFloat, 2);
    GenericRecord r;
    r.bytes.resize(size_t(h.RecordSize()));
    const int32_t four = 2;
    const int16_t two = 3;
    const int8_t one = -2;
    const float mono = 512.25f;
    std::memcpy(r.bytes.data() + h.ItemOffset(0), &four, 4);
    std::memcpy(r.bytes.data() + h.ItemOffset(1), &two, 2);
    std::memcpy(r.bytes.data() + h.ItemOffset(2), &one, 1);
    std::memcpy(r.bytes.data() + h.ItemOffset(3), &mono, 4);
    // The first label that matches decides: a 4-byte charge reads as 0.
    EXPECT_EQ(ombrel::TrailerInteger(h, r, L"Charge State:", true, false), 0);
    EXPECT_EQ(ombrel::TrailerInteger(h, r, L"Scan Event:", false, true), -2);
    EXPECT_EQ(ombrel::TrailerInteger(h, r, L"SCAN EVENT:", true, false), 254);
    EXPECT_EQ(ombrel::TrailerInteger(h, r, L"Master Index:", false, true), 0);
    EXPECT_EQ(ombrel::TrailerReal(h, r, L"Monoisotopic M/Z:"), 512.25);
    EXPECT_EQ(ombrel::TrailerReal(h, r, L"Scan Event:"), 0.0);
}

TEST_F(PrecursorTest, ChecksAndFailures)
{
    Var infos;
    LONG count = -1;
    EXPECT_EQ(reader->GetPrecursorInfoFromScanNum(2, &infos.v, &count), kOmbrelNoFile);
    ASSERT_EQ(open(sample), kOmbrelDone);
    EXPECT_EQ(reader->GetPrecursorInfoFromScanNum(2, &infos.v, &count), kOmbrelNoController);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    EXPECT_EQ(reader->GetPrecursorInfoFromScanNum(2, &infos.v, &count), kOmbrelNoController);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    EXPECT_EQ(reader->GetPrecursorInfoFromScanNum(2, &infos.v, nullptr), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetPrecursorInfoFromScanNum(2, nullptr, &count), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetPrecursorInfoFromScanNum(31, &infos.v, &count), kOmbrelBadArgument);
    Var full;
    full.v.vt = VT_I4;
    EXPECT_EQ(reader->GetPrecursorInfoFromScanNum(2, &full.v, &count), kOmbrelBadArgument);
    EXPECT_EQ(count, -1);

    ksTestFailNextSafeArrayAllocations(1);
    EXPECT_EQ(reader->GetPrecursorInfoFromScanNum(2, &infos.v, &count), kOmbrelEngineFailed);
    ksTestFailNextSafeArrayAllocations(0);
    EXPECT_EQ(infos.v.vt, VT_EMPTY);
    testhook::FailNextCall("GetScanEvent");
    EXPECT_EQ(reader->GetPrecursorInfoFromScanNum(2, &infos.v, &count), kOmbrelEngineFailed);
    EXPECT_EQ(reader->GetPrecursorInfoFromScanNum(2, &infos.v, &count), kOmbrelDone);
    EXPECT_EQ(count, 1);
}

TEST_F(PrecursorTest, AnEventWithFewerReactionsThanItsOrderHasNoIsolationMass)
{
    // The MS3 of the first cycle keeps one reaction: its isolation m/z is 0.
    model.controllers[0].scans[2].event.reactions.resize(1);
    sample = writeModel(model, "short.raw");
    openSampleMS();
    std::vector<Level> levels;
    ASSERT_EQ(chain(3, levels), kOmbrelDone);
    ASSERT_FALSE(levels.empty());
    EXPECT_EQ(levels[0].isolation, 0.0);
}
