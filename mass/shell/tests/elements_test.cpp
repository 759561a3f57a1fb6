// The element table missing: this program lies in a folder without
// KSElements.ini. The error box each time, false, a new attempt at the next
// call, and success once the file is there.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QAbstractButton>
#include <QMessageBox>

#include "kstestqt.h"
#include "pageitems.h"
#include "recordinghost.h"
#include "tionvale.h"
#include "tmolecule.h"

TEST(ElementTable, MissingOrDamagedFileAsksAgain)
{
    ks::test::useCaseSettings();
    const QString path = QCoreApplication::applicationDirPath() + "/KSElements.ini";
    QFile::remove(path);
    lumatra::RecordingHost host;
    TIonvale plugin;
    host.loadPlugin(&plugin);
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString title, text;
        ks::test::whenModal([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_FALSE(plugin.ensureElementTable());
        ks::test::finishModalAnswers();
        EXPECT_EQ(title, "Error");
        EXPECT_EQ(text, "Error initializing elements table from " + path);
    }
    // A damaged file: the same.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Elements]\nCount=oops\n\x01\x02");
    }
    ks::test::whenModal([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
    EXPECT_FALSE(plugin.ensureElementTable());
    ks::test::finishModalAnswers();
    // The file in place: loaded, and no box.
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(QString(KS_BIN_DIR) + "/KSElements.ini", path));
    EXPECT_TRUE(plugin.ensureElementTable());
    QFile::remove(path);
    EXPECT_TRUE(plugin.ensureElementTable());
}

TEST(ElementTable, ActionsStopAfterTheBox)
{
    ks::test::useCaseSettings();
    QFile::remove(QCoreApplication::applicationDirPath() + "/KSElements.ini");
    lumatra::RecordingHost host;
    TIonvale plugin;
    host.loadPlugin(&plugin);
    TCanvasItem* mass = plugin.createItem(112);
    host.addItem(mass);
    TMolecule molecule;
    molecule.cachedMolfile = "molecule";
    host.addItem(host.moleculePeer()->makeItem(molecule));
    host.setSelectedItems({mass});
    for (const char* action : {"massElementComposition", "massMoleculeMatch"}) {
        host.clearJournal();
        int boxes = 0;
        ks::test::whenModal([&](QMessageBox* box) {
            ++boxes;
            box->button(QMessageBox::Ok)->click();
        });
        plugin.executeAction(action);
        ks::test::finishModalAnswers();
        EXPECT_EQ(boxes, 1) << action;
        EXPECT_TRUE(host.calls("setMouseMode").isEmpty()) << action;
        EXPECT_TRUE(host.calls("showDock").isEmpty()) << action;
        EXPECT_TRUE(host.calls("molecule.moleculeOfItem").isEmpty()) << action;
        EXPECT_TRUE(host.commands().isEmpty()) << action;
    }
    for (TCanvasItem* item : host.allItems())
        delete item;
}
