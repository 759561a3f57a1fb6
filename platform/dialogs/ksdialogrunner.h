// Dialog runners: what answers the requests of the dialog service.
// Tests install a ScriptedDialogRunner, which answers from a queue and
// keeps a log of every question.
#pragma once

#include "ksdialogs.h"

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ks::dialogs {

class KS_PLATFORM_API DialogRunner {
public:
    virtual ~DialogRunner();
    virtual FileDialogResult fileDialog(const FileDialogRequest& request) = 0;
    virtual INT messageBox(const MessageBoxRequest& request) = 0;
    virtual INT runModal(DialogModel& model) = 0;
};

// Installs a runner for the whole process (null removes it) and returns
// the one installed before.
DialogRunner* setDialogRunner(DialogRunner* runner);
DialogRunner* dialogRunner();

// Installs a runner for the lifetime of the object and puts back the one
// installed before.
class KS_PLATFORM_API ScopedDialogRunner {
public:
    explicit ScopedDialogRunner(DialogRunner& runner);
    ~ScopedDialogRunner();
    ScopedDialogRunner(const ScopedDialogRunner&) = delete;
    ScopedDialogRunner& operator=(const ScopedDialogRunner&) = delete;

private:
    DialogRunner* m_previous;
};

enum class DialogKind { FileOpen, FileSave, MessageBox, Modal };

// One question as the scripted runner saw it, with its answer.
struct DialogLogEntry {
    DialogKind kind = DialogKind::MessageBox;
    std::wstring title;
    std::wstring text;              // message boxes
    std::wstring filter;            // file dialogs: as given
    std::wstring defaultExtension;  // file dialogs
    std::wstring initialFolder;     // file dialogs
    std::wstring initialName;       // file dialogs
    DWORD filterIndex = 0;          // file dialogs: the requested one
    DWORD flags = 0;                // OFN_* or MB_*
    INT answer = 0;                 // IDOK / IDCANCEL / the button
    std::vector<std::wstring> paths;  // file dialogs: what was answered
    DWORD resultFilterIndex = 0;      // file dialogs: the filter index answered
    std::string error;              // a script fault (no answer left, wrong kind, impossible button)
};

// Answers from a queue, in order, and logs every question. A question
// that finds no fitting answer is answered as cancelled, written to
// standard error and logged with an error, so a test sees it.
class KS_PLATFORM_API ScriptedDialogRunner : public DialogRunner {
public:
    ScriptedDialogRunner();
    ~ScriptedDialogRunner() override;

    // Answers for the next file dialog. A filter index of 0 keeps the
    // requested one; the default extension is applied as the dialog would.
    void answerFile(const std::wstring& path, DWORD filterIndex = 0);
    void answerFiles(const std::vector<std::wstring>& paths, DWORD filterIndex = 0);
    // The next message box answers with this button.
    void answerMessage(INT button);
    // The next modal dialog: `act` changes the model as a user would, then
    // the dialog ends with `result`. For IDOK the model's accept() is
    // asked; when it refuses, the dialog stays open and takes the next
    // modal answer.
    void answerModal(std::function<void(DialogModel&)> act, INT result = IDOK);
    // The same for a known model class; another class is a script fault.
    template <class Model>
    void answerModalAs(std::function<void(Model&)> act, INT result = IDOK)
    {
        answerModal(
            [act](DialogModel& m) {
                if (auto* typed = dynamic_cast<Model*>(&m))
                    act(*typed);
                else
                    throw WrongModel();
            },
            result);
    }
    // The next question of any kind is cancelled.
    void answerCancel();

    // Copies of the log and of the script faults, and the answers left.
    std::vector<DialogLogEntry> log() const;
    std::vector<std::string> errors() const;
    size_t pending() const;
    void clear();

    FileDialogResult fileDialog(const FileDialogRequest& request) override;
    INT messageBox(const MessageBoxRequest& request) override;
    INT runModal(DialogModel& model) override;

    struct KS_PLATFORM_API WrongModel {};

private:
    enum class AnswerKind { File, Message, Modal, Cancel };
    struct Answer {
        AnswerKind kind;
        std::vector<std::wstring> paths;
        DWORD filterIndex = 0;
        INT result = 0;
        std::function<void(DialogModel&)> act;
    };

    bool take(AnswerKind wanted, Answer& out, std::string& error);
    size_t addEntry(DialogLogEntry entry);
    void finishEntry(size_t index, INT answer, const std::string& error);

    mutable std::mutex m_mutex;
    std::deque<Answer> m_answers;
    std::vector<DialogLogEntry> m_log;
};

}  // namespace ks::dialogs
