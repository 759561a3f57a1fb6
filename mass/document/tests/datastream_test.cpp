// The block stream: block bytes, reading lengths at the end of the data,
// the nested chain between writers and readers of different versions,
// payload blocks, counted lists and strings on damaged bytes.
#include <gtest/gtest.h>

#include <QPolygonF>
#include <QUuid>
#include <QVector>

#include <limits>

#include "doctest.h"
#include "tdatastream.h"

using doctest::fromHex;
using doctest::hex;
using doctest::written;

namespace {

TEST(BlockStream, BlockBytes)
{
    struct Case {
        const char* name;
        std::function<void(TDataStream&)> write;
        const char* bytes;
    };
    const Case cases[] = {
        {"empty block", [](TDataStream& s) { s.beginBlock(); s.endBlock(); }, "00 00 00 00"},
        {"nested", [](TDataStream& s) {
             s.beginBlock();
             s.beginBlock();
             s << qint32(0x01020304);
             s.endBlock();
             s.endBlock();
         },
         "00 00 00 08 00 00 00 04 01 02 03 04"},
        {"values of the stream version", [](TDataStream& s) {
             s.beginBlock();
             s << qint8(-1) << true << qint16(-2) << 1.0 << QString("A") << QString();
             s.endBlock();
         },
         "00 00 00 16 ff 01 ff fe 3f f0 00 00 00 00 00 00 00 00 00 02 00 41 ff ff ff ff"},
        {"uuid", [](TDataStream& s) { s << QUuid("{01234567-89ab-cdef-0123-456789abcdef}"); },
         "01 23 45 67 89 ab cd ef 01 23 45 67 89 ab cd ef"},
        {"two blocks in sequence", [](TDataStream& s) {
             s.beginBlock();
             s << qint8(7);
             s.endBlock();
             s.beginBlock();
             s.endBlock();
         },
         "00 00 00 01 07 00 00 00 00"},
        // A caller error: nothing is sought or written.
        {"endBlock without a block", [](TDataStream& s) {
             s << qint8(1);
             s.endBlock();
             s << qint8(2);
         },
         "01 02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hex(written(c.write)), c.bytes);
    }
}

TEST(BlockStream, VersionAndValue)
{
    QByteArray buffer;
    TDataStream s(&buffer, QIODevice::ReadOnly, 42);
    EXPECT_EQ(s.version(), QDataStream::Qt_4_0);
    EXPECT_EQ(s.byteOrder(), QDataStream::BigEndian);
    EXPECT_EQ(s.value(), 42);
}

TEST(BlockStream, WriterAppendsToItsBuffer)
{
    QByteArray buffer = fromHex("aabb");
    {
        TDataStream s(&buffer, QIODevice::WriteOnly, 0);
        s.beginBlock();
        s << qint8(1);
        s.endBlock();
    }
    EXPECT_EQ(hex(buffer), "aa bb 00 00 00 01 01");
}

TEST(BlockStream, ReadingLengths)
{
    // Over an empty buffer every length is 0.
    QByteArray empty;
    TDataStream e(&empty, QIODevice::ReadOnly, 0);
    EXPECT_EQ(e.readBlockSize(), 0);
    EXPECT_EQ(e.readBlockSize(), 0);
    EXPECT_EQ(e.status(), QDataStream::ReadPastEnd);

    // At the end of the data: 0, read past end.
    QByteArray one = fromHex("00000003 aabbcc");
    TDataStream s(&one, QIODevice::ReadOnly, 0);
    s.skipBlock();
    EXPECT_TRUE(s.ok());
    EXPECT_EQ(s.readBlockSize(), 0);
    EXPECT_EQ(s.status(), QDataStream::ReadPastEnd);
}

TEST(BlockStream, SkipBlock)
{
    struct Case {
        const char* name;
        const char* bytes;
        bool ok;
        qint8 next;  // the byte after the skipped block (0 when none)
    };
    const Case cases[] = {
        {"three bytes", "00000003 aabbcc 05", true, 5},
        {"empty block", "00000000 05", true, 5},
        // A negative length skips nothing: the next byte is read.
        {"negative length", "ffffffff 05", true, 5},
        {"most negative length", "80000000 05", true, 5},
        // Beyond the data: nothing is skipped, the stream fails at its end.
        {"beyond the data", "00000009 aabbcc", false, 0},
        {"huge", "7fffffff 05", false, 0},
        {"length cut", "0000", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray buffer = fromHex(c.bytes);
        TDataStream s(&buffer, QIODevice::ReadOnly, 0);
        s.skipBlock();
        EXPECT_EQ(s.ok(), c.ok);
        qint8 next = 0;
        s >> next;
        EXPECT_EQ(next, c.next);
        EXPECT_EQ(s.remaining(), 0);
    }
}

// A record of the nested chain with `levels` levels, level k holding one
// qint32 of value 10 * k (fields of level k written innermost).
void writeChain(TDataStream& s, int levels)
{
    s.beginChain(levels);
    for (int k = levels; k >= 1; --k) {
        s << qint32(10 * k);
        s.endBlock();
    }
}

// Reads such a record with a reader knowing `levels` levels: the values of
// each level, 0 for those not reached.
std::vector<qint32> readChain(TDataStream& s, int levels)
{
    std::vector<qint32> values(static_cast<size_t>(levels), 0);
    const int reached = s.enterChain(levels);
    for (int k = reached; k >= 1; --k)
        s >> values[static_cast<size_t>(k - 1)];
    return values;
}

TEST(BlockStream, NestedChainAcrossVersions)
{
    for (int writer = 0; writer <= 4; ++writer) {
        for (int reader = 1; reader <= 3; ++reader) {
            SCOPED_TRACE(testing::Message() << "writer " << writer << ", reader " << reader);
            QByteArray bytes = written([&](TDataStream& s) {
                if (writer == 0)
                    s << qint32(0);  // an absent object
                else
                    writeChain(s, writer);
                s << qint32(-7);  // whatever follows the record
            });
            TDataStream s(&bytes, QIODevice::ReadOnly, 0);
            const std::vector<qint32> values = readChain(s, reader);
            for (int k = 1; k <= reader; ++k)
                EXPECT_EQ(values[static_cast<size_t>(k - 1)], k <= writer ? 10 * k : 0) << "level " << k;
            qint32 after = 0;
            s >> after;
            EXPECT_EQ(after, -7) << "the reader did not end where the record ends";
            EXPECT_TRUE(s.ok());
        }
    }
}

TEST(BlockStream, ChainBytes)
{
    EXPECT_EQ(hex(written([](TDataStream& s) { writeChain(s, 2); })),
              "00 00 00 10 00 00 00 08 00 00 00 00 00 00 00 14 00 00 00 0a");
}

TEST(BlockStream, PayloadBlock)
{
    const unsigned char bytes[] = {1, 2, 3};
    QByteArray stored = written([&](TDataStream& s) {
        s.writePayload(bytes, 3);
        s.writePayload(nullptr, 0);
    });
    EXPECT_EQ(hex(stored), "00 00 00 03 01 02 03 00 00 00 00");
    TDataStream s(&stored, QIODevice::ReadOnly, 0);
    std::vector<unsigned char> read;
    EXPECT_TRUE(s.readPayload(read));
    EXPECT_EQ(read, std::vector<unsigned char>({1, 2, 3}));
    EXPECT_TRUE(s.readPayload(read));
    EXPECT_TRUE(read.empty());

    struct Case {
        const char* name;
        const char* bytes;
        bool ok;
        size_t size;
    };
    const Case damaged[] = {
        {"negative length", "ffffff00 0102", true, 0},
        {"beyond the data", "00000004 010203", false, 0},
        {"huge", "7fffffff 010203", false, 0},
        {"cut length", "000000", false, 0},
    };
    for (const Case& c : damaged) {
        SCOPED_TRACE(c.name);
        QByteArray buffer = fromHex(c.bytes);
        TDataStream d(&buffer, QIODevice::ReadOnly, 0);
        std::vector<unsigned char> out{9};
        EXPECT_EQ(d.readPayload(out), c.ok);
        EXPECT_EQ(out.size(), c.size);
        EXPECT_EQ(d.ok(), c.ok);
    }
}

TEST(BlockStream, CountedListsFromQtWriters)
{
    const QVector<double> doubles{1.5, -2.0, 1e300};
    const QList<QUuid> uuids{QUuid::createUuid(), QUuid(), QUuid::createUuid()};
    const QPolygonF polygon(QVector<QPointF>{{1, 2}, {3, 4}, {-5, 6.5}});
    const QList<QString> texts{"a", QString(), "", "three"};
    QByteArray bytes = written([&](TDataStream& s) {
        s << doubles << uuids << polygon << texts << QVector<qint32>();
    });
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    QVector<double> d;
    QList<QUuid> u;
    QPolygonF p;
    QList<QString> t;
    QVector<qint32> none{1};
    EXPECT_TRUE(readVector(s, d));
    EXPECT_TRUE(readUuidList(s, u));
    EXPECT_TRUE(readPolygon(s, p));
    EXPECT_TRUE(readList(s, t, 4));
    EXPECT_TRUE(readVector(s, none));
    EXPECT_EQ(d, doubles);
    EXPECT_EQ(u, uuids);
    EXPECT_EQ(p, polygon);
    EXPECT_EQ(t, texts);
    EXPECT_TRUE(none.isEmpty());
    EXPECT_TRUE(s.ok());
    EXPECT_EQ(s.remaining(), 0);
}

// Counts the data cannot hold fail at once: nothing is reserved or read
// (a reader that trusted 0x7fffffff elements of 16 bytes would ask for
// 32 GiB, and Qt's own reader aborts).
TEST(BlockStream, CountedListsOnDamage)
{
    struct Case {
        const char* name;
        const char* bytes;
        bool ok;
        int size;
    };
    const Case cases[] = {
        {"huge count", "7fffffff 3ff0000000000000", false, 0},
        {"one more than the data", "00000002 3ff0000000000000", false, 0},
        {"negative count", "ffffffff 3ff0000000000000", true, 0},
        {"count cut", "0000", false, 0},
        {"element cut", "00000001 3ff00000", false, 0},
        {"exact", "00000001 3ff0000000000000", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray buffer = fromHex(c.bytes);
        {
            TDataStream s(&buffer, QIODevice::ReadOnly, 0);
            QVector<double> v{7.0, 8.0};
            EXPECT_EQ(readVector(s, v), c.ok);
            EXPECT_EQ(v.size(), c.size);
        }
        {
            TDataStream s(&buffer, QIODevice::ReadOnly, 0);
            QPolygonF p(QVector<QPointF>{{1, 1}});
            readPolygon(s, p);
            EXPECT_LE(p.size(), c.size);
        }
        {
            TDataStream s(&buffer, QIODevice::ReadOnly, 0);
            QList<QUuid> u{QUuid::createUuid()};
            readUuidList(s, u);
            EXPECT_TRUE(u.isEmpty());  // no case holds a whole uuid
        }
    }
}

TEST(BlockStream, FailedStreamReadsNothingMore)
{
    QByteArray buffer = fromHex("7fffffff 00000004 00000001");
    TDataStream s(&buffer, QIODevice::ReadOnly, 0);
    QVector<qint32> v;
    EXPECT_FALSE(readVector(s, v));
    // Everything after the failure answers 0 and stays failed.
    EXPECT_EQ(s.readBlockSize(), 0);
    EXPECT_EQ(s.readCount(1), 0);
    EXPECT_EQ(s.enterChain(2), 0);
    qint32 raw = -1;
    s >> raw;
    EXPECT_EQ(raw, 0);
    EXPECT_EQ(s.status(), QDataStream::ReadPastEnd);
}

TEST(BlockStream, Strings)
{
    const QString texts[] = {QString(), QString(""), QString("Ionen \u00e9\u20ac"), QString(3000, QChar('x'))};
    for (const QString& t : texts) {
        QByteArray bytes = written([&](TDataStream& s) { s << t; });
        TDataStream s(&bytes, QIODevice::ReadOnly, 0);
        QString back("old");
        EXPECT_TRUE(s.readString(back));
        EXPECT_EQ(back, t);
        EXPECT_EQ(back.isNull(), t.isNull());
    }
    struct Case {
        const char* name;
        const char* bytes;
        QDataStream::Status status;
    };
    const Case damaged[] = {
        {"huge length", "7ffffffe 0041", QDataStream::ReadPastEnd},
        {"odd length", "00000003 004100", QDataStream::ReadCorruptData},
        {"cut", "00000004 0041", QDataStream::ReadPastEnd},
    };
    for (const Case& c : damaged) {
        SCOPED_TRACE(c.name);
        QByteArray buffer = fromHex(c.bytes);
        TDataStream s(&buffer, QIODevice::ReadOnly, 0);
        QString back("old");
        EXPECT_FALSE(s.readString(back));
        EXPECT_TRUE(back.isEmpty());
        EXPECT_EQ(s.status(), c.status);
    }
}

}  // namespace
