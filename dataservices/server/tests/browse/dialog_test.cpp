// The real browse dialogs on the offscreen platform, put up by the browse
// members of the dataset access and answered with QtTest from a timer.
#include "browsefakes.h"
#include "browseimages.h"
#include "ksbrowsedialogs.h"
#include "ksactivation.h"
#include "ksclasstable.h"
#include "kstest.h"
#include "kstestqt.h"
#include "opendialog.h"
#include "opendialogview.h"
#include "readersettings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using ks::test::whenModal;

namespace {

QTreeWidgetItem* childItem(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return nullptr;
}

QTreeWidgetItem* topItem(QTreeWidget* tree, const QString& text)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(0) == text)
            return tree->topLevelItem(i);
    return nullptr;
}

// A click on the item's label, as a user selects it.
void clickItem(QTreeWidget* tree, QTreeWidgetItem* item)
{
    tree->scrollToItem(item);
    const QRect r = tree->visualItemRect(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left() + 25, r.center().y()));
}

void doubleClickItem(QTreeWidget* tree, QTreeWidgetItem* item, int x)
{
    tree->scrollToItem(item);
    const QRect r = tree->visualItemRect(item);
    const QPoint p(r.left() + x, r.center().y());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, p);
}

void clickRow(QListWidget* list, int row)
{
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
}

std::wstring wide(const std::string& s)
{
    return QString::fromStdString(s).toStdWString();
}

LONG indexOf(IKSFunction* f)
{
    LONG index = 0;
    EXPECT_EQ(f->get_Index(&index), S_OK);
    return index;
}

template <class T>
void release(T*& p)
{
    if (p)
        p->Release();
    p = nullptr;
}

class BrowseDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        setUpFakeProviders();
        access = newDataAccess();
        ASSERT_TRUE(access);
        dir = ks::test::tempDir() + "/tree";
        for (const char* folder : {"/data/sub", "/data/empty", "/other"})
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir + folder)));
        for (const char* file : {"/data/run.ds", "/data/sub/three.ds3", "/data/notes.doc", "/other/b.ds"})
            ks::test::writeFile(dir + file, "x");
        tableFile = ks::test::tempDir() + "/mounts";
        ks::test::writeFile(tableFile, "overlay / overlay rw 0 0\ntmpfs " + dir + " tmpfs rw 0 0\n");
        linuxPlatform = std::make_unique<KSLinuxBrowsePlatform>(tableFile);
        scoped = std::make_unique<ScopedBrowsePlatform>(*linuxPlatform);
    }
    void TearDown() override
    {
        scoped.reset();
        access.reset();
        tearDownFakeProviders();
    }

    std::string dir;
    std::string tableFile;
    std::unique_ptr<KSLinuxBrowsePlatform> linuxPlatform;
    std::unique_ptr<ScopedBrowsePlatform> scoped;
    ks::ComPtr<IKSDataAccess> access;
};

TEST_F(BrowseDialog, BrowseInjectionFromTheRememberedFolderWithScreenshot)
{
    const std::wstring d = wide(dir);
    WriteSourcePath(CKSDataAccess::kBrowserSettingsKey, d + L"/data");

    whenModal([&](QDialog* dlg) {
        auto* view = dynamic_cast<COpenDialogView*>(dlg);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Select Dataset"));
        const ksbrowse::DialogUnits du(dlg->font());
        EXPECT_EQ(dlg->size(), QSize(du.x(425), du.y(333)));
        // No filters: the tree takes 195 pixels of the combos' room.
        EXPECT_EQ(view->Tree()->width(), du.x(227) + 195);
        for (size_t j = 0; j < 8; ++j)
            EXPECT_FALSE(view->Combo(j)->isVisible());
        EXPECT_FALSE(view->FunctionList()->isEnabled());
        EXPECT_FALSE(view->OkButton()->isEnabled());

        QTreeWidget* tree = view->Tree();
        QTreeWidgetItem* drive = topItem(tree, QString::fromStdWString(d));
        ASSERT_NE(drive, nullptr);
        EXPECT_TRUE(drive->isExpanded());
        QTreeWidgetItem* data = childItem(drive, QStringLiteral("data"));
        ASSERT_NE(data, nullptr);
        EXPECT_TRUE(data->isExpanded());
        EXPECT_EQ(tree->currentItem(), data);
        EXPECT_EQ(data->childCount(), 3);  // empty, run.ds, sub
        EXPECT_FALSE(data->icon(0).isNull());

        // Open "sub" by its expansion box, then its dataset of three.
        QTreeWidgetItem* sub = childItem(data, QStringLiteral("sub"));
        ASSERT_NE(sub, nullptr);
        tree->expandItem(sub);
        EXPECT_EQ(tree->currentItem(), sub);
        QTreeWidgetItem* three = childItem(sub, QStringLiteral("three.ds3"));
        ASSERT_NE(three, nullptr);
        tree->expandItem(three);
        ASSERT_EQ(three->childCount(), 3);
        EXPECT_EQ(three->child(0)->text(0), QStringLiteral("Alpha"));

        QTreeWidgetItem* run = childItem(data, QStringLiteral("run.ds"));
        ASSERT_NE(run, nullptr);
        clickItem(tree, run);
        EXPECT_EQ(tree->currentItem(), run);
        EXPECT_TRUE(view->OkButton()->isEnabled());
        ASSERT_EQ(view->FunctionList()->count(), 1);
        EXPECT_EQ(view->FunctionList()->item(0)->text(), QStringLiteral("MS"));

        const QString shot = QStringLiteral(KS_BINARY_DIR "/select_dataset.png");
        EXPECT_TRUE(dlg->grab().save(shot, "PNG")) << shot.toStdString();
        QTest::mouseClick(view->OkButton(), Qt::LeftButton);
    });

    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    EXPECT_EQ(access->BrowseInjection(&server, &injection), S_OK);
    ASSERT_NE(server, nullptr);
    ASSERT_NE(injection, nullptr);
    ks::Bstr current;
    EXPECT_EQ(server->CurrentDataset(&current), S_OK);
    EXPECT_EQ(current.str(), d + L"/data/run.ds");
    std::wstring remembered;
    ReadSourcePath(CKSDataAccess::kBrowserSettingsKey, remembered);
    EXPECT_EQ(remembered, d + L"/data/run.ds");
    release(injection);
    release(server);

    const QImage image(QStringLiteral(KS_BINARY_DIR "/select_dataset.png"));
    EXPECT_FALSE(image.isNull());
}

TEST_F(BrowseDialog, DoubleClickOnAnInjectionConfirms)
{
    const std::wstring d = wide(dir);
    WriteSourcePath(CKSDataAccess::kBrowserSettingsKey, d + L"/data/sub/three.ds3");
    whenModal([&](QDialog* dlg) {
        auto* view = dynamic_cast<COpenDialogView*>(dlg);
        ASSERT_NE(view, nullptr);
        QTreeWidget* tree = view->Tree();
        // The walk ends at the dataset of three, which it expanded.
        QTreeWidgetItem* three = tree->currentItem();
        ASSERT_NE(three, nullptr);
        EXPECT_EQ(three->text(0), QStringLiteral("three.ds3"));
        ASSERT_EQ(three->childCount(), 3);
        EXPECT_FALSE(view->OkButton()->isEnabled());
        QTreeWidgetItem* alpha = childItem(three, QStringLiteral("Alpha"));
        ASSERT_NE(alpha, nullptr);
        // A double click right of the label is not on the item.
        doubleClickItem(tree, alpha, tree->viewport()->width() - 4);
        EXPECT_TRUE(dlg->isVisible());
        doubleClickItem(tree, alpha, 25);
        EXPECT_FALSE(dlg->isVisible());
    });
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    EXPECT_EQ(access->BrowseInjection(&server, &injection), S_OK);
    ASSERT_NE(injection, nullptr);
    LONG index = 0;
    EXPECT_EQ(injection->get_Index(&index), S_OK);
    EXPECT_EQ(index, 2);
    release(injection);
    release(server);
}

TEST_F(BrowseDialog, CancelReleasesWhatTheDialogOpened)
{
    const std::wstring d = wide(dir);
    WriteSourcePath(CKSDataAccess::kBrowserSettingsKey, d + L"/other/b.ds");
    const int before = FakeBrowseServers::alive;
    whenModal([&](QDialog* dlg) {
        auto* view = dynamic_cast<COpenDialogView*>(dlg);
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->OkButton()->isEnabled());
        EXPECT_EQ(FakeBrowseServers::alive, before + 1);
        QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("cancelButton")), Qt::LeftButton);
    });
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    EXPECT_EQ(access->BrowseInjection(&server, &injection), S_FALSE);
    EXPECT_EQ(server, nullptr);
    EXPECT_EQ(injection, nullptr);
    EXPECT_EQ(FakeBrowseServers::alive, before);
    std::wstring remembered;
    ReadSourcePath(CKSDataAccess::kBrowserSettingsKey, remembered);
    EXPECT_EQ(remembered, d + L"/other/b.ds");
}

TEST_F(BrowseDialog, BrowseFunctionByDoubleClickInTheList)
{
    FakeBrowseServers::functions = {{L"Full", 1, 1, 1}, {L"Product", 2, 2, 1}};
    WriteSourcePath(CKSDataAccess::kBrowserSettingsKey, wide(dir) + L"/data/run.ds");
    whenModal([&](QDialog* dlg) {
        auto* view = dynamic_cast<COpenDialogView*>(dlg);
        ASSERT_NE(view, nullptr);
        QListWidget* list = view->FunctionList();
        EXPECT_TRUE(list->isEnabled());
        ASSERT_EQ(list->count(), 2);
        EXPECT_FALSE(view->OkButton()->isEnabled());
        clickRow(list, 1);
        EXPECT_TRUE(view->OkButton()->isEnabled());
        const QRect r = list->visualItemRect(list->item(1));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        EXPECT_FALSE(dlg->isVisible());
    });
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    IKSFunction* function = nullptr;
    EXPECT_EQ(access->BrowseFunction(&server, &injection, &function), S_OK);
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(indexOf(function), 2);
    release(function);
    release(injection);
    release(server);
}

TEST_F(BrowseDialog, BrowseComboWithMsAndMsnFiltersOnTheFakePlatform)
{
    FakeBrowsePlatform fake;
    fake.drives = {{L'C', KS_DRIVE_FIXED}, {L'Z', KS_DRIVE_REMOTE}};
    fake.addFolder(L"C:\\runs");
    fake.addFile(L"C:\\runs\\a.ds");
    ScopedBrowsePlatform useFake(fake);
    FakeBrowseServers::functions = {{L"Full scan", 1, 1, 1}, {L"Product scan", 2, 2, 1}, {L"Other", 0, 0, 0}};
    ks::ComPtr<IKSDataAccess3> access3;
    ASSERT_EQ(access3.queryFrom(access.get()), S_OK);
    ASSERT_EQ(access3->AddComboFilter3(ks::Bstr(L"MS"), FunctionType(1), 0, FunctionPolarityUnknown), S_OK);
    ASSERT_EQ(access3->AddComboFilter3(ks::Bstr(L"MSn"), FunctionType(2), 0, FunctionPolarityUnknown), S_OK);
    WriteSourcePath(CKSDataAccess::kBrowserSettingsKey, L"C:\\runs");

    whenModal([&](QDialog* dlg) {
        auto* view = dynamic_cast<COpenDialogView*>(dlg);
        ASSERT_NE(view, nullptr);
        const ksbrowse::DialogUnits du(dlg->font());
        EXPECT_EQ(view->Tree()->width(), du.x(227));
        EXPECT_TRUE(view->Combo(0)->isVisible());
        EXPECT_TRUE(view->Combo(1)->isVisible());
        EXPECT_FALSE(view->Combo(2)->isVisible());
        EXPECT_EQ(view->ComboLabel(0)->text(), QStringLiteral("MS"));
        EXPECT_EQ(view->ComboLabel(1)->text(), QStringLiteral("MSn"));
        QTreeWidget* tree = view->Tree();
        ASSERT_EQ(tree->topLevelItemCount(), 3);
        EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("C:"));
        EXPECT_EQ(tree->topLevelItem(2)->text(0), QStringLiteral("Network Neighborhood"));
        QTreeWidgetItem* runs = tree->currentItem();
        ASSERT_NE(runs, nullptr);
        EXPECT_EQ(runs->text(0), QStringLiteral("runs"));
        EXPECT_FALSE(view->OkButton()->isEnabled());
        clickItem(tree, childItem(runs, QStringLiteral("a.ds")));
        EXPECT_EQ(view->Combo(0)->count(), 3);
        EXPECT_EQ(view->Combo(0)->currentText(), QStringLiteral("Full scan"));
        EXPECT_EQ(view->Combo(1)->currentText(), QStringLiteral("Product scan"));
        view->Combo(1)->setCurrentIndex(2);  // "Other"
        // The combos choose: OK is up as soon as a dataset is.
        EXPECT_TRUE(view->OkButton()->isEnabled());
        EXPECT_FALSE(view->FunctionList()->isEnabled());
        // With combos a double click in the tree does not confirm.
        doubleClickItem(tree, childItem(runs, QStringLiteral("a.ds")), 25);
        EXPECT_TRUE(dlg->isVisible());
        QTest::mouseClick(view->OkButton(), Qt::LeftButton);
    });
    IKSFunction* f[4] = {nullptr, nullptr, nullptr, nullptr};
    IKSInjection* injection = nullptr;
    IKSDataServer* server = nullptr;
    EXPECT_EQ(access->BrowseCombo(&f[0], &f[1], &f[2], &f[3], &injection, &server), S_OK);
    ASSERT_NE(f[0], nullptr);
    ASSERT_NE(f[1], nullptr);
    EXPECT_EQ(indexOf(f[0]), 1);
    EXPECT_EQ(indexOf(f[1]), 3);
    EXPECT_EQ(f[2], nullptr);
    for (IKSFunction*& p : f)
        release(p);
    release(injection);
    release(server);
}

TEST_F(BrowseDialog, SelectFunctionDialog)
{
    FakeBrowseServers::functions = {{L"first", 1, 1, 1}, {L"second", 2, 2, 1}, {L"third", 2, 2, 2}};
    ks::ComPtr<IKSDataAccess2> access2;
    ASSERT_EQ(access2.queryFrom(access.get()), S_OK);
    const ks::Bstr path(wide(dir) + L"/data/run.ds");

    for (bool doubleClick : {false, true}) {
        whenModal([&](QDialog* dlg) {
            EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Select Function"));
            const ksbrowse::DialogUnits du(dlg->font());
            EXPECT_EQ(dlg->size(), QSize(du.x(240), du.y(108)));
            auto* list = dlg->findChild<QListWidget*>(QStringLiteral("functionList"));
            ASSERT_NE(list, nullptr);
            ASSERT_EQ(list->count(), 3);
            EXPECT_EQ(list->item(2)->text(), QStringLiteral("third"));
            if (doubleClick) {
                clickRow(list, 2);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                                   list->visualItemRect(list->item(2)).center());
            } else {
                clickRow(list, 1);
                QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
            }
        });
        IKSDataServer* server = nullptr;
        IKSInjection* injection = nullptr;
        IKSFunction* function = nullptr;
        EXPECT_EQ(access2->BrowseInjectionFunctions(path, 1, &server, &injection, &function), S_OK);
        ASSERT_NE(function, nullptr);
        EXPECT_EQ(indexOf(function), doubleClick ? 3 : 2);
        release(function);
        release(injection);
        release(server);
    }
}

// The deliverable itself: KSDataAccess from the registered component, on
// the system's own mount table.
TEST(BrowseComponent, BrowseInjectionThroughTheRegisteredComponent)
{
    const ks::test::RunResult reg =
        ks::test::run({std::string(KS_BIN_DIR) + "/ksregsvr", std::string(KS_LIB_DIR) + "/KSProviderServer.so"});
    ASSERT_EQ(reg.exitCode, 0) << reg.out << reg.err;
    const DWORD cookie = setUpFakeServerOnly();
    const std::string dir = ks::test::tempDir() + "/component";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir + "/runs")));
    ks::test::writeFile(dir + "/runs/one.ds", "x");
    const std::wstring d = wide(dir);
    WriteSourcePath(CKSDataAccess::kBrowserSettingsKey, d + L"/runs");

    {
        ks::ComPtr<IKSDataAccess> access;
        ASSERT_EQ(CoCreateInstance(CLSID_KSDataAccess, nullptr, CLSCTX_INPROC_SERVER, IID_IKSDataAccess,
                                   access.out()),
                  S_OK);
        // Not this program's own class: its code lives in the component.
        const void* vtable = *reinterpret_cast<void* const*>(access.get());
        const std::wstring module = ks::modulePathOf(vtable);
        EXPECT_NE(module.find(L"KSProviderServer.so"), std::wstring::npos);

        whenModal([&](QDialog* dlg) {
            EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Select Dataset"));
            auto* tree = dlg->findChild<QTreeWidget*>(QStringLiteral("datasetTree"));
            ASSERT_NE(tree, nullptr);
            EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("/"));
            QTreeWidgetItem* runs = tree->currentItem();
            ASSERT_NE(runs, nullptr);
            EXPECT_EQ(runs->text(0), QStringLiteral("runs"));
            QTreeWidgetItem* one = childItem(runs, QStringLiteral("one.ds"));
            ASSERT_NE(one, nullptr);
            doubleClickItem(tree, one, 25);
            EXPECT_FALSE(dlg->isVisible());
        });
        IKSDataServer* server = nullptr;
        IKSInjection* injection = nullptr;
        EXPECT_EQ(access->BrowseInjection(&server, &injection), S_OK);
        ASSERT_NE(server, nullptr);
        ks::Bstr current;
        EXPECT_EQ(server->CurrentDataset(&current), S_OK);
        EXPECT_EQ(current.str(), d + L"/runs/one.ds");
        release(injection);
        release(server);
    }
    EXPECT_EQ(ksRevokeClassObject(cookie), S_OK);
}

TEST(BrowseImages, SeventeenDistinctImagesWithWhiteTransparent)
{
    const QImage strip = ksbrowse::imageStrip().toImage();
    EXPECT_EQ(strip.size(), QSize(17 * 17, 16));
    std::vector<QImage> seen;
    for (int i = 0; i < 17; ++i) {
        const QImage one = ksbrowse::image(i).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(one.size(), QSize(17, 16));
        int opaque = 0;
        int clear = 0;
        for (int y = 0; y < one.height(); ++y)
            for (int x = 0; x < one.width(); ++x)
                (qAlpha(one.pixel(x, y)) == 0 ? clear : opaque)++;
        EXPECT_GT(opaque, 10) << i;
        EXPECT_GT(clear, 10) << i;
        for (const QImage& other : seen)
            EXPECT_NE(one, other) << i;
        seen.push_back(one);
    }
    EXPECT_TRUE(ksbrowse::image(17).isNull());
}

}  // namespace
