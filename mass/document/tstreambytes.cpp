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

namespace {

// Reads the image marker and finds the PNG after it, checked as readImage
// says: 0 for a null image; else the PNG's length with `png` at its first
// byte (the stream still before it); -1 with the stream failed.
qint64 findImage(TDataStream& s, const char*& png, QByteArray& copy)
{
    if (!s.ok())
        return -1;
    qint32 marker = 0;
    s >> marker;
    if (!s.ok())
        return -1;
    if (marker == 0)
        return 0;
    // The block stream reads from a buffer: look at its bytes in place
    // (a copy of the rest per image would make many images quadratic).
    QIODevice* device = s.device();
    if (const auto* buffer = qobject_cast<const QBuffer*>(device)) {
        png = buffer->data().constData() + device->pos();
    } else {
        copy = device->peek(s.remaining());
        png = copy.constData();
    }
    const qint64 length = pngLength(png, s.remaining());
    if (length == 0) {
        s.fail();
        return -1;
    }
    if (length < 0) {
        s.fail(QDataStream::ReadCorruptData);
        return -1;
    }
    return length;
}

}  // namespace

bool readImage(TDataStream& s, QImage& image)
{
    image = QImage();
    const char* png = nullptr;
    QByteArray copy;
    const qint64 length = findImage(s, png, copy);
    if (length <= 0)
        return length == 0;
    image = QImage::fromData(reinterpret_cast<const uchar*>(png), int(length), "PNG");
    s.device()->seek(s.device()->pos() + length);
    return true;
}

bool skipImage(TDataStream& s)
{
    const char* png = nullptr;
    QByteArray copy;
    const qint64 length = findImage(s, png, copy);
    if (length > 0)
        s.device()->seek(s.device()->pos() + length);
    return length >= 0;
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
