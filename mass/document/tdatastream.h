// TDataStream: the block stream in which the plug-in and its host store
// everything they keep (data objects, peak lists, properties, plots,
// history records, undo snapshots, the clipboard form of items).
//
// A QDataStream over a caller's QByteArray (which must outlive the stream)
// with the fixed version Qt_4_0 and big-endian byte order, plus
// length-prefixed blocks: a qint32 N followed by exactly N bytes. Blocks
// nest; an empty block is 00 00 00 00. Stored objects use a few shapes
// built on the blocks (flat, header and main, nested chain, payload block,
// counted list) so that older and newer writers and readers understand
// each other; the helpers below implement the reading side of each.
//
// Open modes: ReadOnly reads from the start of the buffer, WriteOnly
// appends to it, ReadWrite works on it from the start.
//
// Failure: the stream reports through QDataStream::status(). Every helper
// here answers 0, false or an empty container once the status is not Ok,
// and a helper that meets a length or count larger than the bytes that
// remain sets ReadPastEnd, reads and allocates nothing and leaves the
// stream at the end of the data, so that any later read yields 0 too.
// Qt 5's own readers of counted containers (QVector, QList, QPolygonF)
// must not be used on stored bytes: they abort on a huge count. Use
// readVector, readList, readPolygon and readUuidList instead.
#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QList>
#include <QPolygonF>
#include <QString>
#include <QUuid>
#include <QVector>

#include <cstdint>
#include <vector>

class TDataStream : public QDataStream {
public:
    // `value` is kept unchanged for the life of the stream (the plug-in
    // passes 0; the host may use it).
    TDataStream(QByteArray* buffer, QIODevice::OpenMode mode, int value = 0);
    virtual ~TDataStream();
    TDataStream(const TDataStream&) = delete;
    TDataStream& operator=(const TDataStream&) = delete;

    int value() const { return m_value; }
    // Blocks opened and not yet closed.
    int openBlocks() const { return static_cast<int>(m_starts.size()); }

    // Writing. beginBlock writes a qint32 placeholder and remembers where;
    // endBlock fills in the number of bytes written since the placeholder.
    // endBlock without an open block does nothing.
    void beginBlock();
    void endBlock();

    // Reading. readBlockSize reads a qint32 block length (0 at the end of
    // the data or once the status is not Ok). skipBlock reads a length and
    // skips that many bytes; a length of 0 or below skips nothing, one
    // beyond the data fails the stream.
    qint32 readBlockSize();
    void skipBlock();

    // Bytes left between the position and the end of the data.
    qint64 remaining() const;
    // Marks the stream failed (ReadPastEnd unless told otherwise; a status
    // already set stays) and moves to the end of the data: the reader
    // stops, and every later read yields 0.
    void fail(QDataStream::Status why = QDataStream::ReadPastEnd);
    bool ok() const { return status() == QDataStream::Ok; }

    // Nested chain, writer: opens `levels` blocks and writes the empty
    // terminator block. The writer then writes the innermost level's fields
    // and calls endBlock, and so on outward.
    void beginChain(int levels);
    // Nested chain, reader knowing `levels` levels: answers how deep the
    // data goes (0: the object is absent). When it reached all of its
    // levels it has dropped the block below them (the terminator, or what
    // a newer writer nested there). The caller reads the fields of the
    // level reached and of each enclosing level, innermost first.
    int enterChain(int levels);

    // Payload block: a block holding opaque bytes.
    void writePayload(const unsigned char* data, size_t size);
    void writePayload(const std::vector<unsigned char>& bytes) { writePayload(bytes.data(), bytes.size()); }
    // Reads a payload block into `bytes` (emptied first): false when the
    // status is not Ok afterwards. A length of 0 or below gives no bytes.
    bool readPayload(std::vector<unsigned char>& bytes);

    // Counted list: a qint32 count. Answers a count the remaining bytes can
    // hold at `minElementBytes` each (each element of the list takes at
    // least that many); 0 for a count of 0 or below. A larger count fails
    // the stream and answers 0, as does a stream that is not Ok.
    qint32 readCount(qint64 minElementBytes);

    // A string with its length checked against the data before anything
    // is allocated (Qt's own reader allocates in 1 MiB steps first).
    bool readString(QString& text);

private:
    int m_value;
    std::vector<qint64> m_starts;
};

// Counted containers of values that QDataStream reads (Qt's count-then-
// elements layout, which Qt's writers produce). The container is emptied
// first and stays empty when anything fails; nothing is reserved by the
// stored count.
template <class C>
bool readCountedValues(TDataStream& s, C& out, qint64 minElementBytes)
{
    out.clear();
    const qint32 n = s.readCount(minElementBytes);
    for (qint32 i = 0; i < n; ++i) {
        typename C::value_type v;
        s >> v;
        if (!s.ok())
            break;
        out.append(v);
    }
    if (!s.ok()) {
        out.clear();
        return false;
    }
    return true;
}

template <class T>
bool readVector(TDataStream& s, QVector<T>& out, qint64 minElementBytes = sizeof(T))
{
    return readCountedValues(s, out, minElementBytes);
}

template <class T>
bool readList(TDataStream& s, QList<T>& out, qint64 minElementBytes = sizeof(T))
{
    return readCountedValues(s, out, minElementBytes);
}

inline bool readPolygon(TDataStream& s, QPolygonF& out)
{
    return readCountedValues(s, out, 16);
}

inline bool readUuidList(TDataStream& s, QList<QUuid>& out)
{
    return readCountedValues(s, out, 16);
}
