// Mass data objects: golden bytes and round trips, the plotting answers
// (descriptions, extremes, full ranges, views), centroiding and peak
// lists, and damaged streams.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "doctest.h"
#include "tictest.h"
#include "tmassdataobj.h"

using doctest::fixture;
using doctest::fromHex;
using doctest::hex;
using doctest::written;

namespace {

TKSChromatogram chromatogram(std::vector<double> t, std::vector<double> y)
{
    TKSChromatogram c;
    EXPECT_TRUE(c.setPoints(std::move(t), std::move(y)));
    return c;
}

TKSMassSpectrum spectrum(std::vector<double> mz, std::vector<double> y, bool centroid = true)
{
    TKSMassSpectrum s;
    EXPECT_TRUE(s.setPoints(std::move(mz), std::move(y)));
    s.setCentroid(centroid);
    return s;
}

// A profile spectrum of Gaussian lines of the given full width at half
// height, sampled every `step`.
TKSMassSpectrum profile(const std::vector<std::pair<double, double>>& lines, double fwhm, double low, double high,
                        double step)
{
    std::vector<double> mz, y;
    const double sigma = fwhm / (2 * std::sqrt(2 * std::log(2.0)));
    for (double m = low; m <= high; m += step) {
        double v = 0;
        for (const auto& [centre, height] : lines)
            v += height * std::exp(-0.5 * std::pow((m - centre) / sigma, 2));
        mz.push_back(m);
        y.push_back(v);
    }
    return spectrum(mz, y, false);
}

std::unique_ptr<TMassDataObj> readObject(QByteArray bytes)
{
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    std::unique_ptr<TMassDataObj> object(TMassDataObj::createFromStream(s));
    return object;
}

QByteArray bytesOf(const TMassDataObj& object)
{
    return written([&](TDataStream& s) { TMassDataObj::writeToStream(s, object); });
}

TEST(DataObjects, GoldenBytes)
{
    const TChromatogramDataObj chrom = doctest::fixtureChromatogram();
    const TMassSpecDataObj spec = doctest::fixtureSpectrum();
    EXPECT_EQ(hex(bytesOf(chrom)), hex(fixture("chromatogram.bin")));
    EXPECT_EQ(hex(bytesOf(spec)), hex(fixture("spectrum.bin")));
    EXPECT_EQ(hex(bytesOf(TMassSpecDataObj())), hex(fixture("empty_spectrum.bin")));
    // Kind, empty header block, main block of 24 bytes.
    EXPECT_EQ(hex(bytesOf(chrom).left(12)), "00 00 00 00 00 00 00 00 00 00 00 18");
}

TEST(DataObjects, ReadBackFromGoldenBytes)
{
    std::unique_ptr<TMassDataObj> c = readObject(fixture("chromatogram.bin"));
    ASSERT_TRUE(c);
    ASSERT_EQ(c->kind(), TMassDataObj::Chromatogram);
    const auto& chrom = static_cast<const TChromatogramDataObj&>(*c);
    const TChromatogramDataObj want = doctest::fixtureChromatogram();
    EXPECT_EQ(chrom.id(), want.id());
    EXPECT_EQ(chrom.subtype(), 3);
    EXPECT_EQ(chrom.fromMZ(), 100.0);
    EXPECT_EQ(chrom.toMZ(), 500.0);
    EXPECT_EQ(chrom.chromatogram().getRTValues(), want.chromatogram().getRTValues());
    EXPECT_EQ(chrom.chromatogram().getIntensities(), want.chromatogram().getIntensities());
    EXPECT_EQ(chrom.getFunctionIndex(), 1);
    ASSERT_EQ(chrom.peaks().size(), 2);
    EXPECT_EQ(chrom.peaks()[1].peakType, PeakVB);
    EXPECT_EQ(chrom.description(), "MIC [100..500]");
    EXPECT_EQ(hex(bytesOf(chrom)), hex(fixture("chromatogram.bin")));

    std::unique_ptr<TMassDataObj> s = readObject(fixture("spectrum.bin"));
    ASSERT_TRUE(s);
    const TMassSpecDataObj* spec = TMassSpecDataObj::cast(s.get());
    ASSERT_TRUE(spec);
    EXPECT_TRUE(spec->isCentroid());
    EXPECT_FALSE(spec->isCentroidedHere());
    EXPECT_EQ(spec->peakWidth(), 0.05);
    EXPECT_EQ(spec->spectrum().getMZValues(), doctest::fixtureSpectrum().spectrum().getMZValues());
    EXPECT_EQ(spec->peaks().size(), 3);
    EXPECT_EQ(spec->peaks()[2].attribute, TMSPeak::kDefaultAttribute);
    EXPECT_EQ(spec->description(), "MS^2 - spectrum 34..40 - 10..12");
    EXPECT_EQ(hex(bytesOf(*spec)), hex(fixture("spectrum.bin")));
    EXPECT_EQ(TMassSpecDataObj::cast(c.get()), nullptr);
}

TEST(DataObjects, CastsByKindWithTheirOutPointers)
{
    TChromatogramDataObj chrom;
    TMassSpecDataObj spec;
    TMassSpecDataObj* specOut = &spec;
    TChromatogramDataObj* chromOut = &chrom;
    // A wrong kind answers null and writes null.
    EXPECT_EQ(TMassSpecDataObj::cast(&chrom, &specOut), nullptr);
    EXPECT_EQ(specOut, nullptr);
    EXPECT_EQ(TChromatogramDataObj::cast(&spec, &chromOut), nullptr);
    EXPECT_EQ(chromOut, nullptr);
    EXPECT_EQ(TMassSpecDataObj::cast(&spec, &specOut), &spec);
    EXPECT_EQ(specOut, &spec);
    EXPECT_EQ(TChromatogramDataObj::cast(&chrom, &chromOut), &chrom);
    EXPECT_EQ(chromOut, &chrom);
    EXPECT_EQ(TChromatogramDataObj::cast(static_cast<IMassPlotData*>(nullptr), &chromOut), nullptr);
    EXPECT_EQ(chromOut, nullptr);
    const IMassPlotData* constant = &chrom;
    EXPECT_EQ(TChromatogramDataObj::cast(constant), &chrom);
    EXPECT_EQ(TMassSpecDataObj::cast(constant), nullptr);
}

TEST(DataObjects, KindsAndEmptyData)
{
    // Kind 2: no object, nothing more read.
    QByteArray two = fromHex("00000002 00000000");
    TDataStream s(&two, QIODevice::ReadOnly, 0);
    EXPECT_EQ(TMassDataObj::createFromStream(s), nullptr);
    EXPECT_EQ(s.remaining(), 4);
    EXPECT_TRUE(s.ok());

    // A data block of length 0 leaves the object empty (the common part is
    // read).
    QByteArray empty = written([](TDataStream& w) {
        w << qint32(1);
        w.beginBlock();
        w.endBlock();
        w.beginBlock();
        w << QUuid("{e1f7a0b3-2c54-4d8e-b916-7a3c05d2f4e8}") << qint32(1) << qint32(2);
        w.endBlock();
        w.beginBlock();
        w.endBlock();
        w << qint32(0);
    });
    std::unique_ptr<TMassDataObj> object = readObject(empty);
    ASSERT_TRUE(object);
    const TMassSpecDataObj* spec = TMassSpecDataObj::cast(object.get());
    ASSERT_TRUE(spec);
    EXPECT_EQ(spec->subtype(), 2);
    EXPECT_EQ(spec->spectrum().getCount(), 0);
    EXPECT_EQ(spec->peakWidth(), 0.05);
    EXPECT_TRUE(spec->peaks().isEmpty());
    EXPECT_EQ(spec->description(), "Isotope Cluster spectrum");
}

TEST(DataObjects, RefusedPayloadReadsAsEmptyValue)
{
    // One changed byte inside the core-library image breaks its checksum:
    // the value stays empty, the rest of the object is read.
    QByteArray bytes = fixture("chromatogram.bin");
    const int image = bytes.indexOf("TKCH");
    ASSERT_GT(image, 0);
    bytes[image + 20] = static_cast<char>(bytes[image + 20] ^ 0x40);
    std::unique_ptr<TMassDataObj> object = readObject(bytes);
    ASSERT_TRUE(object);
    const auto& chrom = static_cast<const TChromatogramDataObj&>(*object);
    EXPECT_EQ(chrom.chromatogram().getCount(), 0);
    EXPECT_EQ(chrom.toMZ(), 500.0);
    EXPECT_EQ(chrom.peaks().size(), 2);
}

// Every cut of a stored object, and the objects with a huge peak count:
// no crash, no object, and no allocation near what the count asks for.
TEST(DataObjects, DamagedStreams)
{
    for (const char* name : {"chromatogram.bin", "spectrum.bin", "empty_spectrum.bin"}) {
        const QByteArray whole = fixture(name);
        for (int n = 0; n < whole.size(); ++n) {
            SCOPED_TRACE(testing::Message() << name << " cut to " << n);
            EXPECT_EQ(readObject(whole.left(n)), nullptr);
        }
    }
    struct Case {
        const char* name;
        const char* fixture;
        qint32 count;
    };
    const Case huge[] = {
        {"chromatogram peaks", "chromatogram.bin", 0x7fffffff},
        {"chromatogram peaks, one beyond", "chromatogram.bin", 3},
        {"spectrum peaks", "spectrum.bin", 0x40000000},
    };
    for (const Case& c : huge) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = fixture(c.fixture);
        // The count sits right before the peak records at the end.
        const int records = c.fixture == std::string("spectrum.bin") ? 3 * 32 : 2 * 100;
        const int at = bytes.size() - records - 4;
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((c.count >> (24 - 8 * i)) & 0xff);
        doctest::LargestAllocation largest;
        TDataStream s(&bytes, QIODevice::ReadOnly, 0);
        std::unique_ptr<TMassDataObj> object(TMassDataObj::createFromStream(s));
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(s.status(), QDataStream::ReadPastEnd);
        EXPECT_LT(largest.bytes(), 64u * 1024u);
    }

    // Read in place into an object: a failure leaves it empty.
    QByteArray cut = fixture("spectrum.bin").mid(4, 200);
    TDataStream s(&cut, QIODevice::ReadOnly, 0);
    TMassSpecDataObj spec = doctest::fixtureSpectrum();
    spec.read(s);
    EXPECT_FALSE(s.ok());
    EXPECT_TRUE(spec.id().isNull());
    EXPECT_EQ(spec.spectrum().getCount(), 0);
    EXPECT_TRUE(spec.peaks().isEmpty());
}

TEST(DataObjects, Descriptions)
{
    struct Chrom {
        int subtype;
        double from, to;
        const char* text;
    };
    const Chrom chroms[] = {
        {1, 0, 0, "TIC"},          {2, 0, 0, "BPC"},
        {3, 445.1, 445.1, "MIC [445.1]"}, {3, 100, 500, "MIC [100..500]"},
        {4, 0, 0, "MSC"},          {0, 0, 0, "Chromatogram"},
        {6, 1234.5678, 1234.5678, "Chromatogram [1234.57]"},
        {3, 0, 0.5, "MIC [0..0.5]"},
    };
    for (const Chrom& c : chroms)
        EXPECT_EQ(TChromatogramDataObj(QUuid(), TKSChromatogram(), c.from, c.to, c.subtype).description(), c.text);

    struct Spec {
        int subtype, order, polarity;
        std::vector<TKSScanRange> scans, background;
        const char* text;
    };
    const Spec specs[] = {
        {1, 2, 2, {{34, 40}}, {}, "MS^2 - spectrum 34..40"},
        {1, 1, 1, {{12, 12}}, {}, "MS + spectrum 12"},
        {1, 1, 3, {}, {}, "MS * spectrum"},
        {1, 0, 0, {{3, 4}, {7, 7}}, {{1, 2}}, "MS^0 ? spectrum 3..4 7 - 1..2"},
        {2, 1, 1, {{5, 5}}, {}, "Isotope Cluster spectrum 5"},
        {3, 2, 1, {}, {}, "Fragmentation spectrum"},
        {0, 1, 1, {}, {}, "MS spectrum"},
    };
    for (const Spec& c : specs) {
        TKSMassSpectrum s;
        s.setMSOrder(c.order);
        s.setPolarity(c.polarity);
        s.setScanRanges(c.scans, std::vector<TKSTimeRange>(c.scans.size()));
        s.setBackgroundRanges(c.background, std::vector<TKSTimeRange>(c.background.size()));
        EXPECT_EQ(TMassSpecDataObj(QUuid(), s, c.subtype).description(), c.text);
    }
}

TEST(DataObjects, FullRanges)
{
    constexpr double big = std::numeric_limits<double>::max();
    struct Case {
        const char* name;
        std::shared_ptr<TMassDataObj> object;
        int axis;
        double from, to;
    };
    auto chrom = [](std::vector<double> t, std::vector<double> y) {
        return std::make_shared<TChromatogramDataObj>(QUuid(), chromatogram(t, y), 1);
    };
    auto spec = [](std::vector<double> mz, std::vector<double> y) {
        return std::make_shared<TMassSpecDataObj>(QUuid(), spectrum(mz, y, false), 1);
    };
    const Case cases[] = {
        {"one-point chromatogram at 2.0", chrom({2.0}, {5}), 0, 1.5, 2.0},
        {"one-point chromatogram at 0", chrom({0}, {5}), 0, -0.1, 0.1},
        {"chromatogram 1 to 3", chrom({1, 2, 3}, {5, 6, 7}), 0, 1, 3},
        {"empty chromatogram", chrom({}, {}), 0, -0.1, 0.1},
        {"m/z 0 to 0", spec({0, 0}, {1, 2}), 0, -0.5, 0.5},
        {"m/z 100 to 1000", spec({100, 1000}, {1, 2}), 0, 90, 1010},
        {"intensity 0 to 1000", spec({100, 200}, {0, 1000}), 1, -100, 1100},
        {"intensity of a chromatogram -50 to 20", chrom({1, 2}, {-50, 20}), 1, -55, 25},
        {"flat zero intensity", chrom({1, 2}, {0, 0}), 1, -0.5, 0.5},
        {"other axis", chrom({1, 2}, {0, 0}), 2, -big, big},
        {"negative axis", spec({1, 2}, {0, 0}), -1, -big, big},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TDataRange r = c.object->fullRange(c.axis);
        EXPECT_DOUBLE_EQ(r.from, c.from);
        EXPECT_DOUBLE_EQ(r.to, c.to);
    }
}

TEST(DataObjects, ExtremesAndMinimumYRule)
{
    struct Case {
        const char* name;
        std::shared_ptr<TMassDataObj> object;
        double minY, maxY;
    };
    const Case cases[] = {
        {"one-point chromatogram, positive", std::make_shared<TChromatogramDataObj>(QUuid(), chromatogram({1}, {7}), 1), 0, 7},
        {"one-point chromatogram, negative", std::make_shared<TChromatogramDataObj>(QUuid(), chromatogram({1}, {-7}), 1), -7, -7},
        {"two-point chromatogram", std::make_shared<TChromatogramDataObj>(QUuid(), chromatogram({1, 2}, {7, 9}), 1), 7, 9},
        {"centroid spectrum, positive", std::make_shared<TMassSpecDataObj>(QUuid(), spectrum({1, 2}, {7, 9}, true), 1), 0, 9},
        {"centroid spectrum, negative", std::make_shared<TMassSpecDataObj>(QUuid(), spectrum({1, 2}, {-7, 9}, true), 1), -7, 9},
        {"profile spectrum", std::make_shared<TMassSpecDataObj>(QUuid(), spectrum({1, 2}, {7, 9}, false), 1), 7, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.object->getMinimumY(), c.minY);
        EXPECT_EQ(c.object->getMaximumY(), c.maxY);
    }
    const TMassSpecDataObj s(QUuid(), spectrum({100, 150, 120}, {5, 50, 8}), 1);
    EXPECT_EQ(s.getMinimumX(), 100);
    EXPECT_EQ(s.getMaximumX(), 150);
    EXPECT_EQ(s.getMaximumPeakIntensity(), 50);
    EXPECT_EQ(s.getTraceIndex(), -1);
}

TEST(DataObjects, Views)
{
    const TChromatogramDataObj c(QUuid(), chromatogram({1, 2, 3}, {4, 5, 6}), 1);
    const TValueArray x = c.values(0), y = c.values(1), other = c.values(2);
    EXPECT_EQ(x.data, c.chromatogram().getRTValues().data());
    EXPECT_EQ(x.step, 1);
    EXPECT_EQ(x.count, 3);
    EXPECT_EQ(x.descending, 0);
    EXPECT_EQ(y.at(2), 6);
    EXPECT_EQ(other.data, nullptr);
    EXPECT_EQ(other.step, -1);
    EXPECT_EQ(other.count, 0);
    EXPECT_EQ(other.descending, 0);
    EXPECT_TRUE(TMassSpecDataObj().getXValues().isEmpty());
}

TEST(DataObjects, IntensityRangeRatio)
{
    const TChromatogramDataObj a(QUuid(), chromatogram({1, 2}, {0, 100}), 1);
    const TMassSpecDataObj b(QUuid(), spectrum({1, 2}, {10, 60}, false), 1);
    const TChromatogramDataObj flat(QUuid(), chromatogram({1, 2}, {5, 5}), 1);
    EXPECT_DOUBLE_EQ(a.intensityRangeRatio(b), 2.0);
    EXPECT_DOUBLE_EQ(b.intensityRangeRatio(a), 0.5);
    // Against a flat object: 1.0 rather than a division by zero.
    EXPECT_EQ(a.intensityRangeRatio(flat), 1.0);
    EXPECT_EQ(a.intensityRangeRatio(TChromatogramDataObj()), 1.0);
    EXPECT_EQ(flat.intensityRangeRatio(a), 0.0);
}

TEST(DataObjects, Centroid)
{
    // One point: taken as centroided, nothing else changes.
    TMassSpecDataObj one(QUuid(), spectrum({500}, {10}, false), 1);
    one.centroid();
    EXPECT_TRUE(one.isCentroid());
    EXPECT_TRUE(one.isCentroidedHere());
    EXPECT_EQ(one.peakWidth(), 0.05);
    EXPECT_EQ(one.spectrum().getCount(), 1);

    // A failed detection (m/z values that do not ascend) changes nothing.
    TMassSpecDataObj bad(QUuid(), spectrum({500, 400, 600}, {1, 2, 3}, false), 1);
    bad.centroid();
    EXPECT_FALSE(bad.isCentroid());
    EXPECT_FALSE(bad.isCentroidedHere());
    EXPECT_EQ(bad.peakWidth(), 0.05);
    EXPECT_EQ(bad.spectrum().getCount(), 3);
    bad.buildPeaks();
    EXPECT_TRUE(bad.peaks().isEmpty());

    // A profile spectrum: the detector's centroids replace it, with its width.
    TMassSpecDataObj prof(QUuid(), profile({{300.0, 1000.0}, {400.0, 500.0}}, 0.1, 250, 450, 0.005), 1);
    prof.centroid();
    EXPECT_TRUE(prof.isCentroid());
    EXPECT_TRUE(prof.isCentroidedHere());
    ASSERT_EQ(prof.spectrum().getCount(), 2);
    // Within a sampling step of the lines' centres.
    EXPECT_NEAR(prof.spectrum().getMZValues()[0], 300.0, 0.005);
    EXPECT_NEAR(prof.spectrum().getMZValues()[1], 400.0, 0.005);
    EXPECT_NEAR(prof.peakWidth(), 0.1, 0.005);
    // Only once.
    const double width = prof.peakWidth();
    prof.centroid();
    EXPECT_EQ(prof.peakWidth(), width);

    // A spectrum that came centroided is left alone.
    TMassSpecDataObj sticks(QUuid(), spectrum({1, 2}, {3, 4}, true), 1);
    sticks.centroid();
    EXPECT_FALSE(sticks.isCentroidedHere());
}

TEST(DataObjects, BuildPeaks)
{
    TMassSpecDataObj prof(QUuid(), profile({{300.0, 1000.0}}, 0.1, 295, 305, 0.005), 1);
    prof.buildPeaks();
    ASSERT_EQ(prof.peaks().size(), 1);
    EXPECT_NEAR(prof.peaks()[0].position.x(), 300.0, 0.005);
    EXPECT_NEAR(prof.peaks()[0].position.y(), 1000.0, 1.0);
    EXPECT_EQ(prof.peaks()[0].attribute, 0);
    EXPECT_EQ(prof.peaks()[0].peakClass, 0);

    // Centroid spectrum: one peak per point, in order, appended.
    TMassSpecDataObj sticks(QUuid(), spectrum({10, 5, 20}, {1, 2, 3}, true), 1);
    sticks.peaks().append(TMSPeak());
    sticks.buildPeaks();
    ASSERT_EQ(sticks.peaks().size(), 4);
    EXPECT_EQ(sticks.peaks()[1].position, QPointF(10, 1));
    EXPECT_EQ(sticks.peaks()[2].position, QPointF(5, 2));
    EXPECT_EQ(sticks.peaks()[3].position, QPointF(20, 3));
    QVector<TMSPeak> copy;
    EXPECT_TRUE(sticks.getSpectrumPeaks(copy));
    EXPECT_EQ(copy.size(), 4);
    QVector<TMSChromPeak> none;
    EXPECT_FALSE(sticks.getChromatogramPeaks(none));
    // An object without peaks leaves the caller's list as it was.
    EXPECT_FALSE(TMassSpecDataObj().getSpectrumPeaks(copy));
    EXPECT_EQ(copy.size(), 4);
    QVector<TMSChromPeak> kept(2);
    EXPECT_FALSE(TChromatogramDataObj().getChromatogramPeaks(kept));
    EXPECT_EQ(kept.size(), 2);
    EXPECT_FALSE(sticks.getChromatogramPeaks(kept));
    EXPECT_EQ(kept.size(), 2);
}

TEST(DataObjects, DetectPeaks)
{
    TChromatogramDataObj c(QUuid(), tictest::twoPeaks(), 1);
    c.peaks().append(TMSChromPeak());
    c.detectPeaks();
    TKSChromatogramPeakDetect detector;
    ASSERT_EQ(detector.detect(c.chromatogram()), 2);
    ASSERT_EQ(c.peaks().size(), 2);
    for (int i = 0; i < 2; ++i) {
        const TKSChromatogramPeak& d = detector.getPeaks()[static_cast<size_t>(i)];
        const TMSChromPeak& p = c.peaks()[i];
        EXPECT_EQ(p.position, QPointF(d.apexRT, d.apexIntensity));
        EXPECT_EQ(p.start, QPointF(d.startRT, d.startIntensity));
        EXPECT_EQ(p.end, QPointF(d.endRT, d.endIntensity));
        EXPECT_EQ(p.height, d.height);
        EXPECT_EQ(p.area, d.area);
        EXPECT_EQ(p.scan, d.scan);
        EXPECT_EQ(p.peakType, d.type);
        EXPECT_EQ(p.peakClass, 1);
        EXPECT_EQ(p.attribute, 0) << "a record built from a point: its label is shown";
    }
    // Stored peaks keep the attribute they hold (a hidden label stays
    // hidden after a round trip).
    c.peaks()[1].attribute = TMSPeak::kDefaultAttribute;
    std::unique_ptr<TMassDataObj> read = readObject(bytesOf(c));
    ASSERT_TRUE(read);
    const auto& back = static_cast<const TChromatogramDataObj&>(*read);
    ASSERT_EQ(back.peaks().size(), 2);
    EXPECT_EQ(back.peaks()[0].attribute, 0);
    EXPECT_EQ(back.peaks()[1].attribute, TMSPeak::kDefaultAttribute);
    EXPECT_DOUBLE_EQ(c.getMaximumPeakIntensity(), c.peaks()[0].position.y());
    QVector<TMSChromPeak> copy;
    EXPECT_TRUE(c.getChromatogramPeaks(copy));

    // A flat chromatogram: the list is cleared and stays empty.
    TChromatogramDataObj flat(QUuid(), chromatogram({1, 2, 3, 4}, {5, 5, 5, 5}), 1);
    flat.peaks().append(TMSChromPeak());
    flat.detectPeaks();
    EXPECT_TRUE(flat.peaks().isEmpty());
    EXPECT_EQ(flat.getMaximumPeakIntensity(), 0);
    EXPECT_FALSE(flat.getChromatogramPeaks(copy));
}

}  // namespace
