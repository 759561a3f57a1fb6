// The composition constraints dialog and the element constraint dialog.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "dialogtest.h"
#include "kstestqt.h"
#include "tmasselementcomposition.h"
#include "wecconstraintsdialog.h"
#include "welementconstraintdialog.h"

using dialogtest::child;
using ks::test::whenModal;

namespace {

class ConstraintsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ks::test::useCaseSettings(); }

    static TKSCompositionConstraints twoElements()
    {
        TKSCompositionConstraints c;
        c.setElementConstraints({TKSElementConstraint(L"C", 1, 20), TKSElementConstraint(L"Cl", 0, 2)});
        return c;
    }
    static QStringList symbols(const QTableWidget* table)
    {
        QStringList out;
        for (int row = 0; row < table->rowCount(); ++row)
            out << table->item(row, 0)->text();
        return out;
    }
};

TEST_F(ConstraintsDialogTest, FormHasThePartsWidgetsTextsAndRanges)
{
    WECConstraintsDialog dialog(TKSCompositionConstraints{});
    EXPECT_EQ(dialog.objectName(), "WECConstraintsDialogClass");
    EXPECT_EQ(dialog.windowTitle(), "Elemental Composition Constraints");
    EXPECT_EQ(dialog.size(), QSize(500, 395));
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbElements")->title(), "Element Constraints:");
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbDBE")->title(), "Double Bond Equivalence:");
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbTolerance")->title(), "Tolerance:");
    EXPECT_TRUE(child<QGroupBox>(&dialog, "gbResults")->isCheckable());
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbOther")->title(), "Other Constraints:");
    EXPECT_EQ(child<QPushButton>(&dialog, "btnAdd")->toolTip(), "Adds an element");
    EXPECT_EQ(child<QPushButton>(&dialog, "btnDel")->toolTip(), "Deletes an element");
    EXPECT_EQ(child<QPushButton>(&dialog, "btnOk")->text(), "&OK");
    EXPECT_EQ(child<QPushButton>(&dialog, "btnSave")->text(), "&Save");
    EXPECT_EQ(child<QPushButton>(&dialog, "btnRestore")->text(), "&Restore");
    EXPECT_EQ(child<QPushButton>(&dialog, "btnCancel")->text(), "&Cancel");
    auto* table = child<QTableWidget>(&dialog, "tblElements");
    EXPECT_EQ(table->columnCount(), 3);
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Minimum");
    EXPECT_EQ(table->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(table->item(0, 0)->flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    EXPECT_EQ(table->item(2, 1)->data(Qt::UserRole).toInt(), 2);
    EXPECT_EQ(child<QDoubleSpinBox>(&dialog, "dsbDBEmin")->minimum(), -5.0);
    EXPECT_EQ(child<QDoubleSpinBox>(&dialog, "dsbDBEmax")->maximum(), 100.0);
    EXPECT_EQ(child<QSpinBox>(&dialog, "sbCharge")->minimum(), -100);
    EXPECT_EQ(child<QSpinBox>(&dialog, "sbResults")->maximum(), 100);
    EXPECT_EQ(child<QDoubleSpinBox>(&dialog, "dsbFitness")->maximum(), 1.0);
    EXPECT_EQ(child<QDoubleSpinBox>(&dialog, "dsbFitness")->singleStep(), 0.1);
    EXPECT_EQ(child<QComboBox>(&dialog, "cmbElecMode")->itemText(1), "EI");
    dialogtest::writePicture(dialog, "composition_constraints");

    WElementConstraintDialog element;
    EXPECT_EQ(element.objectName(), "WElementConstraintDialogClass");
    EXPECT_EQ(element.windowTitle(), "Element Constraint");
    EXPECT_EQ(element.size(), QSize(278, 124));
    auto* symbol = child<QComboBox>(&element, "cmbSymbol");
    EXPECT_TRUE(symbol->isEditable());
    EXPECT_EQ(symbol->count(), 6);
    EXPECT_EQ(symbol->itemText(4), "P");
    EXPECT_EQ(child<QSpinBox>(&element, "sbMin")->maximum(), 100);
    EXPECT_EQ(child<QSpinBox>(&element, "sbMax")->maximum(), 5000);
    EXPECT_EQ(child<QSpinBox>(&element, "sbMax")->value(), 10);
    EXPECT_EQ(child<QPushButton>(&element, "btnOk")->text(), "&Ok");
    dialogtest::writePicture(element, "element_constraint");
}

TEST_F(ConstraintsDialogTest, ElectronModeMapsBothWays)
{
    struct Case {
        int mode;
        int index;
        int readBack;
    } cases[] = {{3, 0, 3}, {2, 1, 2}, {1, 2, 1}, {0, 2, 1}, {7, 2, 1}};
    for (const Case& c : cases) {
        TKSCompositionConstraints constraints;
        constraints.setElectronMode(c.mode);
        WECConstraintsDialog dialog(constraints);
        auto* box = child<QComboBox>(&dialog, "cmbElecMode");
        EXPECT_EQ(box->currentIndex(), c.index) << c.mode;
        EXPECT_EQ(dialog.constraints().getElectronMode(), c.readBack) << c.mode;
    }
    WECConstraintsDialog dialog(TKSCompositionConstraints{});
    auto* box = child<QComboBox>(&dialog, "cmbElecMode");
    for (const Case& c : {Case{0, 1, 2}, Case{0, 2, 1}, Case{0, 0, 3}}) {
        box->setCurrentIndex(c.index);
        EXPECT_EQ(dialog.constraints().getElectronMode(), c.readBack) << box->currentText().toStdString();
    }
}

TEST_F(ConstraintsDialogTest, ToleranceUnitMapsBothWaysAndSetsTheRange)
{
    struct Case {
        bool inDa;
        double tolerance;
        int index;
        double minimum, maximum, shown;
    } cases[] = {
        {true, 0.2, 1, 0.1, 0.3, 0.2},      // Da: the slot's range before the value
        {true, 1.0, 1, 0.1, 0.3, 0.3},      // clamped into it
        {false, 5.0, 0, 0.0, 99.99, 5.0},   // ppm: no slot runs, Qt's default range
        {false, 20.0, 0, 0.0, 99.99, 20.0},
    };
    for (const Case& c : cases) {
        TKSCompositionConstraints constraints;
        constraints.setUseToleranceInDa(c.inDa);
        constraints.setTolerance(c.tolerance);
        WECConstraintsDialog dialog(constraints);
        auto* value = child<QDoubleSpinBox>(&dialog, "dsbTolVal");
        EXPECT_EQ(child<QComboBox>(&dialog, "cmbTolUnits")->currentIndex(), c.index);
        EXPECT_DOUBLE_EQ(value->minimum(), c.minimum) << c.tolerance;
        EXPECT_DOUBLE_EQ(value->maximum(), c.maximum) << c.tolerance;
        EXPECT_DOUBLE_EQ(value->value(), c.shown) << c.tolerance;
        EXPECT_EQ(dialog.constraints().getUseToleranceInDa(), c.inDa);
        EXPECT_DOUBLE_EQ(dialog.constraints().getTolerance(), c.shown);
    }
    WECConstraintsDialog dialog(TKSCompositionConstraints{});
    auto* units = child<QComboBox>(&dialog, "cmbTolUnits");
    auto* value = child<QDoubleSpinBox>(&dialog, "dsbTolVal");
    units->setCurrentIndex(1);
    EXPECT_TRUE(dialog.constraints().getUseToleranceInDa());
    EXPECT_DOUBLE_EQ(value->maximum(), 0.3);
    units->setCurrentIndex(0);
    EXPECT_FALSE(dialog.constraints().getUseToleranceInDa());
    EXPECT_DOUBLE_EQ(value->minimum(), 1.0);
    EXPECT_DOUBLE_EQ(value->maximum(), 5.0);
}

TEST_F(ConstraintsDialogTest, NoResultLimitOpensUncheckedAndReadsBackMinusOne)
{
    TKSCompositionConstraints constraints;
    constraints.setMaximumResultCount(-1);
    WECConstraintsDialog dialog(constraints);
    auto* group = child<QGroupBox>(&dialog, "gbResults");
    auto* count = child<QSpinBox>(&dialog, "sbResults");
    EXPECT_FALSE(group->isChecked());
    EXPECT_FALSE(count->isEnabled());
    EXPECT_EQ(count->value(), 1);
    EXPECT_EQ(dialog.constraints().getMaximumResultCount(), -1);
    group->setChecked(true);
    EXPECT_TRUE(count->isEnabled());
    count->setValue(12);
    EXPECT_EQ(dialog.constraints().getMaximumResultCount(), 12);
    group->setChecked(false);
    EXPECT_EQ(dialog.constraints().getMaximumResultCount(), -1);
}

TEST_F(ConstraintsDialogTest, ValuesBeyondTheBoxesShowClamped)
{
    TKSCompositionConstraints constraints;
    constraints.setMaximumResultCount(1000);
    constraints.setChargeState(-500);
    constraints.setDBEMinimum(-50.f);
    constraints.setDBEMaximum(1000.f);
    constraints.setFitnessThreshold(3.f);
    constraints.setAdduct(L"");
    WECConstraintsDialog dialog(constraints);
    EXPECT_EQ(child<QSpinBox>(&dialog, "sbResults")->value(), 100);
    EXPECT_EQ(child<QSpinBox>(&dialog, "sbCharge")->value(), -100);
    EXPECT_EQ(child<QDoubleSpinBox>(&dialog, "dsbDBEmin")->value(), -5.0);
    EXPECT_EQ(child<QDoubleSpinBox>(&dialog, "dsbDBEmax")->value(), 100.0);
    EXPECT_EQ(child<QDoubleSpinBox>(&dialog, "dsbFitness")->value(), 1.0);
    const TKSCompositionConstraints& read = dialog.constraints();
    EXPECT_EQ(read.getMaximumResultCount(), 100);
    EXPECT_EQ(read.getChargeState(), -100);
    EXPECT_TRUE(read.getAdduct().empty());

    // Each DBE box limits the other.
    auto* dbeMin = child<QDoubleSpinBox>(&dialog, "dsbDBEmin");
    auto* dbeMax = child<QDoubleSpinBox>(&dialog, "dsbDBEmax");
    dbeMax->setValue(4.0);
    dbeMin->setValue(10.0);
    EXPECT_EQ(dbeMin->value(), 4.0);
    EXPECT_EQ(dbeMax->minimum(), 4.0);

    // Typed text beyond the range is clamped; letters do not go in.
    auto* charge = child<QSpinBox>(&dialog, "sbCharge");
    charge->clear();
    QTest::keyClicks(charge, "x250");
    charge->interpretText();
    EXPECT_EQ(charge->value(), 25);
}

TEST_F(ConstraintsDialogTest, RestoreWithNothingStoredShowsTheBuiltInDefaults)
{
    WECConstraintsDialog dialog(twoElements());
    auto* table = child<QTableWidget>(&dialog, "tblElements");
    EXPECT_EQ(symbols(table), QStringList({"C", "Cl"}));
    QTest::mouseClick(child<QPushButton>(&dialog, "btnRestore"), Qt::LeftButton);
    EXPECT_EQ(symbols(table), QStringList({"C", "H", "N", "O", "S"}));
    EXPECT_EQ(table->item(1, 2)->text(), "200");
    EXPECT_EQ(dialog.constraints(), defaultCompositionConstraints());
    EXPECT_FALSE(QSettings().contains(QLatin1String(kCompositionConstraintsKey)));
}

TEST_F(ConstraintsDialogTest, SaveWritesAtOnceEvenWhenTheDialogIsCancelled)
{
    TKSCompositionConstraints constraints = twoElements();
    WECConstraintsDialog dialog(constraints);
    whenModal([](WECConstraintsDialog* d) {
        child<QLineEdit>(d, "leAdduct")->setText("Na");
        child<QComboBox>(d, "cmbElecMode")->setCurrentIndex(1);
        QTest::mouseClick(child<QPushButton>(d, "btnSave"), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());
        QTest::mouseClick(child<QPushButton>(d, "btnCancel"), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    const TKSCompositionConstraints stored = loadCompositionConstraints();
    EXPECT_EQ(stored.getAdduct(), L"Na");
    EXPECT_EQ(stored.getElectronMode(), 2);
    EXPECT_EQ(stored.getElementConstraints(), constraints.getElementConstraints());

    // A later dialog restores what was saved.
    WECConstraintsDialog other{TKSCompositionConstraints{}};
    QTest::mouseClick(child<QPushButton>(&other, "btnRestore"), Qt::LeftButton);
    EXPECT_EQ(other.constraints(), stored);

    WECConstraintsDialog accepted{TKSCompositionConstraints{}};
    whenModal([](QDialog* d) { QTest::mouseClick(child<QPushButton>(d, "btnOk"), Qt::LeftButton); });
    EXPECT_EQ(accepted.exec(), QDialog::Accepted);
}

TEST_F(ConstraintsDialogTest, RestoreOverDamagedStoredBytesShowsWhatTheReaderMakesOfThem)
{
    const QByteArray good = elementConstraintsToByteArray(twoElements());
    std::vector<QByteArray> damaged;
    for (int n = 0; n < good.size(); ++n)
        damaged.push_back(good.left(n));
    for (int at = 0; at + 4 <= good.size(); ++at) {
        QByteArray huge = good;
        huge.replace(at, 4, QByteArray("\x7f\xff\xff\xff", 4));
        damaged.push_back(huge);
    }
    WECConstraintsDialog dialog(TKSCompositionConstraints{});
    auto* table = child<QTableWidget>(&dialog, "tblElements");
    for (const QByteArray& bytes : damaged) {
        QSettings().setValue(QLatin1String(kCompositionConstraintsKey), bytes);
        const TKSCompositionConstraints expected = loadCompositionConstraints();
        QTest::mouseClick(child<QPushButton>(&dialog, "btnRestore"), Qt::LeftButton);
        ASSERT_EQ(table->rowCount(), static_cast<int>(expected.getElementConstraints().size())) << bytes.toHex().toStdString();
        EXPECT_EQ(dialog.constraints().getElementConstraints(), expected.getElementConstraints());
    }
}

TEST_F(ConstraintsDialogTest, AddAppendsEvenASymbolAlreadyListed)
{
    WECConstraintsDialog dialog(twoElements());
    auto* table = child<QTableWidget>(&dialog, "tblElements");
    whenModal([](WElementConstraintDialog* d) {
        auto* symbol = child<QComboBox>(d, "cmbSymbol");
        symbol->setCurrentIndex(1);  // "C", listed already
        child<QSpinBox>(d, "sbMax")->setValue(40);
        child<QSpinBox>(d, "sbMin")->setValue(50);  // limited by the maximum
        QTest::mouseClick(child<QPushButton>(d, "btnOk"), Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(&dialog, "btnAdd"), Qt::LeftButton);
    EXPECT_EQ(symbols(table), QStringList({"C", "Cl", "C"}));
    EXPECT_EQ(table->item(2, 1)->text(), "40");
    EXPECT_EQ(table->item(2, 2)->text(), "40");
    EXPECT_EQ(dialog.constraints().getElementConstraints().back(), TKSElementConstraint(L"C", 40, 40));

    // A typed symbol goes in as typed, an empty one too; Cancel adds nothing.
    whenModal([](WElementConstraintDialog* d) {
        child<QComboBox>(d, "cmbSymbol")->setEditText("");
        QTest::mouseClick(child<QPushButton>(d, "btnOk"), Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(&dialog, "btnAdd"), Qt::LeftButton);
    whenModal([](WElementConstraintDialog* d) { QTest::mouseClick(child<QPushButton>(d, "btnCancel"), Qt::LeftButton); });
    QTest::mouseClick(child<QPushButton>(&dialog, "btnAdd"), Qt::LeftButton);
    EXPECT_EQ(symbols(table), QStringList({"C", "Cl", "C", ""}));
    EXPECT_EQ(dialog.constraints().getElementConstraints().back(), TKSElementConstraint(L"", 0, 10));
}

TEST_F(ConstraintsDialogTest, EditRewritesOnlyThatRow)
{
    TKSCompositionConstraints constraints = twoElements();
    constraints.setElementConstraints({TKSElementConstraint(L"C", 1, 20), TKSElementConstraint(L"Cl", 150, 9000),
                                       TKSElementConstraint(L"Br", 0, 1)});
    WECConstraintsDialog dialog(constraints);
    dialog.show();
    auto* table = child<QTableWidget>(&dialog, "tblElements");
    QTableWidgetItem* first = table->item(0, 0);
    QTableWidgetItem* last = table->item(2, 2);
    whenModal([](WElementConstraintDialog* d) {
        // Counts beyond the boxes show clamped.
        EXPECT_EQ(child<QComboBox>(d, "cmbSymbol")->currentText(), "Cl");
        EXPECT_EQ(child<QSpinBox>(d, "sbMin")->value(), 100);
        EXPECT_EQ(child<QSpinBox>(d, "sbMax")->value(), 5000);
        child<QComboBox>(d, "cmbSymbol")->setEditText("I");
        child<QSpinBox>(d, "sbMax")->setValue(3);  // not below the minimum count
        EXPECT_EQ(child<QSpinBox>(d, "sbMax")->value(), 100);
        child<QSpinBox>(d, "sbMin")->setValue(2);
        child<QSpinBox>(d, "sbMax")->setValue(3);
        QTest::mouseClick(child<QPushButton>(d, "btnOk"), Qt::LeftButton);
    });
    const QPoint cell = table->visualItemRect(table->item(1, 0)).center();
    // An item view takes a double click after the click that precedes it.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    EXPECT_EQ(table->item(0, 0), first);
    EXPECT_EQ(table->item(2, 2), last);
    EXPECT_EQ(table->item(1, 0)->text(), "I");
    EXPECT_EQ(table->item(1, 2)->text(), "3");
    EXPECT_EQ(table->item(1, 1)->data(Qt::UserRole).toInt(), 1);
    EXPECT_EQ(dialog.constraints().getElementConstraints()[1], TKSElementConstraint(L"I", 2, 3));
    EXPECT_EQ(dialog.constraints().getElementConstraints()[2], TKSElementConstraint(L"Br", 0, 1));
}

TEST_F(ConstraintsDialogTest, DeleteRemovesTheCurrentRowAndNothingWithoutOne)
{
    WECConstraintsDialog dialog(twoElements());
    auto* table = child<QTableWidget>(&dialog, "tblElements");
    auto* del = child<QPushButton>(&dialog, "btnDel");
    table->setCurrentCell(-1, -1);
    EXPECT_FALSE(del->isEnabled());
    ASSERT_TRUE(QMetaObject::invokeMethod(&dialog, "on_btnDel_clicked"));
    EXPECT_EQ(symbols(table), QStringList({"C", "Cl"}));
    table->setCurrentCell(0, 1);
    EXPECT_TRUE(del->isEnabled());
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_EQ(symbols(table), QStringList({"Cl"}));
    EXPECT_EQ(dialog.constraints().getElementConstraints().size(), 1u);
}

}  // namespace

namespace {

TEST_F(ConstraintsDialogTest, SetConstraintsTakesTheElementListItShows)
{
    WECConstraintsDialog dialog(twoElements());
    auto* table = child<QTableWidget>(&dialog, "tblElements");
    dialog.setConstraints(defaultCompositionConstraints());
    EXPECT_EQ(symbols(table), QStringList({"C", "H", "N", "O", "S"}));
    table->setCurrentCell(4, 0);
    QTest::mouseClick(child<QPushButton>(&dialog, "btnDel"), Qt::LeftButton);
    std::vector<TKSElementConstraint> expected = defaultCompositionConstraints().getElementConstraints();
    expected.pop_back();
    EXPECT_EQ(dialog.constraints().getElementConstraints(), expected);
    EXPECT_EQ(symbols(table), QStringList({"C", "H", "N", "O"}));
}

}  // namespace
