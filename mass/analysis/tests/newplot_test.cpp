// The new chromatogram and new spectrum dialogs over collections of a
// generated run.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <memory>

#include "dialogtest.h"
#include "kstestqt.h"
#include "tcanvasmass.h"
#include "tcmdsettings.h"
#include "tmassdataobj.h"
#include "wnewmschromdialog.h"
#include "wnewmsspecdialog.h"

using dialogtest::child;
using ks::test::whenModal;

namespace {

enum RunFunction { FunctionWithPeaks = 0, FunctionWithoutPeaks = 1 };

class NewPlotDialogTest : public dialogtest::DialogTest {
protected:
    TKSMSCollection* collection(int function)
    {
        if (!item)
            item = importRun();
        TKSMSCollection* c = item->msCollection(0, function);
        EXPECT_NE(c, nullptr);
        return c;
    }

    TCanvasMass* item = nullptr;
};

void expectSameChromatogram(const TKSChromatogram& a, const TKSChromatogram& b)
{
    EXPECT_EQ(a.getRTValues(), b.getRTValues());
    EXPECT_EQ(a.getIntensities(), b.getIntensities());
}

TEST_F(NewPlotDialogTest, ChromatogramFormAndTheToleranceItOpensWith)
{
    struct Case {
        double tolerance;
        bool inDa;
        const char* unit;
        int decimals;
        double minimum, maximum, value;
    } cases[] = {
        {10, false, "ppm", 0, 1, 1000, 10},
        {0.25, true, "Da", 3, 0.001, 1, 0.25},
        {0.5, true, "Da", 3, 0.001, 1, 0.5},
        {5000, false, "ppm", 0, 1, 1000, 1000},
        {7, true, "Da", 3, 0.001, 1, 1},
    };
    for (const Case& c : cases) {
        WNewMSChromDialog dialog(nullptr, 50, 2000, c.tolerance, c.inDa);
        auto* tolerance = child<QDoubleSpinBox>(&dialog, "dsbTol");
        EXPECT_EQ(child<QComboBox>(&dialog, "cbUnits")->currentText(), c.unit);
        EXPECT_EQ(tolerance->decimals(), c.decimals) << c.tolerance;
        EXPECT_DOUBLE_EQ(tolerance->minimum(), c.minimum) << c.tolerance;
        EXPECT_DOUBLE_EQ(tolerance->maximum(), c.maximum) << c.tolerance;
        EXPECT_DOUBLE_EQ(tolerance->value(), c.value) << c.tolerance;
    }

    WNewMSChromDialog dialog(nullptr, 50, 2000, 0.25, true);
    EXPECT_EQ(dialog.objectName(), "WNewMSChromDialogClass");
    EXPECT_EQ(dialog.windowTitle(), "New chromatogram");
    EXPECT_EQ(dialog.layout()->sizeConstraint(), QLayout::SetFixedSize);
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbChromType")->title(), "Chromatogram Type");
    EXPECT_EQ(child<QRadioButton>(&dialog, "rbTIC")->text(), "Total Ion Current");
    EXPECT_TRUE(child<QRadioButton>(&dialog, "rbTIC")->isChecked());
    EXPECT_EQ(child<QRadioButton>(&dialog, "rbBPC")->text(), "Base Peak");
    EXPECT_EQ(child<QLabel>(&dialog, "label")->text(), "From m/z:");
    EXPECT_EQ(child<QCheckBox>(&dialog, "chkEnd")->text(), "To m/z:");
    EXPECT_EQ(child<QLabel>(&dialog, "lbTol")->text(), "Tolerance:");
    for (const char* name : {"dsbStartMZ", "dsbEndMZ"}) {
        auto* box = child<QDoubleSpinBox>(&dialog, name);
        EXPECT_EQ(box->decimals(), 4) << name;
        EXPECT_DOUBLE_EQ(box->minimum(), 50) << name;
        EXPECT_DOUBLE_EQ(box->maximum(), 2000) << name;
    }
    dialog.show();
    auto* range = child<QGroupBox>(&dialog, "gbRange");
    EXPECT_FALSE(range->isVisible());
    dialogtest::writePicture(dialog, "new_chromatogram");

    // The form's connections: the range group only for "Mass", the end
    // m/z only when checked, the tolerance row only while it is not.
    dialog.show();
    child<QRadioButton>(&dialog, "rbMS")->click();
    EXPECT_TRUE(range->isVisible());
    EXPECT_FALSE(child<QDoubleSpinBox>(&dialog, "dsbEndMZ")->isEnabled());
    EXPECT_TRUE(child<QDoubleSpinBox>(&dialog, "dsbTol")->isVisible());
    child<QCheckBox>(&dialog, "chkEnd")->setChecked(true);
    EXPECT_TRUE(child<QDoubleSpinBox>(&dialog, "dsbEndMZ")->isEnabled());
    for (const char* name : {"lbTol", "dsbTol", "cbUnits"})
        EXPECT_FALSE(child<QWidget>(&dialog, name)->isVisible()) << name;
    dialogtest::writePicture(dialog, "new_chromatogram_mass");
    child<QRadioButton>(&dialog, "rbBPC")->click();
    EXPECT_FALSE(range->isVisible());
}

TEST_F(NewPlotDialogTest, UnitSwitchResetsTheToleranceAndFromRaisesTo)
{
    WNewMSChromDialog dialog(nullptr, 50, 2000, 0.4, true);
    auto* units = child<QComboBox>(&dialog, "cbUnits");
    auto* tolerance = child<QDoubleSpinBox>(&dialog, "dsbTol");
    for (int i = 0; i < 2; ++i) {
        units->setCurrentIndex(1);
        EXPECT_DOUBLE_EQ(tolerance->value(), 20);
        EXPECT_DOUBLE_EQ(tolerance->singleStep(), 1);
        units->setCurrentIndex(0);
        EXPECT_DOUBLE_EQ(tolerance->value(), 0.25);
        EXPECT_DOUBLE_EQ(tolerance->singleStep(), 0.1);
    }
    auto* start = child<QDoubleSpinBox>(&dialog, "dsbStartMZ");
    auto* end = child<QDoubleSpinBox>(&dialog, "dsbEndMZ");
    end->setValue(300);
    start->setValue(100);
    EXPECT_DOUBLE_EQ(end->value(), 300);
    start->setValue(400);
    EXPECT_DOUBLE_EQ(end->value(), 400);
    start->setValue(3000);
    EXPECT_DOUBLE_EQ(start->value(), 2000);
    EXPECT_DOUBLE_EQ(end->value(), 2000);
}

TEST_F(NewPlotDialogTest, ChromatogramsComeFromTheCollection)
{
    TKSMSCollection* ms = collection(FunctionWithPeaks);
    ASSERT_NE(ms, nullptr);
    TKSChromatogram tic, bpc, range;
    ASSERT_TRUE(ms->getTICChromatogram(tic));
    ASSERT_TRUE(ms->getBPChromatogram(bpc));
    ASSERT_TRUE(ms->getMassChromatogram(190.0, 200.0, range));

    WNewMSChromDialog dialog(nullptr, 50, 2000, 0.25, true);
    std::unique_ptr<TChromatogramDataObj> object(dialog.createChromatogram(ms));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->subtype(), 1);
    EXPECT_EQ(object->kind(), TMassDataObj::Chromatogram);
    expectSameChromatogram(object->chromatogram(), tic);

    child<QRadioButton>(&dialog, "rbBPC")->setChecked(true);
    std::unique_ptr<TChromatogramDataObj> base(dialog.createChromatogram(ms));
    EXPECT_EQ(base->subtype(), 2);
    expectSameChromatogram(base->chromatogram(), bpc);
    EXPECT_NE(base->id(), object->id());

    child<QRadioButton>(&dialog, "rbMS")->setChecked(true);
    child<QCheckBox>(&dialog, "chkEnd")->setChecked(true);
    child<QDoubleSpinBox>(&dialog, "dsbStartMZ")->setValue(190);
    child<QDoubleSpinBox>(&dialog, "dsbEndMZ")->setValue(200);
    std::unique_ptr<TChromatogramDataObj> mass(dialog.createChromatogram(ms));
    EXPECT_EQ(mass->subtype(), 4);
    EXPECT_DOUBLE_EQ(mass->fromMZ(), 190);
    EXPECT_DOUBLE_EQ(mass->toMZ(), 200);
    expectSameChromatogram(mass->chromatogram(), range);
    EXPECT_EQ(dialog.createChromatogram(nullptr), nullptr);
}

TEST_F(NewPlotDialogTest, SingleMassUsesTheDialogsToleranceAndLeavesTheCollections)
{
    TKSMSCollection* ms = collection(FunctionWithPeaks);
    ASSERT_NE(ms, nullptr);
    ASSERT_TRUE(ms->setMergeTolerance(false, 7.0));
    struct Case {
        int unit;
        double tolerance;
        bool holdsPeak;  // 195.0877 within the window around 195.1
    } cases[] = {{0, 0.25, true}, {0, 0.005, false}, {1, 100, true}, {1, 20, false}};
    for (const Case& c : cases) {
        WNewMSChromDialog dialog(nullptr, 50, 2000, 0.25, true);
        child<QRadioButton>(&dialog, "rbMS")->setChecked(true);
        child<QComboBox>(&dialog, "cbUnits")->setCurrentIndex(c.unit);
        child<QDoubleSpinBox>(&dialog, "dsbTol")->setValue(c.tolerance);
        child<QDoubleSpinBox>(&dialog, "dsbStartMZ")->setValue(195.1);
        child<QDoubleSpinBox>(&dialog, "dsbEndMZ")->setValue(250);
        std::unique_ptr<TChromatogramDataObj> object(dialog.createChromatogram(ms));
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->subtype(), 4);
        // The pair is taken from both boxes, the end one too.
        EXPECT_DOUBLE_EQ(object->fromMZ(), 195.1);
        EXPECT_DOUBLE_EQ(object->toMZ(), 250);
        EXPECT_EQ(object->getMaximumY() > 0, c.holdsPeak) << c.tolerance;
        EXPECT_DOUBLE_EQ(ms->getMergeTolerance(), 7.0);
        EXPECT_FALSE(ms->getMergeToleranceInDa());

        ASSERT_TRUE(ms->setMergeTolerance(c.unit == 0, c.tolerance));
        TKSChromatogram expected;
        ms->getMassChromatogram(195.1, expected);
        ASSERT_TRUE(ms->setMergeTolerance(false, 7.0));
        expectSameChromatogram(object->chromatogram(), expected);
    }
}

TEST_F(NewPlotDialogTest, ExtractionWithoutDataBecomesTheObjectUnchanged)
{
    TKSMSCollection* empty = collection(FunctionWithoutPeaks);
    ASSERT_NE(empty, nullptr);
    TKSChromatogram tic, single;
    empty->getTICChromatogram(tic);
    empty->getMassChromatogram(195.0877, single);
    WNewMSChromDialog dialog(nullptr, 0, 500, 0.25, true);
    std::unique_ptr<TChromatogramDataObj> object(dialog.createChromatogram(empty));
    ASSERT_NE(object, nullptr);
    expectSameChromatogram(object->chromatogram(), tic);
    EXPECT_EQ(object->getMaximumY(), 0);
    child<QRadioButton>(&dialog, "rbMS")->setChecked(true);
    child<QDoubleSpinBox>(&dialog, "dsbStartMZ")->setValue(195.0877);
    std::unique_ptr<TChromatogramDataObj> mass(dialog.createChromatogram(empty));
    ASSERT_NE(mass, nullptr);
    expectSameChromatogram(mass->chromatogram(), single);

    // A spectrum without points, and one the collection does not hold
    // (an index range wider than the collection's), become empty objects.
    WNewMSSpecDialog spectra(nullptr, 0, 19);
    for (int shown : {3, 15}) {
        child<QSpinBox>(&spectra, "sbFrom")->setValue(shown);
        TKSMassSpectrum expected;
        EXPECT_EQ(empty->getSpectrum(shown - 1, expected), shown <= 10);
        std::unique_ptr<TMassSpecDataObj> object(spectra.createSpectrum(empty));
        ASSERT_NE(object, nullptr);
        EXPECT_TRUE(object->spectrum().getMZValues().empty()) << shown;
        EXPECT_EQ(object->spectrum().getMZValues(), expected.getMZValues());
    }
}

TEST_F(NewPlotDialogTest, ToleranceCommandOnlyForAChangedSingleMassTolerance)
{
    TCanvasMass* mass = importRun();
    const TCanvasItemList items({mass});
    enum Type { TIC, BPC, Range, Single };
    struct Case {
        const char* name;
        Type type;
        int unit;
        double value;
        bool command;
    } cases[] = {
        {"TIC", TIC, 1, 30, false},
        {"base peak", BPC, 1, 30, false},
        {"m/z range", Range, 1, 30, false},
        {"unchanged", Single, 0, 0.25, false},
        {"value changed", Single, 0, 0.3, true},
        {"unit changed", Single, 1, 0.25, true},  // clamped to 1 ppm
        {"both changed", Single, 1, 30, true},
    };
    for (const Case& c : cases) {
        WNewMSChromDialog dialog(nullptr, 50, 2000, 0.25, true);
        if (c.type == BPC)
            child<QRadioButton>(&dialog, "rbBPC")->click();
        if (c.type == Range || c.type == Single)
            child<QRadioButton>(&dialog, "rbMS")->click();
        child<QCheckBox>(&dialog, "chkEnd")->setChecked(c.type == Range);
        child<QComboBox>(&dialog, "cbUnits")->setCurrentIndex(c.unit);
        auto* tolerance = child<QDoubleSpinBox>(&dialog, "dsbTol");
        tolerance->setValue(c.value);
        std::unique_ptr<TCmdSetMassMergeTolerance> command(dialog.mergeToleranceCommand(0.25, true, items));
        ASSERT_EQ(command != nullptr, c.command) << c.name;
        if (!command)
            continue;
        EXPECT_EQ(command->which, 0) << c.name;
        EXPECT_DOUBLE_EQ(command->tolerance, tolerance->value()) << c.name;
        EXPECT_EQ(command->inDa, c.unit == 0) << c.name;
        EXPECT_EQ(command->items, items);
    }

    // Run by the host, the command keeps the tolerance in the item.
    WNewMSChromDialog dialog(nullptr, 50, 2000, mass->chromatogramTolerance(), true);
    child<QRadioButton>(&dialog, "rbMS")->click();
    child<QComboBox>(&dialog, "cbUnits")->setCurrentIndex(1);
    host.executeCommand(dialog.mergeToleranceCommand(mass->chromatogramTolerance(), true, items));
    EXPECT_DOUBLE_EQ(mass->chromatogramTolerance(), 20);
    EXPECT_FALSE(mass->toleranceUnits() & TCanvasMass::ChromatogramToleranceInDa);
}

TEST_F(NewPlotDialogTest, ChromatogramDialogRunsModally)
{
    TKSMSCollection* ms = collection(FunctionWithPeaks);
    ASSERT_NE(ms, nullptr);
    WNewMSChromDialog dialog(nullptr, 50, 2000, 0.25, true);
    whenModal([](WNewMSChromDialog* d) {
        child<QRadioButton>(d, "rbBPC")->click();
        child<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    std::unique_ptr<TChromatogramDataObj> object(dialog.createChromatogram(ms));
    EXPECT_EQ(object->subtype(), 2);
    whenModal([](WNewMSChromDialog* d) {
        child<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

TEST_F(NewPlotDialogTest, SpectrumDialogCountsIndexesFromOne)
{
    TKSMSCollection* ms = collection(FunctionWithPeaks);
    ASSERT_NE(ms, nullptr);
    int first = -1, last = -1;
    ASSERT_TRUE(ms->getSpectrumIndexRange(first, last));
    ASSERT_EQ(first, 0);
    ASSERT_EQ(last, 9);
    WNewMSSpecDialog dialog(nullptr, first, last);
    EXPECT_EQ(dialog.objectName(), "WNewMSSpecDialogClass");
    EXPECT_EQ(dialog.windowTitle(), "New spectrum");
    EXPECT_EQ(dialog.layout()->sizeConstraint(), QLayout::SetFixedSize);
    EXPECT_EQ(child<QGroupBox>(&dialog, "groupBox")->title(), "Spectrum Index");
    auto* from = child<QSpinBox>(&dialog, "sbFrom");
    auto* to = child<QSpinBox>(&dialog, "sbTo");
    EXPECT_EQ(from->minimum(), 1);
    EXPECT_EQ(from->maximum(), 10);
    EXPECT_EQ(to->maximum(), 10);
    EXPECT_TRUE(child<QCheckBox>(&dialog, "chkEndIndex")->isHidden());
    EXPECT_TRUE(to->isHidden());
    EXPECT_FALSE(to->isEnabled());
    dialogtest::writePicture(dialog, "new_spectrum");

    struct Case {
        int shown, index;
    } cases[] = {{1, 0}, {6, 5}, {10, 9}, {11, 9}};
    for (const Case& c : cases) {
        from->setValue(c.shown);
        EXPECT_EQ(to->minimum(), std::min(c.shown, 10));
        TKSMassSpectrum expected;
        ASSERT_TRUE(ms->getSpectrum(c.index, expected));
        std::unique_ptr<TMassSpecDataObj> object(dialog.createSpectrum(ms));
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->subtype(), 1);
        EXPECT_EQ(object->kind(), TMassDataObj::MassSpectrum);
        EXPECT_EQ(object->spectrum().getMZValues(), expected.getMZValues()) << c.shown;
        EXPECT_EQ(object->spectrum().getIntensities(), expected.getIntensities()) << c.shown;
    }

    child<QCheckBox>(&dialog, "chkEndIndex")->setChecked(true);
    EXPECT_TRUE(to->isEnabled());
    EXPECT_EQ(dialog.createSpectrum(ms), nullptr);
    EXPECT_EQ(dialog.createSpectrum(nullptr), nullptr);

    WNewMSSpecDialog top(nullptr, 2147483646, 2147483647);
    EXPECT_EQ(child<QSpinBox>(&top, "sbFrom")->maximum(), 2147483647);
}

TEST_F(NewPlotDialogTest, SpectrumDialogRunsModally)
{
    TKSMSCollection* ms = collection(FunctionWithPeaks);
    ASSERT_NE(ms, nullptr);
    WNewMSSpecDialog dialog(nullptr, 0, 9);
    whenModal([](WNewMSSpecDialog* d) {
        child<QSpinBox>(d, "sbFrom")->setValue(4);
        child<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    std::unique_ptr<TMassSpecDataObj> object(dialog.createSpectrum(ms));
    TKSMassSpectrum expected;
    ASSERT_TRUE(ms->getSpectrum(3, expected));
    EXPECT_EQ(object->spectrum().getIntensities(), expected.getIntensities());
}

}  // namespace
