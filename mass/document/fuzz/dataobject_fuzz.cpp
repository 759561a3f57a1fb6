// The readers of stored data objects and peak lists through the block
// stream. The input is read as each kind of data object, as an object of
// the kind it names, and as peak lists; an object that reads without
// failure must write bytes that read back to the same bytes.
//
// The core library's images inside payload blocks carry a CRC-32, which a
// mutation almost always breaks. The input is therefore also tried with
// the checksum of every image it holds made right, so that changes inside
// an image reach deserialize's own checks.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <QByteArray>

#include "tdatastream.h"
#include "imagechecksums.h"
#include "tmassdataobj.h"

namespace {

QByteArray written(const TMassDataObj& object)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly, 0);
    TMassDataObj::writeToStream(s, object);
    return bytes;
}

// What was read without failure writes bytes that read back to an object
// writing the same bytes again.
void checkRoundTrip(const TMassDataObj& object)
{
    QByteArray first = written(object);
    TDataStream s(&first, QIODevice::ReadOnly, 0);
    TMassDataObj* again = TMassDataObj::createFromStream(s);
    if (!again || !s.ok() || s.remaining() != 0)
        std::abort();
    const bool same = written(*again) == first;
    delete again;
    if (!same)
        std::abort();
}

template <class T>
void readAs(QByteArray bytes)
{
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    T object;
    object.read(s);
    if (s.ok())
        checkRoundTrip(object);
}

void readAll(QByteArray bytes)
{
    {
        TDataStream s(&bytes, QIODevice::ReadOnly, 0);
        while (s.ok() && s.remaining() > 0) {
            TMassDataObj* object = TMassDataObj::createFromStream(s);
            if (!object)
                break;
            checkRoundTrip(*object);
            delete object;
        }
    }
    readAs<TChromatogramDataObj>(bytes);
    readAs<TMassSpecDataObj>(bytes);
    {
        TDataStream s(&bytes, QIODevice::ReadOnly, 0);
        QVector<TMSPeak> peaks;
        readPeakList(s, peaks);
        QVector<TMSChromPeak> chrom;
        readPeakList(s, chrom);
    }
    {
        TDataStream s(&bytes, QIODevice::ReadOnly, 0);
        while (s.ok() && s.remaining() > 0) {
            TMSChromPeak p;
            s >> p;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    readAll(bytes);
    if (fuzzimages::fixChecksums(bytes, {"TKMS", "TKCH"}))
        readAll(bytes);
    return 0;
}
