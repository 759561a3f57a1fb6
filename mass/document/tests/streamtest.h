// Stream helpers shared by the mass tests: the bytes a writer puts into a
// block stream, and hex text of bytes.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <functional>
#include <string>

#include "tdatastream.h"

namespace streamtest {

// The bytes a writer puts into a fresh write-only stream.
inline QByteArray written(const std::function<void(TDataStream&)>& writer)
{
    QByteArray buffer;
    TDataStream s(&buffer, QIODevice::WriteOnly, 0);
    writer(s);
    EXPECT_EQ(s.openBlocks(), 0) << "the writer left a block open";
    return buffer;
}

// "00 00 00 1c ..." from bytes.
inline std::string hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ')).toStdString();
}

inline QByteArray fromHex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text));
}

}  // namespace streamtest
