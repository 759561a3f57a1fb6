// The value objects: accessors and their byte images (round trips, every
// kind of damage refused with the object left as it was).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "tksimage.h"
#include "tksvalues.h"

namespace {

TKSMassSpectrum sampleSpectrum()
{
    TKSMassSpectrum s;
    s.setPoints({100.5, 195.0877, 196.0911, 400.25}, {12, 48000, 4650.5, 0});
    s.setCentroid(true);
    s.setMSOrder(2);
    s.setPolarity(2);
    s.setPrecursorMZ(523.2775);
    s.setSource(1, 3);
    s.setScanRanges({{34, 40}}, {{1.25, 1.5}});
    s.setBackgroundRanges({{10, 12}, {60, 61}}, {{0.5, 0.6}, {2.1, 2.12}});
    return s;
}

TKSChromatogram sampleChromatogram()
{
    TKSChromatogram c;
    c.setPoints({0.1, 0.15, 0.2}, {1200, 53000.5, 800});
    c.setSource(0, 2, -1);
    return c;
}

template <class T>
std::vector<unsigned char> imageOf(const T& value)
{
    std::vector<unsigned char> bytes(value.getSerializedSize());
    EXPECT_TRUE(value.serialize(bytes.data(), bytes.size()));
    return bytes;
}

void expectSame(const TKSMassSpectrum& a, const TKSMassSpectrum& b)
{
    EXPECT_EQ(a.getMZValues(), b.getMZValues());
    EXPECT_EQ(a.getIntensities(), b.getIntensities());
    EXPECT_EQ(a.isCentroid(), b.isCentroid());
    EXPECT_EQ(a.getMSOrder(), b.getMSOrder());
    EXPECT_EQ(a.getPolarity(), b.getPolarity());
    EXPECT_EQ(a.getPrecursorMZ(), b.getPrecursorMZ());
    EXPECT_EQ(a.getInjectionIndex(), b.getInjectionIndex());
    EXPECT_EQ(a.getFunctionIndex(), b.getFunctionIndex());
    EXPECT_EQ(a.getScanRanges(), b.getScanRanges());
    EXPECT_EQ(a.getTimeRanges(), b.getTimeRanges());
    EXPECT_EQ(a.getBackgroundScanRanges(), b.getBackgroundScanRanges());
    EXPECT_EQ(a.getBackgroundTimeRanges(), b.getBackgroundTimeRanges());
}

void expectSame(const TKSChromatogram& a, const TKSChromatogram& b)
{
    EXPECT_EQ(a.getRTValues(), b.getRTValues());
    EXPECT_EQ(a.getIntensities(), b.getIntensities());
    EXPECT_EQ(a.getInjectionIndex(), b.getInjectionIndex());
    EXPECT_EQ(a.getFunctionIndex(), b.getFunctionIndex());
    EXPECT_EQ(a.getTraceIndex(), b.getTraceIndex());
}

// An image with a valid frame around the given payload.
std::vector<unsigned char> framed(const char magic[4], uint32_t version, const tindrel::ImageWriter& w)
{
    return w.image(magic, version);
}

}  // namespace

TEST(TindrelValues, SpectrumAccessors)
{
    const TKSMassSpectrum s = sampleSpectrum();
    EXPECT_EQ(s.getCount(), 4);
    EXPECT_DOUBLE_EQ(s.getMinimumMZ(), 100.5);
    EXPECT_DOUBLE_EQ(s.getMaximumMZ(), 400.25);
    EXPECT_DOUBLE_EQ(s.getMinimumIntensity(), 0);
    EXPECT_DOUBLE_EQ(s.getMaximumIntensity(), 48000);
    EXPECT_DOUBLE_EQ(s.getBasePeakIntensity(), 48000);
    EXPECT_DOUBLE_EQ(s.getBasePeakMZ(), 195.0877);

    TKSMassSpectrum empty;
    EXPECT_EQ(empty.getCount(), 0);
    EXPECT_EQ(empty.getMinimumMZ(), 0);
    EXPECT_EQ(empty.getBasePeakMZ(), 0);
    EXPECT_EQ(empty.getInjectionIndex(), -1);
    EXPECT_FALSE(empty.setPoints({1, 2}, {3}));
    EXPECT_EQ(empty.getCount(), 0);

    TKSMassSpectrum withNan;
    ASSERT_TRUE(withNan.setPoints({std::nan(""), 5, 3}, {1, std::nan(""), 7}));
    EXPECT_EQ(withNan.getMinimumMZ(), 3);
    EXPECT_EQ(withNan.getMaximumIntensity(), 7);
    EXPECT_EQ(withNan.getBasePeakMZ(), 3);
}

TEST(TindrelValues, ChromatogramAccessors)
{
    const TKSChromatogram c = sampleChromatogram();
    EXPECT_EQ(c.getCount(), 3);
    EXPECT_DOUBLE_EQ(c.getMinimumRT(), 0.1);
    EXPECT_DOUBLE_EQ(c.getMaximumRT(), 0.2);
    EXPECT_DOUBLE_EQ(c.getMinimumIntensity(), 800);
    EXPECT_DOUBLE_EQ(c.getMaximumIntensity(), 53000.5);
    EXPECT_EQ(c.getFunctionIndex(), 2);
    EXPECT_EQ(c.getTraceIndex(), -1);
    EXPECT_EQ(TKSChromatogram().getCount(), 0);
}

TEST(TindrelValues, RoundTrips)
{
    const TKSMassSpectrum s = sampleSpectrum();
    TKSMassSpectrum s2;
    const auto bytes = imageOf(s);
    ASSERT_TRUE(s2.deserialize(bytes.data(), bytes.size()));
    expectSame(s, s2);

    TKSMassSpectrum emptyBack = sampleSpectrum();
    const auto emptyBytes = imageOf(TKSMassSpectrum());
    ASSERT_TRUE(emptyBack.deserialize(emptyBytes.data(), emptyBytes.size()));
    expectSame(emptyBack, TKSMassSpectrum());

    const TKSChromatogram c = sampleChromatogram();
    TKSChromatogram c2;
    const auto cbytes = imageOf(c);
    ASSERT_TRUE(c2.deserialize(cbytes.data(), cbytes.size()));
    expectSame(c, c2);
}

TEST(TindrelValues, SerializeNeedsRoom)
{
    const TKSMassSpectrum s = sampleSpectrum();
    std::vector<unsigned char> small(s.getSerializedSize() - 1, 0xAA);
    EXPECT_FALSE(s.serialize(small.data(), small.size()));
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](unsigned char b) { return b == 0xAA; }));
    EXPECT_FALSE(s.serialize(nullptr, 1000));
}

// Every truncated prefix, every flipped byte, and a spectrum image handed
// to a chromatogram (and back) are refused; the object keeps its state.
TEST(TindrelValues, DamagedImagesRefused)
{
    const TKSMassSpectrum s = sampleSpectrum();
    const TKSChromatogram c = sampleChromatogram();
    const auto sbytes = imageOf(s);
    const auto cbytes = imageOf(c);

    for (size_t n = 0; n < sbytes.size(); ++n) {
        TKSMassSpectrum target = sampleSpectrum();
        target.setMSOrder(7);
        EXPECT_FALSE(target.deserialize(sbytes.data(), n)) << "prefix " << n;
        EXPECT_EQ(target.getMSOrder(), 7);
    }
    for (size_t n = 0; n < cbytes.size(); ++n) {
        TKSChromatogram target;
        EXPECT_FALSE(target.deserialize(cbytes.data(), n)) << "prefix " << n;
    }
    for (size_t i = 0; i < sbytes.size(); ++i) {
        for (unsigned char bit : {0x01, 0x80}) {
            auto damaged = sbytes;
            damaged[i] ^= bit;
            TKSMassSpectrum target;
            EXPECT_FALSE(target.deserialize(damaged.data(), damaged.size())) << "byte " << i;
            EXPECT_EQ(target.getCount(), 0);
        }
    }
    auto longer = sbytes;
    longer.push_back(0);
    TKSMassSpectrum target;
    EXPECT_FALSE(target.deserialize(longer.data(), longer.size()));
    TKSChromatogram chrom;
    EXPECT_FALSE(chrom.deserialize(sbytes.data(), sbytes.size()));
    EXPECT_FALSE(target.deserialize(cbytes.data(), cbytes.size()));
    EXPECT_FALSE(target.deserialize(nullptr, 100));
}

// Images with a correct frame and checksum whose contents lie: a newer
// version, counts beyond the data, impossible values.
TEST(TindrelValues, ForgedImagesRefused)
{
    const char spectrumMagic[4] = {'T', 'K', 'M', 'S'};
    const char chromatogramMagic[4] = {'T', 'K', 'C', 'H'};
    auto header = [](tindrel::ImageWriter& w, uint8_t flags) {
        w.u8(flags);
        w.i32(1);
        w.i32(1);
        w.f64(0);
        w.i32(0);
        w.i32(0);
    };
    struct Case {
        const char* name;
        std::vector<unsigned char> image;
    };
    std::vector<Case> cases;
    {
        tindrel::ImageWriter w;
        header(w, 0);
        for (int i = 0; i < 6; ++i)
            w.u32(0);
        cases.push_back({"newer version", framed(spectrumMagic, 2, w)});
        cases.push_back({"version 0", framed(spectrumMagic, 0, w)});
    }
    {
        tindrel::ImageWriter w;
        header(w, 0);
        w.u32(0x7FFFFFFF);  // a point count the data cannot hold
        cases.push_back({"huge count", framed(spectrumMagic, 1, w)});
    }
    {
        tindrel::ImageWriter w;
        header(w, 0);
        w.doubles({1, 2});
        w.doubles({1});
        for (int i = 0; i < 4; ++i)
            w.u32(0);
        cases.push_back({"arrays of different length", framed(spectrumMagic, 1, w)});
    }
    {
        tindrel::ImageWriter w;
        header(w, 2);
        for (int i = 0; i < 6; ++i)
            w.u32(0);
        cases.push_back({"unknown flag", framed(spectrumMagic, 1, w)});
    }
    {
        tindrel::ImageWriter w;
        header(w, 0);
        w.u32(0);
        w.u32(0);
        w.u32(1);
        w.i32(5);
        w.i32(2);  // a scan range running backwards
        for (int i = 0; i < 3; ++i)
            w.u32(0);
        cases.push_back({"reversed scan range", framed(spectrumMagic, 1, w)});
    }
    {
        tindrel::ImageWriter w;
        header(w, 0);
        for (int i = 0; i < 6; ++i)
            w.u32(0);
        w.u8(0);  // a byte beyond the fields
        cases.push_back({"trailing payload", framed(spectrumMagic, 1, w)});
    }
    {
        tindrel::ImageWriter w;
        w.i32(0);
        w.i32(0);
        w.i32(-1);
        w.doubles({1, 2, 3});
        w.doubles({1, 2});
        cases.push_back({"chromatogram arrays of different length", framed(chromatogramMagic, 1, w)});
    }
    for (const Case& c : cases) {
        TKSMassSpectrum s = sampleSpectrum();
        TKSChromatogram ch = sampleChromatogram();
        EXPECT_FALSE(s.deserialize(c.image.data(), c.image.size())) << c.name;
        EXPECT_FALSE(ch.deserialize(c.image.data(), c.image.size())) << c.name;
        expectSame(s, sampleSpectrum());
        expectSame(ch, sampleChromatogram());
    }
}

TEST(TindrelValues, ChecksumIsCrc32)
{
    // The check value of CRC-32 (IEEE 802.3, as zlib computes it).
    const char* text = "123456789";
    EXPECT_EQ(tindrel::crc32(reinterpret_cast<const unsigned char*>(text), 9), 0xCBF43926u);
}
