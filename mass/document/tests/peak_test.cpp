// Peak records: golden bytes, older and newer writers, peak lists, and
// every damaged form read without a crash.
#include <gtest/gtest.h>

#include "doctest.h"
#include "tmspeak.h"

using doctest::fixture;
using doctest::fromHex;
using doctest::hex;
using doctest::written;

namespace {

TEST(PeakRecords, Defaults)
{
    const TMSPeak p;
    EXPECT_EQ(p.attribute, -2147483647);
    EXPECT_EQ(p.peakClass, 0);
    EXPECT_EQ(p.query(), 0);
    EXPECT_EQ(TMSPeak(QPointF(1, 2)).attribute, 0);
    const TMSChromPeak c;
    EXPECT_EQ(c.peakClass, 1);
    EXPECT_EQ(c.scan, -1);
    EXPECT_EQ(c.peakType, PeakUnknown);
    EXPECT_EQ(c.height, 0);
    EXPECT_EQ(c.chromatogramQuery(), 1);
}

TEST(PeakRecords, GoldenBytes)
{
    // The worked example: position (2, 3), attribute 0, class 0.
    const QByteArray peak = written([](TDataStream& s) { s << TMSPeak(QPointF(2, 3)); });
    EXPECT_EQ(peak.size(), 32);
    EXPECT_EQ(hex(peak), hex(fixture("peak.bin")));
    EXPECT_EQ(hex(peak.left(8)), "00 00 00 1c 00 00 00 00");

    const QByteArray chrom = written([](TDataStream& s) { s << doctest::fixtureChromPeak(); });
    EXPECT_EQ(chrom.size(), 100);
    EXPECT_EQ(hex(chrom), hex(fixture("chrom_peak.bin")));
    // Level lengths after the 32-byte peak record: 64, then 12.
    EXPECT_EQ(hex(chrom.mid(32, 8)), "00 00 00 40 00 00 00 0c");
}

TEST(PeakRecords, ReadBack)
{
    QByteArray bytes = fixture("chrom_peak.bin");
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    TMSChromPeak p;
    s >> p;
    ASSERT_TRUE(s.ok());
    const TMSChromPeak want = doctest::fixtureChromPeak();
    EXPECT_EQ(p.position, want.position);
    EXPECT_EQ(p.attribute, want.attribute);
    EXPECT_EQ(p.peakClass, 1);
    EXPECT_EQ(p.start, want.start);
    EXPECT_EQ(p.end, want.end);
    EXPECT_EQ(p.height, want.height);
    EXPECT_EQ(p.area, want.area);
    EXPECT_EQ(p.scan, want.scan);
    EXPECT_EQ(p.peakType, want.peakType);
    EXPECT_EQ(s.remaining(), 0);
}

TEST(PeakRecords, OlderAndAbsentRecords)
{
    // A chromatogram peak of a writer that knew only the first level of its
    // own chain: scan and type keep their defaults, the rest is read.
    QByteArray older = written([](TDataStream& s) {
        TMSPeak(QPointF(5, 6)).write(s);
        s.beginChain(1);
        s << 1.0 << 2.0 << 3.0 << 4.0 << 5.0 << 6.0;
        s.endBlock();
        s << qint32(99);
    });
    TDataStream s(&older, QIODevice::ReadOnly, 0);
    TMSChromPeak p;
    s >> p;
    qint32 after = 0;
    s >> after;
    EXPECT_TRUE(s.ok());
    EXPECT_EQ(after, 99);
    EXPECT_EQ(p.position, QPointF(5, 6));
    EXPECT_EQ(p.start, QPointF(1, 2));
    EXPECT_EQ(p.area, 6.0);
    EXPECT_EQ(p.scan, -1);
    EXPECT_EQ(p.peakType, PeakUnknown);

    // Absent records (length 0): defaults, four bytes each.
    QByteArray absent = fromHex("00000000 00000000 00000000");
    TDataStream a(&absent, QIODevice::ReadOnly, 0);
    TMSPeak q(QPointF(1, 1));
    TMSChromPeak c;
    a >> q >> c;
    EXPECT_TRUE(a.ok());
    EXPECT_EQ(a.remaining(), 0);
    EXPECT_EQ(q.position, QPointF(0, 0));
    EXPECT_EQ(q.attribute, TMSPeak::kDefaultAttribute);
    EXPECT_EQ(c.peakClass, 1);
}

TEST(PeakRecords, EveryPrefixFailsCleanly)
{
    for (const char* name : {"peak.bin", "chrom_peak.bin"}) {
        const QByteArray whole = fixture(name);
        for (int n = 0; n < whole.size(); ++n) {
            SCOPED_TRACE(testing::Message() << name << " cut to " << n);
            QByteArray cut = whole.left(n);
            TDataStream s(&cut, QIODevice::ReadOnly, 0);
            TMSChromPeak p;
            if (whole.size() == 32) {
                TMSPeak q;
                s >> q;
                if (!s.ok()) {
                    EXPECT_EQ(q.attribute, TMSPeak::kDefaultAttribute);
                    EXPECT_EQ(q.position, QPointF());
                }
            } else {
                s >> p;
                if (!s.ok()) {
                    EXPECT_EQ(p.scan, -1);
                    EXPECT_EQ(p.height, 0);
                    EXPECT_EQ(p.position, QPointF());
                }
            }
            // Only an empty input can look like an absent record; every other
            // cut leaves the stream failed.
            if (n >= 4) {
                EXPECT_FALSE(s.ok());
            }
        }
    }
}

TEST(PeakRecords, Lists)
{
    QVector<TMSPeak> peaks{TMSPeak(QPointF(1, 2)), TMSPeak(), TMSPeak(QPointF(3, 4))};
    QVector<TMSChromPeak> chrom{doctest::fixtureChromPeak(), TMSChromPeak()};
    QByteArray bytes = written([&](TDataStream& s) {
        writePeakList(s, peaks);
        writePeakList(s, chrom);
    });
    EXPECT_EQ(bytes.size(), 4 + 3 * 32 + 4 + 2 * 100);
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    QVector<TMSPeak> p{TMSPeak()};
    QVector<TMSChromPeak> c;
    EXPECT_TRUE(readPeakList(s, p));
    EXPECT_TRUE(readPeakList(s, c));
    ASSERT_EQ(p.size(), 3);
    ASSERT_EQ(c.size(), 2);
    EXPECT_EQ(p[0].position, QPointF(1, 2));
    EXPECT_EQ(p[1].attribute, TMSPeak::kDefaultAttribute);
    EXPECT_EQ(c[0].area, doctest::fixtureChromPeak().area);
    EXPECT_EQ(c[1].scan, -1);

    // Counts the data cannot hold: nothing read, nothing allocated.
    for (const char* damaged : {"7fffffff 00000000", "00000003 00000000 00000000", "ffffffff"}) {
        SCOPED_TRACE(damaged);
        QByteArray buffer = fromHex(damaged);
        TDataStream d(&buffer, QIODevice::ReadOnly, 0);
        QVector<TMSChromPeak> out{TMSChromPeak()};
        readPeakList(d, out);
        EXPECT_TRUE(out.isEmpty());
    }
}

}  // namespace
