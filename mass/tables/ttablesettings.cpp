#include "ttablesettings.h"

#include "tdatastream.h"
#include "tstreamgui.h"

int clampTableDecimals(int decimals)
{
    return qBound(kMinTableDecimals, decimals, kMaxTableDecimals);
}

QStringList TTableSettings::columnNames() const
{
    QStringList names;
    for (const auto& c : columns)
        names.append(c.name);
    return names;
}

int TTableSettings::indexOfColumnId(int id) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns.at(i).id == id)
            return i;
    return -1;
}

void TTableSettings::clearColumns()
{
    while (!columns.isEmpty())
        columns.removeLast();
}

void TTableSettings::setColumns(const QList<int>& ids, const QStringList& names)
{
    clearColumns();
    for (int i = 0; i < ids.size(); ++i) {
        TTableColumn c;
        c.name = names.value(i);
        c.id = ids.at(i);
        columns.append(c);
    }
}

namespace {

void writeEmptyBlock(TDataStream& s)
{
    s << qint32(0);
}

void writeSet(TDataStream& s, const TTableSettings& set)
{
    s.beginBlock();
    s.beginBlock();
    writeEmptyBlock(s);
    writeEmptyBlock(s);
    const auto& r = set.report;
    s << r.showTitle << r.numbering << r.borders << r.frame << r.boldHeaders << r.font;
    s.endBlock();
    s.endBlock();
    s.beginBlock();
    s << qint32(set.columns.size());
    for (const auto& c : set.columns) {
        writeEmptyBlock(s);
        s.beginBlock();
        s << c.name << c.hidden << qint32(c.decimals) << qint32(c.alignment) << c.numeric << qint32(c.id);
        s.endBlock();
    }
    s.endBlock();
}

bool readReport(TDataStream& s, TReportSettings& r)
{
    s >> r.showTitle >> r.numbering >> r.borders >> r.frame >> r.boldHeaders;
    QFont font;
    if (s.ok() && readFont(s, font))
        r.font = font;
    return s.ok();
}

// One set; false when the data ended or was damaged before it was whole.
bool readSet(TDataStream& s, TTableSettings& set)
{
    if (s.readBlockSize() != 0) {
        if (s.readBlockSize() != 0) {
            s.skipBlock();
            s.skipBlock();
        }
        if (!readReport(s, set.report))
            return false;
    }
    s.readBlockSize();
    // A column takes at least its empty block, a length, a string length,
    // three int32 and two bools.
    const qint32 n = s.readCount(4 + 4 + 4 + 12 + 2);
    for (qint32 i = 0; i < n && s.ok(); ++i) {
        TTableColumn c;
        s.skipBlock();
        s.readBlockSize();
        qint32 decimals = 0, alignment = 0, id = 0;
        if (!s.readString(c.name))
            break;
        s >> c.hidden >> decimals >> alignment >> c.numeric >> id;
        c.decimals = clampTableDecimals(decimals);
        c.alignment = alignment;
        c.id = id;
        if (s.ok())
            set.columns.append(c);
    }
    return s.ok();
}

}  // namespace

QByteArray writeTableSettings(const QVector<TTableSettings>& sets)
{
    QByteArray value;
    TDataStream s(&value, QIODevice::WriteOnly);
    writeEmptyBlock(s);
    s.beginBlock();
    s << qint32(sets.size());
    for (const auto& set : sets)
        writeSet(s, set);
    s.endBlock();
    return value;
}

bool readTableSettings(const QByteArray& value, QVector<TTableSettings>& sets)
{
    if (value.isEmpty())
        return false;
    QByteArray bytes = value;
    TDataStream s(&bytes, QIODevice::ReadOnly);
    s.skipBlock();
    s.readBlockSize();
    // A set takes at least its two block lengths and its column count.
    const qint32 n = s.readCount(12);
    for (qint32 i = 0; i < n && s.ok(); ++i) {
        TTableSettings set;
        if (!readSet(s, set))
            break;
        sets.append(set);
    }
    return true;
}
