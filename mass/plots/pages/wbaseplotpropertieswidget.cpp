#include "wbaseplotpropertieswidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

#include "massutils.h"
#include "pageform.h"
#include "tplotproperties.h"
#include "tplotpropertiesbag.h"
#include "wcolorpicker.h"
#include "wfontwidget.h"

namespace {

QString baseText(const char* text)
{
    return QCoreApplication::translate("WBasePlotPropertiesWidgetClass", text);
}

QString lineText(const char* text)
{
    return QCoreApplication::translate("W1DPlotPropertiesWidgetClass", text);
}

// Drawing units (pixels at 300 dpi) and millimetres.
constexpr int kPixels = -1;
constexpr int kMillimetres = 0;

void loadAxis(const TPlotAxisRecord& axis, QGroupBox* box, QCheckBox* label, QLineEdit* caption,
              QSpinBox* digits, QCheckBox* log)
{
    box->setChecked(axis.visible);
    label->setChecked(axis.captionVisible);
    caption->setText(axis.caption);
    caption->setCursorPosition(0);  // the start of a long caption in view
    digits->setValue(axis.decimals);
    log->setChecked(axis.logScale);
}

void storeAxis(TPlotAxisRecord& axis, const QGroupBox* box, const QCheckBox* label, const QLineEdit* caption,
               const QSpinBox* digits, const QCheckBox* log)
{
    axis.visible = box->isChecked();
    axis.captionVisible = label->isChecked();
    axis.caption = caption->text();
    axis.decimals = digits->value();
    axis.logScale = log->isChecked();
}

}  // namespace

bool shownValueChanged(double stored, const QDoubleSpinBox* box)
{
    // A stored value outside the box's range shows clamped: compare with
    // what the box would show, so that an unedited value stays.
    const double shownStored = qBound(box->minimum(), stored, box->maximum());
    return std::fabs(shownStored - box->value()) >= std::pow(10.0, -box->decimals());
}

WBasePlotPropertiesWidget::WBasePlotPropertiesWidget(QWidget* parent) : QWidget(parent)
{
    using namespace pageform;
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("WBasePlotPropertiesWidgetClass"));
    resize(346, 430);
    setWindowTitle(baseText("Plot Properties"));

    auto* gridLayout = named(new QGridLayout(this), "gridLayout");
    fTabWidget = named(new QTabWidget(this), "fTabWidget");
    // Every tab shown whole: the form is as wide as its tab bar.
    fTabWidget->setUsesScrollButtons(false);
    gridLayout->addWidget(fTabWidget, 0, 0);

    // Axes
    fAxesTab = named(new QWidget, "fAxesTab");
    auto* gridLayout1 = named(new QGridLayout(fAxesTab), "gridLayout1");
    gridLayout1->addWidget(label(fAxesTab, "label_7", baseText("Color:")), 0, 0);
    fAxesColorButton = picker(fAxesTab, "fAxesColorButton");
    gridLayout1->addWidget(fAxesColorButton, 0, 1);
    fAxesFontWidget = named(new WFontWidget(fAxesTab), "fAxesFontWidget");
    gridLayout1->addWidget(fAxesFontWidget, 1, 0, 1, 2);
    gridLayout1->addWidget(label(fAxesTab, "label_8", baseText("Margin:")), 2, 0);
    fPlotAreaMarginSpinBox = named(new QDoubleSpinBox(fAxesTab), "fPlotAreaMarginSpinBox");
    fPlotAreaMarginSpinBox->setSingleStep(0.1);
    gridLayout1->addWidget(fPlotAreaMarginSpinBox, 2, 1);

    fHorizontalAxisGroupBox = named(new QGroupBox(baseText("Horizontal"), fAxesTab), "fHorizontalAxisGroupBox");
    fHorizontalAxisGroupBox->setCheckable(true);
    auto* gridLayout2 = named(new QGridLayout(fHorizontalAxisGroupBox), "gridLayout2");
    gridLayout2->setSpacing(6);
    gridLayout2->setContentsMargins(9, 9, 9, 9);
    fHorizontalLabelCheckBox = check(fHorizontalAxisGroupBox, "fHorizontalLabelCheckBox", baseText("Label:"));
    fHorizontalLabelCheckBox->setChecked(true);
    gridLayout2->addWidget(fHorizontalLabelCheckBox, 0, 0);
    fHorizontalLabelLineEdit = named(new QLineEdit(fHorizontalAxisGroupBox), "fHorizontalLabelLineEdit");
    gridLayout2->addWidget(fHorizontalLabelLineEdit, 0, 2);
    fHorzScaleLogCheckBox = check(fHorizontalAxisGroupBox, "fHorzScaleLogCheckBox", baseText("Logarithmic Scale"));
    gridLayout2->addWidget(fHorzScaleLogCheckBox, 1, 0);
    gridLayout2->addWidget(label(fHorizontalAxisGroupBox, "label_33", baseText("Max. Significant Digits:")), 2, 0);
    fHorzDigitsSpinBox = named(new QSpinBox(fHorizontalAxisGroupBox), "fHorzDigitsSpinBox");
    fHorzDigitsSpinBox->setMaximum(12);
    gridLayout2->addWidget(fHorzDigitsSpinBox, 2, 2);
    gridLayout1->addWidget(fHorizontalAxisGroupBox, 3, 0, 1, 2);

    fVerticalAxisGroupBox = named(new QGroupBox(baseText("Vertical"), fAxesTab), "fVerticalAxisGroupBox");
    fVerticalAxisGroupBox->setCheckable(true);
    auto* gridLayout3 = named(new QGridLayout(fVerticalAxisGroupBox), "gridLayout3");
    gridLayout3->setSpacing(6);
    gridLayout3->setContentsMargins(9, 9, 9, 9);
    fVerticalLabelLineEdit = named(new QLineEdit(fVerticalAxisGroupBox), "fVerticalLabelLineEdit");
    gridLayout3->addWidget(fVerticalLabelLineEdit, 0, 2);
    fVerticalLabelCheckBox = check(fVerticalAxisGroupBox, "fVerticalLabelCheckBox", baseText("Label:"));
    fVerticalLabelCheckBox->setChecked(true);
    gridLayout3->addWidget(fVerticalLabelCheckBox, 0, 0);
    gridLayout3->addWidget(label(fVerticalAxisGroupBox, "label_34", baseText("Max. Significant Digits:")), 2, 0);
    fVertDigitsSpinBox = named(new QSpinBox(fVerticalAxisGroupBox), "fVertDigitsSpinBox");
    fVertDigitsSpinBox->setMaximum(12);
    gridLayout3->addWidget(fVertDigitsSpinBox, 2, 2);
    fVertScaleLogCheckBox = check(fVerticalAxisGroupBox, "fVertScaleLogCheckBox", baseText("Logarithmic Scale"));
    gridLayout3->addWidget(fVertScaleLogCheckBox, 1, 0);
    gridLayout1->addWidget(fVerticalAxisGroupBox, 4, 0, 1, 2);
    gridLayout1->addItem(new QSpacerItem(20, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), 5, 0);
    fTabWidget->addTab(fAxesTab, baseText("Axes"));

    // Basic
    fLookTab = named(new QWidget, "fLookTab");
    auto* vboxLayout = named(new QVBoxLayout(fLookTab), "vboxLayout");
    fBackgroundBox = named(new QGroupBox(baseText("Background"), fLookTab), "fBackgroundBox");
    auto* gridLayout4 = named(new QGridLayout(fBackgroundBox), "gridLayout4");
    QLabel* colorLabel = label(fBackgroundBox, "label", baseText("Color:"));
    gridLayout4->addWidget(colorLabel, 0, 0);
    fBackgroundColorButton = picker(fBackgroundBox, "fBackgroundColorButton");
    colorLabel->setBuddy(fBackgroundColorButton);
    gridLayout4->addWidget(fBackgroundColorButton, 0, 1);
    gridLayout4->addWidget(label(fBackgroundBox, "label_2", baseText("Opacity:")), 1, 0);
    fOpacitySpinBox = named(new QSpinBox(fBackgroundBox), "fOpacitySpinBox");
    fOpacitySpinBox->setMaximum(100);
    fOpacitySpinBox->setSingleStep(5);
    fOpacitySpinBox->setSuffix(baseText(" %"));
    gridLayout4->addWidget(fOpacitySpinBox, 1, 1);
    vboxLayout->addWidget(fBackgroundBox);

    fGridBox = named(new QGroupBox(baseText("Grid"), fLookTab), "fGridBox");
    auto* gridLayout5 = named(new QGridLayout(fGridBox), "gridLayout5");
    fHGridShowCheckBox = check(fGridBox, "fHGridShowCheckBox", baseText("Show Horizontal"));
    gridLayout5->addWidget(fHGridShowCheckBox, 0, 0);
    fGridShowOverCheckBox = check(fGridBox, "fGridShowOverCheckBox", baseText("Show Over"));
    gridLayout5->addWidget(fGridShowOverCheckBox, 0, 1);
    fVGridShowCheckBox = check(fGridBox, "fVGridShowCheckBox", baseText("Show Vertical"));
    gridLayout5->addWidget(fVGridShowCheckBox, 1, 0);
    fFrameShowCheckBox = check(fGridBox, "fFrameShowCheckBox", baseText("Show Frame"));
    gridLayout5->addWidget(fFrameShowCheckBox, 1, 1);
    gridLayout5->addWidget(label(fGridBox, "label_9", baseText("Color:")), 3, 0);
    fGridColorButton = picker(fGridBox, "fGridColorButton");
    gridLayout5->addWidget(fGridColorButton, 3, 1);
    fBaselineShowCheckBox = check(fGridBox, "fBaselineShowCheckBox", baseText("Show Baseline"));
    gridLayout5->addWidget(fBaselineShowCheckBox, 2, 1);
    vboxLayout->addWidget(fGridBox);
    vboxLayout->addItem(new QSpacerItem(20, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
    fTabWidget->addTab(fLookTab, baseText("Basic"));
    fTabWidget->setCurrentIndex(0);

    // The log check boxes are never shown; they carry logScale from load
    // to store.
    fHorzScaleLogCheckBox->hide();
    fVertScaleLogCheckBox->hide();
    connect(fAxesColorButton, &QtColorPicker::colorChanged, fAxesFontWidget, &WFontWidget::setColor);
    fPlotAreaMarginSpinBox->setSuffix(QStringLiteral(" mm"));
    fitGroupTitles(this);
}

void WBasePlotPropertiesWidget::loadProperties(const TBasePlotPropertiesBag& set)
{
    if (const TBasePlotProperties* group = set.group()) {
        QColor background = group->background().color();
        fOpacitySpinBox->setValue(int(background.alphaF() * 100));
        background.setAlphaF(1.0);
        fBackgroundColorButton->setCurrentColor(background);
        const int32_t flags = group->flags();
        fHGridShowCheckBox->setChecked(flags & TBasePlotProperties::HorizontalGrid);
        fVGridShowCheckBox->setChecked(flags & TBasePlotProperties::VerticalGrid);
        fGridShowOverCheckBox->setChecked(flags & TBasePlotProperties::GridOver);
        fFrameShowCheckBox->setChecked(group->frameSides() == 15);
        fBaselineShowCheckBox->setChecked(flags & TBasePlotProperties::Baseline);
        fGridColorButton->setCurrentColor(group->gridPen().color());
        fAxesColorButton->setCurrentColor(group->axesPen().color());
        fAxesFontWidget->setCurrentFont(group->font());
        fAxesFontWidget->setColor(group->axesPen().color());
        fPlotAreaMarginSpinBox->setValue(convertLength(group->margin(), kPixels, kMillimetres));
    }
    loadAxis(set.axisRecord(1), fHorizontalAxisGroupBox, fHorizontalLabelCheckBox, fHorizontalLabelLineEdit,
             fHorzDigitsSpinBox, fHorzScaleLogCheckBox);
    loadAxis(set.axisRecord(2), fVerticalAxisGroupBox, fVerticalLabelCheckBox, fVerticalLabelLineEdit,
             fVertDigitsSpinBox, fVertScaleLogCheckBox);
}

void WBasePlotPropertiesWidget::storeProperties(TBasePlotPropertiesBag& set) const
{
    if (TBasePlotProperties* group = set.group()) {
        QColor background = fBackgroundColorButton->currentColor();
        background.setAlphaF(background.alphaF() * percentOf(fOpacitySpinBox->value(), 1.0));
        group->setBackground(QBrush(background, Qt::SolidPattern));
        int32_t flags = 0;
        if (fHGridShowCheckBox->isChecked())
            flags += TBasePlotProperties::HorizontalGrid;
        if (fVGridShowCheckBox->isChecked())
            flags += TBasePlotProperties::VerticalGrid;
        if (fGridShowOverCheckBox->isChecked())
            flags += TBasePlotProperties::GridOver;
        if (fBaselineShowCheckBox->isChecked())
            flags += TBasePlotProperties::Baseline;
        group->setFlags(flags);
        group->setFrameSides(fFrameShowCheckBox->isChecked() ? 15 : 0);
        QPen grid = group->gridPen();
        grid.setColor(fGridColorButton->currentColor());
        group->setGridPen(grid);
        group->setFramePen(grid);
        QPen axes = group->axesPen();
        axes.setColor(fAxesColorButton->currentColor());
        group->setAxesPen(axes);
        group->setFont(fAxesFontWidget->currentFont());
        if (shownValueChanged(convertLength(group->margin(), kPixels, kMillimetres), fPlotAreaMarginSpinBox))
            group->setMargin(convertLength(fPlotAreaMarginSpinBox->value(), kMillimetres, kPixels));
    }
    storeAxis(set.axisRecord(1), fHorizontalAxisGroupBox, fHorizontalLabelCheckBox, fHorizontalLabelLineEdit,
              fHorzDigitsSpinBox, fHorzScaleLogCheckBox);
    storeAxis(set.axisRecord(2), fVerticalAxisGroupBox, fVerticalLabelCheckBox, fVerticalLabelLineEdit,
              fVertDigitsSpinBox, fVertScaleLogCheckBox);
}

W1DPlotPropertiesWidget::W1DPlotPropertiesWidget(QWidget* parent) : WBasePlotPropertiesWidget(parent)
{
    using namespace pageform;
    fLinePage = named(new QWidget, "W1DPlotPropertiesWidgetClass");
    fLinePage->resize(344, 300);
    fLinePage->setWindowTitle(lineText("1D Plot Properties"));
    auto* verticalLayout = named(new QVBoxLayout(fLinePage), "verticalLayout");
    fLineBox = named(new QGroupBox(lineText("Line"), fLinePage), "fLineBox");
    auto* grid = named(new QGridLayout(fLineBox), "_2");
    QLabel* styleLabel = label(fLineBox, "label_6", lineText("&Style:"));
    styleLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(styleLabel, 0, 0);
    fLineStyleComboBox = named(new QComboBox(fLineBox), "fLineStyleComboBox");
    fLineStyleComboBox->addItems({lineText("Line"), lineText("Crosses"), lineText("Circles")});
    styleLabel->setBuddy(fLineStyleComboBox);
    grid->addWidget(fLineStyleComboBox, 0, 1);
    QLabel* colorLabel = label(fLineBox, "fLineColorLabel", lineText("&Color:"));
    colorLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(colorLabel, 1, 0);
    fLineColor = picker(fLineBox, "fLineColor");
    colorLabel->setBuddy(fLineColor);
    grid->addWidget(fLineColor, 1, 1);
    grid->addWidget(label(fLineBox, "label_23", lineText("Width:")), 2, 0);
    fLineWidthSpinBox = named(new QDoubleSpinBox(fLineBox), "fLineWidthSpinBox");
    fLineWidthSpinBox->setMaximum(10.0);
    grid->addWidget(fLineWidthSpinBox, 2, 1);
    verticalLayout->addWidget(fLineBox);
    verticalLayout->addItem(new QSpacerItem(20, 164, QSizePolicy::Minimum, QSizePolicy::Expanding));
    fTabWidget->insertTab(0, fLinePage, lineText("Line"));
    pageform::fitGroupTitles(this);
}

void W1DPlotPropertiesWidget::loadProperties(const TBasePlotPropertiesBag& set)
{
    WBasePlotPropertiesWidget::loadProperties(set);
    const auto* group = dynamic_cast<const T1DPlotProperties*>(set.group());
    if (!group)
        return;
    fLineStyleComboBox->setCurrentIndex(group->lineStyle());
    fLineColor->setCurrentColor(group->tracePen().color());
    fLineWidthSpinBox->setValue(group->tracePen().widthF());
}

void W1DPlotPropertiesWidget::storeProperties(TBasePlotPropertiesBag& set) const
{
    WBasePlotPropertiesWidget::storeProperties(set);
    auto* group = dynamic_cast<T1DPlotProperties*>(set.group());
    if (!group)
        return;
    group->setLineStyle(fLineStyleComboBox->currentIndex());
    QPen pen = group->tracePen();
    pen.setColor(fLineColor->currentColor());
    if (shownValueChanged(pen.widthF(), fLineWidthSpinBox))
        pen.setWidthF(fLineWidthSpinBox->value());
    group->setTracePen(pen);
}
