// The program's document file: the page size and the page items, each with
// the type code and plug-in identifier the host makes it from and the item
// record the host writes for it (writeItemRecord: the item's fields and,
// in the record's last block, the plug-in's own data).
//
// Layout (block stream, big-endian, TDataStream):
//   8 bytes "LMTRDOC1";
//   header block: qint32 page width, qint32 page height, quint32 items;
//   per item one block: qint32 type, QUuid plug-in identifier, then the
//   item record to the end of the block.
// A reader that does not know an item's type or plug-in skips its block
// by its length. Every length and count is checked against the bytes left
// before anything is allocated; damage fails the whole document.
//
// Writing goes to a temporary file renamed over the target (QSaveFile), so
// a failed save leaves the old file as it was.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUuid>

namespace lumatra {

struct DocumentItem {
    qint32 type = 0;
    QUuid pluginId;
    QByteArray record;
};

struct DocumentData {
    qint32 pageWidth = 0;
    qint32 pageHeight = 0;
    QList<DocumentItem> items;
};

extern const char kDocumentMagic[9];

// The program's page: A4 at 300 per inch, in chunks of 64 page units. An
// item enters at most 39 x 55 chunks however large it is, so the work and
// memory of a document's items grow with their number, not with their
// number times their area in small cells; a chunk is a 19-pixel square of
// the view, fine enough for repainting.
constexpr int kPageWidth = 2480;
constexpr int kPageHeight = 3508;
constexpr int kPageChunkSize = 64;

QByteArray serializeDocument(const DocumentData& document);
// False with the reason (and the item where the damage was found).
bool parseDocument(const QByteArray& bytes, DocumentData& out, QString& error);
// QSaveFile: false with the reason; the old file stays on failure.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString& error);

}  // namespace lumatra
