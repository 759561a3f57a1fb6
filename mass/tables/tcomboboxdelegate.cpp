#include "tcomboboxdelegate.h"

#include <QComboBox>
#include <QSpinBox>

TComboBoxDelegate::TComboBoxDelegate(const QStringList& items, int mode, int index, const TValueRange& range,
                                     QObject* parent)
    : QItemDelegate(parent)
    , m_items(items)
    , m_index(index)
    , m_range(range)
    , m_mode(mode)
{
}

bool TComboBoxDelegate::isComboCell(const QModelIndex& index) const
{
    if (m_mode == 0)
        return index.row() == m_index;
    if (m_mode == 1)
        return index.column() == m_index;
    return true;
}

namespace {
// Truncates toward zero like a cast, but keeps the open default range
// (+-DBL_MAX) inside int instead of overflowing.
int toInt(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(v);
}
}  // namespace

QWidget* TComboBoxDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    if (isComboCell(index)) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        combo->addItems(m_items);
        combo->installEventFilter(const_cast<TComboBoxDelegate*>(this));
        return combo;
    }
    QWidget* editor = QItemDelegate::createEditor(parent, option, index);
    if (auto* spin = qobject_cast<QSpinBox*>(editor))
        spin->setRange(toInt(m_range.from()), toInt(m_range.to()));
    return editor;
}

void TComboBoxDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (combo && isComboCell(index)) {
        const QString text = index.model()->data(index, Qt::DisplayRole).toString();
        combo->setCurrentIndex(combo->findText(text, Qt::MatchCaseSensitive));
        return;
    }
    QItemDelegate::setEditorData(editor, index);
}

void TComboBoxDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (combo && isComboCell(index)) {
        model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    QItemDelegate::setModelData(editor, model, index);
}

void TComboBoxDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}
