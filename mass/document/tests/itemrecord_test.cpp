// The item record: host-written fixtures of every chain depth read back,
// the host's writer against them byte for byte, the pixmap, every cut of
// every fixture and a table of damaged records.
#include "canvastest.h"

#include "itemrecord.h"
#include "tstreambytes.h"

#include <QBuffer>

using namespace canvastest;

namespace {

const QUuid kOwn("{11111111-2222-4333-8444-555555555555}");
const QUuid kInitial("{aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee}");
const QUuid kParent("{0f0f0f0f-0000-4000-8000-000000000001}");
const QUuid kChild1("{c1000000-0000-4000-8000-000000000001}");
const QUuid kChild2("{c2000000-0000-4000-8000-000000000002}");
const QUuid kLink1("{d1000000-0000-4000-8000-000000000001}");
const QUuid kLink2("{d2000000-0000-4000-8000-000000000002}");

struct ReadResult {
    QDataStream::Status status;
    bool atEnd;
};

ReadResult readInto(TCanvasItem& item, QByteArray bytes)
{
    TDataStream s(&bytes, QIODevice::ReadOnly);
    item.read(s);
    return {s.status(), s.atEnd()};
}

// A record without extension chain whose main block and plug-in data
// block hold what the two writers put there.
QByteArray recordWith(const std::function<void(TDataStream&)>& main,
                      const std::function<void(TDataStream&)>& pluginData = [](TDataStream& s) {
                          s.beginBlock();
                          s.endBlock();
                      })
{
    return written([&](TDataStream& s) {
        s.beginBlock();
        s.endBlock();
        s.beginBlock();
        s.endBlock();
        s.beginBlock();
        main(s);
        s.endBlock();
        s.beginBlock();
        pluginData(s);
        s.endBlock();
    });
}

// The main block's fields up to the has-pixmap flag.
void mainFields(TDataStream& s)
{
    s << kOwn << kInitial << 1.0 << 2.0 << 3.0 << QPen(Qt::red, 2) << QBrush(Qt::blue) << 15.0;
    s << QByteArray("extra") << QStringLiteral("text") << QRectF(1, 2, 3, 4);
}

QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray ihdr;
    QDataStream d(&ihdr, QIODevice::WriteOnly);
    d << quint32(13);
    d.writeRawData("IHDR", 4);
    d << width << height << quint8(8) << quint8(6) << quint8(0) << quint8(0) << quint8(0) << quint32(0);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + ihdr;
}

QByteArray pngEnd()
{
    return QByteArray::fromHex("0000000049454e44ae426082");
}

}  // namespace

TEST(ItemRecord, HostWrittenRecordsOfEveryChainDepth)
{
    for (int level = 0; level <= 4; ++level) {
        SCOPED_TRACE(level);
        Card card;
        const QUuid before = card.ownId();
        card.setParentId(QUuid::createUuid());
        const QUuid keptParent = card.parentId();
        const ReadResult r = readInto(card, record(qPrintable(QStringLiteral("record_level%1.bin").arg(level))));
        EXPECT_EQ(r.status, QDataStream::Ok);
        EXPECT_TRUE(r.atEnd);

        // Level 3: the type texts; level 2: children and parent; level 1:
        // links. Absent levels leave the fields as they were.
        EXPECT_EQ(card.type(), level >= 3 ? QStringLiteral("Test Card") : QStringLiteral("Card"));
        EXPECT_EQ(card.subtype(), level >= 3 ? QStringLiteral("Sub") : QString());
        if (level >= 2) {
            ASSERT_EQ(card.childMap().size(), 2);
            const TCanvasChildRecord c1 = card.childMap().value(kChild1);
            EXPECT_EQ(c1.value, 1.5);
            EXPECT_EQ(c1.point, QPointF(1, 2));
            EXPECT_EQ(c1.polygon, QPolygonF({QPointF(0, 0), QPointF(10, 0), QPointF(10, 10)}));
            EXPECT_EQ(card.childMap().value(kChild2).value, -2.0);
            EXPECT_TRUE(card.childMap().value(kChild2).polygon.isEmpty());
            EXPECT_EQ(card.parentId(), kParent);
        } else {
            EXPECT_TRUE(card.childMap().isEmpty());
            EXPECT_EQ(card.parentId(), keptParent);
        }
        if (level >= 1) {
            ASSERT_EQ(card.linkMap().size(), 2);
            EXPECT_EQ(card.linkMap().value(kLink1),
                      QList<QUuid>({QUuid("{e1000000-0000-4000-8000-000000000001}"),
                                    QUuid("{e2000000-0000-4000-8000-000000000002}")}));
            EXPECT_TRUE(card.linkMap().contains(kLink2));
            EXPECT_TRUE(card.linkMap().value(kLink2).isEmpty());
        } else {
            EXPECT_TRUE(card.linkMap().isEmpty());
        }

        // The main block, the same in every fixture.
        EXPECT_NE(card.ownId(), before);
        EXPECT_EQ(card.ownId(), kOwn);
        EXPECT_EQ(card.initialId(), kInitial);
        EXPECT_EQ(card.x(), 100.5);
        EXPECT_EQ(card.y(), 200.25);
        EXPECT_EQ(card.z(), 3.0);
        EXPECT_EQ(card.pen().widthF(), 3.0);
        EXPECT_EQ(card.pen().color(), QColor(128, 0, 0));
        EXPECT_EQ(card.pen().capStyle(), Qt::SquareCap);
        EXPECT_EQ(card.brush(), QBrush(QColor(0, 0, 255)));
        EXPECT_EQ(card.angle(), 30.0);
        EXPECT_EQ(card.extraBytes(), QByteArray("\x01\x02host"));
        EXPECT_EQ(card.text(), QStringLiteral("Note"));
        EXPECT_EQ(card.rect(), QRectF(1, 2, 3, 4));
        EXPECT_FALSE(card.hasPixmap());
    }
}

TEST(ItemRecord, HostWriterWritesTheFixturesByteForByte)
{
    // An item read from the full record carries every field; written with
    // 0 to 3 levels it gives the fixtures of those depths.
    Card card;
    ASSERT_EQ(readInto(card, record("record_level3.bin")).status, QDataStream::Ok);
    // The owner tag is a pointer kept in memory only: all of it is kept,
    // and none of it is written.
    card.setOwnerTag(quintptr(&card));
    EXPECT_EQ(card.ownerTag(), quintptr(&card));
    for (int level = 0; level <= 3; ++level) {
        SCOPED_TRACE(level);
        const QByteArray bytes = written([&](TDataStream& s) { lumatra::writeItemRecord(s, card, level); });
        EXPECT_EQ(bytes.toHex().toStdString(),
                  record(qPrintable(QStringLiteral("record_level%1.bin").arg(level))).toHex().toStdString());
    }
    // A writer of more levels: the reader drops the newer ones.
    const QByteArray newer = written([&](TDataStream& s) { lumatra::writeItemRecord(s, card, 5); });
    Card again;
    EXPECT_EQ(readInto(again, newer).status, QDataStream::Ok);
    EXPECT_EQ(again.type(), QStringLiteral("Test Card"));
    EXPECT_EQ(again.childMap().size(), 2);
}

TEST(ItemRecord, PixmapAfterTheFlag)
{
    Card card;
    const ReadResult r = readInto(card, record("record_pixmap.bin"));
    EXPECT_EQ(r.status, QDataStream::Ok);
    EXPECT_TRUE(r.atEnd) << "the identifier list after the pixmap is read too";
    EXPECT_TRUE(card.hasPixmap());
    ASSERT_EQ(card.image.size(), QSize(2, 3));
    EXPECT_EQ(card.image.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(card.image.pixelColor(1, 0), QColor(0, 255, 0));
    EXPECT_EQ(card.image.pixelColor(0, 1), QColor(0, 0, 255));
    EXPECT_EQ(card.image.pixelColor(1, 2).alpha(), 0);

    // The base item reads the pixmap and drops it.
    lumatra::BoxItem plain(104, QString(), QRectF());
    EXPECT_EQ(readInto(plain, record("record_pixmap.bin")).status, QDataStream::Ok);
    EXPECT_EQ(plain.ownId(), kOwn);
}

TEST(ItemRecord, EveryCutFailsWithoutHarm)
{
    // Every byte-prefix of every fixture: a failed stream, never a crash;
    // a pixmap cut short is no pixmap.
    for (const char* name : {"record_level0.bin", "record_level1.bin", "record_level2.bin", "record_level3.bin",
                             "record_level4.bin", "record_pixmap.bin"}) {
        const QByteArray whole = record(name);
        const int pngEnd = whole.indexOf("IEND") + 8;
        for (int n = 0; n < whole.size(); ++n) {
            Card card;
            const ReadResult r = readInto(card, whole.left(n));
            ASSERT_NE(r.status, QDataStream::Ok) << name << " cut at " << n;
            if (n < pngEnd) {
                ASSERT_TRUE(card.image.isNull()) << name << " cut at " << n;
            }
        }
    }
}

TEST(ItemRecord, DamagedChainFields)
{
    // Offsets in the level-3 fixture: header (0), the three chain lengths
    // (4, 8, 12), terminator (16), type text (20: length, 18 bytes),
    // subtype text (42: length, 6 bytes), child count (52), the first child
    // (56: QUuid, block, double, point) with its polygon count at 100.
    const QByteArray level3 = record("record_level3.bin");
    auto replaced = [&](int at, const char* hex) {
        QByteArray b = level3;
        const QByteArray with = QByteArray::fromHex(hex);
        b.replace(at, with.size(), with);
        return b;
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        QDataStream::Status status;
        std::function<void(const Card&)> check;
    };
    const QList<Case> cases = {
        {"child count beyond the data", replaced(52, "fffffff0"), QDataStream::ReadPastEnd,
         [](const Card& c) { EXPECT_TRUE(c.childMap().isEmpty()); }},
        {"child polygon count beyond the data", replaced(100, "7ffffff0"), QDataStream::ReadPastEnd,
         [](const Card& c) { EXPECT_TRUE(c.childMap().isEmpty()); }},
        {"type text longer than the data", replaced(20, "7ffffffe"), QDataStream::ReadPastEnd,
         [](const Card& c) { EXPECT_TRUE(c.type().isEmpty()); }},
        {"odd text length", replaced(20, "00000003"), QDataStream::ReadCorruptData, nullptr},
        {"header block longer than the data", replaced(0, "7fffffff"), QDataStream::ReadPastEnd, nullptr},
        {"negative header length skips nothing", replaced(0, "fffffffc"), QDataStream::Ok,
         [](const Card& c) { EXPECT_EQ(c.type(), QStringLiteral("Test Card")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Card card;
        EXPECT_EQ(readInto(card, c.bytes).status, c.status);
        if (c.check)
            c.check(card);
    }
}

TEST(ItemRecord, DamagedMainAndPluginDataBlocks)
{
    const QByteArray picture = [] {
        QImage image(4, 2, QImage::Format_ARGB32);
        image.fill(Qt::green);
        QByteArray png;
        QBuffer b(&png);
        b.open(QIODevice::WriteOnly);
        image.save(&b, "PNG");
        return png;
    }();
    // A record whose main block states `length` (at offset 8) over fields
    // that are whole.
    auto mainLength = [](qint32 length) {
        QByteArray b = recordWith([](TDataStream& s) {
            mainFields(s);
            s << false << QList<QUuid>();
        });
        QByteArray stated;
        QDataStream(&stated, QIODevice::WriteOnly) << length;
        return b.replace(8, 4, stated);
    };
    auto withPixmap = [&](const QByteArray& png) {
        return recordWith([&](TDataStream& s) {
            mainFields(s);
            s << true << qint32(1);
            s.writeRawData(png.constData(), png.size());
            s << QList<QUuid>();
        });
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        QDataStream::Status status;
        bool atEnd;
        std::function<void(const Card&)> check;
    };
    const QList<Case> cases = {
        {"a pixmap", withPixmap(picture), QDataStream::Ok, true,
         [](const Card& c) {
             EXPECT_EQ(c.image.size(), QSize(4, 2));
             EXPECT_TRUE(c.hasPixmap());
         }},
        {"a null pixmap",
         recordWith([](TDataStream& s) {
             mainFields(s);
             s << true << qint32(0) << QList<QUuid>();
         }),
         QDataStream::Ok, true, [](const Card& c) { EXPECT_TRUE(c.image.isNull()); }},
        {"pixmap cut short", withPixmap(picture.left(picture.size() - 5)), QDataStream::ReadPastEnd, true,
         [](const Card& c) {
             EXPECT_TRUE(c.image.isNull());
             EXPECT_FALSE(c.hasPixmap());
         }},
        {"no PNG after the marker", withPixmap(QByteArray("GIF89a not a PNG at all")), QDataStream::ReadCorruptData,
         true, [](const Card& c) { EXPECT_TRUE(c.image.isNull()); }},
        {"PNG wider than the limit", withPixmap(pngHeader(40000, 2) + pngEnd()), QDataStream::ReadCorruptData, true,
         nullptr},
        {"PNG of too many pixels", withPixmap(pngHeader(5000, 5000) + pngEnd()), QDataStream::ReadCorruptData, true,
         nullptr},
        {"complete PNG that does not decode", withPixmap(pngHeader(2, 2) + pngEnd()), QDataStream::Ok, true,
         [](const Card& c) { EXPECT_TRUE(c.image.isNull()); }},
        {"extra bytes longer than the data",
         recordWith([](TDataStream& s) {
             s << kOwn << kInitial << 1.0 << 2.0 << 3.0 << QPen() << QBrush() << 0.0 << quint32(0x7ffffff0);
         }),
         QDataStream::ReadPastEnd, true, [](const Card& c) { EXPECT_TRUE(c.extraBytes().isEmpty()); }},
        {"identifier list beyond the data",
         recordWith([](TDataStream& s) {
             mainFields(s);
             s << false << quint32(0x10000000);
         }),
         QDataStream::ReadPastEnd, true, nullptr},
        {"fields a newer host added to the main block",
         recordWith([](TDataStream& s) {
             mainFields(s);
             s << false << QList<QUuid>() << qint32(77) << QStringLiteral("newer");
         }),
         QDataStream::Ok, true, [](const Card& c) { EXPECT_EQ(c.text(), QStringLiteral("text")); }},
        {"plug-in data a newer plug-in added",
         recordWith(
             [](TDataStream& s) {
                 mainFields(s);
                 s << false << QList<QUuid>();
             },
             [](TDataStream& s) {
                 s.beginBlock();
                 s.endBlock();
                 s << qint32(5) << 2.5;
             }),
         QDataStream::Ok, true, nullptr},
        // The host reads the main block's fields whatever its length says.
        {"main block of length 0", mainLength(0), QDataStream::ReadCorruptData, true,
         [](const Card& c) { EXPECT_EQ(c.text(), QStringLiteral("text")); }},
        {"negative main block length", mainLength(-8), QDataStream::Ok, true,
         [](const Card& c) { EXPECT_EQ(c.text(), QStringLiteral("text")); }},
        {"main block longer than the data", mainLength(0x7ffffff0), QDataStream::Ok, true,
         [](const Card& c) { EXPECT_EQ(c.text(), QStringLiteral("text")); }},
        {"main block shorter than its fields",
         [] {
             QByteArray b = recordWith([](TDataStream& s) {
                 mainFields(s);
                 s << false << QList<QUuid>();
             });
             b.replace(8, 4, QByteArray::fromHex("00000010"));
             return b;
         }(),
         QDataStream::ReadCorruptData, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Card card;
        const ReadResult r = readInto(card, c.bytes);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.atEnd, c.atEnd);
        if (c.check)
            c.check(card);
    }
}

TEST_F(CanvasTest, ReadingIntoAnItemOnThePageMovesItsCells)
{
    // The record places the item elsewhere: it must leave the cells of its
    // old place, or a deleted item would stay behind in them.
    lumatra::RecordingHost big(2480, 3508, 16);
    auto* card = new Card(QRectF(1000, 1000, 50, 50));
    big.addItem(card);
    const QList<QPoint> before = cellsHolding(big.page(), card);
    ASSERT_FALSE(before.isEmpty());
    ASSERT_EQ(readInto(*card, record("record_level3.bin")).status, QDataStream::Ok);
    EXPECT_EQ(card->x(), 100.5);
    EXPECT_EQ(cellSet(cellsHolding(big.page(), card)), cellSet(card->chunks()));
    for (const QPoint& p : before)
        EXPECT_FALSE(big.page().chunk(p.x(), p.y()).items().contains(card));
    delete card;
    for (int r = 0; r < big.page().chunkRows(); ++r)
        for (int c = 0; c < big.page().chunkColumns(); ++c)
            ASSERT_TRUE(big.page().chunk(c, r).items().isEmpty());
}
