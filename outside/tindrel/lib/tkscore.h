// Inside the library: the data-services objects behind the exported tree
// classes. Every node holds the dataset's core, so the data server lives as
// long as anything taken from it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kscomptr.h"
#include "kscontract.h"

namespace tindrel {

struct DatasetCore {
    ks::ComPtr<IKSDataServer> server;
    std::wstring name;      // the path as openDataset received it
    std::wstring provider;  // braced upper-case identifier
};

// One object of the tree; only the member of its kind is set.
struct TreeNode {
    std::shared_ptr<DatasetCore> core;
    ks::ComPtr<IKSInjections> injections;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSFunctions> functions;
    ks::ComPtr<IKSFunction> function;
    ks::ComPtr<IKSTraces> traces;
    ks::ComPtr<IKSTrace> trace;
    int injectionIndex = -1;  // from 0
    int index = -1;           // function or trace index, from 0
};

// Braced upper-case text of a class identifier given in any letter case;
// empty when it is no class identifier.
std::wstring normalizedClassId(const std::wstring& text);

}  // namespace tindrel
