// The dialog service of the runtime: file-open and file-save dialogs,
// message boxes, modal dialogs run from a model, and the wait cursor.
//
// Every request goes to one place. A test installs a dialog runner (see
// ksdialogrunner.h) that answers from a script and records what was asked;
// without one, a QApplication on the calling thread shows Qt dialogs; with
// neither, the question is written to standard error and answered as
// cancelled, so a component used without a display never blocks.
//
// The interface uses plain C++ types only (wide strings, vectors, the
// 32-bit base types), so callers at any layer can use it.
#pragma once

#include "kstypes.h"

#include <string>
#include <vector>

class QDialog;
class QWidget;

// Message-box button sets (low four bits of the flags).
#ifndef MB_OK
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_CANCELTRYCONTINUE 0x00000006u
#define MB_TYPEMASK 0x0000000Fu
// Icons.
#define MB_ICONHAND 0x00000010u
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u
// Default button (first to fourth).
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFBUTTON4 0x00000300u
#define MB_DEFMASK 0x00000F00u
// Modality: every box is modal to the application here.
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#endif

// Answers of message boxes and modal dialogs.
#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11
#endif

// File-dialog flags.
#ifndef OFN_OVERWRITEPROMPT
#define OFN_OVERWRITEPROMPT 0x00000002u   // save: ask before replacing a file
#define OFN_HIDEREADONLY 0x00000004u      // no read-only box (never shown here)
#define OFN_ALLOWMULTISELECT 0x00000200u  // open: several files
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u     // open: only existing files
#define OFN_EXPLORER 0x00080000u
#define OFN_LONGNAMES 0x00200000u
#endif

namespace ks::dialogs {

// One entry of a file filter: what the user sees and the patterns it
// selects ("*.txt"; several patterns were separated by ';').
struct FileFilter {
    std::wstring description;
    std::vector<std::wstring> patterns;
};

// Parses a filter given as "Description|patterns|Description|patterns||".
// A NUL separates like '|'; an empty field ends the list; a description
// without patterns at the end is dropped.
std::vector<FileFilter> parseFileFilter(const std::wstring& filter);

// The Qt name filters the file dialog shows for a filter string, one per
// entry in the same order: the description with its trailing parenthesised
// pattern list replaced by (or, without one, followed by) the real
// patterns. "*.*" becomes "*", which also matches names without a dot.
std::vector<std::wstring> qtNameFilters(const std::wstring& filter);

struct FileDialogRequest {
    bool save = false;               // file-save dialog instead of file-open
    std::wstring title;              // empty: the dialog's own title
    std::wstring filter;             // "Text (*.txt)|*.txt|All (*.*)|*.*||"; empty: every file
    DWORD filterIndex = 1;           // 1-based entry of the filter selected at start
    std::wstring defaultExtension;   // without the dot; added to a name that has none
    std::wstring initialFolder;      // folder the dialog starts in
    std::wstring initialName;        // initial file name; may carry a folder or a pattern
    DWORD flags = 0;                 // OFN_*
};

struct FileDialogResult {
    bool accepted = false;
    std::vector<std::wstring> paths;  // full paths; several only with OFN_ALLOWMULTISELECT
    DWORD filterIndex = 0;            // 1-based filter entry in use at the end; 0 without filter

    // The first chosen path ("" when cancelled).
    std::wstring path() const;
    // The folder of the first chosen path, without a trailing separator.
    std::wstring folder() const;
};

// Where a file dialog starts: the initial name may carry a folder ('\' or
// '/'), which then wins over the initial folder; a name that is an
// existing folder becomes the folder; a name holding '*' or '?' is a
// pattern and is not put in the name box.
struct InitialLocation {
    std::wstring folder;
    std::wstring name;
};
InitialLocation resolveInitialLocation(const FileDialogRequest& request);

// The name as a dialog completes it: the default extension is appended
// when the file name part has no '.'.
std::wstring withDefaultExtension(const std::wstring& path, const std::wstring& extension);

// Shows a file-open or file-save dialog. A cancelled dialog gives
// accepted false, no paths and the requested filter index.
FileDialogResult fileDialog(const FileDialogRequest& request);

struct MessageBoxRequest {
    std::wstring text;
    std::wstring title;
    UINT flags = MB_OK;  // MB_* button set | icon | default button
};

// Shows a message box and returns the button pressed (IDOK, IDYES, ...).
INT messageBox(const std::wstring& text, const std::wstring& title = std::wstring(), UINT flags = MB_OK);
INT messageBox(const MessageBoxRequest& request);

// The answer of a message box that is dismissed without a choice: IDOK for
// a box with only OK, IDCANCEL when it has Cancel, otherwise the negative
// answer (IDNO, IDABORT).
INT cancelAnswer(UINT flags);
// Whether a box with these flags can give this answer.
bool isValidAnswer(UINT flags, INT answer);

// A dialog that holds all its rules in a model. The service opens it
// (initialize), lets the user or the script change the model through its
// view or directly, asks accept() when OK is pressed (false keeps the
// dialog open, e.g. after a message box) and tells the model how it ended
// (finish).
class KS_PLATFORM_API DialogModel {
public:
    virtual ~DialogModel();
    virtual std::wstring title() const = 0;
    // The dialog opens: fill the model.
    virtual void initialize();
    // OK was pressed; false refuses and the dialog stays open.
    virtual bool accept();
    // The dialog closed with this answer (IDOK or IDCANCEL).
    virtual void finish(INT result);
    // The Qt view over this model, shown when a QApplication exists; the
    // service deletes it after it ran. Null: the dialog has no view and
    // cannot be shown on screen.
    virtual QDialog* createView(QWidget* parent);
};

// Runs the dialog modally and returns IDOK or IDCANCEL (a script or a view
// may end it with another answer). Without runner and QApplication it
// answers IDCANCEL without opening (neither initialize nor finish is
// called); a model without a Qt view opens and is cancelled at once.
INT runModal(DialogModel& model);

// The wait cursor for the lifetime of the object: the application's
// override cursor when a QApplication exists, nothing otherwise. Dialogs
// shown meanwhile show the normal cursor.
class KS_PLATFORM_API WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    // Ends the wait cursor early; the destructor then does nothing.
    void restore();
    // Number of wait cursors now active in the process.
    static int depth();

private:
    bool m_active = false;
    bool m_overridden = false;
};

}  // namespace ks::dialogs
