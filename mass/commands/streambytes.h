// Snapshots in block-stream bytes: what a writer puts into a fresh byte
// array, and a reader over a copy of one (the commands keep their
// snapshots unchanged for later undos and redos).
#pragma once

#include <QByteArray>

#include "tdatastream.h"

template <class Write>
QByteArray writtenBytes(Write&& write)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly);
    write(s);
    return bytes;
}

template <class Read>
void readBytes(const QByteArray& bytes, Read&& read)
{
    QByteArray copy = bytes;
    TDataStream s(&copy, QIODevice::ReadOnly);
    read(s);
}
