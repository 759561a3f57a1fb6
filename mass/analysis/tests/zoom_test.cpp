// The manual zoom dialog over mass items of a generated run, and the merge
// tolerance dialog.
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "dialogtest.h"
#include "kstestqt.h"
#include "t1dmassplot.h"
#include "tcanvasmass.h"
#include "tmassdataobj.h"
#include "wmasszoomdialog.h"
#include "wmsmergetolerancedlg.h"

using dialogtest::child;
using ks::test::whenModal;

namespace {

class ZoomDialogTest : public dialogtest::DialogTest {
protected:
    // The item's first plot of that kind, made current.
    static T1DMassPlot* makeCurrent(TCanvasMass* item, bool spectrum)
    {
        for (TBasePlot* plot : item->plots()) {
            if (spectrum ? item->isSpectrumPlot(plot->id()) : item->isChromatogramPlot(plot->id())) {
                item->setCurrentPlot(plot);
                return static_cast<T1DMassPlot*>(plot);
            }
        }
        ADD_FAILURE() << "no plot";
        return nullptr;
    }
};

TEST_F(ZoomDialogTest, ChromatogramPlotGivesRetentionTimesWithOneMoreDecimal)
{
    TCanvasMass* item = importRun();
    T1DMassPlot* plot = makeCurrent(item, false);
    ASSERT_NE(plot, nullptr);
    plot->peakProperties().decimals = 2;
    plot->axis(1).visibleFrom = 0.2;
    plot->axis(1).visibleTo = 0.6;
    WMassZoomDialog dialog(item);
    EXPECT_EQ(dialog.objectName(), "WMassZoomDialogClass");
    EXPECT_EQ(dialog.windowTitle(), "Manual Zoom");
    EXPECT_EQ(dialog.layout()->sizeConstraint(), QLayout::SetFixedSize);
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbUnits")->title(), "Retention Time");
    EXPECT_EQ(child<QLabel>(&dialog, "label")->alignment(), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(child<QDialogButtonBox>(&dialog, "dialogButtonBox")->orientation(), Qt::Vertical);
    for (const char* name : {"dsbFrom", "dsbTo"}) {
        auto* box = child<QDoubleSpinBox>(&dialog, name);
        EXPECT_EQ(box->decimals(), 3) << name;
        EXPECT_DOUBLE_EQ(box->singleStep(), 0.01) << name;
        EXPECT_EQ(box->suffix(), " min") << name;
    }
    const TMassDataObj* object = item->currentDataObject();
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(&dialog, "dsbFrom")->minimum(), object->getMinimumX());
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(&dialog, "dsbTo")->maximum(), object->getMaximumX());
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(&dialog, "dsbFrom")->value(), 0.2);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(&dialog, "dsbTo")->value(), 0.6);
    dialogtest::writePicture(dialog, "manual_zoom");
}

TEST_F(ZoomDialogTest, SpectrumPlotOpensAtTheViewWithinTheDataExtent)
{
    TCanvasMass* item = importRun();
    T1DMassPlot* plot = makeCurrent(item, true);
    ASSERT_NE(plot, nullptr);
    ASSERT_DOUBLE_EQ(item->currentDataObject()->getMinimumX(), 50);
    ASSERT_DOUBLE_EQ(item->currentDataObject()->getMaximumX(), 2000);
    struct Case {
        double visibleFrom, visibleTo, from, to;
        int labelDecimals, decimals;
        double step;
    } cases[] = {
        {100, 500, 100, 500, 3, 4, 0.001},
        {10, 5000, 50, 2000, 0, 1, 1},           // clamped to the data
        {-1e300, 1e300, 50, 2000, 3, 4, 0.001},  // the axis' unset range
        {100, 500, 100, 500, 2147483647, 10, 1e-9},
        {100, 500, 100, 500, -7, 0, 10},
    };
    for (const Case& c : cases) {
        plot->axis(1).visibleFrom = c.visibleFrom;
        plot->axis(1).visibleTo = c.visibleTo;
        plot->peakProperties().decimals = c.labelDecimals;
        WMassZoomDialog dialog(item);
        auto* from = child<QDoubleSpinBox>(&dialog, "dsbFrom");
        auto* to = child<QDoubleSpinBox>(&dialog, "dsbTo");
        EXPECT_EQ(child<QGroupBox>(&dialog, "gbUnits")->title(), "m/z");
        EXPECT_EQ(from->suffix(), "");
        EXPECT_DOUBLE_EQ(from->value(), c.from) << c.visibleFrom;
        EXPECT_DOUBLE_EQ(to->value(), c.to) << c.visibleTo;
        EXPECT_DOUBLE_EQ(from->minimum(), 50);
        EXPECT_DOUBLE_EQ(from->maximum(), 2000);
        EXPECT_DOUBLE_EQ(to->maximum(), 2000);
        EXPECT_EQ(to->decimals(), c.decimals) << c.labelDecimals;
        EXPECT_DOUBLE_EQ(to->singleStep(), c.step) << c.labelDecimals;
    }
}

TEST_F(ZoomDialogTest, FromRaisesToAndNeverLowersIt)
{
    TCanvasMass* item = importRun();
    T1DMassPlot* plot = makeCurrent(item, true);
    ASSERT_NE(plot, nullptr);
    plot->axis(1).visibleFrom = 100;
    plot->axis(1).visibleTo = 500;
    WMassZoomDialog dialog(item);
    auto* from = child<QDoubleSpinBox>(&dialog, "dsbFrom");
    auto* to = child<QDoubleSpinBox>(&dialog, "dsbTo");
    from->setValue(80);
    EXPECT_DOUBLE_EQ(to->value(), 500);
    from->setValue(700);
    EXPECT_DOUBLE_EQ(to->value(), 700);
    EXPECT_DOUBLE_EQ(to->minimum(), 700);
    to->setValue(300);
    EXPECT_DOUBLE_EQ(to->value(), 700);

    // Run modally and accepted, the caller reads the boxes.
    whenModal([](WMassZoomDialog* d) {
        child<QDoubleSpinBox>(d, "dsbTo")->setValue(900);
        child<QDialogButtonBox>(d, "dialogButtonBox")->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(to->value(), 900);
}

TEST_F(ZoomDialogTest, ItemWithoutAPlotKeepsTheFormsValues)
{
    WMassZoomDialog dialog(emptyItem());
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbUnits")->title(), "Units");
    EXPECT_EQ(child<QDoubleSpinBox>(&dialog, "dsbFrom")->decimals(), 2);
}

class MergeToleranceDialogTest : public ::testing::Test {};

TEST_F(MergeToleranceDialogTest, OpensInTheGivenUnit)
{
    struct Case {
        double tolerance;
        bool inDa;
        const char* checked;
        int decimals;
        const char* suffix;
        double minimum, maximum, value, step;
    } cases[] = {
        {0.1, true, "rbDa", 3, " Da", 0.001, 1, 0.1, 0.1},
        {10, false, "rbPpm", 0, " ppm", 1, 1000, 10, 1},
        {5, true, "rbDa", 3, " Da", 0.001, 1, 1, 0.1},       // clamped
        {0.25, false, "rbPpm", 0, " ppm", 1, 1000, 1, 1},   // clamped
    };
    for (const Case& c : cases) {
        WMSMergeToleranceDlg dialog(nullptr, c.tolerance, c.inDa);
        auto* box = child<QDoubleSpinBox>(&dialog, "dsbTol");
        EXPECT_TRUE(child<QRadioButton>(&dialog, c.checked)->isChecked()) << c.tolerance;
        EXPECT_EQ(dialog.isDa(), c.inDa);
        EXPECT_EQ(box->decimals(), c.decimals) << c.tolerance;
        EXPECT_EQ(box->suffix(), c.suffix);
        EXPECT_DOUBLE_EQ(box->minimum(), c.minimum);
        EXPECT_DOUBLE_EQ(box->maximum(), c.maximum);
        EXPECT_DOUBLE_EQ(box->singleStep(), c.step);
        EXPECT_DOUBLE_EQ(dialog.tolerance(), c.value) << c.tolerance;
    }
    WMSMergeToleranceDlg dialog(nullptr, 0.1, true);
    EXPECT_EQ(dialog.objectName(), "WMSMergeToleranceDlgClass");
    EXPECT_EQ(dialog.windowTitle(), "Merge Tolerance");
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbTolerance")->title(), "Tolerance:");
    EXPECT_EQ(child<QGroupBox>(&dialog, "groupBox_2")->title(), "Units:");
    EXPECT_EQ(child<QRadioButton>(&dialog, "rbPpm")->text(), "Ppm");
    EXPECT_EQ(dialog.layout()->sizeConstraint(), QLayout::SetFixedSize);
    dialogtest::writePicture(dialog, "merge_tolerance");
}

TEST_F(MergeToleranceDialogTest, SwitchingUnitsResetsTheValue)
{
    WMSMergeToleranceDlg dialog(nullptr, 0.1, true);
    whenModal([](WMSMergeToleranceDlg* d) {
        QTest::mouseClick(child<QRadioButton>(d, "rbPpm"), Qt::LeftButton);
        EXPECT_DOUBLE_EQ(d->tolerance(), 5);
        EXPECT_EQ(child<QDoubleSpinBox>(d, "dsbTol")->suffix(), " ppm");
        QTest::mouseClick(child<QRadioButton>(d, "rbDa"), Qt::LeftButton);
        EXPECT_DOUBLE_EQ(d->tolerance(), 0.01);
        EXPECT_EQ(child<QDoubleSpinBox>(d, "dsbTol")->decimals(), 3);
        QTest::mouseClick(child<QRadioButton>(d, "rbPpm"), Qt::LeftButton);
        child<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isDa());
    EXPECT_DOUBLE_EQ(dialog.tolerance(), 5);
}

}  // namespace
