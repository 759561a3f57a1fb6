#include "wmassplotpropertieswidget.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

#include "pageform.h"
#include "t1dmassplot.h"
#include "tmassplottitleparser.h"
#include "tplotpropertiesbag.h"
#include "wcolorpicker.h"
#include "wfontwidget.h"
#include "wmacroeditordialog.h"

namespace {

QString formText(const char* text)
{
    return QCoreApplication::translate("WMassPlotPropertiesWidgetClass", text);
}

constexpr int kChromatogram = 1;
constexpr int kCentroid = 2;

void setBit(int32_t& flags, int32_t bit, bool on)
{
    flags = on ? (flags | bit) : (flags & ~bit);
}

QLabel* buddyLabel(QWidget* parent, const char* name, QWidget* buddy)
{
    QLabel* l = pageform::label(parent, name, formText("&Color:"));
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    l->setBuddy(buddy);
    return l;
}

}  // namespace

WMassPlotPropertiesWidget::WMassPlotPropertiesWidget(QWidget* parent) : W1DPlotPropertiesWidget(parent)
{
    using namespace pageform;
    // The three pages are made on a container of their own and then moved
    // into the inherited tab widget.
    auto container = std::make_unique<QWidget>();
    container->setObjectName(QStringLiteral("WMassPlotPropertiesWidgetClass"));
    container->resize(349, 369);
    container->setWindowTitle(formText("Mass Properties"));
    auto* vboxLayout = named(new QVBoxLayout(container.get()), "vboxLayout");
    auto* tabs = named(new QTabWidget(container.get()), "fTabWidget");
    vboxLayout->addWidget(tabs);

    // Highlight
    fHldTab = named(new QWidget, "fHldTab");
    auto* vboxLayout1 = named(new QVBoxLayout(fHldTab), "vboxLayout1");
    fHldGroupBox = named(new QGroupBox(formText("Highlight"), fHldTab), "fHldGroupBox");
    auto* gridLayout = named(new QGridLayout(fHldGroupBox), "gridLayout");
    fHldColorButton = picker(fHldGroupBox, "fHldColorButton");
    gridLayout->addWidget(buddyLabel(fHldGroupBox, "label_13", fHldColorButton), 0, 0);
    gridLayout->addWidget(fHldColorButton, 0, 1);
    gridLayout->addWidget(label(fHldGroupBox, "label_4", formText("Opacity:")), 1, 0);
    fHldAlphaSpinBox = named(new QSpinBox(fHldGroupBox), "fHldAlphaSpinBox");
    fHldAlphaSpinBox->setMaximum(100);
    gridLayout->addWidget(fHldAlphaSpinBox, 1, 1);
    fHldBoxCheckBox = check(fHldGroupBox, "fHldBoxCheckBox", formText("Show higlighted area"));
    gridLayout->addWidget(fHldBoxCheckBox, 2, 1);
    vboxLayout1->addWidget(fHldGroupBox);
    vboxLayout1->addItem(new QSpacerItem(20, 51, QSizePolicy::Minimum, QSizePolicy::Expanding));
    tabs->addTab(fHldTab, formText("Highlight"));

    // Peaks
    fPeaksTab = named(new QWidget, "fPeaksTab");
    auto* vboxLayout2 = named(new QVBoxLayout(fPeaksTab), "vboxLayout2");
    fPeaksGroupBox = named(new QGroupBox(formText("Peaks"), fPeaksTab), "fPeaksGroupBox");
    fPeaksGroupBox->setCheckable(true);
    fPeaksGroupBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* gridLayout1 = named(new QGridLayout(fPeaksGroupBox), "gridLayout1");
    fPeakColorButton = picker(fPeaksGroupBox, "fPeakColorButton");
    gridLayout1->addWidget(buddyLabel(fPeaksGroupBox, "label_11", fPeakColorButton), 0, 0);
    gridLayout1->addWidget(fPeakColorButton, 0, 1);
    fPeakFontWidget = named(new WFontWidget(fPeaksGroupBox), "fPeakFontWidget");
    gridLayout1->addWidget(fPeakFontWidget, 1, 0, 1, 2);
    gridLayout1->addWidget(label(fPeaksGroupBox, "label_24", formText("Decimals:")), 2, 0);
    fPeakDecimalsSpinBox = named(new QSpinBox(fPeaksGroupBox), "fPeakDecimalsSpinBox");
    fPeakDecimalsSpinBox->setMaximum(10);
    gridLayout1->addWidget(fPeakDecimalsSpinBox, 2, 1);
    fPeakShowWedges = check(fPeaksGroupBox, "fPeakShowWedges", formText("Show Wedges"));
    gridLayout1->addWidget(fPeakShowWedges, 3, 0);
    fPeakShowBaseline = check(fPeaksGroupBox, "fPeakShowBaseline", formText("Show Baseline"));
    gridLayout1->addWidget(fPeakShowBaseline, 3, 1);
    fPeakThresholdLabel = label(fPeaksGroupBox, "fPeakThresholdLabel", formText("Threshold:"));
    gridLayout1->addWidget(fPeakThresholdLabel, 4, 0);
    fPeakThresholdSpinBox = named(new QDoubleSpinBox(fPeaksGroupBox), "fPeakThresholdSpinBox");
    fPeakThresholdSpinBox->setMaximum(100.0);
    fPeakThresholdSpinBox->setSuffix(formText("% of Max"));
    gridLayout1->addWidget(fPeakThresholdSpinBox, 4, 1);
    fPeakShow2ndLine = named(new QGroupBox(formText("Show Second Line Label"), fPeaksGroupBox), "fPeakShow2ndLine");
    fPeakShow2ndLine->setCheckable(true);
    fPeakShow2ndLine->setChecked(true);
    auto* gridLayout2 = named(new QGridLayout(fPeakShow2ndLine), "gridLayout2");
    frame = named(new QFrame(fPeakShow2ndLine), "frame");
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    auto* vboxLayout3 = named(new QVBoxLayout(frame), "vboxLayout3");
    vboxLayout3->setContentsMargins(0, 0, 0, 0);
    fPeakShowIntensity = named(new QRadioButton(formText("Intensity"), frame), "fPeakShowIntensity");
    fPeakShowHeight = named(new QRadioButton(formText("Height"), frame), "fPeakShowHeight");
    fPeakShowArea = named(new QRadioButton(formText("Area"), frame), "fPeakShowArea");
    fPeakShowAbundance = named(new QRadioButton(formText("Relative Abundance"), frame), "fPeakShowAbundance");
    for (QRadioButton* b : {fPeakShowIntensity, fPeakShowHeight, fPeakShowArea, fPeakShowAbundance})
        vboxLayout3->addWidget(b);
    auto* hboxLayout = named(new QHBoxLayout, "hboxLayout");
    hboxLayout->addWidget(label(frame, "label_3", formText("Decimals:")));
    fPeakDecimalsSpinBox2 = named(new QSpinBox(frame), "fPeakDecimalsSpinBox2");
    fPeakDecimalsSpinBox2->setMaximum(10);
    hboxLayout->addWidget(fPeakDecimalsSpinBox2);
    vboxLayout3->addLayout(hboxLayout);
    gridLayout2->addWidget(frame, 0, 0);
    connect(fPeakShow2ndLine, &QGroupBox::toggled, frame, &QWidget::setEnabled);
    gridLayout1->addWidget(fPeakShow2ndLine, 5, 0, 1, 2);
    vboxLayout2->addWidget(fPeaksGroupBox);
    vboxLayout2->addItem(new QSpacerItem(307, 21, QSizePolicy::Minimum, QSizePolicy::Expanding));
    tabs->addTab(fPeaksTab, formText("Peaks"));

    // Title
    fTitleTab = named(new QWidget, "fTitleTab");
    auto* vboxLayout4 = named(new QVBoxLayout(fTitleTab), "vboxLayout4");
    fTitleGroupBox = named(new QGroupBox(formText("Title"), fTitleTab), "fTitleGroupBox");
    fTitleGroupBox->setCheckable(true);
    fTitleGroupBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* gridLayout3 = named(new QGridLayout(fTitleGroupBox), "gridLayout3");
    fTitleColorButton = picker(fTitleGroupBox, "fTitleColorButton");
    gridLayout3->addWidget(buddyLabel(fTitleGroupBox, "label_12", fTitleColorButton), 0, 0);
    gridLayout3->addWidget(fTitleColorButton, 0, 1, 1, 2);
    fTitleFontWidget = named(new WFontWidget(fTitleGroupBox), "fTitleFontWidget");
    gridLayout3->addWidget(fTitleFontWidget, 1, 0, 1, 3);
    gridLayout3->addWidget(label(fTitleGroupBox, "label_2", formText("Decimals:")), 2, 0);
    fTitleDecimalsSpinBox = named(new QSpinBox(fTitleGroupBox), "fTitleDecimalsSpinBox");
    gridLayout3->addWidget(fTitleDecimalsSpinBox, 2, 1, 1, 2);
    gridLayout3->addWidget(label(fTitleGroupBox, "label", formText("Format:")), 3, 0);
    fTitleFormat = named(new QLineEdit(fTitleGroupBox), "fTitleFormat");
    gridLayout3->addWidget(fTitleFormat, 3, 1);
    fTitleFormatButton = named(new QToolButton(fTitleGroupBox), "fTitleFormatButton");
    fTitleFormatButton->setText(formText("..."));
    gridLayout3->addWidget(fTitleFormatButton, 3, 2);
    vboxLayout4->addWidget(fTitleGroupBox);
    vboxLayout4->addItem(new QSpacerItem(20, 94, QSizePolicy::Minimum, QSizePolicy::Expanding));
    tabs->addTab(fTitleTab, formText("Title"));

    // Each page goes in at index 1: "Line", "Title", "Peaks", "Highlight",
    // "Axes", "Basic".
    while (tabs->count() > 0) {
        QWidget* page = tabs->widget(0);
        const QString text = tabs->tabText(0);
        tabs->removeTab(0);
        fTabWidget->insertTab(1, page, text);
    }
    container.reset();
    fTabWidget->setCurrentIndex(0);

    connect(fPeakColorButton, &QtColorPicker::colorChanged, fPeakFontWidget, &WFontWidget::setColor);
    connect(fPeakShow2ndLine, &QGroupBox::toggled, this, &WMassPlotPropertiesWidget::on_fPeakShow2ndLine_toggled);
    connect(fTitleFormatButton, &QToolButton::clicked, this,
            &WMassPlotPropertiesWidget::on_fTitleFormatButton_clicked);
    fitGroupTitles(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void WMassPlotPropertiesWidget::loadProperties(const TBasePlotPropertiesBag& base)
{
    W1DPlotPropertiesWidget::loadProperties(base);
    const auto& set = static_cast<const TMassPlotPropertiesBag&>(base);
    const T1DMassPlot* plot = set.massPlot();
    if (plot) {
        m_plotKind = plot->kind();
        if (plot->traceStyle() != kCentroid)
            fBaselineShowCheckBox->hide();
    }

    const TMSPeakProperties& peaks = set.peakProperties;
    const int32_t flags = peaks.peakFlags;
    fPeakColorButton->setCurrentColor(peaks.color);
    fPeaksGroupBox->setChecked(flags & TMSPeakProperties::LabelsVisible);
    fPeakDecimalsSpinBox->setValue(peaks.decimals);
    fPeakFontWidget->setCurrentFont(peaks.font);
    fPeakFontWidget->setColor(peaks.color);
    // Checking the group checks "Intensity" (the toggled slot): the bits
    // set the radio buttons afterwards.
    fPeakShow2ndLine->setChecked(flags & TMSPeakProperties::SecondLineMask);
    fPeakShowIntensity->setAutoExclusive(false);
    fPeakShowHeight->setAutoExclusive(false);
    fPeakShowArea->setAutoExclusive(false);
    fPeakShowAbundance->setAutoExclusive(false);
    fPeakShowIntensity->setChecked(flags & TMSPeakProperties::SecondLineIntensity);
    fPeakShowAbundance->setChecked(flags & TMSPeakProperties::SecondLineAbundance);
    fPeakShowArea->setChecked(flags & TMSPeakProperties::SecondLineArea);
    fPeakShowHeight->setChecked(flags & TMSPeakProperties::SecondLineHeight);
    fPeakShowIntensity->setAutoExclusive(true);
    fPeakShowHeight->setAutoExclusive(true);
    fPeakShowArea->setAutoExclusive(true);
    fPeakShowAbundance->setAutoExclusive(true);
    fPeakShowWedges->setChecked(flags & TMSPeakProperties::Wedges);
    fPeakShowBaseline->setChecked(flags & TMSPeakProperties::PeakBaseline);
    fPeakDecimalsSpinBox2->setValue(peaks.secondLineDecimals);
    fPeakThresholdSpinBox->setValue(peaks.threshold * 100);

    if (plot) {
        if (plot->kind() == kChromatogram) {
            fPeakShowAbundance->hide();
        } else {
            for (QWidget* w : std::initializer_list<QWidget*>{fPeakShowHeight, fPeakShowArea, fPeakShowWedges,
                                                              fPeakShowBaseline, fPeakThresholdLabel,
                                                              fPeakThresholdSpinBox})
                w->hide();
        }
    }

    const TMSTitleProperties& title = set.titleProperties;
    fTitleGroupBox->setChecked(title.visible);
    fTitleColorButton->setCurrentColor(title.color);
    fTitleFontWidget->setCurrentFont(title.font);
    fTitleFontWidget->setColor(title.color);
    fTitleDecimalsSpinBox->setValue(title.decimals);
    fTitleFormat->setText(title.format);
    fTitleFormat->setCursorPosition(0);  // the format's start in view

    fHldColorButton->setCurrentColor(set.highlight.color);
    fHldAlphaSpinBox->setValue(qRound(set.highlight.color.alphaF() * 100));
    if (plot) {
        if (plot->kind() == kChromatogram) {
            fHldBoxCheckBox->hide();
        } else {
            fHldBoxCheckBox->setChecked(set.highlight.boxVisible & 1);
            m_boxLoaded = true;
        }
    }
}

void WMassPlotPropertiesWidget::storeProperties(TBasePlotPropertiesBag& base) const
{
    W1DPlotPropertiesWidget::storeProperties(base);
    auto& set = static_cast<TMassPlotPropertiesBag&>(base);
    set.kind = m_plotKind;

    TMSPeakProperties& peaks = set.peakProperties;
    int32_t flags = peaks.peakFlags;
    setBit(flags, TMSPeakProperties::LabelsVisible, fPeaksGroupBox->isChecked());
    peaks.color = fPeakColorButton->currentColor();
    peaks.font = fPeakFontWidget->currentFont();
    peaks.decimals = fPeakDecimalsSpinBox->value();
    peaks.secondLineDecimals = fPeakDecimalsSpinBox2->value();
    peaks.threshold = fPeakThresholdSpinBox->value() * 0.01;
    if (fPeakShow2ndLine->isChecked()) {
        setBit(flags, TMSPeakProperties::SecondLineIntensity, fPeakShowIntensity->isChecked());
        setBit(flags, TMSPeakProperties::SecondLineHeight, fPeakShowHeight->isChecked());
        setBit(flags, TMSPeakProperties::SecondLineArea, fPeakShowArea->isChecked());
        setBit(flags, TMSPeakProperties::SecondLineAbundance, fPeakShowAbundance->isChecked());
    } else {
        flags &= ~TMSPeakProperties::SecondLineMask;
    }
    setBit(flags, TMSPeakProperties::PeakBaseline, fPeakShowBaseline->isChecked());
    setBit(flags, TMSPeakProperties::Wedges, fPeakShowWedges->isChecked());
    peaks.peakFlags = flags;

    TMSTitleProperties& title = set.titleProperties;
    title.visible = fTitleGroupBox->isChecked();
    title.color = fTitleColorButton->currentColor();
    title.font = fTitleFontWidget->currentFont();
    title.decimals = fTitleDecimalsSpinBox->value();
    title.format = fTitleFormat->text();

    QColor c = fHldColorButton->currentColor();
    c.setAlphaF(fHldAlphaSpinBox->value() * 0.01);
    set.highlight.setColor(c, true);
    // A chromatogram never loads the box flag (its check box is hidden):
    // writing the unloaded check box would change what is stored.
    if (m_boxLoaded)
        setBit(set.highlight.boxVisible, 1, fHldBoxCheckBox->isChecked());
}

void WMassPlotPropertiesWidget::on_fPeakShow2ndLine_toggled(bool on)
{
    if (on) {
        fPeakShowIntensity->setChecked(true);
        return;
    }
    for (QRadioButton* b : {fPeakShowIntensity, fPeakShowHeight, fPeakShowArea, fPeakShowAbundance}) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
}

void WMassPlotPropertiesWidget::on_fTitleFormatButton_clicked()
{
    TMassPlotTitleParser parser(nullptr, nullptr, QString(), 3);
    WMacroEditorDialog dialog(this, fTitleFormat->text(), &parser);
    if (dialog.exec() == QDialog::Accepted) {
        fTitleFormat->setText(dialog.text());
        fTitleFormat->setCursorPosition(0);
    }
}
