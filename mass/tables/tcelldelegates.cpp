#include "tcelldelegates.h"

#include "massutils.h"
#include "qtcanvasitem.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QPainter>
#include <QTextDocument>

TMoleculeItemDelegate::TMoleculeItemDelegate(QObject* parent, IGetMoleculeItem* moleculeSource)
    : QItemDelegate(parent)
    , m_moleculeSource(moleculeSource)
{
}

void TMoleculeItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    painter->save();
    QtCanvasItem* item =
        m_moleculeSource ? m_moleculeSource->getMoleculeItem(QUuid(index.data(MoleculeIdRole).toString())) : nullptr;
    if (item) {
        const QRect r = option.rect;
        const QRectF target(r.left(), r.top(), r.right() - r.left() + 1, r.bottom() - r.top() + 1);
        const QRect b = item->boundingRect();
        const QRectF source(b.left(), b.top(), b.right() - b.left() + 1, b.bottom() - b.top() + 1);
        const QTransform m = rectMappingMatrix(source, fitAspectRect(source, target));
        painter->setTransform(m, true);
        painter->setRenderHint(QPainter::Antialiasing, true);
        item->draw(*painter);
    }
    painter->restore();
}

QSize TMoleculeItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return QSize(125, 125);
}

TRichTextDelegate::TRichTextDelegate(QObject* parent) : QItemDelegate(parent) {}

void TRichTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
    const QString html = index.data(Qt::UserRole).toString();
    QTextDocument document;
    document.setDefaultFont(option.font);
    document.setPageSize(QSizeF(option.rect.width(), option.rect.height()));
    QTextOption textOption = document.defaultTextOption();
    textOption.setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()));
    document.setDefaultTextOption(textOption);
    document.setHtml(html);
    const int h = QFontMetrics(option.font).boundingRect(html).height();
    const QPoint at(option.rect.left(), option.rect.top() + option.rect.height() / 2 - h / 2);
    painter->setClipRect(option.rect, Qt::ReplaceClip);
    painter->translate(at);
    QAbstractTextDocumentLayout::PaintContext context;
    if (selected)
        context.palette.setBrush(QPalette::Text, QBrush(option.palette.color(QPalette::HighlightedText)));
    document.documentLayout()->draw(painter, context);
    painter->restore();
}
