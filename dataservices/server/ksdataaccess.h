// KSDataAccess: opens a dataset without knowing which provider reads it.
//
// At creation it asks a provider server for every registered provider's
// data-server class and keeps one server of each to probe with (the
// MassLynx provider's last). Opening a path asks the kept servers in turn
// whether the path is theirs and opens it with a fresh server of the first
// that says so; when none does, every kept class except the text data
// server's is tried with Open. The kept servers are only ever asked
// IsValidDataset, InjectionCountFromPath and whether they answer
// IKSDataServer2; what a caller receives is always a new server.
//
// The browse members run COpenDialog or CFunctionDialog (ksbrowsedialogs.h)
// through the platform's dialog service and remember the last dataset as
// the "Source Path" reader setting of "Dataset browser".
#pragma once

#include "kscontract.h"
#include "ksregistrar.h"

#include <string>
#include <vector>

// One function combo of the dataset dialog: which functions it lists
// (0 in any field is a wildcard) and its label.
struct KSComboFilter {
    std::wstring title;
    FunctionType type = FunctionTypeUnknown;
    LONG order = 0;
    FunctionPolarity polarity = FunctionPolarityUnknown;
};

class CKSDataAccess
    : public ks::Object<ks::Dual<IKSDataAccess>, ks::Dual<IKSDataAccess2>, ks::Dual<IKSDataAccess3>,
                        ks::Dual<IKSDataAccess4>, ks::Dual<IKSDataAccess5>> {
public:
    static constexpr bool kAggregatable = true;
    static constexpr size_t kMaxComboFilters = 8;

    KS_DECLARE_REGISTRY(L"KSProviderServer", L"KSDataAccess", CLSID_KSDataAccess, &LIBID_KSPROVIDERSERVERLib)

    HRESULT FinalConstruct() override;
    void FinalRelease() override;

    // IKSDataAccess
    HRESULT OpenDataset(BSTR Path, IKSDataServer** ppServer) override;
    HRESULT OpenInjection(BSTR Path, LONG injection, IKSDataServer** ppServer, IKSInjection** ppInjection) override;
    HRESULT OpenFunction(BSTR Path, LONG injection, LONG function, IKSDataServer** pServer,
                         IKSInjection** ppInjection, IKSFunction** ppFcn) override;
    HRESULT BrowseInjection(IKSDataServer** ppServer, IKSInjection** ppInjection) override;
    HRESULT BrowseFunction(IKSDataServer** ppServer, IKSInjection** ppInjection, IKSFunction** ppFcn) override;
    HRESULT BrowseCombo(IKSFunction** ppFcn1, IKSFunction** ppFcn2, IKSFunction** ppFcn3, IKSFunction** ppFcn4,
                        IKSInjection** ppInjection, IKSDataServer** ppServer) override;
    HRESULT put_SmartExpansionBoxes(LONG value) override;
    HRESULT put_ShowTextFiles(LONG value) override;
    HRESULT AddComboFilter(BSTR title, FunctionType fcnType, LONG order) override;

    // IKSDataAccess2
    HRESULT BrowseInjectionFunctions(BSTR Path, LONG injection, IKSDataServer** pServer, IKSInjection** ppInjection,
                                     IKSFunction** ppFcn) override;

    // IKSDataAccess3
    HRESULT AddComboFilter3(BSTR title, FunctionType fcnType, LONG order, FunctionPolarity Polarity) override;
    HRESULT BrowseCombo3(IKSFunction** ppFcn1, IKSFunction** ppFcn2, IKSFunction** ppFcn3, IKSFunction** ppFcn4,
                         IKSFunction** ppFcn5, IKSFunction** ppFcn6, IKSFunction** ppFcn7, IKSFunction** ppFcn8,
                         IKSInjection** ppInjection, IKSDataServer** ppServer) override;

    // IKSDataAccess4
    HRESULT OpenDatasetFromStorage(IUnknown* piParentStg, BSTR substorageName, IKSDataServer** ppServer) override;
    HRESULT OpenInjectionFromStorage(IUnknown* piParentStg, BSTR substorageName, LONG injection,
                                     IKSDataServer** ppServer, IKSInjection** ppInjection) override;
    HRESULT OpenFunctionFromStorage(IUnknown* piParentStg, BSTR substorageName, LONG injection, LONG function,
                                    IKSDataServer** pServer, IKSInjection** ppInjection, IKSFunction** ppFcn) override;

    // IKSDataAccess5
    HRESULT IsValidDataset(BSTR Path, LONG* pbIsValid) override;

    // The IsValidDataset search for the dataset dialog: also tells, when
    // pMultipleInjections is given, whether the accepting server counts
    // more than one injection for the path.
    HRESULT FindDataset(BSTR Path, LONG* pbIsValid, bool* pMultipleInjections);

    // The probing order, for inspection.
    const std::vector<CLSID>& ProbingClasses() const { return m_classIds; }
    bool SmartExpansionBoxes() const { return m_smartExpansionBoxes; }
    bool ShowTextFiles() const { return m_showTextFiles; }
    const std::vector<KSComboFilter>& ComboFilters() const { return m_filters; }

    // The reader-settings key of the remembered browse path.
    static constexpr const wchar_t* kBrowserSettingsKey = L"Dataset browser";

private:
    void BuildProbingList();
    void ReleaseProbingList();
    void AppendServer(REFCLSID clsid);

    std::vector<IKSDataServer*> m_servers;  // kept, one counted reference each
    std::vector<CLSID> m_classIds;          // same order as m_servers
    std::vector<KSComboFilter> m_filters;
    bool m_smartExpansionBoxes = false;
    bool m_showTextFiles = false;
};
