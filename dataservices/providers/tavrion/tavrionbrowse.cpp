#include "tavrionbrowse.h"

#include "ksdialogs.h"
#include "ksfilestat.h"
#include "tavrionio.h"

namespace {

const wchar_t kTitle[] = L"Open Corvane Pardinel Tavrion File";
const wchar_t kFilter[] = L"Tavrion Files (*.raw)|*.raw|All Files (*.*)|*.*||";
const wchar_t kExtension[] = L"raw";
// The dialog's file-name buffer, terminator included.
constexpr size_t kNameBuffer = 260;

}  // namespace

bool BrowseTavrionFile(const std::wstring& startPath, std::wstring& dataSource)
{
    ks::dialogs::FileDialogRequest request;
    request.title = kTitle;
    request.filter = kFilter;
    request.defaultExtension = kExtension;
    request.flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_LONGNAMES;
    const CKSFileStat start(startPath);
    if (!startPath.empty() && start.Exists())
        request.initialFolder = start.IsDirectory() ? startPath : start.GetFolder(false);
    const ks::dialogs::FileDialogResult result = ks::dialogs::fileDialog(request);
    const std::wstring path = result.path();
    if (!result.accepted || path.empty() || path.size() >= kNameBuffer)
        return false;
    dataSource = MakeTavrionDataSource(path);
    return true;
}
