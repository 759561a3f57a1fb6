// Datasets through the data services.
//
// TKSDataServer lists the providers of the provider server (KSProviderServer)
// that have a data server, checks and opens datasets with them, and hands
// out TKSDataset trees. A provider is identified by its class identifier as
// braced upper-case text ("{127AC576-D36A-11D3-91D9-00400536072C}"); input
// in any letter case is accepted.
//
// Every tree object keeps the data server (and so the dataset) it came from
// alive, whatever is deleted before it. Objects handed out by pointer are
// new and belong to the caller. Indexes count from 0; an index outside the
// counts gives a null pointer, a failing call of the data services an empty
// text, 0 or -1.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tindrelglobal.h"
#include "tksvalues.h"

class TKSDataset;
class TKSInjections;
class TKSInjection;
class TKSFunctions;
class TKSFunction;
class TKSTraces;
class TKSTrace;
class TKSMSCollection;

namespace tindrel {
struct DatasetCore;
struct TreeNode;
}  // namespace tindrel

class TINDREL_EXPORT TKSDataServer {
public:
    TKSDataServer();
    ~TKSDataServer();
    TKSDataServer(const TKSDataServer&) = delete;
    TKSDataServer& operator=(const TKSDataServer&) = delete;

    // One entry per usable provider, in the provider server's order: its
    // "File Filter", or its "Menu Name" when it has none. Asked afresh on
    // every call; empty without a provider server.
    std::vector<std::wstring> getDatasetFilters() const;
    // The same providers' identifiers, paired with the filters by position.
    std::vector<std::wstring> getDatasetProviderIDs() const;

    // True when a new data server of the provider says the path holds one of
    // its datasets. The path is left as given.
    bool isValidDataset(std::wstring& path, const std::wstring& provider) const;
    // Opens the path with a new data server of the provider: a new dataset,
    // or null when the provider is unknown, its data server cannot be made
    // or does not open the path.
    TKSDataset* openDataset(const std::wstring& path, const std::wstring& provider) const;
};

class TINDREL_EXPORT TKSDataset {
public:
    ~TKSDataset();
    TKSDataset(const TKSDataset&) = delete;
    TKSDataset& operator=(const TKSDataset&) = delete;

    // The path exactly as openDataset received it, which reopens the dataset.
    std::wstring getDatasetName() const;
    // The provider's identifier, braced upper-case text.
    std::wstring getDatasetProviderID() const;
    int getInjectionCount() const;
    TKSInjections* getInjections() const;

private:
    friend class TKSDataServer;
    explicit TKSDataset(std::shared_ptr<tindrel::DatasetCore> core);
    std::shared_ptr<tindrel::DatasetCore> m_core;
};

class TINDREL_EXPORT TKSInjections {
public:
    ~TKSInjections();
    TKSInjections(const TKSInjections&) = delete;
    TKSInjections& operator=(const TKSInjections&) = delete;
    int getCount() const;
    TKSInjection* getItem(int index) const;

private:
    friend class TKSDataset;
    explicit TKSInjections(std::unique_ptr<tindrel::TreeNode> node);
    std::unique_ptr<tindrel::TreeNode> m_node;
};

class TINDREL_EXPORT TKSInjection {
public:
    ~TKSInjection();
    TKSInjection(const TKSInjection&) = delete;
    TKSInjection& operator=(const TKSInjection&) = delete;
    std::wstring getName() const;
    int getIndex() const;
    TKSFunctions* getFunctions() const;
    TKSTraces* getTraces() const;

private:
    friend class TKSInjections;
    explicit TKSInjection(std::unique_ptr<tindrel::TreeNode> node);
    std::unique_ptr<tindrel::TreeNode> m_node;
};

class TINDREL_EXPORT TKSFunctions {
public:
    ~TKSFunctions();
    TKSFunctions(const TKSFunctions&) = delete;
    TKSFunctions& operator=(const TKSFunctions&) = delete;
    int getCount() const;
    TKSFunction* getItem(int index) const;

private:
    friend class TKSInjection;
    explicit TKSFunctions(std::unique_ptr<tindrel::TreeNode> node);
    std::unique_ptr<tindrel::TreeNode> m_node;
};

class TINDREL_EXPORT TKSFunction {
public:
    ~TKSFunction();
    TKSFunction(const TKSFunction&) = delete;
    TKSFunction& operator=(const TKSFunction&) = delete;
    std::wstring getName() const;
    int getIndex() const;
    // FunctionType: 0 unknown, 1 MS, 2 MSn, 3 zoom MS, 4 zoom MSn, 5 SIM, 6 SIM MSn.
    int getMSType() const;
    // The data services carry no analyzer type: always 0 ("Unknown").
    int getMSAnalyzerType() const;
    int getMSOrder() const;
    // FunctionMSMSType: 0 none, 1 precursor, 2 product, 3 neutral loss, 4 neutral gain, 5 MRM.
    int getMSMSType() const;
    // FunctionPolarity: 0 unknown, 1 positive, 2 negative, 3 mixed.
    int getPolarity() const;
    // The number of spectra.
    int getCount() const;
    TKSMSCollection* getSpectrumCollection() const;

private:
    friend class TKSFunctions;
    explicit TKSFunction(std::unique_ptr<tindrel::TreeNode> node);
    std::unique_ptr<tindrel::TreeNode> m_node;
};

class TINDREL_EXPORT TKSTraces {
public:
    ~TKSTraces();
    TKSTraces(const TKSTraces&) = delete;
    TKSTraces& operator=(const TKSTraces&) = delete;
    int getCount() const;
    TKSTrace* getItem(int index) const;

private:
    friend class TKSInjection;
    explicit TKSTraces(std::unique_ptr<tindrel::TreeNode> node);
    std::unique_ptr<tindrel::TreeNode> m_node;
};

class TINDREL_EXPORT TKSTrace {
public:
    ~TKSTrace();
    TKSTrace(const TKSTrace&) = delete;
    TKSTrace& operator=(const TKSTrace&) = delete;
    std::wstring getName() const;
    int getIndex() const;
    // The trace's signal into the caller's chromatogram (its source is
    // this injection and trace, function -1); false, and the chromatogram
    // emptied, when the data services cannot give it.
    bool getChromatogram(TKSChromatogram& chromatogram) const;

private:
    friend class TKSTraces;
    explicit TKSTrace(std::unique_ptr<tindrel::TreeNode> node);
    std::unique_ptr<tindrel::TreeNode> m_node;
};
