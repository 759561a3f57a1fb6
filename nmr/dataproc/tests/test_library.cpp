// The library singleton, its static services, and the host adapters,
// against the host stand-in.
#include "dataproclib.h"
#include "detect.h"
#include "frame.h"
#include "hostadapters.h"
#include "lumatrahost.h"
#include "numeric.h"
#include "peak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace yarbex;
using namespace lumatra;

namespace {

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dllCommand(FrameDelete, nullptr);
        HostPeak::resetCounters();
    }
    void TearDown() override
    {
        while (IDataProcLib* lib = librarySingleton())
            lib->release();
        dllCommand(FrameDelete, nullptr);
        EXPECT_EQ(HostPeak::outstanding(), 0);
    }
};

}  // namespace

TEST_F(LibraryTest, SingletonCounts)
{
    EXPECT_EQ(setupLibrary(nullptr), nullptr);
    EXPECT_EQ(DllFrame::instance(), nullptr);

    Host first, second;
    first.mapper = [](uint32_t) { return -1; };
    second.mapper = [](uint32_t) { return -2; };
    IDataProcLib* a = setupLibrary(&first);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(DllFrame::instance(), nullptr);
    EXPECT_STREQ(DllFrame::instance()->name, "DataProc");
    IDataProcLib* b = setupLibrary(&second);
    EXPECT_EQ(a, b);

    // Errors are mapped by the first host; a negative answer shows no box.
    uint32_t code = 21;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(FrameReport, &code), 0xFFFFFFFFu);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(first.mapped, (std::vector<uint32_t>{21}));
    EXPECT_TRUE(second.mapped.empty());

    EXPECT_EQ(a->staticInterface(), b->staticInterface());
    EXPECT_EQ(a->release(), 1);
    EXPECT_EQ(librarySingleton(), a);
    EXPECT_EQ(b->release(), 0);
    EXPECT_EQ(librarySingleton(), nullptr);
    EXPECT_EQ(DllFrame::instance(), nullptr);

    // Without a singleton the map answers "handled".
    EXPECT_EQ(mapErrorThroughHost(21), int32_t(0x80000000u));
    VersionRecord v{};
    EXPECT_EQ(dllCommand(FrameVersion, &v), 0u);
    EXPECT_STREQ(DllFrame::instance()->name, "VqDll");
    EXPECT_EQ(DllFrame::instance()->errorMap, nullptr);

    // A later set-up starts again at one.
    IDataProcLib* c = setupLibrary(&second);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->release(), 0);
}

TEST_F(LibraryTest, SettingsDefaultsAndUpdates)
{
    Host host;
    IDataProcLib* lib = setupLibrary(&host);
    IDataProcStatic* s = lib->staticInterface();
    double* values = s->settings();
    EXPECT_EQ(values[0], 7.0);
    EXPECT_EQ(values[1], 0.02);
    EXPECT_EQ(values[2], 3.0);
    const double changed[3] = {5.0, 0.1, 2.0};
    s->setSettings(changed);
    EXPECT_EQ(dataProcSettings()[0], 5.0);
    values[0] = 7.0;  // the host may write through the pointer
    EXPECT_EQ(dataProcSettings()[0], 7.0);
    const double defaults[3] = {7.0, 0.02, 3.0};
    s->setSettings(defaults);
    s->setSettings(nullptr);
    EXPECT_EQ(s->reserved(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 7u);
    lib->release();
}

TEST_F(LibraryTest, StaticFftFlags)
{
    Host host;
    IDataProcLib* lib = setupLibrary(&host);
    IDataProcStatic* s = lib->staticInterface();
    const uint32_t n = 16;
    std::vector<float> real(n), out(2 * n, 9.0f);
    for (uint32_t i = 0; i < n; ++i)
        real[i] = float(std::sin(0.7 * i) + 0.1 * i);

    EXPECT_EQ(s->fft(0, n, nullptr, out.data()), 18u);
    EXPECT_EQ(s->fft(0, n, real.data(), nullptr), 10u);
    EXPECT_EQ(s->fft(1, n, real.data(), out.data()), 7u);
    EXPECT_EQ(out[0], 9.0f);

    // Default: the real spectrum with its reconstructed imaginary part.
    ASSERT_EQ(s->fft(0, n, real.data(), out.data()), 0u);
    std::vector<double> z(2 * n, 0.0);
    for (uint32_t i = 0; i < n; ++i)
        z[i] = real[i];
    hilbertImaginary(n, z.data());
    for (uint32_t i = 0; i < n; ++i) {
        EXPECT_EQ(out[2 * i], real[i]);
        EXPECT_EQ(out[2 * i + 1], float(z[n + i]));
    }
    // 0x2: the causal time signal.
    ASSERT_EQ(s->fft(2, n, real.data(), out.data()), 0u);
    std::fill(z.begin(), z.end(), 0.0);
    for (uint32_t i = 0; i < n; ++i)
        z[i] = real[i];
    causalFold(n, z.data());
    for (uint32_t i = 0; i < n; ++i) {
        EXPECT_EQ(out[2 * i], float(z[i]));
        EXPECT_EQ(out[2 * i + 1], float(z[n + i]));
    }
    // 0x4: complex input whose imaginary part is dropped first.
    std::vector<float> pairs(2 * n);
    for (uint32_t i = 0; i < n; ++i) {
        pairs[2 * i] = real[i];
        pairs[2 * i + 1] = 100.0f;
    }
    std::vector<float> fromPairs(2 * n);
    ASSERT_EQ(s->fft(4, n, pairs.data(), fromPairs.data()), 0u);
    ASSERT_EQ(s->fft(0, n, real.data(), out.data()), 0u);
    EXPECT_EQ(fromPairs, out);
    // Not a power of two: the imaginary part stays 0.
    std::vector<float> six(12);
    ASSERT_EQ(s->fft(0, 6, real.data(), six.data()), 0u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(six[2 * i], real[i]);
        EXPECT_EQ(six[2 * i + 1], 0.0f);
    }
    EXPECT_EQ(s->fft(0, 0, real.data(), out.data()), 18u);
    lib->release();
}

TEST(HostAdapters, ReadHostRealPart)
{
    HostSpectrum complex(4, false);
    complex.samples = {1, 10, 2, 20, 3, 30, 4, 40};
    double* out = reinterpret_cast<double*>(&complex);
    ASSERT_EQ(readHostRealPart(&complex, &out, 0), 0u);
    EXPECT_EQ(std::vector<double>(out, out + 4), (std::vector<double>{1, 2, 3, 4}));
    std::free(out);
    HostSpectrum real(3, true);
    real.samples = {5, 6, 7};
    ASSERT_EQ(readHostRealPart(&real, &out, 3), 0u);
    EXPECT_EQ(std::vector<double>(out, out + 3), (std::vector<double>{5, 6, 7}));
    std::free(out);

    EXPECT_EQ(readHostRealPart(&real, &out, 4), 27u);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(readHostRealPart(&real, nullptr, 0), 11u);
    EXPECT_EQ(readHostRealPart(nullptr, &out, 0), 10u);
    HostSpectrum two(4, true);
    two.sizes = {2, 2};
    EXPECT_EQ(readHostRealPart(&two, &out, 0), 19u);
    HostSpectrum one(1, true);
    EXPECT_EQ(readHostRealPart(&one, &out, 0), 10u);
    HostSpectrum empty(4, true);
    empty.samples.clear();
    EXPECT_EQ(readHostRealPart(&empty, &out, 0), 10u);
}

TEST(HostAdapters, PeaksToLinesAndBack)
{
    HostPeak::resetCounters();
    {
        HostPeakList list;
        HostPeak* p = list.add(12.5, 3.0, 40.0, 2, 0x8);
        p->ph = 0.25;
        p->first = 3;
        p->last = 22;
        p->peakShape.shapeCode = 0;
        p->peakShape.parameters[1] = 0.5;
        cPeak1D line;
        int32_t first = -1, last = -1;
        {
            HostPeakRef ref(&list, 0);
            ASSERT_TRUE(ref);
            EXPECT_EQ(HostPeak::outstanding(), 1);
            readHostPeak(ref.get(), &line, &first, &last);
        }
        EXPECT_EQ(HostPeak::outstanding(), 0);
        EXPECT_EQ(line.kind, 2u);
        EXPECT_EQ(line.flags, 0x8u);
        EXPECT_EQ(line.position, 12.5);
        EXPECT_EQ(line.width, 3.0);
        EXPECT_EQ(line.amplitude, 40.0);
        EXPECT_EQ(line.phase, 0.25);
        EXPECT_EQ(line.shape[1], 0.5);
        EXPECT_EQ(first, 3);
        EXPECT_EQ(last, 22);

        line.position = 7;
        line.lineShape = 3;
        line.shape[2] = 1.5;
        {
            HostPeakRef created(list.createPeak());
            writeHostPeak(&line, created.get(), 1, 13);
            list.insert(-1, created.get());
        }
        EXPECT_EQ(HostPeak::outstanding(), 0);
        HostPeak* q = list.at(1);
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->pos, 7.0);
        EXPECT_EQ(q->peakKind, 2u);
        EXPECT_EQ(q->peakShape.shapeCode, 3u);
        EXPECT_EQ(q->peakShape.parameters[2], 1.5);
        EXPECT_EQ(q->first, 1);
        EXPECT_EQ(q->last, 13);
        HostPeakRef none(&list, 5);
        EXPECT_FALSE(none);
    }
    EXPECT_EQ(HostPeak::alive(), 0);
}

TEST(HostAdapters, PeakMatchesMasks)
{
    HostPeakList list;
    struct Case {
        uint32_t kind, flags, kindMask, flagMask;
        bool match;
    } cases[] = {
        {2, 0, 0x4, 0, true},
        {1, 0, 0x4, 0, false},
        {3, 0, 0x4, 0, false},
        {2, 0x8, 0x80004, 0x80004, false},  // host flag 0x8 excluded
        {2, 0x4, 0x80004, 0x80004, true},
        {0, 0x1, 0x3F, 0x10000, false},
        {5, 0, 0x20, 0, true},
        {6, 0, 0xFFFF, 0, false},  // no kind bit
        {2, 0x20, 0x4, 0xFFFF0000, true},  // only flags 0x1 .. 0x10 count
    };
    for (const Case& c : cases) {
        HostPeak* p = list.add(1, 1, 1, c.kind, c.flags);
        EXPECT_EQ(peakMatchesMasks(p, 0, c.kindMask, c.flagMask), c.match) << c.kind << " " << c.flags;
    }
    EXPECT_FALSE(peakMatchesMasks(nullptr, 0, 0xFFFF, 0));
}

TEST(HostAdapters, PointInMultiplet)
{
    HostMultipletList list;
    // Width 0.001 units at 500 points per unit: half-width 10 points.
    list.add(2.0, 0.001, 1, 0.0);
    const double origin = 2000, ppu = 500, pph = 2;
    const double c = origin - 2.0 * ppu;  // 1000
    EXPECT_TRUE(pointInMultiplet(&list, c, origin, ppu, pph));
    EXPECT_TRUE(pointInMultiplet(&list, c - 9.99, origin, ppu, pph));
    EXPECT_FALSE(pointInMultiplet(&list, c - 10, origin, ppu, pph));
    EXPECT_FALSE(pointInMultiplet(&list, c + 10, origin, ppu, pph));

    // A triplet with 7 Hz at 2 points per Hz: half = 14 + 10 = 24.
    HostMultipletList triplet;
    triplet.add(1.0, 0.02, 3, 7.0);
    const double c3 = origin - 1.0 * ppu;
    EXPECT_TRUE(pointInMultiplet(&triplet, c3 + 23.9, origin, ppu, pph));
    EXPECT_FALSE(pointInMultiplet(&triplet, c3 + 24, origin, ppu, pph));
    EXPECT_FALSE(pointInMultiplet(&triplet, c3 - 24, origin, ppu, pph));

    HostMultipletList none;
    EXPECT_FALSE(pointInMultiplet(&none, c, origin, ppu, pph));
    EXPECT_FALSE(pointInMultiplet(nullptr, c, origin, ppu, pph));
    // The second of two multiplets counts too.
    list.add(3.0, 0.1, 2, 10.0);  // c = 500, w = 50, J = 20: half = 10 + 50
    EXPECT_TRUE(pointInMultiplet(&list, 500 + 59, origin, ppu, pph));
    EXPECT_FALSE(pointInMultiplet(&list, 500 + 60, origin, ppu, pph));
}
