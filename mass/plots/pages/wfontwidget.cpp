#include "wfontwidget.h"

#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

WFontWidget::WFontWidget(QWidget* parent) : QWidget(parent)
{
    m_button = new QPushButton(tr("Font..."));
    m_label = new QLabel(tr("Font:"));
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    layout->addWidget(m_button);
    setLayout(layout);
    connect(m_button, &QPushButton::pressed, this, &WFontWidget::showFontDialog);
}

float WFontWidget::scaleFor(int physicalDpiX)
{
    // A device without a resolution would divide by zero when scaling back.
    return physicalDpiX > 0 ? float(physicalDpiX / 300.0) : 1.0f;
}

void WFontWidget::setCurrentFont(const QFont& font)
{
    m_font = font;
    QFont shown(font);
    shown.setPointSize(qRound(font.pointSizeF() * scale()));
    m_label->setFont(shown);
    m_label->setText(font.family());
}

void WFontWidget::setColor(const QColor& color)
{
    QPalette palette = m_label->palette();
    palette.setBrush(QPalette::All, QPalette::WindowText, QBrush(color, Qt::SolidPattern));
    m_label->setPalette(palette);
}

void WFontWidget::showFontDialog()
{
    const float s = scale();
    QFont initial(m_font);
    initial.setPointSize(qRound(m_font.pointSize() * s));
    bool ok = false;
    QFont result = QFontDialog::getFont(&ok, initial);
    if (result != initial) {
        result.setPointSize(qRound(result.pointSize() / s));
        if (ok)
            setCurrentFont(result);
    }
}
