#include "ttablewidget.h"

#include "ttablesettings.h"

bool TTableWidgetItem::operator<(const QTableWidgetItem& other) const
{
    const QVariant mine = data(SortKeyRole);
    const QVariant theirs = other.data(SortKeyRole);
    if (mine.isNull() || theirs.isNull())
        return QTableWidgetItem::operator<(other);
    return mine.toDouble() < theirs.toDouble();
}

void TTableWidgetItem::setNumber(QTableWidgetItem* item, int value)
{
    item->setText(QString::number(value));
    item->setData(SortKeyRole, static_cast<double>(value));
}

void TTableWidgetItem::setNumber(QTableWidgetItem* item, double value, int decimals)
{
    item->setText(QString::number(value, 'f', clampTableDecimals(decimals)));
    item->setData(SortKeyRole, value);
}
