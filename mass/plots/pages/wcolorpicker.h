// The colour picker of the property forms: a QtColorPicker with 8 columns
// and the colour dialog, filled with a standard palette of 56 named
// colours (a grey row and six hue rows), a swatch icon of its own and a
// drop-down arrow. The forms use icon style 0 without split mode.
#pragma once

#include "qtcolorpicker.h"

class WColorPicker : public QtColorPicker {
    Q_OBJECT
public:
    // iconStyle: 0 filled swatch, 1 outlined frame, 2 bold "A". In split
    // mode a click beside the arrow applies the current colour instead of
    // opening the popup.
    explicit WColorPicker(QWidget* parent = nullptr, int iconStyle = 0, bool splitButton = false);

    QSize sizeHint() const override;

signals:
    void colorApplied(const QColor& color);

public slots:
    // Repaints the icon even for the current colour.
    void setCurrentColor(const QColor& color) override;
    void buttonPressed(bool toggled) override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void buildStandardColors();
    void updateIcon(const QColor& color);
    bool isInArrowArea(const QPoint& point) const;

    int iconStyle;
    bool splitButton;
    bool arrowClicked = false;
};
