// A provider deliverable for the tests: two provider classes built from
// the framework's provider templates, registered through the shared
// provider registration.
#include "testprovider.h"

#include "dataproviderimpl.h"
#include "providerregistration.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// True when the class's short name is listed in KS_TEST_PROVIDER_FAIL.
bool failRequested(const char* shortName)
{
    const char* list = std::getenv(kTestProviderFailVariable);
    if (!list)
        return false;
    const std::string names = std::string(",") + list + ",";
    return names.find(std::string(",") + shortName + ",") != std::string::npos;
}

class CKSTestFullProvider : public ks::Object<IKSDataProviderImpl<CKSTestFullProvider>,
                                              IKSDataProvider2Impl<CKSTestFullProvider>,
                                              IKSDataProvider3Impl<CKSTestFullProvider>,
                                              ks::Dual<IKSMSDatasetReader>> {
public:
    KS_DECLARE_REGISTRY(L"KSTestProvider", L"KSFullProvider", CLSID_KSTestFullProvider, &LIBID_KSTestProvider)

    CKSTestFullProvider()
    {
        m_strClassID = kFullClassID;
        m_strClassName = kFullClassName;
        m_strCopyright = kFullCopyright;
        m_strMenuName = kFullMenuName;
        m_strSupplier = kFullSupplier;
        m_strVersion = kFullVersion;
        m_lProviderFlags = kFullFlags;
        m_strDataServerClassID = kFullDataServerClassID;
        m_strFilterString = kFullFilter;
        AddService(L"KSMSDatasetReader", IID_IKSMSDatasetReader);
        // Listed, but this object does not implement it: the query's
        // failure is what GetService answers.
        AddService(L"KSSpectrumReader", IID_IKSSpectrumReader);
    }

    HRESULT FinalConstruct() override { return failRequested("KSFullProvider") ? E_UNEXPECTED : S_OK; }

    // The dataset reader is a stand-in: it reads nothing.
    HRESULT ReadDatasetInteractive(IKSMSDataset** ppiDS) override
    {
        if (!ppiDS)
            return E_POINTER;
        *ppiDS = nullptr;
        return E_NOTIMPL;
    }
    HRESULT ReadDataset(BSTR, IKSMSDataset** ppiDS) override { return ReadDatasetInteractive(ppiDS); }
    HRESULT get_DataSourceDescription(BSTR* pDescription) override
    {
        return ks::copyTextOut(L"KSTestProvider.KSFullProvider; ", pDescription);
    }
};

class CKSTestPlainProvider : public ks::Object<IKSDataProviderImpl<CKSTestPlainProvider>> {
public:
    KS_DECLARE_REGISTRY(L"KSTestProvider", L"KSPlainProvider", CLSID_KSTestPlainProvider, &LIBID_KSTestProvider)

    CKSTestPlainProvider()
    {
        m_strClassID = kPlainClassID;
        m_strClassName = kPlainClassName;
        m_strCopyright = kPlainCopyright;
        m_strMenuName = kPlainMenuName;
        m_strSupplier = kPlainSupplier;
        m_strVersion = kPlainVersion;
        m_lProviderFlags = kPlainFlags;
    }

    HRESULT FinalConstruct() override { return failRequested("KSPlainProvider") ? E_UNEXPECTED : S_OK; }
};

KS_OBJECT_ENTRY(CLSID_KSTestFullProvider, CKSTestFullProvider);
KS_OBJECT_ENTRY(CLSID_KSTestPlainProvider, CKSTestPlainProvider);

const CLSID kProviderClasses[] = {CLSID_KSTestFullProvider, CLSID_KSTestPlainProvider};
const ks::TypeLibRegistration kTypeLib{LIBID_KSTestProvider, 1, 0, 0x409, L"KSTestProvider 1.0 Type Library"};

}  // namespace

KS_IMPLEMENT_PROVIDER_ENTRY_POINTS(&kTypeLib, kProviderClasses)
