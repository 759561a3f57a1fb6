#include "qtcolorpicker.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopWidget>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace {

QPen thinPen(const QColor& color)
{
    return QPen(color, 0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

bool isArrowKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
}

bool isPressKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

}  // namespace

// ---------------------------------------------------------------- picker

QtColorPicker::QtColorPicker(QWidget* parent, int columns, bool enableColorDialog)
    : QPushButton(parent), colorDialog(enableColorDialog)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    setAutoDefault(false);
    setAutoFillBackground(true);
    setCheckable(true);
    setText(tr("Black"));
    lastSelected = Qt::black;
    popup = new ColorPickerPopup(columns, enableColorDialog, this);
    connect(popup, &ColorPickerPopup::selected, this, &QtColorPicker::setCurrentColor);
    connect(popup, &ColorPickerPopup::hid, this, &QtColorPicker::popupClosed);
    connect(this, &QPushButton::toggled, this, &QtColorPicker::buttonPressed);
}

QtColorPicker::~QtColorPicker() = default;

void QtColorPicker::insertColor(const QColor& color, const QString& text, int index)
{
    popup->insertColor(color, text, index);
    if (!firstInserted) {
        lastSelected = color;
        setText(text);
        firstInserted = true;
    }
}

void QtColorPicker::setCurrentColor(const QColor& color)
{
    if (color == lastSelected || !color.isValid())
        return;
    ColorPickerItem* item = popup->findItem(color);
    if (!item) {
        insertColor(color, tr("Custom"), -1);
        item = popup->findItem(color);
    }
    lastSelected = color;
    setText(item->text());
    popup->hide();
    repaint();
    item->setSelected(true);
    item->update();
    emit colorChanged(color);
}

void QtColorPicker::buttonPressed(bool toggled)
{
    if (toggled)
        showPopup();
}

void QtColorPicker::popupClosed()
{
    setChecked(false);
    setFocus(Qt::OtherFocusReason);
}

void QtColorPicker::showPopup()
{
    const QRect desktop = QApplication::desktop()->geometry();
    QPoint pos = mapToGlobal(rect().bottomLeft());
    const QSize size = popup->sizeHint();
    if (pos.x() < desktop.left())
        pos.setX(desktop.left());
    if (pos.y() < desktop.top())
        pos.setY(desktop.top());
    if (desktop.width() < pos.x() + size.width())
        pos.setX(desktop.width() - size.width());
    if (pos.y() + size.height() > desktop.bottom())
        pos.setY(desktop.bottom() - size.height());
    popup->move(pos);
    if (ColorPickerItem* item = popup->findItem(lastSelected)) {
        item->setSelected(true);
        item->update();
    }
    clearFocus();
    update();
    popup->setFocus(Qt::OtherFocusReason);
    popup->show();
}

// ---------------------------------------------------------------- popup

ColorPickerPopup::ColorPickerPopup(int width, bool withColorDialog, QWidget* parent)
    : QFrame(parent, Qt::Popup), columns(width)
{
    setFrameStyle(QFrame::StyledPanel);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    if (withColorDialog) {
        moreButton = new ColorPickerButton(this);
        moreButton->setFixedSize(24, 21);
        moreButton->setFrameRect(QRect(2, 2, 20, 17));
        connect(moreButton, &ColorPickerButton::clicked, this, &ColorPickerPopup::getColorFromDialog);
    }
    rebuildGrid();
}

QWidget* ColorPickerPopup::cellWidget(int row, int column) const
{
    return widgetAt.value(row).value(column, nullptr);
}

ColorPickerItem* ColorPickerPopup::findItem(const QColor& color) const
{
    for (ColorPickerItem* item : items)
        if (item->color() == color)
            return item;
    return nullptr;
}

void ColorPickerPopup::rebuildGrid()
{
    widgetAt.clear();
    int c = columns;
    if (c == -1)
        c = int(std::ceil(std::sqrt(float(items.size()))));
    if (c < 1)
        c = 1;  // no items yet: the three-dot cell alone
    delete grid;
    grid = new QGridLayout(this);
    grid->setContentsMargins(1, 1, 1, 1);
    grid->setSpacing(0);
    int row = 0;
    int col = 0;
    for (ColorPickerItem* item : items) {
        grid->addWidget(item, row, col);
        widgetAt[row][col] = item;
        if (++col == c) {
            ++row;
            col = 0;
        }
    }
    if (moreButton) {
        grid->addWidget(moreButton, row, col);
        widgetAt[row][col] = moreButton;
    }
    updateGeometry();
}

void ColorPickerPopup::insertColor(const QColor& color, const QString& text, int index)
{
    ColorPickerItem* existing = findItem(color);
    ColorPickerItem* previous = findItem(lastSelected);
    if (existing) {
        if (previous && previous != existing) {
            previous->setSelected(false);
            previous->update();
        }
        existing->setFocus();
        existing->setSelected(true);
        existing->update();
        return;
    }
    auto* item = new ColorPickerItem(color, text, this);
    if (previous) {
        previous->setSelected(false);
        previous->update();
    } else {
        item->setSelected(true);
        item->update();
        lastSelected = color;
    }
    item->setFocus();
    connect(item, &ColorPickerItem::selected, this, &ColorPickerPopup::updateSelected);
    if (index < 0 || index > items.size())
        index = items.size();
    items.insert(index, item);
    rebuildGrid();
    update();
}

void ColorPickerPopup::unselectAllBut(QWidget* keep)
{
    for (const auto& row : widgetAt)
        for (QWidget* w : row)
            if (auto* item = qobject_cast<ColorPickerItem*>(w); item && item != keep) {
                item->setSelected(false);
                item->update();
            }
}

void ColorPickerPopup::updateSelected()
{
    unselectAllBut(qobject_cast<QWidget*>(sender()));
    if (auto* item = qobject_cast<ColorPickerItem*>(sender())) {
        lastSelected = item->color();
        emit selected(item->color());
    }
    hide();
}

void ColorPickerPopup::getColorFromDialog()
{
    const QColor c = QColorDialog::getColor(QColor::fromRgba(lastSelected.rgba()), this, QString(),
                                            QColorDialog::ShowAlphaChannel);
    if (!c.isValid())
        return;  // cancelled
    insertColor(c, tr("Custom"), -1);
    lastSelected = c;
    emit selected(c);
}

void ColorPickerPopup::keyPressEvent(QKeyEvent* e)
{
    int row = 0;
    int col = 0;
    bool found = false;
    for (int r = 0; r < grid->rowCount() && !found; ++r)
        for (int k = 0; k < grid->columnCount() && !found; ++k)
            if (QWidget* w = cellWidget(r, k); w && w->hasFocus()) {
                row = r;
                col = k;
                found = true;
            }
    const int rows = grid->rowCount();
    const int cols = grid->columnCount();
    switch (e->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* item = qobject_cast<ColorPickerItem*>(cellWidget(row, col))) {
            item->setSelected(true);
            item->update();
            unselectAllBut(item);
            lastSelected = item->color();
            emit selected(item->color());
            hide();
        }
        break;
    case Qt::Key_Escape:
        hide();
        break;
    case Qt::Key_Left:
        if (col > 0) {
            --col;
        } else if (row > 0) {
            --row;
            col = cols - 1;
        }
        break;
    case Qt::Key_Right:
        if (col < cols - 1 && cellWidget(row, col + 1)) {
            ++col;
        } else if (row < rows - 1) {
            ++row;
            col = 0;
        }
        break;
    case Qt::Key_Up:
        if (row > 0)
            --row;
        else
            col = 0;
        break;
    case Qt::Key_Down:
        if (row < rows - 1) {
            if (cellWidget(row + 1, col)) {
                ++row;
            } else {
                for (int i = 1; i < cols; ++i)
                    if (!cellWidget(row + 1, i)) {
                        ++row;
                        col = i - 1;
                        break;
                    }
            }
        }
        break;
    default:
        QFrame::keyPressEvent(e);
        break;
    }
    if (QWidget* w = cellWidget(row, col))
        w->setFocus(Qt::OtherFocusReason);
}

void ColorPickerPopup::showEvent(QShowEvent* e)
{
    bool found = false;
    for (int k = 0; k < grid->columnCount() && !found; ++k)
        for (int r = 0; r < grid->rowCount() && !found; ++r)
            if (auto* item = qobject_cast<ColorPickerItem*>(cellWidget(r, k)); item && item->isSelected()) {
                item->setFocus(Qt::OtherFocusReason);
                found = true;
            }
    if (!found) {
        if (!items.isEmpty() && cellWidget(0, 0))
            cellWidget(0, 0)->setFocus(Qt::OtherFocusReason);
        else
            setFocus(Qt::OtherFocusReason);
    }
    QFrame::showEvent(e);
}

void ColorPickerPopup::hideEvent(QHideEvent* e)
{
    setFocus(Qt::OtherFocusReason);
    emit hid();
    QFrame::hideEvent(e);
}

void ColorPickerPopup::mouseReleaseEvent(QMouseEvent* e)
{
    if (!rect().contains(e->pos()))
        hide();
}

// ---------------------------------------------------------------- cells

ColorPickerItem::ColorPickerItem(const QColor& color, const QString& text, QWidget* parent)
    : QFrame(parent), c(color), t(text)
{
    setToolTip(t);
    setFixedWidth(24);
    setFixedHeight(21);
}

void ColorPickerItem::setColor(const QColor& color, const QString& text)
{
    c = color;
    t = text;
    setToolTip(t);
    update();
}

void ColorPickerItem::mousePressEvent(QMouseEvent*)
{
    setFocus(Qt::OtherFocusReason);
    update();
}

void ColorPickerItem::mouseMoveEvent(QMouseEvent*)
{
    setFocus(Qt::OtherFocusReason);
    update();
}

void ColorPickerItem::mouseReleaseEvent(QMouseEvent*)
{
    sel = true;
    emit selected();
}

void ColorPickerItem::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = width();
    const int h = height();
    if (sel) {
        p.setPen(thinPen(Qt::gray));
        p.drawRect(1, 1, w - 3, h - 3);
    }
    p.setPen(thinPen(Qt::black));
    p.drawRect(3, 3, w - 7, h - 7);
    p.fillRect(QRect(4, 4, w - 8, h - 8), QBrush(c));
    if (hasFocus()) {
        p.setPen(thinPen(Qt::black));
        p.drawRect(0, 0, w - 1, h - 1);
    }
}

ColorPickerButton::ColorPickerButton(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel);
}

void ColorPickerButton::mousePressEvent(QMouseEvent*)
{
    setFrameShadow(QFrame::Sunken);
    update();
}

void ColorPickerButton::mouseMoveEvent(QMouseEvent*)
{
    setFocus();
    update();
}

void ColorPickerButton::mouseReleaseEvent(QMouseEvent*)
{
    setFrameShadow(QFrame::Raised);
    repaint();
    emit clicked();
}

void ColorPickerButton::keyPressEvent(QKeyEvent* e)
{
    if (isArrowKey(e->key())) {
        QApplication::sendEvent(parentWidget(), e);
    } else if (isPressKey(e->key())) {
        setFrameShadow(QFrame::Sunken);
        update();
    } else {
        QFrame::keyPressEvent(e);
    }
}

void ColorPickerButton::keyReleaseEvent(QKeyEvent* e)
{
    if (isArrowKey(e->key())) {
        QApplication::sendEvent(parentWidget(), e);
    } else if (isPressKey(e->key())) {
        setFrameShadow(QFrame::Raised);
        repaint();
        emit clicked();
    } else {
        QFrame::keyReleaseEvent(e);
    }
}

void ColorPickerButton::focusInEvent(QFocusEvent* e)
{
    setFrameShadow(QFrame::Raised);
    update();
    QFrame::focusInEvent(e);
}

void ColorPickerButton::focusOutEvent(QFocusEvent* e)
{
    setFrameShadow(QFrame::Raised);
    update();
    QFrame::focusOutEvent(e);
}

void ColorPickerButton::paintEvent(QPaintEvent* e)
{
    QFrame::paintEvent(e);
    QPainter p(this);
    const QRect r = contentsRect();
    p.fillRect(r, palette().button());
    const int o = frameShadow() == QFrame::Sunken ? 1 : 0;
    const int cx = (r.left() + r.right()) / 2;
    const int cy = (r.top() + r.bottom()) / 2;
    p.setPen(QPen(palette().buttonText(), 1.0));
    p.drawPoint(cx - 4 + o, cy + o);
    p.drawPoint(cx + o, cy + o);
    p.drawPoint(cx + 4 + o, cy + o);
    if (hasFocus()) {
        p.setPen(thinPen(Qt::black));
        p.drawRect(0, 0, width() - 1, height() - 1);
    }
}
