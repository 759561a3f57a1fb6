// Guarded readers of byte arrays, images and unsigned counts in a block
// stream (stream version Qt_4_0 layouts, as Qt's own writers produce them).
//
// Qt's own readers allocate by what they read: a byte array in 1 MiB steps
// before its bytes are there, and an image hands the rest of the data to
// the PNG decoder, which allocates by the stored width and height and, in
// this stream version, reports no failure. These check every length
// against the data first and leave the value empty on failure, with the
// stream failed (ReadPastEnd when the data ends too early,
// ReadCorruptData for bytes that are no such value).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QIODevice>

#include "tdatastream.h"

// A QByteArray: quint32 length (0xFFFFFFFF: null), then the bytes.
bool readByteArray(TDataStream& s, QByteArray& bytes);

// A QImage or QPixmap: qint32 0 for a null image, or 1 followed by a PNG
// file. The PNG's chunks are walked to its end before anything is decoded;
// an image wider or higher than kMaxImageSide or larger than
// kMaxImagePixels is refused (ReadCorruptData). A PNG that is complete
// but does not decode gives a null image and leaves the stream as it is.
constexpr int kMaxImageSide = 32767;
constexpr qint64 kMaxImagePixels = qint64(1) << 24;
bool readImage(TDataStream& s, QImage& image);
// The same image checked the same way and passed over, never decoded (no
// memory by its width and height): for a reader that drops it.
bool skipImage(TDataStream& s);

// The unsigned 32-bit count of Qt's container form: 0 and a failed stream
// when the remaining bytes cannot hold that many elements of at least
// minElementBytes each.
quint32 readUnsignedCount(TDataStream& s, qint64 minElementBytes);

// What a block reader makes of the block's stored length.
enum class BlockLength {
    // The host's blocks (the item record's main and plug-in data blocks,
    // a properties bag), which the host reads without heeding the length:
    // the body runs whatever the length says, 0 included, and a length the
    // data cannot hold is left to the body's own reads to find out.
    Advisory,
    // The plug-in's own blocks (an item's plug-in data, the analysis
    // states and their settings): a length of 0 is an absent value (the
    // body does not run); a negative length or one beyond the data fails
    // the stream (ReadPastEnd) before the body runs.
    Checked,
};

// Reads a block's length, then its content with `body`; afterwards the
// stream stands at the block's end, so that fields a newer writer added
// there are passed over (an advisory length the data cannot hold leaves
// the stream where the body left it). A body that read beyond the block's
// end met damaged data (ReadCorruptData). Answers whether the body ran and
// the stream is still Ok.
template <class Body>
bool readBlock(TDataStream& s, BlockLength kind, Body body)
{
    const qint32 length = s.readBlockSize();
    if (!s.ok())
        return false;
    const bool held = length >= 0 && length <= s.remaining();
    if (kind == BlockLength::Checked) {
        if (length == 0)
            return false;
        if (!held) {
            s.fail();
            return false;
        }
    }
    const qint64 end = s.device()->pos() + length;
    body();
    if (!s.ok())
        return false;
    if (!held)
        return true;
    if (s.device()->pos() > end) {
        s.fail(QDataStream::ReadCorruptData);
        return false;
    }
    s.device()->seek(end);
    return true;
}
