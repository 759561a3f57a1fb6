#include "tksdataserver.h"

#include <utility>

#include "ksactivation.h"
#include "kshandles.h"
#include "tkscollection.h"
#include "tkscore.h"

namespace tindrel {

namespace {

// Length of a class identifier in braces.
const size_t kClassIdLength = 38;

struct ProviderEntry {
    std::wstring id;      // braced upper-case provider class identifier
    std::wstring filter;  // "File Filter", else "Menu Name"
    CLSID dataServer = CLSID_NULL;
};

// The providers of the provider server that have a data server, in its
// order: a DataServerClassID of exactly 38 characters that converts (the
// rule of dataset access's probing list), and a class identifier that
// converts.
std::vector<ProviderEntry> providerList()
{
    std::vector<ProviderEntry> out;
    ks::ComPtr<IKSProviderServer> server;
    if (FAILED(CoCreateInstance(CLSID_KSProviderServer, nullptr, CLSCTX_ALL, IID_IKSProviderServer, server.out())) ||
        !server)
        return out;
    LONG count = 0;
    if (FAILED(server->get_Count(&count)))
        return out;
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSProviderDescription> description;
        if (FAILED(server->get_Item(i, &description)) || !description)
            continue;
        ks::ComPtr<IKSProviderDescription2> description2;
        if (FAILED(description2.queryFrom(description.get())) || !description2)
            continue;
        ks::Bstr dataServerId;
        if (FAILED(description2->get_DataServerClassID(&dataServerId)) || dataServerId.length() != kClassIdLength)
            continue;
        ProviderEntry entry;
        if (FAILED(CLSIDFromString(dataServerId.c_str(), &entry.dataServer)))
            continue;
        ks::Bstr classId;
        if (FAILED(description->get_ClassID(&classId)))
            continue;
        entry.id = normalizedClassId(classId.str());
        if (entry.id.empty())
            continue;
        ks::ComPtr<IKSProviderDescription3> description3;
        ks::Bstr filter;
        if (SUCCEEDED(description3.queryFrom(description.get())) && description3 &&
            SUCCEEDED(description3->get_FilterString(&filter)))
            entry.filter = filter.str();
        if (entry.filter.empty()) {
            ks::Bstr menuName;
            if (SUCCEEDED(description->get_MenuName(&menuName)))
                entry.filter = menuName.str();
        }
        out.push_back(std::move(entry));
    }
    return out;
}

// A new data server of the provider; null for an unknown provider or one
// whose data server cannot be made.
ks::ComPtr<IKSDataServer> createDataServer(const std::wstring& provider, std::wstring* normalized = nullptr)
{
    const std::wstring id = normalizedClassId(provider);
    if (id.empty())
        return {};
    for (const ProviderEntry& entry : providerList()) {
        if (entry.id != id)
            continue;
        ks::ComPtr<IKSDataServer> server;
        if (FAILED(CoCreateInstance(entry.dataServer, nullptr, CLSCTX_ALL, IID_IKSDataServer, server.out())))
            return {};
        if (normalized)
            *normalized = id;
        return server;
    }
    return {};
}

template <class I>
int collectionCount(I* collection)
{
    LONG count = 0;
    if (!collection || FAILED(collection->get_Count(&count)) || count < 0)
        return 0;
    return static_cast<int>(count);
}

template <class I>
std::wstring nameOf(I* object)
{
    ks::Bstr name;
    if (!object || FAILED(object->get_Name(&name)))
        return std::wstring();
    return name.str();
}

}  // namespace

std::wstring normalizedClassId(const std::wstring& text)
{
    if (text.size() != kClassIdLength)
        return std::wstring();
    CLSID clsid = CLSID_NULL;
    if (FAILED(CLSIDFromString(text.c_str(), &clsid)))
        return std::wstring();
    wchar_t buffer[40] = {};
    if (StringFromGUID2(clsid, buffer, 40) == 0)
        return std::wstring();
    return buffer;
}

}  // namespace tindrel

using tindrel::TreeNode;

// --- TKSDataServer -----------------------------------------------------------

TKSDataServer::TKSDataServer() = default;
TKSDataServer::~TKSDataServer() = default;

std::vector<std::wstring> TKSDataServer::getDatasetFilters() const
{
    std::vector<std::wstring> filters;
    for (const auto& entry : tindrel::providerList())
        filters.push_back(entry.filter);
    return filters;
}

std::vector<std::wstring> TKSDataServer::getDatasetProviderIDs() const
{
    std::vector<std::wstring> ids;
    for (const auto& entry : tindrel::providerList())
        ids.push_back(entry.id);
    return ids;
}

bool TKSDataServer::isValidDataset(std::wstring& path, const std::wstring& provider) const
{
    ks::ComPtr<IKSDataServer> server = tindrel::createDataServer(provider);
    if (!server)
        return false;
    ks::Bstr bstrPath(path);
    if (bstrPath.allocationFailed())
        return false;
    LONG valid = 0;
    return SUCCEEDED(server->IsValidDataset(bstrPath, &valid)) && valid == 1;
}

TKSDataset* TKSDataServer::openDataset(const std::wstring& path, const std::wstring& provider) const
{
    auto core = std::make_shared<tindrel::DatasetCore>();
    core->server = tindrel::createDataServer(provider, &core->provider);
    if (!core->server)
        return nullptr;
    ks::Bstr bstrPath(path);
    if (bstrPath.allocationFailed() || FAILED(core->server->Open(bstrPath)))
        return nullptr;
    core->name = path;
    return new TKSDataset(std::move(core));
}

// --- TKSDataset --------------------------------------------------------------

TKSDataset::TKSDataset(std::shared_ptr<tindrel::DatasetCore> core) : m_core(std::move(core)) {}
TKSDataset::~TKSDataset() = default;

std::wstring TKSDataset::getDatasetName() const
{
    return m_core->name;
}

std::wstring TKSDataset::getDatasetProviderID() const
{
    return m_core->provider;
}

int TKSDataset::getInjectionCount() const
{
    ks::ComPtr<IKSInjections> injections;
    if (FAILED(m_core->server->get_Injections(&injections)))
        return 0;
    return tindrel::collectionCount(injections.get());
}

TKSInjections* TKSDataset::getInjections() const
{
    auto node = std::make_unique<TreeNode>();
    node->core = m_core;
    if (FAILED(m_core->server->get_Injections(&node->injections)) || !node->injections)
        return nullptr;
    return new TKSInjections(std::move(node));
}

// --- TKSInjections, TKSInjection ---------------------------------------------

TKSInjections::TKSInjections(std::unique_ptr<TreeNode> node) : m_node(std::move(node)) {}
TKSInjections::~TKSInjections() = default;

int TKSInjections::getCount() const
{
    return tindrel::collectionCount(m_node->injections.get());
}

TKSInjection* TKSInjections::getItem(int index) const
{
    if (index < 0 || index >= getCount())
        return nullptr;
    auto node = std::make_unique<TreeNode>();
    node->core = m_node->core;
    if (FAILED(m_node->injections->get_Item(index + 1, &node->injection)) || !node->injection)
        return nullptr;
    LONG idx = 0;
    node->injectionIndex = SUCCEEDED(node->injection->get_Index(&idx)) ? static_cast<int>(idx) - 1 : index;
    return new TKSInjection(std::move(node));
}

TKSInjection::TKSInjection(std::unique_ptr<TreeNode> node) : m_node(std::move(node)) {}
TKSInjection::~TKSInjection() = default;

std::wstring TKSInjection::getName() const
{
    return tindrel::nameOf(m_node->injection.get());
}

int TKSInjection::getIndex() const
{
    return m_node->injectionIndex;
}

TKSFunctions* TKSInjection::getFunctions() const
{
    auto node = std::make_unique<TreeNode>();
    node->core = m_node->core;
    node->injectionIndex = m_node->injectionIndex;
    if (FAILED(m_node->injection->get_Functions(&node->functions)) || !node->functions)
        return nullptr;
    return new TKSFunctions(std::move(node));
}

TKSTraces* TKSInjection::getTraces() const
{
    auto node = std::make_unique<TreeNode>();
    node->core = m_node->core;
    node->injectionIndex = m_node->injectionIndex;
    if (FAILED(m_node->injection->get_Traces(&node->traces)) || !node->traces)
        return nullptr;
    return new TKSTraces(std::move(node));
}

// --- TKSFunctions, TKSFunction -----------------------------------------------

TKSFunctions::TKSFunctions(std::unique_ptr<TreeNode> node) : m_node(std::move(node)) {}
TKSFunctions::~TKSFunctions() = default;

int TKSFunctions::getCount() const
{
    return tindrel::collectionCount(m_node->functions.get());
}

TKSFunction* TKSFunctions::getItem(int index) const
{
    if (index < 0 || index >= getCount())
        return nullptr;
    auto node = std::make_unique<TreeNode>();
    node->core = m_node->core;
    node->injectionIndex = m_node->injectionIndex;
    if (FAILED(m_node->functions->get_Item(index + 1, &node->function)) || !node->function)
        return nullptr;
    LONG idx = 0;
    node->index = SUCCEEDED(node->function->get_Index(&idx)) ? static_cast<int>(idx) - 1 : index;
    return new TKSFunction(std::move(node));
}

TKSFunction::TKSFunction(std::unique_ptr<TreeNode> node) : m_node(std::move(node)) {}
TKSFunction::~TKSFunction() = default;

std::wstring TKSFunction::getName() const
{
    return tindrel::nameOf(m_node->function.get());
}

int TKSFunction::getIndex() const
{
    return m_node->index;
}

int TKSFunction::getMSType() const
{
    FunctionType type = FunctionTypeUnknown;
    if (FAILED(m_node->function->get_Type(&type)))
        return FunctionTypeUnknown;
    return static_cast<int>(type);
}

int TKSFunction::getMSAnalyzerType() const
{
    return 0;
}

int TKSFunction::getMSOrder() const
{
    LONG order = 0;
    if (FAILED(m_node->function->get_MSOrder(&order)))
        return 0;
    return static_cast<int>(order);
}

int TKSFunction::getMSMSType() const
{
    FunctionMSMSType type = FunctionMSMSTypeNone;
    if (FAILED(m_node->function->get_MSMSType(&type)))
        return FunctionMSMSTypeNone;
    return static_cast<int>(type);
}

int TKSFunction::getPolarity() const
{
    FunctionPolarity polarity = FunctionPolarityUnknown;
    if (FAILED(m_node->function->get_Polarity(&polarity)))
        return FunctionPolarityUnknown;
    return static_cast<int>(polarity);
}

int TKSFunction::getCount() const
{
    return tindrel::collectionCount(m_node->function.get());
}

// --- TKSTraces, TKSTrace -----------------------------------------------------

TKSTraces::TKSTraces(std::unique_ptr<TreeNode> node) : m_node(std::move(node)) {}
TKSTraces::~TKSTraces() = default;

int TKSTraces::getCount() const
{
    return tindrel::collectionCount(m_node->traces.get());
}

TKSTrace* TKSTraces::getItem(int index) const
{
    if (index < 0 || index >= getCount())
        return nullptr;
    auto node = std::make_unique<TreeNode>();
    node->core = m_node->core;
    node->injectionIndex = m_node->injectionIndex;
    if (FAILED(m_node->traces->get_Item(index + 1, &node->trace)) || !node->trace)
        return nullptr;
    LONG idx = 0;
    node->index = SUCCEEDED(node->trace->get_Index(&idx)) ? static_cast<int>(idx) - 1 : index;
    return new TKSTrace(std::move(node));
}

TKSTrace::TKSTrace(std::unique_ptr<TreeNode> node) : m_node(std::move(node)) {}
TKSTrace::~TKSTrace() = default;

std::wstring TKSTrace::getName() const
{
    return tindrel::nameOf(m_node->trace.get());
}

int TKSTrace::getIndex() const
{
    return m_node->index;
}

bool TKSTrace::getChromatogram(TKSChromatogram& chromatogram) const
{
    chromatogram.clearPoints();
    chromatogram.setSource(m_node->injectionIndex, -1, m_node->index);
    CChromatogram points;
    CKSChromatogram handle(&points);
    if (FAILED(m_node->trace->get_ChromatogramDirect(reinterpret_cast<ULONG_PTR>(&handle))))
        return false;
    const LONG n = points.GetCount();
    if (n <= 0 || !points.Times() || !points.Intensities())
        return true;
    chromatogram.setPoints(std::vector<double>(points.Times(), points.Times() + n),
                           std::vector<double>(points.Intensities(), points.Intensities() + n));
    return true;
}
