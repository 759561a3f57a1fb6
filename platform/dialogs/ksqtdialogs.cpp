// The Qt side of the dialog service: real dialogs when a QApplication runs.
#include "ksdialogs.h"
#include "ksmodeldialog.h"
#include "ksqtdialogs_p.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <atomic>
#include <map>
#include <memory>

namespace ks::dialogs {

namespace {

QString qs(const std::wstring& s)
{
    return QString::fromStdWString(s);
}

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

// A dialog shown under a wait cursor shows the normal cursor, as a
// dialog of the platform resets the cursor over its own window.
class NormalCursorWhileShown {
public:
    NormalCursorWhileShown()
    {
        if (QApplication::overrideCursor()) {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
            m_pushed = true;
        }
    }
    ~NormalCursorWhileShown()
    {
        if (m_pushed)
            QApplication::restoreOverrideCursor();
    }

private:
    bool m_pushed = false;
};

class QtDialogRunner : public DialogRunner {
public:
    FileDialogResult fileDialog(const FileDialogRequest& request) override
    {
        NormalCursorWhileShown normal;
        QFileDialog dlg(dialogParent(), qs(request.title));
        // The widget dialog behaves alike everywhere (filter index, default
        // suffix, modality) and can be driven by tests.
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        if (request.save) {
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setFileMode(QFileDialog::AnyFile);
            if (!(request.flags & OFN_OVERWRITEPROMPT))
                dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
        } else {
            dlg.setAcceptMode(QFileDialog::AcceptOpen);
            if (request.flags & OFN_ALLOWMULTISELECT)
                dlg.setFileMode(QFileDialog::ExistingFiles);
            else if (request.flags & OFN_FILEMUSTEXIST)
                dlg.setFileMode(QFileDialog::ExistingFile);
            else
                dlg.setFileMode(QFileDialog::AnyFile);
        }

        QStringList filters;
        for (const auto& f : qtNameFilters(request.filter))
            filters << qs(f);
        if (!filters.isEmpty()) {
            dlg.setNameFilters(filters);
            const int index = (request.filterIndex >= 1 && request.filterIndex <= DWORD(filters.size()))
                                  ? int(request.filterIndex) - 1
                                  : 0;
            dlg.selectNameFilter(filters[index]);
        }
        std::wstring ext = request.defaultExtension;
        if (!ext.empty() && ext.front() == L'.')
            ext.erase(0, 1);
        if (!ext.empty())
            dlg.setDefaultSuffix(qs(ext));

        const InitialLocation loc = resolveInitialLocation(request);
        if (!loc.folder.empty())
            dlg.setDirectory(qs(loc.folder));
        if (!loc.name.empty())
            dlg.selectFile(qs(loc.name));

        FileDialogResult result;
        result.filterIndex = filters.isEmpty() ? 0 : request.filterIndex;
        if (dlg.exec() != QDialog::Accepted)
            return result;
        result.accepted = true;
        for (const QString& path : dlg.selectedFiles())
            result.paths.push_back(withDefaultExtension(path.toStdWString(), ext));
        if (!filters.isEmpty()) {
            const int chosen = filters.indexOf(dlg.selectedNameFilter());
            if (chosen >= 0)
                result.filterIndex = DWORD(chosen + 1);
        }
        return result;
    }

    INT messageBox(const MessageBoxRequest& request) override
    {
        NormalCursorWhileShown normal;
        QMessageBox box(dialogParent());
        box.setWindowTitle(qs(request.title));
        // Texts such as "<path> is not valid" are plain text, never markup.
        box.setTextFormat(Qt::PlainText);
        box.setText(qs(request.text));
        switch (request.flags & MB_ICONMASK) {
        case MB_ICONHAND:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONEXCLAMATION:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONASTERISK:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
            break;
        }

        // Buttons in the platform's order; the default-button flag counts in it.
        std::vector<std::pair<QAbstractButton*, INT>> buttons;
        auto standard = [&](QMessageBox::StandardButton b, INT id) {
            buttons.emplace_back(box.addButton(b), id);
        };
        auto custom = [&](const char* text, QMessageBox::ButtonRole role, INT id) {
            buttons.emplace_back(box.addButton(QApplication::translate("QMessageBox", text), role), id);
        };
        switch (request.flags & MB_TYPEMASK) {
        case MB_OKCANCEL:
            standard(QMessageBox::Ok, IDOK);
            standard(QMessageBox::Cancel, IDCANCEL);
            break;
        case MB_ABORTRETRYIGNORE:
            standard(QMessageBox::Abort, IDABORT);
            standard(QMessageBox::Retry, IDRETRY);
            standard(QMessageBox::Ignore, IDIGNORE);
            break;
        case MB_YESNOCANCEL:
            standard(QMessageBox::Yes, IDYES);
            standard(QMessageBox::No, IDNO);
            standard(QMessageBox::Cancel, IDCANCEL);
            break;
        case MB_YESNO:
            standard(QMessageBox::Yes, IDYES);
            standard(QMessageBox::No, IDNO);
            break;
        case MB_RETRYCANCEL:
            standard(QMessageBox::Retry, IDRETRY);
            standard(QMessageBox::Cancel, IDCANCEL);
            break;
        case MB_CANCELTRYCONTINUE:
            standard(QMessageBox::Cancel, IDCANCEL);
            custom("&Try Again", QMessageBox::AcceptRole, IDTRYAGAIN);
            custom("&Continue", QMessageBox::AcceptRole, IDCONTINUE);
            break;
        default:
            standard(QMessageBox::Ok, IDOK);
            break;
        }
        const size_t def = (request.flags & MB_DEFMASK) >> 8;
        if (def < buttons.size())
            box.setDefaultButton(qobject_cast<QPushButton*>(buttons[def].first));
        const INT escape = cancelAnswer(request.flags);
        for (const auto& b : buttons)
            if (b.second == escape)
                box.setEscapeButton(b.first);

        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        for (const auto& b : buttons)
            if (b.first == clicked)
                return b.second;
        return escape;
    }

    INT runModal(DialogModel& model) override
    {
        model.initialize();
        std::unique_ptr<QDialog> view(model.createView(dialogParent()));
        if (!view) {
            detail::report(detail::describe(model), "the dialog has no Qt view, answered as cancelled");
            model.finish(IDCANCEL);
            return IDCANCEL;
        }
        view->setWindowTitle(qs(model.title()));
        INT result;
        {
            NormalCursorWhileShown normal;
            const int r = view->exec();
            result = r == QDialog::Accepted ? IDOK : r == QDialog::Rejected ? IDCANCEL : INT(r);
        }
        view.reset();
        model.finish(result);
        return result;
    }
};

}  // namespace

namespace detail {

bool qtWidgetsUsable()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

DialogRunner& qtRunner()
{
    static QtDialogRunner runner;
    return runner;
}

}  // namespace detail

// ---------------------------------------------------------------------------

ModelDialogView::ModelDialogView(DialogModel& model, QWidget* parent)
    : QDialog(parent), m_model(model)
{
}

void ModelDialogView::accept()
{
    if (m_model.accept())
        QDialog::accept();
}

// ---------------------------------------------------------------------------

namespace {
std::atomic<int> g_waitCursors{0};
}

WaitCursor::WaitCursor()
{
    m_active = true;
    ++g_waitCursors;
    if (detail::qtWidgetsUsable()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_overridden = true;
    }
}

WaitCursor::~WaitCursor()
{
    restore();
}

void WaitCursor::restore()
{
    if (!m_active)
        return;
    m_active = false;
    --g_waitCursors;
    if (m_overridden && detail::qtWidgetsUsable())
        QApplication::restoreOverrideCursor();
    m_overridden = false;
}

int WaitCursor::depth()
{
    return g_waitCursors.load();
}

}  // namespace ks::dialogs
