// Identifiers and enum values spot-checked against the documented ones,
// pointer-sized Direct addresses through IDispatch, the event sink helper
// and help strings.
#include "kscontractinfo.h"

#include "ksactivation.h"
#include "kscomptr.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::wstring text(REFGUID g) { return ks::guidToString(g); }

TEST(ContractIdentifiers, SpotChecks)
{
    EXPECT_EQ(text(LIBID_KSPROVIDERSERVERLib), L"{23469379-D825-11D3-91DF-00400536072C}");
    EXPECT_EQ(text(IID_IKSFunction), L"{FA38E838-3B8D-4C13-A232-9EE67CAD14B6}");
    EXPECT_EQ(text(IID_IKSMSDataset3), L"{C1301642-CA9C-450A-BB76-44F0FAB552AA}");
    EXPECT_EQ(text(IID__IKSProviderServerEvents), L"{155AC306-D288-11D3-91D8-00400536072C}");
    EXPECT_EQ(text(IID_IKSMassSpectrum2), L"{BEA7018B-1A03-4D16-B595-66BEFE1CEA9A}");
    EXPECT_EQ(text(IID_IKSMassSpectrum3), L"{1AB5C38D-319B-425E-8156-1B96792C2D65}");
    EXPECT_EQ(text(CLSID_KSDataAccess), L"{AD885838-E7C4-4472-AECD-0113336D0C98}");
    EXPECT_EQ(text(CLSID_KSMassSpectrum), L"{32543AF8-D9ED-11D1-9005-00400536072C}");
    EXPECT_EQ(text(UUID_ProviderFlagT), L"{114CE0AA-D91D-11D3-91E0-00400536072C}");
    EXPECT_STREQ(PROGID_KSProviderServer, L"KSDataServices.KSProviderServer.1");
    EXPECT_STREQ(PROGID_KSDataAccess_VersionIndependent, L"KSProviderServer.KSDataAccess");
}

TEST(ContractIdentifiers, EveryIdentifierIsDistinct)
{
    // One IID per interface (the sink helper shares the event interface's).
    std::set<std::wstring> seen;
    for (const ks::contract::InterfaceInfo& i : ks::contract::interfaces())
        EXPECT_TRUE(seen.insert(text(i.iid)).second) << text(i.iid);
    for (const ks::contract::CoclassInfo& c : ks::contract::coclasses())
        EXPECT_TRUE(seen.insert(text(c.clsid)).second) << text(c.clsid);
}

TEST(ContractEnums, ValuesThatAreEasyToGetWrong)
{
    EXPECT_EQ(TraceTypeOther, 100);
    EXPECT_EQ(TraceTypeUV, 4);
    // No scan-information type 0.
    const ks::contract::EnumInfo* scan = ks::contract::findEnum(L"DatasetScanInfoType");
    ASSERT_NE(scan, nullptr);
    for (const ks::contract::EnumMemberInfo& m : scan->members)
        EXPECT_NE(m.value, 0) << m.name;
    EXPECT_EQ(DatasetScanInfoTypeLinear, 1);
    EXPECT_EQ(DatasetScanInfoTypeContinuous, 3);
    EXPECT_EQ(SpectrumReader | SpectrumWriter | MSDatasetReader | MSDatasetWriter, 15);
    EXPECT_EQ(FunctionMSMSTypeMultipleReaction, 5);
    EXPECT_EQ(FunctionRTProximityClosest, 2);
    const ks::contract::EnumInfo* flags = ks::contract::findEnum(L"ProviderFlagT");
    ASSERT_NE(flags, nullptr);
    ASSERT_NE(flags->uuid, nullptr);
    EXPECT_STREQ(flags->members[2].help, L"MS Dataset Reader");
}

// A reader whose Direct members record the address they were given.
class CDirectReader : public ks::Object<ks::Dual<IKSSpectrumReader2>> {
public:
    ULONG_PTR address = 0;
    std::wstring source;
    HRESULT ReadSpectrumInteractive(IDispatch*) override { return E_NOTIMPL; }
    HRESULT ReadSpectrum(BSTR, IDispatch*) override { return E_NOTIMPL; }
    HRESULT get_DataSourceDescription(BSTR* p) override
    {
        *p = SysAllocString(L"Text; x;");
        return S_OK;
    }
    HRESULT ReadSpectrumInteractiveDirect(ULONG_PTR piMS) override
    {
        if (!piMS)
            return E_POINTER;
        address = piMS;
        return S_OK;
    }
    HRESULT ReadSpectrumDirect(BSTR dataSource, ULONG_PTR piMS) override
    {
        if (!piMS)
            return E_POINTER;
        source = dataSource ? dataSource : L"";
        address = piMS;
        return S_OK;
    }
};

HRESULT invoke(IDispatch* d, DISPID id, WORD flags, std::vector<VARIANT> argsLastFirst, VARIANT* result,
               EXCEPINFO* ex = nullptr)
{
    DISPPARAMS params{argsLastFirst.data(), nullptr, static_cast<UINT>(argsLastFirst.size()), 0};
    UINT argErr = 0;
    return d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, ex, &argErr);
}

TEST(ContractCoclasses, DeclaredButUnregisteredClassesAreNotRegistered)
{
    for (REFCLSID clsid : {CLSID_KSDataProvider, CLSID_KSScanInfoProvider}) {
        SCOPED_TRACE(text(clsid));
        const ks::contract::CoclassInfo* info = ks::contract::findCoclass(clsid);
        ASSERT_NE(info, nullptr);
        EXPECT_TRUE(info->creatable);
        EXPECT_FALSE(info->registered);
        void* p = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, &p), REGDB_E_CLASSNOTREG);
        EXPECT_EQ(p, nullptr);
        p = nullptr;
        EXPECT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &p), REGDB_E_CLASSNOTREG);
        EXPECT_EQ(p, nullptr);
    }
}

TEST(ContractDirect, AddressesAbove32BitsArriveWhole)
{
    CDirectReader* impl = nullptr;
    ASSERT_EQ(ks::createObject(&impl), S_OK);
    ks::ComPtr<IKSSpectrumReader2> reader(impl);

    const ULONG_PTR address = 0x00007F12345678A0ull;
    ks::Variant source(L"KSTextProvider.KSTextProvider; /data/a.txt;");
    ks::Variant where(static_cast<ULONGLONG>(address));
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(invoke(reader.get(), 5, DISPATCH_METHOD, {where, source}, &result), S_OK);
    EXPECT_EQ(impl->address, address);
    EXPECT_EQ(impl->source, L"KSTextProvider.KSTextProvider; /data/a.txt;");

    // VT_I8 converts as well; an address does not fit a 32-bit VT_I4 slot.
    VARIANT asI8;
    VariantInit(&asI8);
    asI8.vt = VT_I8;
    asI8.llVal = static_cast<LONGLONG>(address + 16);
    EXPECT_EQ(invoke(reader.get(), 4, DISPATCH_METHOD, {asI8}, &result), S_OK);
    EXPECT_EQ(impl->address, address + 16);

    // A zero address is the implementation's E_POINTER, reported as an exception.
    ks::Variant zero(static_cast<ULONGLONG>(0));
    EXCEPINFO ex{};
    EXPECT_EQ(invoke(reader.get(), 4, DISPATCH_METHOD, {zero}, &result, &ex), DISP_E_EXCEPTION);
    EXPECT_EQ(ex.scode, E_POINTER);
    EXPECT_EQ(impl->address, address + 16);

    // The derived interface still answers its base's members.
    EXPECT_EQ(invoke(reader.get(), 3, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_BSTR);
    VariantClear(&result);
}

class CSink : public ks::Object<ks::Dual<IKSProviderServerEventsSink>> {
public:
    int calls = 0;
    HRESULT ProvidersChanged() override
    {
        ++calls;
        return S_OK;
    }
};

TEST(ContractEvents, SinkAnswersTheEventInterfaceAndTakesTheEventByDispid)
{
    CSink* sink = nullptr;
    ASSERT_EQ(ks::createObject(&sink), S_OK);
    ks::ComPtr<IUnknown> unk(static_cast<IUnknown*>(static_cast<IDispatch*>(sink)));

    IDispatch* events = nullptr;
    ASSERT_EQ(unk->QueryInterface(IID__IKSProviderServerEvents, reinterpret_cast<void**>(&events)), S_OK);
    LPOLESTR name = const_cast<LPOLESTR>(L"ProvidersChanged");
    DISPID id = 0;
    ASSERT_EQ(events->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, DISPID_ProvidersChanged);
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(invoke(events, DISPID_ProvidersChanged, DISPATCH_METHOD, {}, &result), S_OK);
    EXPECT_EQ(sink->calls, 1);
    events->Release();
}

TEST(ContractHelp, MembersAndInterfacesCarryTheirHelpStrings)
{
    using ks::DispKind;
    // A Direct member carries the help string of the member it mirrors.
    EXPECT_STREQ(ks::contract::memberHelp(IID_IKSFunction, 17, DispKind::Get),
                 L"The index-th spectrum in the function.");
    EXPECT_STREQ(ks::contract::memberHelp(IID_IKSFunction, 6, DispKind::Get),
                 L"The index-th spectrum in the function.");
    EXPECT_STREQ(ks::contract::memberHelp(IID_IKSDataProvider, 8, DispKind::Put), L"property Path");
    EXPECT_STREQ(ks::contract::memberHelp(IID_IKSProviderDescription2, 1, DispKind::Get),
                 L"property DataServer ClassID");
    // Found through the base interface.
    EXPECT_STREQ(ks::contract::memberHelp(IID_IKSMSDataset3, 9, DispKind::Method), L"method GetBaseSpectrum");
    EXPECT_EQ(ks::contract::memberHelp(IID_IKSFunction, 17, DispKind::Put), nullptr);
    EXPECT_STREQ(ks::contract::findInterface(IID_IKSScanInfoProvider)->help, L"KSScanInfoProvider Interface");
    EXPECT_STREQ(ks::contract::findInterface(IID_IKSTrace)->help, L"IKSTrace Interface");
    EXPECT_STREQ(ks::contract::findCoclass(CLSID_KSDataAccess)->help, L"KSDataAccess Class");
    EXPECT_STREQ(ks::contract::typeLib().helpString, L"KSProviderServer 1.0 Type Library");
}

TEST(ContractStorage, ClassIdentifiersTravelAsTextThroughIDispatch)
{
    struct CStorage : ks::Object<ks::Dual<IKSStorage>> {
        GUID got = GUID_NULL;
        LONG version = 0;
        HRESULT OpenStorageFile(BSTR, ModeType, BSTR, GUID clsid, LONG v) override
        {
            got = clsid;
            version = v;
            return S_OK;
        }
        HRESULT OpenStorage(IUnknown*, BSTR, ModeType, BSTR, GUID, LONG) override { return E_NOTIMPL; }
        HRESULT OpenSubstorage(BSTR, ModeType, BSTR, GUID, LONG, IKSStorage**) override { return E_NOTIMPL; }
        HRESULT OpenMSStorageFile(BSTR, IKSInjectionsWriter**) override { return E_NOTIMPL; }
        HRESULT OpenMSStorage(IUnknown*, BSTR, IKSInjectionsWriter**) override { return E_NOTIMPL; }
        HRESULT get_Handler(IDispatch**) override { return E_NOTIMPL; }
        HRESULT get_IStorage(IUnknown**) override { return E_NOTIMPL; }
    };
    CStorage* impl = nullptr;
    ASSERT_EQ(ks::createObject(&impl), S_OK);
    ks::ComPtr<IKSStorage> storage(impl);

    ks::Variant path(L"/data/x.kms"), mode(static_cast<LONG>(ModeTypeWrite)), sig(L"KS"),
        clsid(L"{12E1B220-A9CF-4BBD-9807-C4DB9C3B8AE7}"), version(static_cast<LONG>(3));
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(invoke(storage.get(), 1, DISPATCH_METHOD, {version, clsid, sig, mode, path}, &result), S_OK);
    EXPECT_EQ(impl->got, CLSID_KSScanInfoProvider);
    EXPECT_EQ(impl->version, 3);

    ks::Variant bad(L"not a class identifier");
    DISPPARAMS params{nullptr, nullptr, 5, 0};
    std::vector<VARIANT> args{version, bad, sig, mode, path};
    params.rgvarg = args.data();
    UINT argErr = 99;
    EXPECT_EQ(storage->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
}

}  // namespace
