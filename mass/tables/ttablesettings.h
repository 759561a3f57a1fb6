// The presentation settings of a result table: its columns (name,
// visibility, alignment, decimals, which value) in display order and its
// report options, and their stored form in the application settings.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// The decimals a numeric column can show: the range of the Setup dialog's
// spin box. Stored settings and settings handed over are clamped into it
// where they are read and again where a cell is formatted: a damaged
// value of 2147483647 aborted Qt's number formatting, and 10,000,000 took
// half a minute and hundreds of megabytes for three rows.
constexpr int kMinTableDecimals = 0;
constexpr int kMaxTableDecimals = 8;
int clampTableDecimals(int decimals);

struct TTableColumn {
    bool hidden = false;
    int decimals = 0;
    QString name;
    int alignment = 1;  // Qt horizontal alignment: 1 left, 2 right, 4 centre
    bool numeric = false;
    int id = -1;  // which value of a result; meaning fixed by each table
};

struct TReportSettings {
    bool showTitle = false;
    bool numbering = true;
    bool borders = false;
    bool frame = true;
    bool boldHeaders = false;
    QFont font;
};

class TTableSettings {
public:
    TReportSettings report;
    QList<TTableColumn> columns;

    QStringList columnNames() const;
    int indexOfColumnId(int id) const;
    void clearColumns();
    void moveColumn(int from, int to) { columns.move(from, to); }
    // Default columns with these ids and names.
    void setColumns(const QList<int>& ids, const QStringList& names);
};

// The stored value: an empty block, then a block with the count of sets
// and the sets.
QByteArray writeTableSettings(const QVector<TTableSettings>& sets);
// Appends the stored sets to `sets`. False for an empty value. A damaged
// value (a count past the data, a length that does not fit, a cut value)
// ends at the end of the data: only the sets read whole are appended.
// Decimals are clamped (clampTableDecimals).
bool readTableSettings(const QByteArray& value, QVector<TTableSettings>& sets);
