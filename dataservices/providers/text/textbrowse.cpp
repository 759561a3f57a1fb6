#include "textbrowse.h"

#include "ksdialogs.h"
#include "ksfilestat.h"

namespace {

const wchar_t kFilter[] = L"ASCII Spectrum (*.txt)|*.txt|All Files (*.*)|*.*||";
const wchar_t kExtension[] = L"txt";
// The dialogs wrote the chosen path into a buffer of 512 characters; a
// longer path did not fit and the dialog answered as cancelled.
const size_t kPathBuffer = 512;

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The start folder is offered only when it, or the folder it lies in,
// exists.
bool usable(const std::wstring& folder)
{
    return !folder.empty() && CKSFileStat(folder).ParentExists();
}

bool run(ks::dialogs::FileDialogRequest& request, std::wstring& path)
{
    request.filter = kFilter;
    request.defaultExtension = kExtension;
    request.flags |= OFN_LONGNAMES;
    const ks::dialogs::FileDialogResult result = ks::dialogs::fileDialog(request);
    if (!result.accepted || result.path().empty() || result.path().size() >= kPathBuffer)
        return false;
    path = result.path();
    return true;
}

}  // namespace

bool CTextBrowse::BrowseSource(const std::wstring& startFolder, std::wstring& path)
{
    ks::dialogs::FileDialogRequest request;
    request.title = L"Source Spectrum";
    request.flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (usable(startFolder)) {
        request.initialName = startFolder;
        if (!isSeparator(request.initialName.back()))
            request.initialName += L'/';
        request.initialName += L"*.txt";
    }
    if (!run(request, path))
        return false;
    m_Folder = CKSFileStat(path).GetFolder(false);
    return true;
}

bool CTextBrowse::BrowseDestination(const std::wstring& startFolder, std::wstring& path)
{
    ks::dialogs::FileDialogRequest request;
    request.save = true;
    request.title = L"Destination Spectrum";
    request.flags = OFN_OVERWRITEPROMPT;
    if (usable(startFolder)) {
        std::wstring folder = startFolder;
        while (folder.size() > 1 && isSeparator(folder.back()))
            folder.pop_back();
        request.initialName = folder;
    }
    return run(request, path);
}
