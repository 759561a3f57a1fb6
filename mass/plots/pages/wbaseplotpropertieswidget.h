// The lower layers of the form that edits one plot property set on a tab
// of the mass properties page: WBasePlotPropertiesWidget edits what every
// plot has (axes colour, font and margin, both axis records, background
// and grid: tabs "Axes" and "Basic"), W1DPlotPropertiesWidget adds the
// trace line of a one-dimensional plot (tab "Line" in front).
//
// loadProperties fills the widgets from a set, storeProperties writes
// them into one; a derived layer calls the layer below first. The group's
// inset, break gap, tick parameter and text orientation and the pen
// attributes other than the colours (and the trace width) are neither
// shown nor changed. The margin is kept in pixels at 300 dpi and shown in
// millimetres; it and the trace width are written back only when the
// shown value was changed by more than its last decimal, so a load and a
// store without editing keep the stored values exactly.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class TBasePlotPropertiesBag;
class WColorPicker;
class WFontWidget;

class WBasePlotPropertiesWidget : public QWidget {
    Q_OBJECT
public:
    explicit WBasePlotPropertiesWidget(QWidget* parent = nullptr);

    virtual void loadProperties(const TBasePlotPropertiesBag& set);
    virtual void storeProperties(TBasePlotPropertiesBag& set) const;

protected:
    QTabWidget* fTabWidget;
    QWidget* fAxesTab;
    QWidget* fLookTab;
    WColorPicker* fAxesColorButton;
    WFontWidget* fAxesFontWidget;
    QDoubleSpinBox* fPlotAreaMarginSpinBox;
    QGroupBox* fHorizontalAxisGroupBox;
    QCheckBox* fHorizontalLabelCheckBox;
    QLineEdit* fHorizontalLabelLineEdit;
    QCheckBox* fHorzScaleLogCheckBox;
    QSpinBox* fHorzDigitsSpinBox;
    QGroupBox* fVerticalAxisGroupBox;
    QCheckBox* fVerticalLabelCheckBox;
    QLineEdit* fVerticalLabelLineEdit;
    QCheckBox* fVertScaleLogCheckBox;
    QSpinBox* fVertDigitsSpinBox;
    QGroupBox* fBackgroundBox;
    WColorPicker* fBackgroundColorButton;
    QSpinBox* fOpacitySpinBox;
    QGroupBox* fGridBox;
    QCheckBox* fHGridShowCheckBox;
    QCheckBox* fGridShowOverCheckBox;
    QCheckBox* fVGridShowCheckBox;
    QCheckBox* fFrameShowCheckBox;
    WColorPicker* fGridColorButton;
    QCheckBox* fBaselineShowCheckBox;
};

class W1DPlotPropertiesWidget : public WBasePlotPropertiesWidget {
    Q_OBJECT
public:
    explicit W1DPlotPropertiesWidget(QWidget* parent = nullptr);

    // The set's group is a 1-D group.
    void loadProperties(const TBasePlotPropertiesBag& set) override;
    void storeProperties(TBasePlotPropertiesBag& set) const override;

protected:
    QWidget* fLinePage;
    QGroupBox* fLineBox;
    QComboBox* fLineStyleComboBox;
    WColorPicker* fLineColor;
    QDoubleSpinBox* fLineWidthSpinBox;
};

// A shown value is taken back only when it differs from the stored one (as
// the box shows it, clamped to its range) by at least its last decimal.
bool shownValueChanged(double stored, const QDoubleSpinBox* box);
