// The font chooser of the property forms: a label showing the family of
// the kept font, written in that font and in the colour of the text it
// stands for, and a "Font..." button opening the standard font dialog.
//
// Plot fonts are sized for 300 dots per inch; the label and the dialog
// show them at the device's horizontal physical resolution (scale
// physicalDpiX / 300) and the dialog's choice is scaled back. A device
// reporting no resolution (0 or less) uses the scale 1. Nothing is
// emitted when the font changes: the forms read currentFont().
#pragma once

#include <QFont>
#include <QWidget>

class QLabel;
class QPushButton;

class WFontWidget : public QWidget {
    Q_OBJECT
public:
    explicit WFontWidget(QWidget* parent = nullptr);

    void setCurrentFont(const QFont& font);
    QFont currentFont() const { return m_font; }
    QLabel* label() const { return m_label; }
    QPushButton* button() const { return m_button; }
    // The scale from 300 dpi to a device of the given resolution.
    static float scaleFor(int physicalDpiX);

public slots:
    void setColor(const QColor& color);
    void showFontDialog();

private:
    float scale() const { return scaleFor(physicalDpiX()); }

    QPushButton* m_button;
    QLabel* m_label;
    QFont m_font;
};
