#include "tdatastream.h"

#include <QIODevice>

#include <limits>

TDataStream::TDataStream(QByteArray* buffer, QIODevice::OpenMode mode, int value)
    : QDataStream(buffer, mode), m_value(value)
{
    setVersion(QDataStream::Qt_4_0);
    setByteOrder(QDataStream::BigEndian);
    // A writer adds to what the buffer holds rather than overwriting its
    // start and leaving stale bytes behind.
    if (mode == QIODevice::WriteOnly && device())
        device()->seek(device()->size());
}

TDataStream::~TDataStream() = default;

void TDataStream::beginBlock()
{
    const qint64 p = device() ? device()->pos() : 0;
    *this << static_cast<qint32>(p);
    m_starts.push_back(p);
}

void TDataStream::endBlock()
{
    if (m_starts.empty() || !device())
        return;
    const qint64 s = m_starts.back();
    m_starts.pop_back();
    const qint64 e = device()->pos();
    const qint64 length = e - s - 4;
    if (length < 0 || length > std::numeric_limits<qint32>::max()) {
        setStatus(QDataStream::WriteFailed);
        return;
    }
    if (!device()->seek(s)) {
        setStatus(QDataStream::WriteFailed);
        return;
    }
    *this << static_cast<qint32>(length);
    device()->seek(e);
}

qint32 TDataStream::readBlockSize()
{
    if (!ok())
        return 0;
    qint32 n = 0;
    *this >> n;
    return ok() ? n : 0;
}

void TDataStream::skipBlock()
{
    const qint32 n = readBlockSize();
    if (n <= 0)
        return;
    if (n > remaining()) {
        fail();
        return;
    }
    skipRawData(n);
}

qint64 TDataStream::remaining() const
{
    const QIODevice* d = device();
    if (!d)
        return 0;
    const qint64 left = d->size() - d->pos();
    return left > 0 ? left : 0;
}

void TDataStream::fail(QDataStream::Status why)
{
    setStatus(why);
    if (device())
        device()->seek(device()->size());
}

void TDataStream::beginChain(int levels)
{
    for (int i = 0; i < levels; ++i)
        beginBlock();
    beginBlock();
    endBlock();
}

int TDataStream::enterChain(int levels)
{
    int reached = 0;
    while (reached < levels) {
        if (readBlockSize() == 0)
            return ok() ? reached : 0;
        ++reached;
    }
    skipBlock();
    return ok() ? reached : 0;
}

void TDataStream::writePayload(const unsigned char* data, size_t size)
{
    beginBlock();
    if (data && size > 0)
        writeRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    endBlock();
}

bool TDataStream::readPayload(std::vector<unsigned char>& bytes)
{
    bytes.clear();
    const qint32 n = readBlockSize();
    if (n <= 0)
        return ok();
    if (n > remaining()) {
        fail();
        return false;
    }
    bytes.resize(static_cast<size_t>(n));
    if (readRawData(reinterpret_cast<char*>(bytes.data()), n) != n) {
        bytes.clear();
        fail();
        return false;
    }
    return true;
}

qint32 TDataStream::readCount(qint64 minElementBytes)
{
    if (!ok())
        return 0;
    qint32 n = 0;
    *this >> n;
    if (!ok() || n <= 0)
        return 0;
    if (minElementBytes < 1)
        minElementBytes = 1;
    if (n > remaining() / minElementBytes) {
        fail();
        return 0;
    }
    return n;
}

bool TDataStream::readString(QString& text)
{
    text.clear();
    if (!ok())
        return false;
    quint32 bytes = 0;
    *this >> bytes;
    if (!ok())
        return false;
    if (bytes == 0xFFFFFFFFu) {
        text = QString();
        return true;
    }
    if (bytes & 1u) {
        fail(QDataStream::ReadCorruptData);
        return false;
    }
    if (bytes > remaining()) {
        fail();
        return false;
    }
    if (bytes == 0) {
        text = QLatin1String("");
        return true;
    }
    std::vector<char> raw(bytes);
    if (readRawData(raw.data(), static_cast<int>(bytes)) != static_cast<int>(bytes)) {
        fail();
        return false;
    }
    const int n = static_cast<int>(bytes / 2);
    text.resize(n);
    for (int i = 0; i < n; ++i)
        text[i] = QChar(static_cast<ushort>((static_cast<unsigned char>(raw[2 * i]) << 8) |
                                            static_cast<unsigned char>(raw[2 * i + 1])));
    return true;
}
