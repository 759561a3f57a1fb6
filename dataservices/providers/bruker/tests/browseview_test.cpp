// The real "Select Bruker Dataset" dialog on the offscreen platform, put
// up by the browse operations and answered with QtTest from a timer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "brukerbrowseview.h"
#include "brukerdataio.h"
#include "brukertest.h"
#include "kstestqt.h"

using namespace xmass;

namespace {

// The view has no meta-object of its own: the act takes the dialog and
// casts it.
CBrukerInputDialogView* viewOf(QDialog* dialog)
{
    auto* view = dynamic_cast<CBrukerInputDialogView*>(dialog);
    EXPECT_TRUE(view) << "another dialog than the Bruker dialog is up";
    if (!view)
        dialog->reject();
    return view;
}

int rowOf(QListWidget* list, const QString& text)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text)
            return i;
    return -1;
}

TEST(XmassBrowseView, DatasetModeChoosesExperimentAndProcessing)
{
    const Tree ds = StandardDataset("root/ds");
    Tree("root").Folder("plain");
    ks::test::whenModal([](QDialog* d) {
        CBrukerInputDialogView* v = viewOf(d);
        if (!v)
            return;
        EXPECT_EQ(v->windowTitle(), QStringLiteral("Select Bruker Dataset"));
        EXPECT_FALSE(v->ScanSpin()->isVisible());  // no scan row outside spectrum mode
        EXPECT_FALSE(v->OpenButton()->isEnabled());
        EXPECT_EQ(v->FolderList()->count(), 2);
        v->FolderList()->setCurrentRow(rowOf(v->FolderList(), QStringLiteral("ds")));
        EXPECT_EQ(v->ExperimentList()->count(), 4);
        EXPECT_EQ(v->ExperimentList()->item(0)->text(), QStringLiteral("1:  Sample A  "));
        EXPECT_TRUE(v->ProcessingCombo()->isEnabled());
        EXPECT_EQ(v->DescriptionEdit()->text(), QStringLiteral("1: first"));
        v->ProcessingCombo()->setCurrentIndex(1);
        EXPECT_EQ(v->DescriptionEdit()->text(), QStringLiteral("2: second"));
        EXPECT_TRUE(v->OpenButton()->isEnabled());
        QTest::mouseClick(v->OpenButton(), Qt::LeftButton);
    });
    CBrukerBrowse browse;
    std::wstring source;
    ASSERT_TRUE(browse.BrowseDataset(ds.WRoot(), source));
    EXPECT_EQ(source, FormatDataSource(ds.WRoot(), L"1", L"2"));
}

TEST(XmassBrowseView, SpectrumModeChoosesTheScan)
{
    const Tree ds = StandardDataset("root/ds");
    ks::test::whenModal([](QDialog* d) {
        CBrukerInputDialogView* v = viewOf(d);
        if (!v)
            return;
        EXPECT_TRUE(v->ScanSpin()->isVisible());
        v->FolderList()->setCurrentRow(0);
        EXPECT_FALSE(v->ScanSpin()->isEnabled());
        v->ExperimentList()->setCurrentRow(2);  // the series
        EXPECT_TRUE(v->ScanSpin()->isEnabled());
        EXPECT_EQ(v->ScanCountEdit()->text(), QStringLiteral("3"));
        EXPECT_EQ(v->ScanSpin()->maximum(), 3);
        v->ScanSpin()->setValue(2);
        QTest::mouseClick(v->OpenButton(), Qt::LeftButton);
    });
    CBrukerBrowse browse;
    std::wstring source, scan;
    ASSERT_TRUE(browse.BrowseSpectrum(ds.WRoot(), source, scan));
    EXPECT_EQ(source, FormatDataSource(ds.WRoot(), L"4.ser", L"1"));
    EXPECT_EQ(scan, L"2");
}

TEST(XmassBrowseView, BrowsingFoldersAndCancelling)
{
    const Tree ds = StandardDataset("root/ds");
    ks::test::whenModal([ds](QDialog* d) {
        CBrukerInputDialogView* v = viewOf(d);
        if (!v)
            return;
        v->FolderList()->setCurrentRow(0);
        QTest::mouseClick(v->BrowseButton(), Qt::LeftButton);  // into "ds"
        EXPECT_EQ(v->FolderEdit()->text(), QString::fromStdWString(ds.WRoot()));
        EXPECT_EQ(v->FolderList()->count(), 5);
        EXPECT_EQ(v->ExperimentList()->count(), 0);
        v->FolderEdit()->setText(QString::fromStdWString(ds.WPath("4.ser")));
        QTest::keyClick(v->FolderEdit(), Qt::Key_Return);
        EXPECT_EQ(v->FolderList()->count(), 1);  // "pdata"
        v->reject();
    });
    CBrukerBrowse browse;
    std::wstring source = L"unchanged";
    EXPECT_FALSE(browse.BrowseDataset(ds.WRoot(), source));
    EXPECT_EQ(source, L"unchanged");
}

}  // namespace
