#include "tstreambytes.h"

#include "tdatastream.h"

#include <QBuffer>
#include <QIODevice>

#include <cstring>

namespace {

quint32 bigEndian32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (quint32(u[0]) << 24) | (quint32(u[1]) << 16) | (quint32(u[2]) << 8) | quint32(u[3]);
}

// Length of the PNG file at the start of `data` (up to and with the IEND
// chunk), 0 when it is cut short; -1 when it is no PNG or too large.
qint64 pngLength(const char* data, qint64 size)
{
    static const char signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    if (size < 8)
        return 0;
    if (std::memcmp(data, signature, 8) != 0)
        return -1;
    qint64 at = 8;
    bool first = true;
    while (true) {
        if (size - at < 12)
            return 0;
        const quint32 length = bigEndian32(data + at);
        const char* type = data + at + 4;
        if (length > 0x7FFFFFFFu)
            return -1;
        if (size - at - 12 < qint64(length))
            return 0;
        if (first) {
            // The header comes first and says how large the image is.
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13)
                return -1;
            const quint32 width = bigEndian32(type + 4);
            const quint32 height = bigEndian32(type + 8);
            if (width == 0 || height == 0 || width > quint32(kMaxImageSide) || height > quint32(kMaxImageSide) ||
                qint64(width) * qint64(height) > kMaxImagePixels)
                return -1;
            first = false;
        }
        at += 12 + qint64(length);
        if (std::memcmp(type, "IEND", 4) == 0)
            return at;
    }
}

}  // namespace

bool readByteArray(TDataStream& s, QByteArray& bytes)
{
    bytes.clear();
    if (!s.ok())
        return false;
    quint32 length = 0;
    s >> length;
    if (!s.ok())
        return false;
    if (length == 0xFFFFFFFFu) {
        bytes = QByteArray();
        return true;
    }
    if (length > s.remaining()) {
        s.fail();
        return false;
    }
    bytes.resize(int(length));
    if (length > 0 && s.readRawData(bytes.data(), int(length)) != int(length)) {
        bytes.clear();
        s.fail();
        return false;
    }
    return true;
}

bool readImage(TDataStream& s, QImage& image)
{
    image = QImage();
    if (!s.ok())
        return false;
    qint32 marker = 0;
    s >> marker;
    if (!s.ok())
        return false;
    if (marker == 0)
        return true;
    // The block stream reads from a buffer: look at its bytes in place
    // (a copy of the rest per image would make many images quadratic).
    QIODevice* device = s.device();
    const qint64 start = device->pos();
    QByteArray copy;
    const char* rest = nullptr;
    if (const auto* buffer = qobject_cast<const QBuffer*>(device)) {
        rest = buffer->data().constData() + start;
    } else {
        copy = device->peek(s.remaining());
        rest = copy.constData();
    }
    const qint64 length = pngLength(rest, s.remaining());
    if (length == 0) {
        s.fail();
        return false;
    }
    if (length < 0) {
        s.fail(QDataStream::ReadCorruptData);
        return false;
    }
    image = QImage::fromData(reinterpret_cast<const uchar*>(rest), int(length), "PNG");
    device->seek(start + length);
    return true;
}

quint32 readUnsignedCount(TDataStream& s, qint64 minElementBytes)
{
    if (!s.ok())
        return 0;
    quint32 n = 0;
    s >> n;
    if (!s.ok())
        return 0;
    if (minElementBytes < 1)
        minElementBytes = 1;
    if (qint64(n) > s.remaining() / minElementBytes) {
        s.fail();
        return 0;
    }
    return n;
}
