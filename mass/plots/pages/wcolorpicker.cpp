#include "wcolorpicker.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

WColorPicker::WColorPicker(QWidget* parent, int style, bool split)
    : QtColorPicker(parent, 8, true), iconStyle(style), splitButton(split)
{
    buildStandardColors();
}

void WColorPicker::buildStandardColors()
{
    const auto add = [this](int hue, int saturation, int value, const QString& name) {
        insertColor(QColor::fromHsv(hue, saturation, value, 255).toRgb(), name, -1);
    };
    const auto numbered = [](const QString& base, int n) { return tr("%1 %2").arg(base).arg(n); };

    const char* const greys[] = {
        QT_TR_NOOP("black"),      QT_TR_NOOP("very dark gray"),  QT_TR_NOOP("dark gray"),
        QT_TR_NOOP("gray"),       QT_TR_NOOP("gray 1"),          QT_TR_NOOP("light gray"),
        QT_TR_NOOP("very light gray"), QT_TR_NOOP("white")};
    // Values 0, then 64 (not 32), then steps of 32, the last capped at 255.
    int value = 0;
    for (const char* name : greys) {
        add(0, 0, value, tr(name));
        value = std::min(255, value == 0 ? 64 : value + 32);
    }

    struct HueRow {
        int hue;
        const char* dark;
        const char* full;
    };
    const HueRow rows[] = {
        {0, QT_TR_NOOP("dark red"), QT_TR_NOOP("red")},
        {60, QT_TR_NOOP("dark yellow"), QT_TR_NOOP("yellow")},
        {120, QT_TR_NOOP("dark green"), QT_TR_NOOP("green")},
        {180, QT_TR_NOOP("dark cyan"), QT_TR_NOOP("cyan")},
        {240, QT_TR_NOOP("dark blue"), QT_TR_NOOP("blue")},
        {300, QT_TR_NOOP("dark magenta"), QT_TR_NOOP("magenta")},
    };
    for (const HueRow& row : rows) {
        for (int saturation : {128, 255}) {
            const QString base = tr(saturation == 128 ? row.dark : row.full);
            for (int step = 1; step <= 4; ++step) {
                const int v = std::min(255, 64 * step);
                add(row.hue, saturation, v, step < 4 ? numbered(base, step) : base);
            }
        }
    }
}

void WColorPicker::setCurrentColor(const QColor& color)
{
    updateIcon(color);
    QtColorPicker::setCurrentColor(color);
}

void WColorPicker::updateIcon(const QColor& color)
{
    const int s = style()->pixelMetric(QStyle::PM_SmallIconSize);
    QPixmap pixmap(s, s);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRect r(2, 2, s - 5, s - 5);
    switch (iconStyle) {
    case 0:
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(color, Qt::SolidPattern));
        p.drawRect(r);
        break;
    case 1:
        p.setPen(QPen(color, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        break;
    case 2: {
        p.setPen(QPen(QBrush(color, Qt::SolidPattern), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        QFont font = p.font();
        font.setWeight(QFont::Bold);
        p.setFont(font);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    default:
        break;
    }
    p.end();
    setIcon(QIcon(pixmap));
}

QSize WColorPicker::sizeHint() const
{
    QSize size = QPushButton::sizeHint();
    size.rwidth() += 2 * style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, this);
    return size;
}

void WColorPicker::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.features |= QStyleOptionButton::HasMenu;
    p.drawControl(QStyle::CE_PushButton, option);
}

bool WColorPicker::isInArrowArea(const QPoint& point) const
{
    QRect r = rect();
    r.setLeft(r.right() - style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, this) - 2);
    return r.contains(point);
}

void WColorPicker::mouseReleaseEvent(QMouseEvent* e)
{
    if (splitButton && rect().contains(e->pos()))
        arrowClicked = isInArrowArea(e->pos());
    QtColorPicker::mouseReleaseEvent(e);
}

void WColorPicker::buttonPressed(bool toggled)
{
    if (!splitButton) {
        QtColorPicker::buttonPressed(toggled);
        return;
    }
    if (!toggled)
        return;
    if (!arrowClicked) {
        setChecked(false);
        emit colorApplied(currentColor());
    } else {
        showPopup();
        arrowClicked = false;
    }
}
