// The dialog service with a QApplication (offscreen): real Qt dialogs,
// answered from a timer that finds the active modal widget.
#include "ksdialogrunner.h"
#include "ksdialogs.h"
#include "ksmodeldialog.h"
#include "kstest.h"
#include "kstestqt.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

using namespace ks::dialogs;
using ks::test::whenModal;
namespace fs = std::filesystem;

namespace {

const std::wstring kTextFilter = L"ASCII Spectrum (*.txt)|*.txt|All Files (*.*)|*.*||";

std::wstring wide(const std::string& s)
{
    return QString::fromStdString(s).toStdWString();
}

void touch(const std::string& path)
{
    ks::test::writeFile(path, "x\n");
}

class CountingModel : public DialogModel {
public:
    std::wstring title() const override { return L"Select Function"; }
    void initialize() override { ++initialized; }
    bool accept() override { return ++accepts >= 2; }  // the first OK is refused
    void finish(INT r) override { finished = r; }
    QDialog* createView(QWidget* parent) override
    {
        auto* v = new ModelDialogView(*this, parent);
        v->setObjectName("countingView");
        return v;
    }
    int initialized = 0;
    int accepts = 0;
    INT finished = 0;
};

class ViewlessModel : public DialogModel {
public:
    std::wstring title() const override { return L"No View"; }
    void finish(INT r) override { finished = r; }
    INT finished = 0;
};

}  // namespace

TEST(QtDialogs, FileOpenShowsAQFileDialogAndReadsItsAnswer)
{
    const std::string dir = ks::test::tempDir() + "/data";
    fs::create_directories(dir);
    touch(dir + "/run1.txt");
    touch(dir + "/run2.dat");

    FileDialogRequest r;
    r.title = L"Source Spectrum";
    r.filter = kTextFilter;
    r.defaultExtension = L"txt";
    r.initialName = wide(dir) + L"\\*.txt";
    r.flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;

    bool seen = false;
    whenModal([&](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        seen = true;
        EXPECT_EQ(dlg->windowTitle(), "Source Spectrum");
        EXPECT_TRUE(dlg->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dlg->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dlg->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dlg->nameFilters(), (QStringList{"ASCII Spectrum (*.txt)", "All Files (*)"}));
        EXPECT_EQ(dlg->selectedNameFilter(), "ASCII Spectrum (*.txt)");
        EXPECT_EQ(dlg->directory().absolutePath(), QString::fromStdString(dir));
        EXPECT_EQ(dlg->defaultSuffix(), "txt");
        // The user switches to all files and picks the .dat file.
        dlg->selectNameFilter("All Files (*)");
        dlg->selectFile(QString::fromStdString(dir + "/run2.dat"));
        static_cast<QDialog*>(dlg)->accept();
    });
    const FileDialogResult res = fileDialog(r);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(res.accepted);
    EXPECT_EQ(res.paths, std::vector<std::wstring>{wide(dir + "/run2.dat")});
    EXPECT_EQ(res.filterIndex, 2u);
    EXPECT_EQ(res.folder(), wide(dir));
}

TEST(QtDialogs, FileOpenRefusesAMissingFileWhenItMustExist)
{
    const std::string dir = ks::test::tempDir();
    touch(dir + "/there.txt");
    FileDialogRequest r;
    r.filter = kTextFilter;
    r.initialFolder = wide(dir);
    r.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;

    whenModal([&](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        dlg->selectFile(QString::fromStdString(dir + "/missing.txt"));
        // Refused with a warning box over the dialog, which stays open.
        bool warned = false;
        whenModal(
            [&](QWidget* warn) {
                warned = true;
                warn->close();
            },
            dlg);
        static_cast<QDialog*>(dlg)->accept();
        EXPECT_TRUE(warned);
        EXPECT_TRUE(dlg->isVisible());
        dlg->selectFile(QString::fromStdString(dir + "/there.txt"));
        static_cast<QDialog*>(dlg)->accept();
    });
    const FileDialogResult res = fileDialog(r);
    EXPECT_TRUE(res.accepted);
    EXPECT_EQ(res.path(), wide(dir + "/there.txt"));
}

TEST(QtDialogs, FileSaveAddsTheDefaultExtension)
{
    const std::string dir = ks::test::tempDir() + "/out";
    fs::create_directories(dir);

    FileDialogRequest r;
    r.save = true;
    r.title = L"Destination Spectrum";
    r.filter = kTextFilter;
    r.defaultExtension = L"txt";
    r.initialName = wide(dir);  // the folder without a trailing separator
    r.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;

    whenModal([&](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(dlg->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dlg->directory().absolutePath(), QString::fromStdString(dir));
        dlg->selectFile("spectrum");
        static_cast<QDialog*>(dlg)->accept();
    });
    const FileDialogResult res = fileDialog(r);
    EXPECT_TRUE(res.accepted);
    EXPECT_EQ(res.path(), wide(dir + "/spectrum.txt"));
    EXPECT_EQ(res.filterIndex, 1u);
}

TEST(QtDialogs, CancelledFileDialogKeepsTheRequestedFilter)
{
    FileDialogRequest r;
    r.filter = L"Tavrion Files (*.raw)|*.raw|All Files (*.*)|*.*||";
    r.filterIndex = 2;
    r.title = L"Open Corvane Pardinel Tavrion File";
    whenModal([](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->selectedNameFilter(), "All Files (*)");
        dlg->reject();
    });
    const FileDialogResult res = fileDialog(r);
    EXPECT_FALSE(res.accepted);
    EXPECT_TRUE(res.paths.empty());
    EXPECT_EQ(res.filterIndex, 2u);
}

TEST(QtDialogs, MessageBoxButtonsIconAndAnswer)
{
    whenModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Browse");
        // Angle brackets are shown as they are, not taken as markup.
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->text(), "</data/x> is not a valid Bruker dataset");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(messageBox(L"</data/x> is not a valid Bruker dataset", L"Browse",
                         MB_YESNOCANCEL | MB_ICONSTOP | MB_DEFBUTTON2),
              IDNO);
}

TEST(QtDialogs, MessageBoxEscapeGivesTheCancelAnswer)
{
    struct Case {
        UINT flags;
        INT answer;
        QMessageBox::Icon icon;
    };
    for (const Case c : {Case{MB_OK | MB_ICONINFORMATION, IDOK, QMessageBox::Information},
                         Case{MB_YESNO | MB_ICONQUESTION, IDNO, QMessageBox::Question},
                         Case{MB_RETRYCANCEL | MB_ICONWARNING, IDCANCEL, QMessageBox::Warning},
                         Case{MB_ABORTRETRYIGNORE, IDABORT, QMessageBox::NoIcon}}) {
        whenModal([c](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), c.icon);
            ASSERT_NE(box->escapeButton(), nullptr);
            box->escapeButton()->click();
        });
        EXPECT_EQ(messageBox(L"text", L"title", c.flags), c.answer) << c.flags;
    }
}

TEST(QtDialogs, MessageBoxCustomButtons)
{
    whenModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        ASSERT_EQ(box->buttons().size(), 3);
        for (QAbstractButton* b : box->buttons())
            if (b->text().remove('&') == "Continue")
                b->click();
    });
    EXPECT_EQ(messageBox(L"Go on?", L"", MB_CANCELTRYCONTINUE), IDCONTINUE);
}

TEST(QtDialogs, ModelViewAsksTheModelBeforeClosing)
{
    CountingModel model;
    whenModal([&](QWidget* w) {
        auto* view = qobject_cast<QDialog*>(w);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->objectName(), "countingView");
        EXPECT_EQ(view->windowTitle(), "Select Function");
        EXPECT_EQ(model.initialized, 1);  // filled before the view shows
        view->accept();
        EXPECT_TRUE(view->isVisible());  // refused by the model
        view->accept();
    });
    EXPECT_EQ(runModal(model), IDOK);
    EXPECT_EQ(model.accepts, 2);
    EXPECT_EQ(model.finished, IDOK);

    CountingModel cancelled;
    whenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(runModal(cancelled), IDCANCEL);
    EXPECT_EQ(cancelled.accepts, 0);
    EXPECT_EQ(cancelled.finished, IDCANCEL);
}

TEST(QtDialogs, ModelWithoutViewIsCancelled)
{
    ViewlessModel model;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runModal(model), IDCANCEL);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(model.finished, IDCANCEL);
    EXPECT_NE(err.find("\"No View\""), std::string::npos) << err;
}

TEST(QtDialogs, WaitCursorOverridesTheCursorButNotOverDialogs)
{
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    {
        WaitCursor wait;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

        Qt::CursorShape during = Qt::BlankCursor;
        whenModal([&](QWidget* w) {
            if (QApplication::overrideCursor())
                during = QApplication::overrideCursor()->shape();
            qobject_cast<QMessageBox*>(w)->escapeButton()->click();
        });
        messageBox(L"busy?");
        EXPECT_EQ(during, Qt::ArrowCursor);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

        wait.restore();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(WaitCursor::depth(), 0);
}

TEST(QtDialogs, ScriptedRunnerWinsOverQt)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerMessage(IDRETRY);
    EXPECT_EQ(messageBox(L"Retry?", L"", MB_RETRYCANCEL), IDRETRY);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(runner.log().size(), 1u);
}
