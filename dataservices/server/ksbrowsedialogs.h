// The two modal dialogs of the dataset access, as models for the
// platform's dialog service (ks::dialogs::runModal). The models hold what
// the browse members give and take; the tree of folders and datasets, the
// function list and the combo contents are filled in by the views and the
// dialog rules built on top of them.
//
// The dataset access relies on these operations only:
//   COpenDialog::SelectInjection   selecting a dataset or injection node
//   COpenDialog::ChooseFunction    the function list's selection
//   COpenDialog::ChooseComboFunction  a combo's selection
//   the results after the dialog closed (ResultPath, ResultInjection,
//   ResultFunction, ResultComboFunction)
// so a scripted test drives them as a user would. They are virtual: a view
// or a test in another module reaches the component's own code through
// the model it is handed.
#pragma once

#include "ksdataaccess.h"
#include "kscomptr.h"
#include "ksdialogs.h"

#include <memory>
#include <string>
#include <vector>

class COpenDialogTree;

// "Select Dataset": a dataset (and injection) and, in function mode, one
// function, or one function per combo filter.
class COpenDialog : public ks::dialogs::DialogModel {
public:
    enum Mode { ModeInjection = 0, ModeFunction = 1 };

    COpenDialog(CKSDataAccess* access, IKSDataServer** ppServer, IKSInjection** ppInjection, Mode mode,
                bool smartExpansionBoxes, bool showTextFiles, std::vector<KSComboFilter> filters,
                std::wstring startPath);
    ~COpenDialog() override;

    std::wstring title() const override;
    // Nothing selected, OK disabled, every result -1; the tree starts
    // (opendialog.h).
    void initialize() override;
    // OK is taken only while it is enabled.
    bool accept() override;
    // Keeps the selection as the results.
    void finish(INT result) override;
    // The Qt view (opendialogview.cpp).
    QDialog* createView(QWidget* parent) override;
    // The tree, function list and combos while the dialog runs.
    COpenDialogTree* Tree() const { return m_tree.get(); }
    // The injection the caller's pointer holds now.
    IKSInjection* Injection() const { return m_ppInjection ? *m_ppInjection : nullptr; }

    CKSDataAccess* Access() const { return m_access; }
    Mode DialogMode() const { return m_mode; }
    bool SmartExpansionBoxes() const { return m_smartExpansionBoxes; }
    bool ShowTextFiles() const { return m_showTextFiles; }
    const std::vector<KSComboFilter>& Filters() const { return m_filters; }
    const std::wstring& StartPath() const { return m_startPath; }

    // A dataset or injection node was selected: the caller's injection and
    // server are released and nulled, then the injection is opened into
    // them through the dataset access. In injection mode OK is enabled
    // whether or not that succeeded. The function choices are reset.
    // Returns the opening's result.
    virtual HRESULT SelectInjection(const std::wstring& path, LONG injection);
    // A node that opens nothing (a folder, a drive) was selected.
    virtual void SelectOther();
    // The function list's selection: a function number counted from 1, -1
    // for none. In function mode OK is enabled exactly when one is chosen.
    virtual void ChooseFunction(LONG number);
    // Combo `combo` (0-based, one per filter): the selected function
    // number, 0 for the empty entry.
    virtual void ChooseComboFunction(size_t combo, LONG number);

    bool OkEnabled() const { return m_okEnabled; }
    bool HasSelection() const { return m_selInjection != -1; }

    // Results, valid once the dialog closed: the dataset path and injection
    // of the selected node (empty and -1 when none), the chosen function
    // (-1 when none) and per combo the selected function number (0 none).
    const std::wstring& ResultPath() const { return m_resultPath; }
    LONG ResultInjection() const { return m_resultInjection; }
    LONG ResultFunction() const { return m_resultFunction; }
    LONG ResultComboFunction(size_t combo) const
    {
        return combo < m_resultCombos.size() ? m_resultCombos[combo] : -1;
    }

private:
    CKSDataAccess* m_access;
    IKSDataServer** m_ppServer;
    IKSInjection** m_ppInjection;
    Mode m_mode;
    bool m_smartExpansionBoxes;
    bool m_showTextFiles;
    std::vector<KSComboFilter> m_filters;
    std::wstring m_startPath;

    bool m_okEnabled = false;
    std::wstring m_selPath;
    LONG m_selInjection = -1;
    LONG m_selFunction = -1;
    std::vector<LONG> m_selCombos;

    std::wstring m_resultPath;
    LONG m_resultInjection = -1;
    LONG m_resultFunction = -1;
    std::vector<LONG> m_resultCombos;
    std::unique_ptr<COpenDialogTree> m_tree;
};

// "Select Function": the functions of one injection by name.
class CFunctionDialog : public ks::dialogs::DialogModel {
public:
    explicit CFunctionDialog(IKSFunctions* functions);

    std::wstring title() const override;
    // Lists the Name of Item(1) to Item(Count); a function whose name
    // cannot be read is skipped, so later ones move up (each entry keeps
    // its own function number).
    void initialize() override;
    void finish(INT result) override;
    // The Qt view (opendialogview.cpp).
    QDialog* createView(QWidget* parent) override;

    const std::vector<std::wstring>& Names() const { return m_names; }
    // The list's selection: a 0-based position, -1 for none.
    virtual void Select(LONG position);
    // The position chosen on OK, -1 when none (or cancelled).
    LONG ResultPosition() const { return m_result; }
    // The function number of the entry chosen on OK, -1 when none.
    LONG ResultFunction() const { return m_result >= 0 ? m_numbers[static_cast<size_t>(m_result)] : -1; }

private:
    ks::ComPtr<IKSFunctions> m_functions;
    std::vector<std::wstring> m_names;
    std::vector<LONG> m_numbers;  // per entry
    LONG m_selection = -1;
    LONG m_result = -1;
};
