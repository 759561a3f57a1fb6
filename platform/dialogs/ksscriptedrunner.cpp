// The scripted dialog runner: answers from a queue and logs every question.
#include "ksdialogrunner.h"
#include "ksqtdialogs_p.h"

#include <utility>

namespace ks::dialogs {

namespace {

const char* kindName(int kind)
{
    switch (kind) {
    case 0:
        return "file";
    case 1:
        return "message-box";
    case 2:
        return "modal-dialog";
    default:
        return "cancel";
    }
}

}  // namespace

ScriptedDialogRunner::ScriptedDialogRunner() = default;

ScriptedDialogRunner::~ScriptedDialogRunner()
{
    // Never leave a dangling runner installed.
    if (dialogRunner() == this)
        setDialogRunner(nullptr);
}

void ScriptedDialogRunner::answerFile(const std::wstring& path, DWORD filterIndex)
{
    answerFiles({path}, filterIndex);
}

void ScriptedDialogRunner::answerFiles(const std::vector<std::wstring>& paths, DWORD filterIndex)
{
    Answer a{AnswerKind::File, paths, filterIndex, IDOK, {}};
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(std::move(a));
}

void ScriptedDialogRunner::answerMessage(INT button)
{
    Answer a{AnswerKind::Message, {}, 0, button, {}};
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(std::move(a));
}

void ScriptedDialogRunner::answerModal(std::function<void(DialogModel&)> act, INT result)
{
    Answer a{AnswerKind::Modal, {}, 0, result, std::move(act)};
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(std::move(a));
}

void ScriptedDialogRunner::answerCancel()
{
    Answer a{AnswerKind::Cancel, {}, 0, IDCANCEL, {}};
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(std::move(a));
}

std::vector<DialogLogEntry> ScriptedDialogRunner::log() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

std::vector<std::string> ScriptedDialogRunner::errors() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> out;
    for (const auto& e : m_log)
        if (!e.error.empty())
            out.push_back(e.error);
    return out;
}

size_t ScriptedDialogRunner::pending() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_answers.size();
}

void ScriptedDialogRunner::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.clear();
    m_log.clear();
}

// Takes the next answer when it fits the question; a misfit stays queued
// so that the log shows where the script and the code parted.
bool ScriptedDialogRunner::take(AnswerKind wanted, Answer& out, std::string& error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_answers.empty()) {
        error = "no scripted answer left";
        return false;
    }
    Answer& next = m_answers.front();
    if (next.kind != wanted && next.kind != AnswerKind::Cancel) {
        error = std::string("the next scripted answer is a ") + kindName(int(next.kind)) + " answer, not a " +
                kindName(int(wanted)) + " answer";
        return false;
    }
    out = std::move(next);
    m_answers.pop_front();
    return true;
}

size_t ScriptedDialogRunner::addEntry(DialogLogEntry entry)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.push_back(std::move(entry));
    return m_log.size() - 1;
}

void ScriptedDialogRunner::finishEntry(size_t index, INT answer, const std::string& error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index < m_log.size()) {
        m_log[index].answer = answer;
        m_log[index].error = error;
    }
}

FileDialogResult ScriptedDialogRunner::fileDialog(const FileDialogRequest& request)
{
    DialogLogEntry entry;
    entry.kind = request.save ? DialogKind::FileSave : DialogKind::FileOpen;
    entry.title = request.title;
    entry.filter = request.filter;
    entry.defaultExtension = request.defaultExtension;
    entry.initialFolder = request.initialFolder;
    entry.initialName = request.initialName;
    entry.filterIndex = request.filterIndex;
    entry.flags = request.flags;
    const size_t index = addEntry(std::move(entry));

    const size_t filterCount = parseFileFilter(request.filter).size();
    FileDialogResult result;
    result.filterIndex = filterCount == 0 ? 0 : request.filterIndex;

    Answer a;
    std::string error;
    if (take(AnswerKind::File, a, error) && a.kind == AnswerKind::File) {
        if (a.paths.empty())
            error = "a file answer without a path";
        else if (a.paths.size() > 1 && (request.save || !(request.flags & OFN_ALLOWMULTISELECT)))
            error = "several files answered to a single-file dialog";
        else if (a.filterIndex != 0 && a.filterIndex > filterCount)
            error = "filter index " + std::to_string(a.filterIndex) + " answered to a dialog with " +
                    std::to_string(filterCount) + " filters";
        else {
            result.accepted = true;
            for (const auto& p : a.paths)
                result.paths.push_back(withDefaultExtension(p, request.defaultExtension));
            if (a.filterIndex != 0)
                result.filterIndex = a.filterIndex;
        }
    }
    if (!error.empty())
        detail::report(detail::describe(request), "scripted runner: " + error + ", answered as cancelled");
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log[index].paths = result.paths;
        m_log[index].resultFilterIndex = result.filterIndex;
    }
    finishEntry(index, result.accepted ? IDOK : IDCANCEL, error);
    return result;
}

INT ScriptedDialogRunner::messageBox(const MessageBoxRequest& request)
{
    DialogLogEntry entry;
    entry.kind = DialogKind::MessageBox;
    entry.title = request.title;
    entry.text = request.text;
    entry.flags = request.flags;
    const size_t index = addEntry(std::move(entry));

    INT answer = cancelAnswer(request.flags);
    Answer a;
    std::string error;
    if (take(AnswerKind::Message, a, error) && a.kind == AnswerKind::Message) {
        if (isValidAnswer(request.flags, a.result))
            answer = a.result;
        else
            error = "answer " + std::to_string(a.result) + " is not a button of this message box";
    }
    if (!error.empty())
        detail::report(detail::describe(request), "scripted runner: " + error + ", answered as cancelled");
    finishEntry(index, answer, error);
    return answer;
}

INT ScriptedDialogRunner::runModal(DialogModel& model)
{
    DialogLogEntry entry;
    entry.kind = DialogKind::Modal;
    entry.title = model.title();
    const size_t index = addEntry(std::move(entry));

    model.initialize();
    INT result = IDCANCEL;
    std::string error;
    for (;;) {
        Answer a;
        if (!take(AnswerKind::Modal, a, error) || a.kind == AnswerKind::Cancel)
            break;
        try {
            if (a.act)
                a.act(model);
        } catch (const WrongModel&) {
            error = "the scripted answer expects another dialog class";
            break;
        }
        if (a.result != IDOK) {
            result = a.result;
            break;
        }
        // A refused OK keeps the dialog open for the next answer.
        if (model.accept()) {
            result = IDOK;
            break;
        }
    }
    if (!error.empty())
        detail::report(detail::describe(model), "scripted runner: " + error + ", answered as cancelled");
    model.finish(result);
    finishEntry(index, result, error);
    return result;
}

}  // namespace ks::dialogs
