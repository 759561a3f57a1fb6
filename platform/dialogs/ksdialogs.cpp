#include "ksdialogs.h"

#include "ksdialogrunner.h"
#include "ksqtdialogs_p.h"

#include <QString>

#include <atomic>
#include <cstdio>
#include <filesystem>

namespace ks::dialogs {

namespace {

std::atomic<DialogRunner*> g_runner{nullptr};

const char* const kNoDisplay = "no dialog runner and no QApplication, answered as cancelled";

std::wstring slashes(std::wstring path)
{
    for (auto& c : path)
        if (c == L'\\')
            c = L'/';
    return path;
}

bool hasWildcard(const std::wstring& name)
{
    return name.find_first_of(L"*?") != std::wstring::npos;
}

std::wstring trimmed(const std::wstring& s)
{
    const auto b = s.find_first_not_of(L" \t");
    if (b == std::wstring::npos)
        return std::wstring();
    const auto e = s.find_last_not_of(L" \t");
    return s.substr(b, e - b + 1);
}

std::string hex(DWORD v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(v));
    return buf;
}

}  // namespace

// ---------------------------------------------------------------------------
// Filters and names

std::vector<FileFilter> parseFileFilter(const std::wstring& filter)
{
    std::vector<std::wstring> fields;
    std::wstring field;
    for (wchar_t c : filter) {
        if (c == L'|' || c == L'\0') {
            if (field.empty())
                break;
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty())
        fields.push_back(field);

    std::vector<FileFilter> out;
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        FileFilter f;
        f.description = fields[i];
        std::wstring pattern;
        for (wchar_t c : fields[i + 1] + L';') {
            if (c == L';') {
                pattern = trimmed(pattern);
                if (!pattern.empty())
                    f.patterns.push_back(pattern);
                pattern.clear();
            } else {
                pattern += c;
            }
        }
        out.push_back(std::move(f));
    }
    return out;
}

std::vector<std::wstring> qtNameFilters(const std::wstring& filter)
{
    std::vector<std::wstring> out;
    for (const FileFilter& f : parseFileFilter(filter)) {
        std::wstring patterns;
        for (const auto& p : f.patterns) {
            if (!patterns.empty())
                patterns += L' ';
            // The platform's "*.*" matches every name, with or without a dot.
            patterns += (p == L"*.*") ? std::wstring(L"*") : p;
        }
        if (patterns.empty())
            patterns = L"*";
        // Qt takes the patterns from the last parenthesised group, so the
        // one the description shows is replaced by the real patterns.
        std::wstring desc = trimmed(f.description);
        if (!desc.empty() && desc.back() == L')') {
            const auto open = desc.rfind(L'(');
            if (open != std::wstring::npos)
                desc = trimmed(desc.substr(0, open));
        }
        out.push_back(desc.empty() ? L"(" + patterns + L")" : desc + L" (" + patterns + L")");
    }
    return out;
}

InitialLocation resolveInitialLocation(const FileDialogRequest& request)
{
    InitialLocation loc;
    loc.folder = slashes(request.initialFolder);
    std::wstring name = slashes(request.initialName);

    const auto sep = name.rfind(L'/');
    if (sep != std::wstring::npos) {
        loc.folder = sep == 0 ? std::wstring(L"/") : name.substr(0, sep);
        name = name.substr(sep + 1);
    }
    if (hasWildcard(name)) {
        name.clear();
    } else if (!name.empty()) {
        std::wstring candidate = name;
        if (!loc.folder.empty())
            candidate = (loc.folder.back() == L'/' ? loc.folder : loc.folder + L'/') + name;
        std::error_code ec;
        if (std::filesystem::is_directory(std::filesystem::path(detail::utf8(candidate)), ec)) {
            loc.folder = candidate;
            name.clear();
        }
    }
    loc.name = name;
    return loc;
}

std::wstring withDefaultExtension(const std::wstring& path, const std::wstring& extension)
{
    std::wstring ext = extension;
    if (!ext.empty() && ext.front() == L'.')
        ext.erase(0, 1);
    if (ext.empty())
        return path;
    const auto sep = path.find_last_of(L"/\\");
    const std::wstring name = sep == std::wstring::npos ? path : path.substr(sep + 1);
    if (name.empty() || name.find(L'.') != std::wstring::npos)
        return path;
    return path + L'.' + ext;
}

std::wstring FileDialogResult::path() const
{
    return paths.empty() ? std::wstring() : paths.front();
}

std::wstring FileDialogResult::folder() const
{
    const std::wstring p = path();
    const auto sep = p.find_last_of(L"/\\");
    if (sep == std::wstring::npos)
        return std::wstring();
    return sep == 0 ? p.substr(0, 1) : p.substr(0, sep);
}

// ---------------------------------------------------------------------------
// Message-box answers

INT cancelAnswer(UINT flags)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
    case MB_CANCELTRYCONTINUE:
        return IDCANCEL;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

bool isValidAnswer(UINT flags, INT answer)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return answer == IDOK || answer == IDCANCEL;
    case MB_ABORTRETRYIGNORE:
        return answer == IDABORT || answer == IDRETRY || answer == IDIGNORE;
    case MB_YESNOCANCEL:
        return answer == IDYES || answer == IDNO || answer == IDCANCEL;
    case MB_YESNO:
        return answer == IDYES || answer == IDNO;
    case MB_RETRYCANCEL:
        return answer == IDRETRY || answer == IDCANCEL;
    case MB_CANCELTRYCONTINUE:
        return answer == IDCANCEL || answer == IDTRYAGAIN || answer == IDCONTINUE;
    default:
        return answer == IDOK;
    }
}

// ---------------------------------------------------------------------------
// Dialog models

DialogModel::~DialogModel() = default;
void DialogModel::initialize() {}
bool DialogModel::accept() { return true; }
void DialogModel::finish(INT) {}
QDialog* DialogModel::createView(QWidget*) { return nullptr; }

// ---------------------------------------------------------------------------
// Runners

DialogRunner::~DialogRunner() = default;

DialogRunner* setDialogRunner(DialogRunner* runner)
{
    return g_runner.exchange(runner);
}

DialogRunner* dialogRunner()
{
    return g_runner.load();
}

ScopedDialogRunner::ScopedDialogRunner(DialogRunner& runner)
    : m_previous(setDialogRunner(&runner))
{
}

ScopedDialogRunner::~ScopedDialogRunner()
{
    setDialogRunner(m_previous);
}

// ---------------------------------------------------------------------------
// The service

FileDialogResult fileDialog(const FileDialogRequest& request)
{
    if (DialogRunner* r = dialogRunner())
        return r->fileDialog(request);
    if (detail::qtWidgetsUsable())
        return detail::qtRunner().fileDialog(request);
    detail::report(detail::describe(request), kNoDisplay);
    FileDialogResult result;
    result.filterIndex = parseFileFilter(request.filter).empty() ? 0 : request.filterIndex;
    return result;
}

INT messageBox(const MessageBoxRequest& request)
{
    if (DialogRunner* r = dialogRunner())
        return r->messageBox(request);
    if (detail::qtWidgetsUsable())
        return detail::qtRunner().messageBox(request);
    detail::report(detail::describe(request), kNoDisplay);
    return cancelAnswer(request.flags);
}

INT messageBox(const std::wstring& text, const std::wstring& title, UINT flags)
{
    MessageBoxRequest request;
    request.text = text;
    request.title = title;
    request.flags = flags;
    return messageBox(request);
}

INT runModal(DialogModel& model)
{
    if (DialogRunner* r = dialogRunner())
        return r->runModal(model);
    if (detail::qtWidgetsUsable())
        return detail::qtRunner().runModal(model);
    detail::report(detail::describe(model), kNoDisplay);
    return IDCANCEL;
}

// ---------------------------------------------------------------------------
// Questions as text

namespace detail {

std::string utf8(const std::wstring& text)
{
    return QString::fromStdWString(text).toStdString();
}

std::string describe(const FileDialogRequest& r)
{
    std::string s = r.save ? "file-save dialog \"" : "file-open dialog \"";
    s += utf8(r.title) + "\"";
    s += ", filter \"" + utf8(r.filter) + "\" (index " + std::to_string(r.filterIndex) + ")";
    if (!r.defaultExtension.empty())
        s += ", default extension \"" + utf8(r.defaultExtension) + "\"";
    s += ", initial folder \"" + utf8(r.initialFolder) + "\"";
    s += ", initial name \"" + utf8(r.initialName) + "\"";
    s += ", flags " + hex(r.flags);
    return s;
}

std::string describe(const MessageBoxRequest& r)
{
    return "message box \"" + utf8(r.title) + "\": \"" + utf8(r.text) + "\", flags " + hex(r.flags);
}

std::string describe(const DialogModel& model)
{
    return "dialog \"" + utf8(model.title()) + "\"";
}

void report(const std::string& question, const std::string& outcome)
{
    std::fprintf(stderr, "ksplatform: %s: %s\n", question.c_str(), outcome.c_str());
    std::fflush(stderr);
}

}  // namespace detail

}  // namespace ks::dialogs
