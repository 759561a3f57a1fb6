// The form of one tab of the mass properties page: edits the property set
// of one mass chromatogram or spectrum plot. On top of the 1-D form it
// brings the tabs "Title", "Peaks" and "Highlight" (between "Line" and
// "Axes") and hides what does not apply to the kind of plot it shows;
// hidden widgets stay hidden for the life of the form.
//
// plotKind is the kind of the source plot of the set last loaded (1
// chromatogram, 2 spectrum; 0 until a set with a mass plot is loaded); a
// store writes it into the set. The highlight box flag is loaded only for
// a known spectrum plot and is written back only when it was loaded.
#pragma once

#include "wbaseplotpropertieswidget.h"

class QFrame;
class QLabel;
class QRadioButton;
class QToolButton;

class WMassPlotPropertiesWidget : public W1DPlotPropertiesWidget {
    Q_OBJECT
public:
    explicit WMassPlotPropertiesWidget(QWidget* parent = nullptr);

    // The set is a TMassPlotPropertiesBag.
    void loadProperties(const TBasePlotPropertiesBag& set) override;
    void storeProperties(TBasePlotPropertiesBag& set) const override;

    int plotKind() const { return m_plotKind; }

private slots:
    void on_fPeakShow2ndLine_toggled(bool on);
    void on_fTitleFormatButton_clicked();

private:
    int m_plotKind = 0;
    bool m_boxLoaded = false;

    QWidget* fHldTab;
    QWidget* fPeaksTab;
    QWidget* fTitleTab;
    QGroupBox* fHldGroupBox;
    WColorPicker* fHldColorButton;
    QSpinBox* fHldAlphaSpinBox;
    QCheckBox* fHldBoxCheckBox;
    QGroupBox* fPeaksGroupBox;
    WColorPicker* fPeakColorButton;
    WFontWidget* fPeakFontWidget;
    QSpinBox* fPeakDecimalsSpinBox;
    QCheckBox* fPeakShowWedges;
    QCheckBox* fPeakShowBaseline;
    QLabel* fPeakThresholdLabel;
    QDoubleSpinBox* fPeakThresholdSpinBox;
    QGroupBox* fPeakShow2ndLine;
    QFrame* frame;
    QRadioButton* fPeakShowIntensity;
    QRadioButton* fPeakShowHeight;
    QRadioButton* fPeakShowArea;
    QRadioButton* fPeakShowAbundance;
    QSpinBox* fPeakDecimalsSpinBox2;
    QGroupBox* fTitleGroupBox;
    WColorPicker* fTitleColorButton;
    WFontWidget* fTitleFontWidget;
    QSpinBox* fTitleDecimalsSpinBox;
    QLineEdit* fTitleFormat;
    QToolButton* fTitleFormatButton;
};
