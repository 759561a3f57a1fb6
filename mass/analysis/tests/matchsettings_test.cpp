// The molecule-match settings dialog and the new adduct dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "dialogtest.h"
#include "kstestqt.h"
#include "wmolmatchsettingsdialog.h"
#include "wnewadductdialog.h"

using dialogtest::child;
using ks::test::whenModal;

namespace {

class MatchSettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ks::test::useCaseSettings(); }

    static void answerAdduct(const QString& adduct, const QString& loss)
    {
        whenModal([adduct, loss](WNewAdductDialog* d) {
            child<QLineEdit>(d, "leAdduct")->setText(adduct);
            child<QLineEdit>(d, "leLoss")->setText(loss);
            child<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Ok)->click();
        });
    }
};

bool sameSettings(const TMolMatchSettings& a, const TMolMatchSettings& b)
{
    return a.positiveAdductList == b.positiveAdductList && a.negativeAdductList == b.negativeAdductList &&
           a.maxChargePositive == b.maxChargePositive && a.maxChargeNegative == b.maxChargeNegative &&
           a.enableDimers == b.enableDimers && a.scoreThreshold == b.scoreThreshold &&
           a.maxMatchesPerMolecule == b.maxMatchesPerMolecule && a.maxMatchesPerSpectrum == b.maxMatchesPerSpectrum &&
           a.msTolerance == b.msTolerance && a.msmsTolerance == b.msmsTolerance && a.toleranceInDa == b.toleranceInDa;
}

TEST_F(MatchSettingsDialogTest, FormHasThePartsWidgetsTextsAndRanges)
{
    TMolMatchSettings settings;
    settings.toleranceInDa = true;
    settings.msTolerance = 0.5;
    settings.msmsTolerance = 1.0;
    WMolMatchSettingsDialog dialog(settings);
    EXPECT_EQ(dialog.objectName(), "WMolMatchSettingsDialogClass");
    EXPECT_EQ(dialog.windowTitle(), "Molecule Match Settings");
    EXPECT_EQ(dialog.layout()->sizeConstraint(), QLayout::SetFixedSize);
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbTolerance")->title(), "Tolerance");
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbThresholds")->title(), "Thresholds");
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbAdducts")->title(), "Adducts");
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbCharges")->title(), "Charges");
    EXPECT_EQ(child<QComboBox>(&dialog, "cbUnits")->itemText(0), "Da");
    EXPECT_EQ(child<QComboBox>(&dialog, "cbUnits")->itemText(1), "ppm");
    auto* ms = child<QDoubleSpinBox>(&dialog, "dsbMSTol");
    EXPECT_EQ(ms->minimum(), 0.01);
    EXPECT_EQ(ms->maximum(), 10.0);
    EXPECT_EQ(ms->singleStep(), 0.1);
    EXPECT_EQ(child<QDoubleSpinBox>(&dialog, "dsbScore")->maximum(), 1.0);
    EXPECT_EQ(child<QSpinBox>(&dialog, "sbMatchSpec")->maximum(), 20);
    EXPECT_EQ(child<QSpinBox>(&dialog, "sbMaxNegCharge")->minimum(), 1);
    EXPECT_EQ(child<QToolButton>(&dialog, "tbAddNeg")->text(), "...");
    EXPECT_EQ(child<QCheckBox>(&dialog, "chkDimers")->text(), "Dimers");
    auto* positive = child<QTableWidget>(&dialog, "tblPosAdducts");
    EXPECT_EQ(positive->columnCount(), 2);
    EXPECT_EQ(positive->horizontalHeaderItem(1)->text(), "Loss");
    ASSERT_EQ(positive->rowCount(), 1);
    EXPECT_EQ(positive->item(0, 0)->text(), "H+");
    EXPECT_TRUE(positive->item(0, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(sameSettings(dialog.settings(), settings));
    dialogtest::writePicture(dialog, "molecule_match_settings");

    WNewAdductDialog adduct;
    EXPECT_EQ(adduct.objectName(), "WNewAdductDialogClass");
    EXPECT_EQ(adduct.windowTitle(), "New Adduct");
    EXPECT_EQ(child<QGroupBox>(&adduct, "gbIon")->title(), "Ion");
    EXPECT_EQ(child<QDialogButtonBox>(&adduct, "buttonBox")->orientation(), Qt::Vertical);
    EXPECT_EQ(adduct.layout()->sizeConstraint(), QLayout::SetFixedSize);
    dialogtest::writePicture(adduct, "new_adduct");
}

TEST_F(MatchSettingsDialogTest, OpensInTheStoredUnitWithTheStoredTolerances)
{
    struct Case {
        bool inDa;
        double ms, msms;
        const char* unit;
        double shownMs, shownMsms, minimum, maximum;
    } cases[] = {
        {false, 3, 7, "ppm", 3, 7, 1.0, 1000.0},
        {true, 0.2, 0.4, "Da", 0.2, 0.4, 0.01, 10.0},
        {true, 15, 0.001, "Da", 10.0, 0.01, 0.01, 10.0},  // clamped
        {false, 5000, 0.5, "ppm", 1000.0, 1.0, 1.0, 1000.0},
    };
    for (const Case& c : cases) {
        TMolMatchSettings settings;
        settings.toleranceInDa = c.inDa;
        settings.msTolerance = c.ms;
        settings.msmsTolerance = c.msms;
        WMolMatchSettingsDialog dialog(settings);
        auto* ms = child<QDoubleSpinBox>(&dialog, "dsbMSTol");
        auto* msms = child<QDoubleSpinBox>(&dialog, "dsbMSMSTol");
        EXPECT_EQ(child<QComboBox>(&dialog, "cbUnits")->currentText(), c.unit);
        EXPECT_DOUBLE_EQ(ms->value(), c.shownMs) << c.ms;
        EXPECT_DOUBLE_EQ(msms->value(), c.shownMsms) << c.msms;
        EXPECT_DOUBLE_EQ(ms->minimum(), c.minimum);
        EXPECT_DOUBLE_EQ(msms->maximum(), c.maximum);
        const TMolMatchSettings read = dialog.settings();
        EXPECT_EQ(read.toleranceInDa, c.inDa);
        EXPECT_DOUBLE_EQ(read.msTolerance, c.shownMs);
        EXPECT_DOUBLE_EQ(read.msmsTolerance, c.shownMsms);
    }
}

TEST_F(MatchSettingsDialogTest, SwitchingTheUnitResetsBothTolerances)
{
    TMolMatchSettings settings;
    settings.toleranceInDa = true;
    settings.msTolerance = 0.2;
    settings.msmsTolerance = 0.3;
    WMolMatchSettingsDialog dialog(settings);
    auto* units = child<QComboBox>(&dialog, "cbUnits");
    auto* ms = child<QDoubleSpinBox>(&dialog, "dsbMSTol");
    auto* msms = child<QDoubleSpinBox>(&dialog, "dsbMSMSTol");
    struct Step {
        int index;
        double ms, msms, step;
    } steps[] = {{1, 5.0, 10.0, 1.0}, {0, 0.5, 1.0, 0.1}, {1, 5.0, 10.0, 1.0}};
    for (const Step& s : steps) {
        ms->setValue(ms->minimum() + 0.5);
        units->setCurrentIndex(s.index);
        EXPECT_DOUBLE_EQ(ms->value(), s.ms) << s.index;
        EXPECT_DOUBLE_EQ(msms->value(), s.msms) << s.index;
        EXPECT_DOUBLE_EQ(msms->singleStep(), s.step) << s.index;
        EXPECT_EQ(dialog.settings().toleranceInDa, s.index == 0);
    }
}

TEST_F(MatchSettingsDialogTest, CountsAndChargesBeyondTheBoxesShowClamped)
{
    TMolMatchSettings settings;
    settings.maxMatchesPerMolecule = 50;
    settings.maxMatchesPerSpectrum = 0;
    settings.maxChargePositive = 21;
    settings.maxChargeNegative = 1000;
    settings.scoreThreshold = 2.5;
    settings.enableDimers = true;
    WMolMatchSettingsDialog dialog(settings);
    const TMolMatchSettings read = dialog.settings();
    EXPECT_EQ(read.maxMatchesPerMolecule, 20);
    EXPECT_EQ(read.maxMatchesPerSpectrum, 1);
    EXPECT_EQ(read.maxChargePositive, 20);
    EXPECT_EQ(read.maxChargeNegative, 20);
    EXPECT_DOUBLE_EQ(read.scoreThreshold, 1.0);
    EXPECT_TRUE(read.enableDimers);
}

TEST_F(MatchSettingsDialogTest, DimersUncheckedAndAcceptedGivesFalse)
{
    TMolMatchSettings settings;
    settings.enableDimers = true;
    WMolMatchSettingsDialog dialog(settings);
    whenModal([](WMolMatchSettingsDialog* d) {
        child<QCheckBox>(d, "chkDimers")->click();
        QTest::mouseClick(child<QPushButton>(d, "btnOk"), Qt::LeftButton);
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_FALSE(dialog.settings().enableDimers);
}

TEST_F(MatchSettingsDialogTest, AdductRowsAddDeleteAndReadBack)
{
    TMolMatchSettings settings;
    settings.positiveAdductList.clear();
    settings.negativeAdductList = {{"Cl-", ""}, {"", "H+"}};
    WMolMatchSettingsDialog dialog(settings);
    auto* positive = child<QTableWidget>(&dialog, "tblPosAdducts");
    auto* negative = child<QTableWidget>(&dialog, "tblNegAdducts");
    EXPECT_EQ(positive->rowCount(), 0);

    answerAdduct("", "");
    QTest::mouseClick(child<QToolButton>(&dialog, "tbAddPos"), Qt::LeftButton);
    answerAdduct("Na+", "H2O");
    QTest::mouseClick(child<QToolButton>(&dialog, "tbAddPos"), Qt::LeftButton);
    whenModal([](WNewAdductDialog* d) {
        child<QLineEdit>(d, "leAdduct")->setText("K+");
        child<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
    });
    QTest::mouseClick(child<QToolButton>(&dialog, "tbAddNeg"), Qt::LeftButton);
    EXPECT_EQ(dialog.settings().positiveAdductList, TAdductList({{"", ""}, {"Na+", "H2O"}}));
    EXPECT_EQ(dialog.settings().negativeAdductList, settings.negativeAdductList);

    // A cell edited in place reads back as edited.
    negative->item(0, 1)->setText("e");
    EXPECT_EQ(dialog.settings().negativeAdductList[0], TAdductPair("Cl-", "e"));

    negative->setCurrentCell(-1, -1);
    QTest::mouseClick(child<QToolButton>(&dialog, "tbDelNeg"), Qt::LeftButton);
    EXPECT_EQ(negative->rowCount(), 2);
    negative->setCurrentCell(1, 0);
    QTest::mouseClick(child<QToolButton>(&dialog, "tbDelNeg"), Qt::LeftButton);
    EXPECT_EQ(dialog.settings().negativeAdductList, TAdductList({{"Cl-", "e"}}));
    positive->setCurrentCell(0, 1);
    QTest::mouseClick(child<QToolButton>(&dialog, "tbDelPos"), Qt::LeftButton);
    EXPECT_EQ(dialog.settings().positiveAdductList, TAdductList({{"Na+", "H2O"}}));

    // An empty list leaves the table empty.
    dialog.setSettings(settings);
    EXPECT_EQ(positive->rowCount(), 0);
}

TEST_F(MatchSettingsDialogTest, SaveWritesAtOnceAndRestoreShowsTheStoredSettings)
{
    TMolMatchSettings settings;
    settings.toleranceInDa = false;
    settings.msTolerance = 3;
    settings.msmsTolerance = 7;
    settings.maxChargePositive = 3;
    settings.negativeAdductList = {{"Cl-", ""}};
    {
        WMolMatchSettingsDialog dialog(settings);
        whenModal([](WMolMatchSettingsDialog* d) {
            QTest::mouseClick(child<QPushButton>(d, "btnSave"), Qt::LeftButton);
            EXPECT_TRUE(d->isVisible());
            QTest::mouseClick(child<QPushButton>(d, "btnCancel"), Qt::LeftButton);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    }
    EXPECT_TRUE(sameSettings(loadMolMatchSettings(), settings));

    WMolMatchSettingsDialog other{TMolMatchSettings{}};
    QTest::mouseClick(child<QPushButton>(&other, "btnRestore"), Qt::LeftButton);
    EXPECT_TRUE(sameSettings(other.settings(), settings));
}

TEST_F(MatchSettingsDialogTest, RestoreOverDamagedStoredBytesShowsWhatTheReaderMakesOfThem)
{
    TMolMatchSettings settings;
    settings.positiveAdductList = {{"H+", ""}, {"Na+", ""}, {"NH4+", "H2O"}};
    settings.maxChargeNegative = 4;
    const QByteArray good = molMatchSettingsToByteArray(settings);
    std::vector<QByteArray> damaged;
    for (int n = 0; n < good.size(); ++n)
        damaged.push_back(good.left(n));
    for (int at = 0; at + 4 <= good.size(); ++at) {
        QByteArray huge = good;
        huge.replace(at, 4, QByteArray("\x7f\xff\xff\xff", 4));
        damaged.push_back(huge);
    }
    WMolMatchSettingsDialog dialog{TMolMatchSettings{}};
    for (const QByteArray& bytes : damaged) {
        QSettings().setValue(QLatin1String(kMolMatchSettingsKey), bytes);
        const TMolMatchSettings expected = loadMolMatchSettings();
        QTest::mouseClick(child<QPushButton>(&dialog, "btnRestore"), Qt::LeftButton);
        const TMolMatchSettings shown = dialog.settings();
        ASSERT_EQ(shown.positiveAdductList, expected.positiveAdductList) << bytes.toHex().toStdString();
        EXPECT_EQ(shown.negativeAdductList, expected.negativeAdductList);
        EXPECT_EQ(shown.toleranceInDa, expected.toleranceInDa);
        EXPECT_EQ(shown.maxChargeNegative, qBound(1, expected.maxChargeNegative, 20));
    }
}

}  // namespace
