// The spectrum-processing interface over the host stand-in: every slot and
// an end-to-end session.
#include "dataproclib.h"
#include "detect.h"
#include "dpi.h"
#include "frame.h"
#include "lumatrahost.h"
#include "measure.h"
#include "peak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace yarbex;
using namespace lumatra;

namespace {

constexpr uint32_t kN = 2048;

void addLine(HostSpectrum& s, double position, double width, double amplitude)
{
    const uint32_t n = s.sizes[0];
    for (uint32_t i = 0; i < n; ++i) {
        const double t = 2 * (i - position) / width;
        s.samples[s.real ? i : 2 * i] += float(amplitude / (1 + t * t));
    }
}

class SpectrumProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dllCommand(FrameDelete, nullptr);
        HostPeak::resetCounters();
        lib = setupLibrary(&host);
        ASSERT_NE(lib, nullptr);
        spectrum = std::make_unique<HostSpectrum>(kN, true);
        spectrum->hasDescription = true;
        // 1 point per Hz, 400 MHz: 400 points per ppm; 0 ppm at point 2000.
        spectrum->description = SpectrumDescription{kN, kN, 0.0f, 2048.0f, -48.0f, 400.0f};
        addLine(*spectrum, 600.3, 6, 100);
        addLine(*spectrum, 1400.6, 10, 60);
        spectrum->peakList = &peaks;
        spectrum->splittingList = &splittings;
        proc = lib->createSpectrumProc(spectrum.get());
        ASSERT_NE(proc, nullptr);
    }
    void TearDown() override
    {
        if (proc)
            proc->release();
        lib->release();
        EXPECT_EQ(librarySingleton(), nullptr);
        EXPECT_EQ(HostPeak::outstanding(), 0);
    }

    Host host;
    IDataProcLib* lib = nullptr;
    std::unique_ptr<HostSpectrum> spectrum;
    HostPeakList peaks, splittings;
    ISpectrumProc* proc = nullptr;
};

}  // namespace

TEST_F(SpectrumProcTest, UpdateReadsTheHostSpectrum)
{
    EXPECT_EQ(proc->update(), 0u);
    HostSpectrum six(4, true);
    six.sizes = {2, 2, 2, 2, 2, 2};
    ISpectrumProc* p = lib->createSpectrumProc(&six);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->update(), 19u);
    p->release();
    ISpectrumProc* none = lib->createSpectrumProc(nullptr);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->update(), 0u);
    double sigma = -1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(none->noise(0, &sigma, nullptr), 18u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Missing input data"), std::string::npos);
    none->release();
}

TEST_F(SpectrumProcTest, Measurements)
{
    double re = -1, im = -1, width = -1;
    EXPECT_EQ(proc->noise(0, &re, &im), 0u);
    EXPECT_GE(re, 0.0);
    EXPECT_EQ(im, 0.0);
    EXPECT_EQ(proc->lineWidth(0, &width), 0u);
    EXPECT_GT(width, 3.0);
    EXPECT_LT(width, 12.0);
    ArrayStatistics sr{}, si{};
    si.maximum = 77;
    EXPECT_EQ(proc->statistics(0, &sr, &si), 0u);
    EXPECT_EQ(sr.maximumPoint, 600u);
    EXPECT_EQ(si.maximum, 77.0);  // real data: untouched

    // Complex data: the imaginary record is copied too.
    HostSpectrum c(4, false);
    c.samples = {1, -1, 5, 2, -7, 4, 5, 0};
    ISpectrumProc* p = lib->createSpectrumProc(&c);
    EXPECT_EQ(p->statistics(0, &sr, &si), 0u);
    EXPECT_EQ(si.maximum, 4.0);
    EXPECT_EQ(sr.minimum, -7.0);
    p->release();
}

TEST_F(SpectrumProcTest, ArrayOpWritesInPlaceAndReservedSlots)
{
    const float before = spectrum->samples[600];
    EXPECT_EQ(proc->arrayOp(0, 74, 2.0, 0.0), 0u);  // scale
    EXPECT_FLOAT_EQ(spectrum->samples[600], 2 * before);
    EXPECT_EQ(proc->arrayOp(0, 67, 0.0, 0.0), 0u);  // square: only this way
    EXPECT_FLOAT_EQ(spectrum->samples[600], 4 * before * before);
    EXPECT_EQ(proc->reserved6(0, 1, 2, 3), 7u);
    EXPECT_EQ(proc->reserved7(0, 1, 2, 3), 7u);
    EXPECT_EQ(proc->reserved8(0, 1, 2, 3), 7u);
    EXPECT_EQ(proc->reserved9(0, 1, 2, 3, 4), 7u);
    EXPECT_EQ(proc->reserved10(0x20, 1, 2, 3, 4, 5), 7u);
    EXPECT_EQ(proc->reserved13(0, 1, 2, 3, 4, 5, 6, 7, 8), 7u);
    EXPECT_EQ(proc->reserved22(0, 1), 0u);
}

TEST_F(SpectrumProcTest, SmoothingAndBoosterInPlace)
{
    uint32_t order = 0, points = 0;
    const float peak = spectrum->samples[600];
    EXPECT_EQ(proc->savitzkyGolay(0, 0, &order, &points, 1.0), 0u);
    EXPECT_EQ(order, 3u);
    EXPECT_GE(points, 7u);
    EXPECT_EQ(points % 2, 1u);
    EXPECT_LT(spectrum->samples[600], peak);  // smoothed in the host's array
    order = 4;
    points = 11;
    EXPECT_EQ(proc->savitzkyGolay(ModeKeepWindow, 0, &order, &points, 1.0), 0u);
    EXPECT_EQ(order, 4u);
    EXPECT_EQ(points, 11u);
    order = points = 0;
    EXPECT_EQ(proc->resolutionBooster(0, &order, &points, 1.0, 0.0), 0u);
    EXPECT_EQ(order, 5u);
    spectrum->timeDomain = true;
    proc->update();
    EXPECT_EQ(proc->resolutionBooster(0, &order, &points, 1.0, 0.0), 20u);
}

TEST_F(SpectrumProcTest, PickPeaksIntoTheHostList)
{
    EXPECT_EQ(proc->pickPeaks(0, 3, 1.0, 0, 0, 0, 0, 0), 0u);
    ASSERT_EQ(peaks.count(), 2u);
    EXPECT_NEAR(peaks.at(0)->pos, 600.3, 1.0);  // detection only: whole points
    EXPECT_NEAR(peaks.at(1)->pos, 1400.6, 1.0);
    EXPECT_LE(peaks.at(0)->first, 600);
    EXPECT_GE(peaks.at(0)->last, 601);
    EXPECT_EQ(HostPeak::outstanding(), 0);

    spectrum->peakList = nullptr;
    proc->update();
    EXPECT_EQ(proc->pickPeaks(0, 3, 1.0, 0, 0, 0, 0, 0), 23u);
    spectrum->peakList = &peaks;
    peaks.canCreate = false;
    EXPECT_EQ(proc->pickPeaks(0, 0, 1.0, 0, 0, 0, 0, 0), 3u);
    peaks.canCreate = true;
}

TEST_F(SpectrumProcTest, MarkLabileLines)
{
    // Kind-0 lines: amplitudes 100, 10, 50 with widths 4, 4, 40.
    peaks.add(100, 4, 100);
    peaks.add(300, 4, 10);
    peaks.add(500, 40, 50);
    HostPeak* inMultiplet = peaks.add(1200, 4, 80);
    HostMultipletList m;
    m.add(2.0, 0.01, 1, 0.0);  // point 2000 - 800 = 1200, at least 10 points
    spectrum->multipletList = &m;
    EXPECT_EQ(proc->markLabileLines(0, 0.2), 0u);
    EXPECT_TRUE(inMultiplet->peakFlags & 0x80000);
    EXPECT_EQ(inMultiplet->peakKind, 3u);
    // W = (100*4 + 10*4 + 50*40) / 160 = 15.25; broad: width > 45.75.
    EXPECT_EQ(peaks.at(0)->peakFlags, 0u);
    EXPECT_EQ(peaks.at(1)->peakFlags, 0x2u);  // below 0.2 * 100
    EXPECT_EQ(peaks.at(2)->peakFlags, 0u);
    peaks.at(2)->wid = 200;  // W = (400 + 40 + 10000) / 160 = 65.25
    EXPECT_EQ(proc->markLabileLines(0, 0.0), 0u);
    EXPECT_EQ(peaks.at(2)->peakFlags, 0x10u);

    // No kind-0 lines: nothing is broad, small lines are still marked.
    for (HostPeak* p : peaks.peaks) {
        p->peakKind = 1;
        p->peakFlags = 0;
    }
    EXPECT_EQ(proc->markLabileLines(0, 0.5), 0u);
    for (HostPeak* p : peaks.peaks)
        EXPECT_EQ(p->peakFlags & 0x10, 0u);

    // A spectral width of 0: refused, nothing marked by position.
    for (HostPeak* p : peaks.peaks) {
        p->peakKind = 0;
        p->peakFlags = 0;
    }
    spectrum->description.spectralWidth = 0;
    EXPECT_EQ(proc->markLabileLines(0, 0.2), 0x40000005u);
    EXPECT_EQ(inMultiplet->peakFlags & 0x80000, 0u);
    EXPECT_EQ(peaks.at(1)->peakFlags, 0x2u);
    spectrum->hasDescription = false;
    EXPECT_EQ(proc->markLabileLines(0, 0.2), 0x40000005u);
    spectrum->hasDescription = true;
    spectrum->peakList = nullptr;
    EXPECT_EQ(proc->markLabileLines(0, 0.2), 23u);
    spectrum->multipletList = nullptr;
}

TEST_F(SpectrumProcTest, PeakArraysAreaAndSums)
{
    HostPeak* p = peaks.add(600.3, 6, 100);
    p->first = 590;
    p->last = 611;
    std::vector<float> out(2 * 22, -1.0f);
    EXPECT_EQ(proc->peakToArrays(0, p, out.data(), 0, 0, 0), 0u);
    cPeak1D line(0, 600.3, 6, 100, 0, 0, 0, 0, 0);
    double re = 0, im = 0;
    line.value(600, &re, &im);
    EXPECT_FLOAT_EQ(out[2 * 10], float(re));
    EXPECT_FLOAT_EQ(out[2 * 10 + 1], float(im));
    EXPECT_EQ(proc->peakToArrays(0, nullptr, nullptr, 0, 0, 0), 0u);
    double area = 0;
    EXPECT_EQ(proc->peakArea(0, p, &area, 0, 0, 0), 0u);
    EXPECT_DOUBLE_EQ(area, 100 * M_PI * 6 * 0.5);
    p->peakShape.shapeCode = 2;
    EXPECT_EQ(proc->peakArea(0, p, &area, 0, 0, 0), 24u);
    EXPECT_EQ(proc->peakToArrays(0, p, out.data(), 0, 0, 0), 24u);
    p->peakShape.shapeCode = 0;
    // no host peak: 10 ("Missing data"), the area untouched
    area = -7;
    EXPECT_EQ(proc->peakArea(0, nullptr, &area, 0, 0, 0), 10u);
    EXPECT_EQ(area, -7);

    // A host range beyond the spectrum is clamped to it.
    HostPeak* wild = peaks.add(2040, 4, 10);
    wild->first = 1990;
    wild->last = 1000000;
    std::vector<float> model(2 * kN), residual(kN);
    EXPECT_EQ(proc->sumPeaks(0, model.data(), residual.data(), 0, 0, 0), 0u);
    EXPECT_NEAR(model[2 * 600], re, 1e-3);
    EXPECT_GT(model[2 * 2040], 9.0f);
    EXPECT_EQ(model[2 * 1000], 0.0f);
    EXPECT_NEAR(residual[1400], spectrum->samples[1400], 1e-4);
    EXPECT_NEAR(residual[600], spectrum->samples[600] - model[2 * 600], 1e-3);

    // Empty list: an all-zero model.
    HostPeakList empty;
    spectrum->peakList = &empty;
    std::fill(model.begin(), model.end(), 5.0f);
    EXPECT_EQ(proc->sumPeaks(0, model.data(), nullptr, 0, 0, 0), 0u);
    for (float v : model)
        ASSERT_EQ(v, 0.0f);
    spectrum->peakList = nullptr;
    EXPECT_EQ(proc->sumPeaks(0, model.data(), nullptr, 0, 0, 0), 23u);
    spectrum->peakList = &peaks;
}

TEST_F(SpectrumProcTest, SumThatFailsClearsTheCallersArrays)
{
    // The second line has a shape the library cannot render: the sum stops
    // there, and neither the part sum nor the arrays' old contents remain.
    HostPeak* good = peaks.add(600.3, 6, 100);
    good->first = 590;
    good->last = 611;
    HostPeak* bad = peaks.add(1400.6, 10, 60);
    bad->first = 1380;
    bad->last = 1420;
    bad->peakShape.shapeCode = 2;
    std::vector<float> model(2 * kN, 5.0f), residual(kN, 5.0f);
    EXPECT_EQ(proc->sumPeaks(0, model.data(), residual.data(), 0, 0, 0), 24u);
    for (float v : model)
        ASSERT_EQ(v, 0.0f);
    for (float v : residual)
        ASSERT_EQ(v, 0.0f);
    // without arrays nothing is written
    EXPECT_EQ(proc->sumPeaks(0, nullptr, nullptr, 0, 0, 0), 24u);
    // once it renders, the sum is whole again
    bad->peakShape.shapeCode = 0;
    EXPECT_EQ(proc->sumPeaks(0, model.data(), residual.data(), 0, 0, 0), 0u);
    EXPECT_GT(model[2 * 600], 90.0f);
    EXPECT_GT(model[2 * 1400], 50.0f);
}

TEST_F(SpectrumProcTest, SumByTypeIntoANewSpectrum)
{
    HostPeak* a = peaks.add(600, 6, 100, 0, 0x1);
    HostPeak* b = peaks.add(900, 6, 50, 2, 0);
    a->first = 580;
    a->last = 620;
    b->first = 880;
    b->last = 920;
    IHostSpectrum* made = nullptr;
    EXPECT_EQ(proc->sumPeaksByType(0, 0, 0, &made, 0, 0.0, 0, 0, 0), 0u);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(host.committed.back(), made);
    for (uint32_t i = 0; i < 2 * kN; ++i)
        ASSERT_EQ(made->data()[i], 0.0f);
    // flagMask 0x10000 skips the peak carrying host flag 1.
    EXPECT_EQ(proc->sumPeaksByType(0, 0xFFFF, 0x10000, &made, 0, 0.0, 0, 0, 0), 0u);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->data()[2 * 600], 0.0f);
    EXPECT_NEAR(made->data()[2 * 900], 50.0f, 1e-4);

    // A spectrum made real cannot take the model: discarded, null committed.
    host.createReal = true;
    EXPECT_EQ(proc->sumPeaksByType(0, 0xFFFF, 0, &made, 0, 0.0, 0, 0, 0), 27u);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(host.committed.back(), nullptr);
    EXPECT_TRUE(host.created.back()->discarded);
    host.createReal = false;
    host.canCreate = false;
    EXPECT_EQ(proc->sumPeaksByType(0, 0xFFFF, 0, &made, 0, 0.0, 0, 0, 0), 3u);
    host.canCreate = true;
    spectrum->hasDescription = false;
    EXPECT_EQ(proc->sumPeaksByType(0, 0xFFFF, 0, &made, 0, 0.0, 0, 0, 0), 5u);
    spectrum->hasDescription = true;
}

TEST_F(SpectrumProcTest, BuildSplittings)
{
    EXPECT_EQ(proc->buildSplittings(0, 0, 0, 0, 0, 0), 3u);  // empty list
    peaks.add(100, 1, 4);
    EXPECT_EQ(proc->buildSplittings(0, 0, 0, 0, 0, 0), 0u);
    EXPECT_EQ(splittings.count(), 0u);
    peaks.add(110, 1, 9);
    peaks.add(130, 1, 1);
    EXPECT_EQ(proc->buildSplittings(0, 0, 0, 0, 0, 0), 0u);
    ASSERT_EQ(splittings.count(), 3u);
    EXPECT_EQ(splittings.at(0)->pos, 105.0);
    EXPECT_EQ(splittings.at(0)->wid, 10.0);
    EXPECT_EQ(splittings.at(0)->amp, 6.0);
    EXPECT_EQ(splittings.at(1)->pos, 115.0);
    EXPECT_EQ(splittings.at(2)->wid, 20.0);
    // A flagged peak (bit 2) takes part in no pair.
    peaks.at(1)->peakFlags = 0x4;
    EXPECT_EQ(proc->buildSplittings(0, 0, 0, 0, 0, 0), 0u);
    EXPECT_EQ(splittings.count(), 4u);
    spectrum->splittingList = nullptr;
    EXPECT_EQ(proc->buildSplittings(0, 0, 0, 0, 0, 0), 26u);
    spectrum->peakList = nullptr;
    EXPECT_EQ(proc->buildSplittings(0, 0, 0, 0, 0, 0), 23u);
}

TEST_F(SpectrumProcTest, SpecialCommands)
{
    IHostSpectrum* made = nullptr;
    EXPECT_EQ(proc->special(0xEEEEEEE, 0, nullptr, 0, &made), 0u);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->isTimeDomain(1));
    EXPECT_EQ(made->size(1), 16384u);
    EXPECT_EQ(made->data()[0], 13750.0f);
    EXPECT_EQ(made->data()[1], 0.0f);
    EXPECT_EQ(host.committed.back(), made);
    host.canCreate = false;
    EXPECT_EQ(proc->special(0xEEEEEEE, 0, nullptr, 0, &made), 0u);
    EXPECT_EQ(made, nullptr);
    host.canCreate = true;

    // A service command with its own settings: degree 0 baseline of 1 x M.
    const float peak = spectrum->samples[600];
    const double baseline[2] = {0, 0.5};
    EXPECT_EQ(proc->special(10000, 0, baseline, 2, &made), 0u);
    EXPECT_NEAR(spectrum->samples[0], 0.5 * 100, 2.0);  // M is about the line height
    EXPECT_NEAR(spectrum->samples[600] - peak, spectrum->samples[0], 1e-2);

    // 11001: the region weights written into the spectrum.
    HostMultipletList m;
    m.add(2.0, 0.0, 1, 0.0);  // point 1200
    spectrum->multipletList = &m;
    EXPECT_EQ(proc->special(11001, 0, nullptr, 0, &made), 0u);
    EXPECT_EQ(spectrum->samples[1200], 0.0f);
    EXPECT_EQ(spectrum->samples[100], 1.0f);

    // A spectrum of two dimensions: the region weights cover the first
    // dimension only, which is not the point count: 27, nothing written.
    HostSpectrum plane(kN, true);
    plane.sizes = {kN / 2, 2};
    plane.hasDescription = true;
    plane.description = spectrum->description;
    plane.multipletList = &m;
    std::fill(plane.samples.begin(), plane.samples.end(), 3.0f);
    ISpectrumProc* p2 = lib->createSpectrumProc(&plane);
    ASSERT_NE(p2, nullptr);
    EXPECT_EQ(p2->special(11001, 0, nullptr, 0, &made), 27u);
    for (float v : plane.samples)
        ASSERT_EQ(v, 3.0f);
    p2->release();
    spectrum->multipletList = nullptr;

    // More parameters than the instance holds are cut.
    std::vector<double> many(100, 0.0);
    EXPECT_EQ(proc->special(4242, 0, many.data(), 100, &made), 6u);
}

TEST_F(SpectrumProcTest, EndToEndLeavesNoHostReference)
{
    double re = 0, im = 0;
    ASSERT_EQ(proc->noise(0, &re, &im), 0u);
    ASSERT_EQ(proc->pickPeaks(ModeRefine, 3, 1.0, 0, 0, 0, 0, 0), 0u);
    ASSERT_EQ(peaks.count(), 2u);
    std::vector<float> model(2 * kN), residual(kN);
    ASSERT_EQ(proc->sumPeaks(0, model.data(), residual.data(), 0, 0, 0), 0u);
    float worst = 0;
    for (uint32_t i = 0; i < kN; ++i)
        worst = std::max(worst, std::fabs(residual[i]));
    EXPECT_LT(worst, 2.0f);  // the refined lines explain the data
    ASSERT_EQ(proc->markLabileLines(0, 0.1), 0u);
    ASSERT_EQ(proc->buildSplittings(0, 0, 0, 0, 0, 0), 0u);
    EXPECT_EQ(splittings.count(), 1u);
    EXPECT_EQ(HostPeak::outstanding(), 0);
    proc->release();
    proc = nullptr;
    EXPECT_EQ(HostPeak::outstanding(), 0);
}
