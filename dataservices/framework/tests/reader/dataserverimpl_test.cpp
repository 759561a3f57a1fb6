// The reader base: its defaults, the chromatograms and co-added ranges it
// computes from single spectra, and the choice of a spectrum by time.
#include "dataserverimpl.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr HRESULT kReadFailure = static_cast<HRESULT>(0x80070017u);  // a reader's own failure code

struct FakeScan {
    double rt;
    std::vector<double> mz;
    std::vector<double> intensity;
    bool centroid;
};

// A minimal reader over scans held in memory; reads fail from failAt on.
class FakeReader : public CDataServerImpl {
public:
    explicit FakeReader(std::vector<FakeScan> scans, int failAt = -1) : m_Scans(std::move(scans)), m_FailAt(failAt) {}

    CString DatasetType() override { return CString(L"Fake"); }
    bool IsValidDataset(const CString&) override { return true; }
    HRESULT Open(const CString&) override { return S_OK; }
    HRESULT Close() override { return S_OK; }
    int SpectrumCount(int, int) override { return static_cast<int>(m_Scans.size()); }
    HRESULT Spectrum(int, int, int index, CMassSpectrum& spectrum) override
    {
        ++m_Reads;
        if (index < 0 || index >= static_cast<int>(m_Scans.size()))
            return E_INVALIDARG;
        if (m_FailAt >= 0 && index >= m_FailAt)
            return kReadFailure;
        const FakeScan& s = m_Scans[static_cast<size_t>(index)];
        spectrum.SetSize(static_cast<LONG>(s.mz.size()), false, false, false);
        for (size_t i = 0; i < s.mz.size(); ++i) {
            spectrum.MassAt(static_cast<LONG>(i)) = s.mz[i];
            spectrum.IntensityAt(static_cast<LONG>(i)) = s.intensity[i];
        }
        spectrum.SetCentroid(s.centroid);
        spectrum.SetStartRT(s.rt);
        spectrum.SetEndRT(s.rt);
        spectrum.SetFirstScan(index + 1);
        spectrum.SetLastScan(index + 1);
        return S_OK;
    }
    int SpectrumIndexByRT(int, int, double rt, FunctionRTProximity proximity) override
    {
        std::vector<double> times;
        for (const auto& s : m_Scans)
            times.push_back(s.rt);
        return FindIndexByRetentionTime(times, rt, proximity);
    }

    int Reads() const { return m_Reads; }

private:
    std::vector<FakeScan> m_Scans;
    int m_FailAt;
    int m_Reads = 0;
};

std::vector<FakeScan> fiveCentroidScans()
{
    std::vector<FakeScan> scans;
    for (int i = 0; i < 5; ++i)
        scans.push_back({0.5 * (i + 1), {100.0, 200.0 + i, 300.0}, {10.0 * (i + 1), 50.0, 5.0}, true});
    return scans;
}

std::vector<double> times(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Times(), c.Times() + c.GetCount()) : std::vector<double>();
}

std::vector<double> intensities(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Intensities(), c.Intensities() + c.GetCount()) : std::vector<double>();
}

}  // namespace

TEST(FindIndexByRetentionTime, ChoosesByProximity)
{
    const std::vector<double> t = {1.0, 2.0, 3.0};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double rt;
        int less, greater, closest;
    } const cases[] = {
        {2.0, 0, 1, 1},
        {1.0, 0, 0, 0},    // exact hit on the first entry: 0 for every proximity
        {2.5, 1, 2, 2},    // tie goes to the later entry
        {2.4, 1, 2, 1},
        {2.6, 1, 2, 2},
        {0.5, -1, 0, 0},
        {3.0, 1, 2, 2},
        {4.0, 2, -1, 2},
        {nan, -1, -1, -1},
        {-std::numeric_limits<double>::infinity(), -1, 0, 0},
        {std::numeric_limits<double>::infinity(), 2, -1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rt);
        EXPECT_EQ(FindIndexByRetentionTime(t, c.rt, FunctionRTProximityLess), c.less);
        EXPECT_EQ(FindIndexByRetentionTime(t, c.rt, FunctionRTProximityGreater), c.greater);
        EXPECT_EQ(FindIndexByRetentionTime(t, c.rt, FunctionRTProximityClosest), c.closest);
    }
}

TEST(FindIndexByRetentionTime, EmptyVectorAndUnknownProximity)
{
    const std::vector<double> none;
    for (auto p : {FunctionRTProximityLess, FunctionRTProximityGreater, FunctionRTProximityClosest})
        EXPECT_EQ(FindIndexByRetentionTime(none, 1.0, p), -1);
    const std::vector<double> t = {1.0, 2.0, 3.0};
    EXPECT_EQ(FindIndexByRetentionTime(t, 2.0, static_cast<FunctionRTProximity>(3)), -1);
    EXPECT_EQ(FindIndexByRetentionTime(t, 1.0, static_cast<FunctionRTProximity>(-1)), -1);
    // Repeated times: Greater picks the first of them, Less the entry before.
    const std::vector<double> repeated = {1.0, 2.0, 2.0, 2.0, 3.0};
    EXPECT_EQ(FindIndexByRetentionTime(repeated, 2.0, FunctionRTProximityGreater), 1);
    EXPECT_EQ(FindIndexByRetentionTime(repeated, 2.0, FunctionRTProximityLess), 0);
}

TEST(DataServerImpl, Defaults)
{
    FakeReader r({});
    EXPECT_EQ(r.InjectionCount(), 1);
    EXPECT_EQ(r.InjectionCountFromPath(CString(L"/nowhere")), 1);
    EXPECT_EQ(r.FunctionCount(0), 1);
    EXPECT_EQ(r.TraceCount(0), 0);
    for (int injection : {0, 1, 7, -1})
        EXPECT_STREQ(r.InjectionName(injection).GetString(), L"Injection 1");
    EXPECT_STREQ(r.FunctionName(0, 2).GetString(), L"Function 3");
    EXPECT_STREQ(r.FunctionName(4, 0).GetString(), L"Function 1");
    EXPECT_STREQ(r.FunctionName(0, INT_MAX).GetString(), L"Function 2147483648");
    EXPECT_STREQ(r.TraceName(0, 0).GetString(), L"Trace 1");
    EXPECT_STREQ(r.TraceName(0, 9).GetString(), L"Trace 10");
    EXPECT_STREQ(r.TraceName(0, INT_MAX).GetString(), L"Trace 2147483648");
    EXPECT_EQ(r.FunctionType(0, 0), FunctionTypeUnknown);
    EXPECT_EQ(r.FunctionMSMSType(0, 0), FunctionMSMSTypeNone);
    EXPECT_EQ(r.FunctionPolarity(0, 0), FunctionPolarityUnknown);
    EXPECT_EQ(r.MSOrder(0, 0), 1);
    CChromatogram trace;
    EXPECT_EQ(r.Trace(0, 0, trace), E_NOTIMPL);
    EXPECT_EQ(trace.GetCount(), 1);
    EXPECT_EQ(r.OpenFromStorage(nullptr, CString(L"sub")), E_NOTIMPL);
}

TEST(DataServerImpl, MSOrderFollowsTheReadersFunctionType)
{
    class TypedReader : public FakeReader {
    public:
        TypedReader() : FakeReader({}) {}
        ::FunctionType FunctionType(int, int function) override { return static_cast<::FunctionType>(function); }
    };
    TypedReader r;
    const int expected[] = {1, 1, 2, 1, 2, 1, 1};  // Unknown, MS, MSn, ZoomMS, ZoomMSn, SIM, SIMMSn
    for (int type = FunctionTypeUnknown; type <= FunctionTypeSIMMSn; ++type)
        EXPECT_EQ(r.MSOrder(0, type), expected[type]) << "type " << type;
}

TEST(DataServerImpl, ChromatogramsFromSpectra)
{
    FakeReader r(fiveCentroidScans());
    CChromatogram tic, bpc, ranged;
    ASSERT_EQ(r.TIC(true, 0, 0, tic), S_OK);
    EXPECT_EQ(r.Reads(), 5);  // each spectrum read once
    ASSERT_EQ(r.BPC(true, 0, 0, bpc), S_OK);
    ASSERT_EQ(r.BPCWithRange(150.0, 350.0, true, 0, 0, ranged), S_OK);
    const std::vector<double> rts = {0.5, 1.0, 1.5, 2.0, 2.5};
    EXPECT_EQ(times(tic), rts);
    EXPECT_EQ(times(bpc), rts);
    EXPECT_EQ(times(ranged), rts);
    EXPECT_EQ(intensities(tic), (std::vector<double>{65, 75, 85, 95, 105}));
    EXPECT_EQ(intensities(bpc), (std::vector<double>{50, 50, 50, 50, 50}));
    EXPECT_EQ(intensities(ranged), (std::vector<double>{50, 50, 50, 50, 50}));
    // The range bounds are inclusive and exclude the large peak at 100.
    CChromatogram low;
    ASSERT_EQ(r.BPCWithRange(0.0, 100.0, true, 0, 0, low), S_OK);
    EXPECT_EQ(intensities(low), (std::vector<double>{10, 20, 30, 40, 50}));
    CChromatogram none;
    ASSERT_EQ(r.BPCWithRange(400.0, 500.0, true, 0, 0, none), S_OK);
    EXPECT_EQ(intensities(none), (std::vector<double>(5, 0.0)));
}

TEST(DataServerImpl, BPCForwardsToTheReadersRangeOverride)
{
    class RangeReader : public FakeReader {
    public:
        RangeReader() : FakeReader({}) {}
        HRESULT BPCWithRange(double low, double high, bool calculate, int injection, int function,
                             CChromatogram&) override
        {
            m_Low = low;
            m_High = high;
            m_Calculate = calculate;
            m_Injection = injection;
            m_Function = function;
            return S_FALSE;
        }
        double m_Low = 0, m_High = 0;
        bool m_Calculate = false;
        int m_Injection = -1, m_Function = -1;
    };
    RangeReader r;
    CChromatogram c;
    EXPECT_EQ(r.BPC(true, 2, 3, c), S_FALSE);
    EXPECT_EQ(r.m_Low, -1.7976931348623157e308);
    EXPECT_EQ(r.m_High, 1.7976931348623157e308);
    EXPECT_TRUE(r.m_Calculate);
    EXPECT_EQ(r.m_Injection, 2);
    EXPECT_EQ(r.m_Function, 3);
}

TEST(DataServerImpl, NoSpectraGiveEmptyChromatograms)
{
    FakeReader r({});
    CChromatogram tic, bpc;
    ASSERT_EQ(tic.GetCount(), 1);  // a new chromatogram holds one point
    EXPECT_EQ(r.TIC(true, 0, 0, tic), S_OK);
    EXPECT_EQ(r.BPC(true, 0, 0, bpc), S_OK);
    EXPECT_EQ(tic.GetCount(), 0);
    EXPECT_EQ(bpc.GetCount(), 0);
}

TEST(DataServerImpl, NoCalculationLeavesTheChromatogramUntouched)
{
    FakeReader r(fiveCentroidScans());
    CChromatogram c;
    c.SetTime(0, 4.0);
    c.SetIntensity(0, 8.0);
    EXPECT_EQ(r.TIC(false, 0, 0, c), CO_E_NOT_SUPPORTED);
    EXPECT_EQ(r.BPC(false, 0, 0, c), CO_E_NOT_SUPPORTED);
    EXPECT_EQ(r.BPCWithRange(0.0, 1000.0, false, 0, 0, c), CO_E_NOT_SUPPORTED);
    EXPECT_EQ(r.Reads(), 0);
    EXPECT_EQ(times(c), std::vector<double>{4.0});
    EXPECT_EQ(intensities(c), std::vector<double>{8.0});
}

TEST(DataServerImpl, FailedReadAtIndexKStopsTheChromatogram)
{
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        FakeReader tr(fiveCentroidScans(), k);
        FakeReader br(fiveCentroidScans(), k);
        CChromatogram tic, bpc;
        EXPECT_EQ(tr.TIC(true, 0, 0, tic), kReadFailure);
        EXPECT_EQ(br.BPC(true, 0, 0, bpc), kReadFailure);
        EXPECT_EQ(tr.Reads(), k + 1);  // not retried, nothing read after it
        // The points of the spectra read before the failure.
        ASSERT_EQ(tic.GetCount(), k);
        ASSERT_EQ(bpc.GetCount(), k);
        for (int i = 0; i < k; ++i) {
            EXPECT_EQ(tic.Times()[i], 0.5 * (i + 1)) << i;
            EXPECT_EQ(tic.Intensities()[i], 65.0 + 10 * i) << i;
            EXPECT_EQ(bpc.Intensities()[i], 50.0) << i;
        }
    }
}

// Mend: a function's spectrum count sizes nothing ahead of the reads. A
// reader claiming a million spectra of which five can be read (a file's
// header can claim any count) gives five points, not a million, and a
// chromatogram holding points before keeps none of them.
TEST(DataServerImpl, ChromatogramsGrowWithTheSpectraRead)
{
    class ClaimingReader : public FakeReader {
    public:
        ClaimingReader() : FakeReader(fiveCentroidScans()) {}
        int SpectrumCount(int, int) override { return 1000000; }
    };
    ClaimingReader r;
    CChromatogram tic, bpc;
    tic.SetSize(8);
    tic.SetTime(7, 7.0);
    EXPECT_EQ(r.TIC(true, 0, 0, tic), E_INVALIDARG);
    EXPECT_EQ(r.BPCWithRange(0.0, 1000.0, true, 0, 0, bpc), E_INVALIDARG);
    EXPECT_EQ(times(tic), (std::vector<double>{0.5, 1.0, 1.5, 2.0, 2.5}));
    EXPECT_EQ(intensities(tic), (std::vector<double>{65, 75, 85, 95, 105}));
    EXPECT_EQ(intensities(bpc), (std::vector<double>{50, 50, 50, 50, 50}));
    EXPECT_EQ(tic.GetValueCount(), 5);
    EXPECT_EQ(r.Reads(), 12);  // five and the failing sixth, twice
}

TEST(DataServerImpl, SpectrumRangeOfOneSpectrum)
{
    FakeReader r(fiveCentroidScans());
    CMassSpectrum s;
    ASSERT_EQ(r.SpectrumRange(0, 0, 2, 2, true, 0.5, s), S_OK);
    EXPECT_EQ(r.Reads(), 1);
    ASSERT_EQ(s.GetCount(), 3);
    EXPECT_EQ(s.Masses()[1], 202.0);
    EXPECT_EQ(s.Intensities()[0], 30.0);
    EXPECT_EQ(s.GetFirstScan(), 3);
    EXPECT_EQ(s.GetLastScan(), 3);
    EXPECT_EQ(s.GetStartRT(), 1.5);
    EXPECT_EQ(s.GetEndRT(), 1.5);
}

TEST(DataServerImpl, SpectrumRangeCoAddsCentroids)
{
    FakeReader r(fiveCentroidScans());
    CMassSpectrum s;
    ASSERT_EQ(r.SpectrumRange(0, 0, 1, 3, true, 0.5, s), S_OK);
    EXPECT_EQ(r.Reads(), 3);
    // The peaks at 100 and 300 join; 201, 202 and 203 lie further apart
    // than the tolerance and stay separate.
    ASSERT_EQ(s.GetCount(), 5);
    EXPECT_DOUBLE_EQ(s.Masses()[0], 100.0);
    EXPECT_DOUBLE_EQ(s.Intensities()[0], 20.0 + 30.0 + 40.0);
    EXPECT_DOUBLE_EQ(s.Masses()[4], 300.0);
    EXPECT_DOUBLE_EQ(s.Intensities()[4], 15.0);
    EXPECT_DOUBLE_EQ(s.GetTIC(), 90.0 + 150.0 + 15.0);
    EXPECT_EQ(s.GetFirstScan(), 2);
    EXPECT_EQ(s.GetLastScan(), 4);
    EXPECT_EQ(s.GetStartRT(), 1.0);
    EXPECT_EQ(s.GetEndRT(), 2.0);
}

TEST(DataServerImpl, SpectrumRangeWithLastBeforeFirstAddsNothing)
{
    FakeReader r(fiveCentroidScans());
    CMassSpectrum s;
    ASSERT_EQ(r.SpectrumRange(0, 0, 3, 1, true, 0.5, s), S_OK);
    EXPECT_EQ(r.Reads(), 1);
    EXPECT_DOUBLE_EQ(s.GetTIC(), 95.0);
    EXPECT_EQ(s.GetFirstScan(), 4);
    EXPECT_EQ(s.GetLastScan(), 2);
    EXPECT_EQ(s.GetStartRT(), 2.0);
    EXPECT_EQ(s.GetEndRT(), 2.0);
}

TEST(DataServerImpl, SpectrumRangeFailures)
{
    {
        SCOPED_TRACE("first read fails");
        FakeReader r(fiveCentroidScans(), 0);
        CMassSpectrum s;
        s.SetStartRT(9.5);
        s.SetEndRT(9.75);
        EXPECT_EQ(r.SpectrumRange(0, 0, 0, 3, true, 0.5, s), kReadFailure);
        EXPECT_EQ(r.Reads(), 1);
        EXPECT_EQ(s.GetFirstScan(), 1);
        EXPECT_EQ(s.GetLastScan(), 4);
        EXPECT_EQ(s.GetStartRT(), 9.5);
        EXPECT_EQ(s.GetEndRT(), 9.5);
    }
    {
        SCOPED_TRACE("third read fails");
        FakeReader r(fiveCentroidScans(), 3);
        CMassSpectrum s;
        EXPECT_EQ(r.SpectrumRange(0, 0, 1, 4, true, 0.5, s), kReadFailure);
        EXPECT_EQ(r.Reads(), 3);
        EXPECT_DOUBLE_EQ(s.GetTIC(), 75.0 + 85.0);  // spectra 1 and 2 only
        EXPECT_EQ(s.GetFirstScan(), 2);
        EXPECT_EQ(s.GetLastScan(), 5);
        EXPECT_EQ(s.GetStartRT(), 1.0);
        EXPECT_EQ(s.GetEndRT(), 1.5);
    }
}

TEST(DataServerImpl, SpectrumRangeSkipsSpectraOfTheOtherKind)
{
    std::vector<FakeScan> scans = fiveCentroidScans();
    scans[1].centroid = false;
    FakeReader r(scans);
    CMassSpectrum s;
    ASSERT_EQ(r.SpectrumRange(0, 0, 0, 2, true, 0.5, s), S_OK);
    EXPECT_DOUBLE_EQ(s.GetTIC(), 65.0 + 85.0);
    EXPECT_EQ(s.GetEndRT(), 1.5);  // the end is the last spectrum read, added or not
}

TEST(DataServerImpl, SpectrumIndexByRTThroughTheSharedRoutine)
{
    FakeReader r(fiveCentroidScans());
    EXPECT_EQ(r.SpectrumIndexByRT(0, 0, 1.2, FunctionRTProximityClosest), 1);
    EXPECT_EQ(r.SpectrumIndexByRT(0, 0, 1.2, FunctionRTProximityGreater), 2);
    EXPECT_EQ(r.SpectrumIndexByRT(0, 0, 9.0, FunctionRTProximityGreater), -1);
}
