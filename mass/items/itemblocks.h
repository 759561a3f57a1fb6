// The block reader of the items' plug-in data: a block of length 0 holds
// nothing (the body does not run); a negative length or one beyond the
// data fails the stream. After the body the stream stands at the block's
// end, so that fields a newer writer added are passed over; a body that
// read beyond the end met damaged data (ReadCorruptData).
#pragma once

#include "tdatastream.h"

template <class Body>
void readItemBlock(TDataStream& s, Body body)
{
    const qint32 length = s.readBlockSize();
    if (!s.ok() || length == 0)
        return;
    if (length < 0 || length > s.remaining()) {
        s.fail();
        return;
    }
    const qint64 end = s.device()->pos() + length;
    body();
    if (!s.ok())
        return;
    if (s.device()->pos() > end)
        s.fail(QDataStream::ReadCorruptData);
    else
        s.device()->seek(end);
}
