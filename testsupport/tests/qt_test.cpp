// The modal answers and the per-case settings of the Qt test support.
#include "kstest.h"
#include "kstestqt.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ks::test::whenModal;

namespace {

int askBox(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Title"), text, QMessageBox::Yes | QMessageBox::No);
    return box.exec();
}

}  // namespace

TEST(WhenModal, ActsOnTheWidgetTypeItTakes)
{
    QString seen;
    whenModal([&](QMessageBox* box) {
        seen = box->text();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(askBox(QStringLiteral("Go on?")), QMessageBox::No);
    EXPECT_EQ(seen, QStringLiteral("Go on?"));
}

TEST(WhenModal, AnswersQueueInTheOrderGiven)
{
    std::vector<QString> seen;
    whenModal([&](QMessageBox* box) {
        seen.push_back(box->text());
        box->button(QMessageBox::Yes)->click();
    });
    whenModal([&](QWidget* w) {
        seen.push_back(qobject_cast<QMessageBox*>(w)->text());
        qobject_cast<QMessageBox*>(w)->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(askBox(QStringLiteral("one")), QMessageBox::Yes);
    EXPECT_EQ(askBox(QStringLiteral("two")), QMessageBox::No);
    EXPECT_EQ(seen, (std::vector<QString>{QStringLiteral("one"), QStringLiteral("two")}));
}

// A box over a dialog: the answer given inside the dialog's act takes the
// box, not the dialog its own act still holds.
TEST(WhenModal, BoxOverADialogBeingAnswered)
{
    QDialog dialog;
    bool boxSeen = false;
    whenModal([&](QDialog* d) {
        ASSERT_EQ(d, &dialog);
        whenModal([&](QMessageBox* box) {
            boxSeen = true;
            box->button(QMessageBox::Yes)->click();
        });
        EXPECT_EQ(askBox(QStringLiteral("Sure?")), QMessageBox::Yes);
        EXPECT_TRUE(d->isVisible());
        d->accept();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(boxSeen);
}

TEST(WhenModal, AWidgetLeftOpenFailsAndIsClosed)
{
    QDialog dialog;
    int result = -1;
    EXPECT_NONFATAL_FAILURE(
        {
            whenModal([](QDialog*) {});
            result = dialog.exec();
        },
        "the dialog was left open");
    EXPECT_EQ(result, QDialog::Rejected);
}

TEST(WhenModal, AnAnswerNeverUsedFails)
{
    EXPECT_NONFATAL_FAILURE(
        {
            whenModal([](QWidget*) {});
            ks::test::finishModalAnswers();
        },
        "no modal dialog was shown");
}

// Run in either order (or in separate processes), each case starts with
// no value and writes one into its own folder.
class CaseSettings : public ::testing::TestWithParam<int> {};

TEST_P(CaseSettings, LiveInTheCaseFolder)
{
    const QString file = ks::test::useCaseSettings();
    EXPECT_EQ(file.toStdString(), ks::test::tempDir() + "/config/Kestrom/Lumatra.conf");
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Kestrom"));
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Lumatra"));
    {
        QSettings settings;
        EXPECT_FALSE(settings.contains(QStringLiteral("Mass/Case")));
        settings.setValue(QStringLiteral("Mass/Case"), GetParam());
        EXPECT_EQ(settings.fileName(), file);
    }
    EXPECT_TRUE(QFileInfo::exists(file));
    QSettings system(QSettings::SystemScope, QStringLiteral("Kestrom"), QStringLiteral("Lumatra"));
    EXPECT_EQ(system.fileName().toStdString(), ks::test::tempDir() + "/config/system/Kestrom/Lumatra.conf");
}

INSTANTIATE_TEST_SUITE_P(TwoCases, CaseSettings, ::testing::Values(1, 2));
