#include "document.h"

#include "tdatastream.h"

#include <QSaveFile>

namespace lumatra {

const char kDocumentMagic[9] = "LMTRDOC1";

namespace {

constexpr int kMagicSize = 8;
// Largest page the reader accepts, in page units (a metre at 300 per inch).
constexpr qint32 kMaxPageExtent = 12000;
// An item block holds at least its type and plug-in identifier.
constexpr qint64 kItemHeaderBytes = 4 + 16;

}  // namespace

QByteArray serializeDocument(const DocumentData& document)
{
    QByteArray bytes(kDocumentMagic, kMagicSize);
    TDataStream s(&bytes, QIODevice::WriteOnly);
    s.beginBlock();
    s << document.pageWidth << document.pageHeight << quint32(document.items.size());
    s.endBlock();
    for (const DocumentItem& item : document.items) {
        s.beginBlock();
        s << item.type << item.pluginId;
        s.writeRawData(item.record.constData(), item.record.size());
        s.endBlock();
    }
    return bytes;
}

bool parseDocument(const QByteArray& bytes, DocumentData& out, QString& error)
{
    out = DocumentData();
    if (bytes.size() < kMagicSize || !bytes.startsWith(QByteArray(kDocumentMagic, kMagicSize))) {
        error = QStringLiteral("not a Lumatra document");
        return false;
    }
    QByteArray body = bytes.mid(kMagicSize);
    TDataStream s(&body, QIODevice::ReadOnly);
    const qint32 headerLength = s.readBlockSize();
    if (!s.ok() || headerLength < 12 || headerLength > s.remaining()) {
        error = QStringLiteral("damaged document header");
        return false;
    }
    const qint64 headerEnd = s.device()->pos() + headerLength;
    quint32 count = 0;
    s >> out.pageWidth >> out.pageHeight >> count;
    s.device()->seek(headerEnd);
    if (!s.ok() || out.pageWidth < 1 || out.pageHeight < 1 || out.pageWidth > kMaxPageExtent ||
        out.pageHeight > kMaxPageExtent) {
        error = QStringLiteral("damaged document header (page %1 x %2)").arg(out.pageWidth).arg(out.pageHeight);
        out = DocumentData();
        return false;
    }
    // Every item takes at least its block length and header.
    if (count > quint64(s.remaining()) / (4 + kItemHeaderBytes)) {
        error = QStringLiteral("damaged document: %1 items promised, the file cannot hold them").arg(count);
        out = DocumentData();
        return false;
    }
    for (quint32 i = 0; i < count; ++i) {
        const qint32 length = s.readBlockSize();
        if (!s.ok() || length < kItemHeaderBytes || length > s.remaining()) {
            error = QStringLiteral("damaged document: item %1 of %2 is cut short").arg(i + 1).arg(count);
            out = DocumentData();
            return false;
        }
        DocumentItem item;
        s >> item.type >> item.pluginId;
        item.record.resize(int(length - kItemHeaderBytes));
        s.readRawData(item.record.data(), item.record.size());
        if (!s.ok()) {
            error = QStringLiteral("damaged document: item %1 of %2 is cut short").arg(i + 1).arg(count);
            out = DocumentData();
            return false;
        }
        out.items.append(item);
    }
    if (s.remaining() != 0) {
        error = QStringLiteral("damaged document: %1 bytes after the last item").arg(s.remaining());
        out = DocumentData();
        return false;
    }
    return true;
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString& error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace lumatra
