// Member tables of every interface of the data-services library and of the
// imported spectrum-object interfaces, with their help strings, and the
// library's catalogue (kscontractinfo.h).
#include "kscontractinfo.h"

#include "kscomptr.h"

#include <cstring>
#include <type_traits>

using ks::contract::MemberInfo;

namespace {

struct Entry {
    ks::DispMember member;
    const wchar_t* help;
};

struct Described {
    ks::DispTable table;
    std::vector<MemberInfo> members;
};

Described describe(const ks::DispTable* base, std::initializer_list<Entry> entries)
{
    Described d;
    d.table.base = base;
    for (const Entry& e : entries) {
        d.table.members.push_back(e.member);
        d.members.push_back(MemberInfo{e.member.name, e.member.id, e.member.kind, e.help});
    }
    return d;
}

// Members built by the runtime's dispatch tables, interface arguments
// included (passed in, returned by reference, results released on failure:
// see ksdispatch.h).
template <class C, class... A>
Entry get(const wchar_t* name, DISPID id, HRESULT (C::*pmf)(A...), const wchar_t* help,
          std::initializer_list<VARTYPE> types = {})
{
    return Entry{ks::dispGet(name, id, pmf, types), help};
}
template <class C, class... A>
Entry put(const wchar_t* name, DISPID id, HRESULT (C::*pmf)(A...), const wchar_t* help,
          std::initializer_list<VARTYPE> types = {})
{
    return Entry{ks::dispPut(name, id, pmf, types), help};
}
template <class C, class... A>
Entry call(const wchar_t* name, DISPID id, HRESULT (C::*pmf)(A...), const wchar_t* help,
           std::initializer_list<VARTYPE> types = {})
{
    return Entry{ks::dispMethod(name, id, pmf, types), help};
}
template <class C, class... A>
Entry callRet(const wchar_t* name, DISPID id, HRESULT (C::*pmf)(A...), const wchar_t* help,
              std::initializer_list<VARTYPE> types = {})
{
    return Entry{ks::dispMethodRet(name, id, pmf, types), help};
}
// A property get that returns nothing through a parameter (the Direct
// members: everything goes into the caller's object).
template <class C, class... A>
Entry getNoResult(const wchar_t* name, DISPID id, HRESULT (C::*pmf)(A...), const wchar_t* help)
{
    return Entry{ks::detail::makeMember(name, id, ks::DispKind::Get, pmf, {}, false), help};
}

// --- arguments of the hand-written members --------------------------------

constexpr UINT kNoBadArg = 0xFFFFFFFFu;

// One argument converted to a VARTYPE; owns what the conversion made.
struct Arg {
    ks::Variant v;
    HRESULT convert(VARIANT* src, VARTYPE vt)
    {
        return FAILED(VariantChangeType(&v, src, 0, vt)) ? DISP_E_TYPEMISMATCH : S_OK;
    }
};

// A GUID given as its braced text.
HRESULT guidArg(VARIANT* src, GUID* out)
{
    Arg a;
    if (FAILED(a.convert(src, VT_BSTR)))
        return DISP_E_TYPEMISMATCH;
    return ks::guidFromString(a.v.bstrVal ? a.v.bstrVal : L"", out) ? S_OK : DISP_E_TYPEMISMATCH;
}

// Converts the arguments of a member whose GUID parameter travels as text.
// Returns false with *hr and *badArg set when one does not convert.
bool convertAll(VARIANT** args, std::initializer_list<VARTYPE> types, size_t guidIndex, Arg* out, GUID* guid,
                HRESULT* hr, UINT* badArg)
{
    size_t k = 0;
    for (VARTYPE vt : types) {
        HRESULT r = (k == guidIndex) ? guidArg(args[k], guid) : out[k].convert(args[k], vt);
        if (FAILED(r)) {
            *hr = r;
            *badArg = static_cast<UINT>(k);
            return false;
        }
        ++k;
    }
    return true;
}

IUnknown* unknownOf(const Arg& a) { return a.v.punkVal; }

ks::DispMember storageOpenFile()
{
    ks::DispMember m{L"OpenStorageFile", 1, ks::DispKind::Method, {VT_BSTR, VT_I4, VT_BSTR, VT_BSTR, VT_I4},
                     VT_EMPTY, {}};
    m.call = [](IDispatch* self, VARIANT** args, VARIANT*, UINT* badArg) -> HRESULT {
        Arg a[5];
        GUID clsid{};
        HRESULT hr = S_OK;
        if (!convertAll(args, {VT_BSTR, VT_I4, VT_BSTR, VT_BSTR, VT_I4}, 3, a, &clsid, &hr, badArg))
            return hr;
        return static_cast<IKSStorage*>(self)->OpenStorageFile(a[0].v.bstrVal, static_cast<ModeType>(a[1].v.lVal),
                                                               a[2].v.bstrVal, clsid, a[4].v.lVal);
    };
    return m;
}

ks::DispMember storageOpen()
{
    ks::DispMember m{L"OpenStorage", 2, ks::DispKind::Method,
                     {VT_UNKNOWN, VT_BSTR, VT_I4, VT_BSTR, VT_BSTR, VT_I4}, VT_EMPTY, {}};
    m.call = [](IDispatch* self, VARIANT** args, VARIANT*, UINT* badArg) -> HRESULT {
        Arg a[6];
        GUID clsid{};
        HRESULT hr = S_OK;
        if (!convertAll(args, {VT_UNKNOWN, VT_BSTR, VT_I4, VT_BSTR, VT_BSTR, VT_I4}, 4, a, &clsid, &hr, badArg))
            return hr;
        return static_cast<IKSStorage*>(self)->OpenStorage(unknownOf(a[0]), a[1].v.bstrVal,
                                                           static_cast<ModeType>(a[2].v.lVal), a[3].v.bstrVal, clsid,
                                                           a[5].v.lVal);
    };
    return m;
}

ks::DispMember storageOpenSubstorage()
{
    ks::DispMember m{L"OpenSubstorage", 3, ks::DispKind::Method, {VT_BSTR, VT_I4, VT_BSTR, VT_BSTR, VT_I4},
                     VT_DISPATCH, {}};
    m.call = [](IDispatch* self, VARIANT** args, VARIANT* result, UINT* badArg) -> HRESULT {
        Arg a[5];
        GUID clsid{};
        HRESULT hr = S_OK;
        if (!convertAll(args, {VT_BSTR, VT_I4, VT_BSTR, VT_BSTR, VT_I4}, 3, a, &clsid, &hr, badArg))
            return hr;
        IKSStorage* storage = nullptr;
        hr = static_cast<IKSStorage*>(self)->OpenSubstorage(a[0].v.bstrVal, static_cast<ModeType>(a[1].v.lVal),
                                                            a[2].v.bstrVal, clsid, a[4].v.lVal, &storage);
        if (SUCCEEDED(hr) && result) {
            VariantInit(result);
            result->vt = VT_DISPATCH;
            result->pdispVal = storage;
        } else if (storage) {
            storage->Release();
        }
        return hr;
    };
    return m;
}

// Chromatogram times and intensities: the vtable takes the address of Count
// doubles; a late-bound caller passes a SAFEARRAY of doubles instead, which
// must hold at least Count values.
using ChromatogramArrayWrite = HRESULT (IKSChromatogram::*)(const double*);

ks::DispMember chromatogramArrayPut(const wchar_t* name, DISPID id, ChromatogramArrayWrite write)
{
    ks::DispMember m{name, id, ks::DispKind::Put, {static_cast<VARTYPE>(VT_ARRAY | VT_R8)}, VT_EMPTY, {}};
    m.call = [write](IDispatch* self, VARIANT** args, VARIANT*, UINT* badArg) -> HRESULT {
        IKSChromatogram* chrom = static_cast<IKSChromatogram*>(self);
        Arg a;
        if (FAILED(a.convert(args[0], VT_ARRAY | VT_R8)) || !a.v.parray || SafeArrayGetDim(a.v.parray) != 1) {
            *badArg = 0;
            return DISP_E_TYPEMISMATCH;
        }
        LONG count = 0;
        HRESULT hr = chrom->get_Count(&count);
        if (FAILED(hr))
            return hr;
        if (count <= 0)
            return (chrom->*write)(nullptr);
        if (a.v.parray->rgsabound[0].cElements < static_cast<ULONG>(count))
            return E_INVALIDARG;
        ks::SafeArrayAccess<double> data(a.v.parray);
        if (FAILED(data.result()))
            return data.result();
        return (chrom->*write)(data.data());
    };
    return m;
}

#define KS_CONTRACT_TABLE(I, BASE, ...)                            \
    const Described& described_##I()                               \
    {                                                              \
        static const Described d = describe(BASE, {__VA_ARGS__});  \
        return d;                                                  \
    }

#define KS_BASE(I) (&ks::dispTable<I>())

// --- the imported spectrum-object interfaces --------------------------------

KS_CONTRACT_TABLE(IKSMassSpectrum, nullptr,
    get(L"Title", 1, &IKSMassSpectrum::get_Title, L"property Title"),
    put(L"Title", 1, &IKSMassSpectrum::put_Title, L"property Title"),
    get(L"Count", 2, &IKSMassSpectrum::get_Count, L"property Count"),
    put(L"Count", 2, &IKSMassSpectrum::put_Count, L"property Count"),
    get(L"Masses", 3, &IKSMassSpectrum::get_Masses, L"property Masses"),
    put(L"Masses", 3, &IKSMassSpectrum::put_Masses, L"property Masses"),
    get(L"Intensities", 4, &IKSMassSpectrum::get_Intensities, L"property Intensities"),
    put(L"Intensities", 4, &IKSMassSpectrum::put_Intensities, L"property Intensities"),
    get(L"Centroid", 5, &IKSMassSpectrum::get_Centroid, L"property Centroid", {VT_BOOL}),
    put(L"Centroid", 5, &IKSMassSpectrum::put_Centroid, L"property Centroid", {VT_BOOL}),
    get(L"MSOrder", 6, &IKSMassSpectrum::get_MSOrder, L"property MSOrder"),
    put(L"MSOrder", 6, &IKSMassSpectrum::put_MSOrder, L"property MSOrder"),
    get(L"PrecursorMass", 7, &IKSMassSpectrum::get_PrecursorMass, L"property PrecursorMass"),
    put(L"PrecursorMass", 7, &IKSMassSpectrum::put_PrecursorMass, L"property PrecursorMass"),
    get(L"Spare", 8, &IKSMassSpectrum::get_Spare, L"property Spare"),
    put(L"Spare", 8, &IKSMassSpectrum::put_Spare, L"property Spare"),
    get(L"Polarity", 9, &IKSMassSpectrum::get_Polarity, L"property Polarity"),
    put(L"Polarity", 9, &IKSMassSpectrum::put_Polarity, L"property Polarity"))

KS_CONTRACT_TABLE(IKSMassSpectrum2, KS_BASE(IKSMassSpectrum),
    get(L"StartRT", 10, &IKSMassSpectrum2::get_StartRT, L"property StartRT"),
    put(L"StartRT", 10, &IKSMassSpectrum2::put_StartRT, L"property StartRT"),
    get(L"EndRT", 11, &IKSMassSpectrum2::get_EndRT, L"property EndRT"),
    put(L"EndRT", 11, &IKSMassSpectrum2::put_EndRT, L"property EndRT"),
    get(L"FirstScan", 12, &IKSMassSpectrum2::get_FirstScan, L"property FirstScan"),
    put(L"FirstScan", 12, &IKSMassSpectrum2::put_FirstScan, L"property FirstScan"),
    get(L"LastScan", 13, &IKSMassSpectrum2::get_LastScan, L"property LastScan"),
    put(L"LastScan", 13, &IKSMassSpectrum2::put_LastScan, L"property LastScan"),
    get(L"PrecursorMZ", 14, &IKSMassSpectrum2::get_PrecursorMZ, L"property PrecursorMZ"),
    put(L"PrecursorMZ", 14, &IKSMassSpectrum2::put_PrecursorMZ, L"property PrecursorMZ"),
    get(L"PrecursorMZ2", 15, &IKSMassSpectrum2::get_PrecursorMZ2, L"property PrecursorMZ2"),
    put(L"PrecursorMZ2", 15, &IKSMassSpectrum2::put_PrecursorMZ2, L"property PrecursorMZ2"),
    get(L"FunctionType", 16, &IKSMassSpectrum2::get_FunctionType, L"property FunctionType"),
    put(L"FunctionType", 16, &IKSMassSpectrum2::put_FunctionType, L"property FunctionType"),
    call(L"CopyFrom", 17, &IKSMassSpectrum2::CopyFrom, L"method CopyFrom"))

KS_CONTRACT_TABLE(IKSMassSpectrum3, KS_BASE(IKSMassSpectrum2))

KS_CONTRACT_TABLE(IKSChromatogram, nullptr,
    get(L"Count", 1, &IKSChromatogram::get_Count, L"property Count"),
    put(L"Count", 1, &IKSChromatogram::put_Count, L"property Count"),
    get(L"Times", 2, &IKSChromatogram::get_Times, L"property Times"),
    Entry{chromatogramArrayPut(L"Times", 2, &IKSChromatogram::put_Times), L"property Times"},
    get(L"Intensities", 3, &IKSChromatogram::get_Intensities, L"property Intensities"),
    Entry{chromatogramArrayPut(L"Intensities", 3, &IKSChromatogram::put_Intensities), L"property Intensities"},
    get(L"Name", 4, &IKSChromatogram::get_Name, L"property Name"),
    put(L"Name", 4, &IKSChromatogram::put_Name, L"property Name"))

KS_CONTRACT_TABLE(IKSMSCollection, nullptr,
    get(L"Count", 1, &IKSMSCollection::get_Count, L"property Count"),
    put(L"Count", 1, &IKSMSCollection::put_Count, L"property Count"),
    get(L"Item", 0, &IKSMSCollection::get_Item, L"property Item"))

KS_CONTRACT_TABLE(IKSPeakDetection, nullptr,
    call(L"DetectPeaks", 1, &IKSPeakDetection::DetectPeaks, L"method DetectPeaks"),
    call(L"WritePeaks", 2, &IKSPeakDetection::WritePeaks, L"method WritePeaks"))

// --- providers, provider server, descriptions, dataset access -------------

KS_CONTRACT_TABLE(IKSDataProvider, nullptr,
    get(L"ClassID", 1, &IKSDataProvider::get_ClassID, L"property ClassID"),
    get(L"ClassName", 2, &IKSDataProvider::get_ClassName, L"property ClassName"),
    get(L"Copyright", 3, &IKSDataProvider::get_Copyright, L"property Copyright"),
    get(L"MenuName", 4, &IKSDataProvider::get_MenuName, L"property MenuName"),
    get(L"Supplier", 5, &IKSDataProvider::get_Supplier, L"property Supplier"),
    get(L"Version", 6, &IKSDataProvider::get_Version, L"property Version"),
    get(L"ProviderFlags", 7, &IKSDataProvider::get_ProviderFlags, L"property ProviderFlags"),
    get(L"Path", 8, &IKSDataProvider::get_Path, L"property Path"),
    put(L"Path", 8, &IKSDataProvider::put_Path, L"property Path"),
    callRet(L"GetService", 9, &IKSDataProvider::GetService, L"method GetService"),
    callRet(L"SupportsService", 10, &IKSDataProvider::SupportsService, L"method SupportsService",
            {VT_EMPTY, VT_BOOL}))

KS_CONTRACT_TABLE(IKSDataProvider2, nullptr,
    get(L"DataServerClassID", 11, &IKSDataProvider2::get_DataServerClassID, L"property DataServerClassID"))

KS_CONTRACT_TABLE(IKSDataProvider3, nullptr,
    get(L"FilterString", 12, &IKSDataProvider3::get_FilterString, L"property FilterString"))

KS_CONTRACT_TABLE(IKSProviderServer, nullptr,
    get(L"_NewEnum", DISPID_NEWENUM, &IKSProviderServer::get__NewEnum, L"property _NewEnum"),
    get(L"Item", DISPID_VALUE, &IKSProviderServer::get_Item, L"property Item"),
    get(L"Count", 1, &IKSProviderServer::get_Count, L"property Count"),
    call(L"UnregisterDataProvider", 2, &IKSProviderServer::UnregisterDataProvider, L"method UnregisterDataProvider"),
    call(L"RegisterDataProvider", 3, &IKSProviderServer::RegisterDataProvider, L"method RegisterDataProvider"),
    callRet(L"GetProvider", 4, &IKSProviderServer::GetProvider, L"method GetProvider"),
    callRet(L"SupportsProvider", 5, &IKSProviderServer::SupportsProvider, L"method SupportsProvider",
            {VT_EMPTY, VT_BOOL}))

KS_CONTRACT_TABLE(IKSProviderServerEventsSink, nullptr,
    call(L"ProvidersChanged", DISPID_ProvidersChanged, &IKSProviderServerEventsSink::ProvidersChanged,
         L"method ProvidersChanged"))

KS_CONTRACT_TABLE(IKSProviderDescription, nullptr,
    get(L"ClassID", 1, &IKSProviderDescription::get_ClassID, L"property ClassID"),
    get(L"ClassName", 2, &IKSProviderDescription::get_ClassName, L"property ClassName"),
    get(L"Copyright", 3, &IKSProviderDescription::get_Copyright, L"property Copyright"),
    get(L"MenuName", 4, &IKSProviderDescription::get_MenuName, L"property MenuName"),
    get(L"Supplier", 5, &IKSProviderDescription::get_Supplier, L"property Supplier"),
    get(L"Version", 6, &IKSProviderDescription::get_Version, L"property Version"),
    get(L"ProviderFlags", 7, &IKSProviderDescription::get_ProviderFlags, L"property ProviderFlags"))

KS_CONTRACT_TABLE(IKSProviderDescription2, nullptr,
    get(L"DataServerClassID", 1, &IKSProviderDescription2::get_DataServerClassID, L"property DataServer ClassID"))

KS_CONTRACT_TABLE(IKSProviderDescription3, nullptr,
    get(L"FilterString", 1, &IKSProviderDescription3::get_FilterString, L"property FilterString"))

KS_CONTRACT_TABLE(IKSDataAccess, nullptr,
    callRet(L"OpenDataset", 1, &IKSDataAccess::OpenDataset,
            L"Opens the given file or directory with the appropriate data server.  Returns the data server interface."),
    callRet(L"OpenInjection", 2, &IKSDataAccess::OpenInjection,
            L"Opens the given file or directory and the given injection inside it.  Returns the injection interface "
            L"and its parent data server."),
    callRet(L"OpenFunction", 3, &IKSDataAccess::OpenFunction,
            L"Opens the given file, injection, and data function.  Returns the data function interface, its parent "
            L"injection, and its grandparent data server."),
    callRet(L"BrowseInjection", 4, &IKSDataAccess::BrowseInjection,
            L"Puts up a dialog allowing the user to browse to a single injection in a dataset.  Returns the selected "
            L"injection and its parent data server."),
    callRet(L"BrowseFunction", 5, &IKSDataAccess::BrowseFunction,
            L"Puts up a dialog allowing the user to browse to a single data function in a dataset.  Returns the data "
            L"function interface, its parent injection, and its grandparent data server."),
    call(L"BrowseCombo", 6, &IKSDataAccess::BrowseCombo,
         L"Puts up a dialog allowing the user to browse multiple functions within a dataset.  Returns the data "
         L"function interfaces, their parent injection, and their grandparent data server.  Must be preceded by at "
         L"least one call to AddComboFilter."),
    put(L"SmartExpansionBoxes", 7, &IKSDataAccess::put_SmartExpansionBoxes,
        L"By default, a browse dialog will save computation time by placing expansion boxes next to each folder, "
        L"even if the folder has nothing in it.  Setting this property to true overrides this behavior."),
    put(L"ShowTextFiles", 8, &IKSDataAccess::put_ShowTextFiles,
        L"By default, a browse dialog will ignore .txt files, even if the text data provider is installed.  "
        L"Setting this property to true overrides this behavior."),
    call(L"AddComboFilter", 9, &IKSDataAccess::AddComboFilter,
         L"Specifies a function type filter that will be used for subsequent calls to BrowseCombo.  This function "
         L"must be called at least once before BrowseCombo, and no more than eight times.  FunctionTypeUnknown and "
         L"order 0 are wildcards."))

KS_CONTRACT_TABLE(IKSDataAccess2, nullptr,
    callRet(L"BrowseInjectionFunctions", 1, &IKSDataAccess2::BrowseInjectionFunctions,
            L"Given a dataset path and injection number, this function puts up a dialog to allow the user to select "
            L"which function they wish to open.  Returns the data function interface, its parent injection, and its "
            L"grandparent data server."))

KS_CONTRACT_TABLE(IKSDataAccess3, nullptr,
    call(L"AddComboFilter3", 1, &IKSDataAccess3::AddComboFilter3,
         L"Specifies a function type filter that will be used for calls to BrowseCombo3.  This function must be "
         L"called at least once before BrowseCombo3, and no more than eight times.  FunctionTypeUnknown, order 0, "
         L"and FunctionPolarityUnknown are wildcards."),
    call(L"BrowseCombo3", 2, &IKSDataAccess3::BrowseCombo3,
         L"Puts up a dialog allowing the user to browse multiple functions within a dataset.  Returns the data "
         L"function interfaces, their parent injection, and their grandparent data server.  Must be preceded by at "
         L"least one call to AddComboFilter."))

KS_CONTRACT_TABLE(IKSDataAccess4, nullptr,
    callRet(L"OpenDatasetFromStorage", 1, &IKSDataAccess4::OpenDatasetFromStorage,
            L"Opens the given substorage of the given storage with the appropriate data server.  Returns the data "
            L"server interface."),
    callRet(L"OpenInjectionFromStorage", 2, &IKSDataAccess4::OpenInjectionFromStorage,
            L"Opens the given substorage of the given storage and the given injection inside it.  Returns the "
            L"injection interface and its parent data server."),
    callRet(L"OpenFunctionFromStorage", 3, &IKSDataAccess4::OpenFunctionFromStorage,
            L"Opens the given storage, injection, and data function.  Returns the data function interface, its "
            L"parent injection, and its grandparent data server."))

KS_CONTRACT_TABLE(IKSDataAccess5, nullptr,
    callRet(L"IsValidDataset", 1, &IKSDataAccess5::IsValidDataset,
            L"Reports whether or not the given file or directory is a dataset that can be read by some available "
            L"data provider."))

// --- data-server tree ------------------------------------------------------

KS_CONTRACT_TABLE(IKSDataServer, nullptr,
    callRet(L"CurrentDataset", 1, &IKSDataServer::CurrentDataset,
            L"Reports the currently open file or directory path."),
    callRet(L"DatasetType", 2, &IKSDataServer::DatasetType,
            L"Reports the data server object's type.  Uses the old KSProviderServer syntax for server names."),
    callRet(L"IsValidDataset", 3, &IKSDataServer::IsValidDataset,
            L"Reports whether or not the given file or directory is a valid dataset of the data server object's "
            L"type."),
    call(L"Open", 4, &IKSDataServer::Open, L"Opens the given dataset."),
    call(L"Close", 5, &IKSDataServer::Close, L"Closes the currently open dataset."),
    get(L"Injections", 6, &IKSDataServer::get_Injections, L"Returns the Injections collection."),
    get(L"InjectionCountFromPath", 7, &IKSDataServer::get_InjectionCountFromPath,
        L"Given a path, gives an injection count.  Useful for getting the count without having to actually open "
        L"the dataset."))

KS_CONTRACT_TABLE(IKSDataServer2, nullptr,
    call(L"OpenFromStorage", 1, &IKSDataServer2::OpenFromStorage,
         L"Opens the dataset as a named substorage inside a parent IStorage.  If a dataset is opened in this way, "
         L"then CurrentDataset will return the substorage name."))

KS_CONTRACT_TABLE(IKSDataServer3, nullptr,
    get(L"ClassID", 1, &IKSDataServer3::get_ClassID, L"Returns the DataServer's CLSID as a string"))

KS_CONTRACT_TABLE(IKSInjections, nullptr,
    get(L"_NewEnum", DISPID_NEWENUM, &IKSInjections::get__NewEnum, L"property _NewEnum"),
    get(L"Item", DISPID_VALUE, &IKSInjections::get_Item, L"property Item"),
    get(L"Count", 1, &IKSInjections::get_Count, L"property Count"))

KS_CONTRACT_TABLE(IKSInjection, nullptr,
    get(L"Functions", 1, &IKSInjection::get_Functions, L"Returns the Data Functions collection."),
    get(L"Traces", 2, &IKSInjection::get_Traces, L"Returns the collection of external traces."),
    get(L"Name", 3, &IKSInjection::get_Name, L"The descriptive name of the injection."),
    get(L"Index", 4, &IKSInjection::get_Index, L"The 1-based index of the injection within its collection."))

KS_CONTRACT_TABLE(IKSFunctions, nullptr,
    get(L"_NewEnum", DISPID_NEWENUM, &IKSFunctions::get__NewEnum, L"property _NewEnum"),
    get(L"Item", DISPID_VALUE, &IKSFunctions::get_Item, L"property Item"),
    get(L"Count", 1, &IKSFunctions::get_Count, L"property Count"))

#define KS_HELP_BPC                                                                                          \
    L"The Base Peak Chromatogram of the function.  If bCalculateIfNecessary is false and the chromatogram does " \
    L"not already exist, will return CO_E_NOT_SUPPORTED."
#define KS_HELP_BPC_RANGE                                                                                     \
    L"The Base Peak Chromatogram of the function, limited to the given mass range.  If bCalculateIfNecessary is " \
    L"false and the chromatogram does not already exist, will return CO_E_NOT_SUPPORTED."
#define KS_HELP_TIC                                                                                              \
    L"The Total Ion Chromatogram of the function.  If bCalculateIfNecessary is false and the chromatogram does " \
    L"not already exist, will return CO_E_NOT_SUPPORTED."
#define KS_HELP_SPECTRUM L"The index-th spectrum in the function."
#define KS_HELP_BY_RT \
    L"The spectrum in the function closest to the given retention time with the given proximity limitation."
#define KS_HELP_RANGE \
    L"Adds the given spectra together at the given tolerance and returns the result as a single spectrum."
#define KS_HELP_RANGE_BY_RT                                                                                   \
    L"Adds the given retention time range of spectra together at the given tolerance and returns the result as " \
    L"a single spectrum."
#define KS_HELP_COLLECTION L"Gets all of the function's spectra in an MSCollection object."

KS_CONTRACT_TABLE(IKSFunction, nullptr,
    get(L"Name", 1, &IKSFunction::get_Name, L"The descriptive name of the function."),
    get(L"Type", 2, &IKSFunction::get_Type, L"The type of the function."),
    get(L"MSMSType", 12, &IKSFunction::get_MSMSType,
        L"The MS/MS type of the function (precursor, product, neutral loss)."),
    get(L"Polarity", 3, &IKSFunction::get_Polarity, L"The polarity of the function."),
    get(L"BPC", 4, &IKSFunction::get_BPC, KS_HELP_BPC),
    get(L"BPCWithRange", 13, &IKSFunction::get_BPCWithRange, KS_HELP_BPC_RANGE),
    getNoResult(L"BPCDirect", 14, &IKSFunction::get_BPCDirect, KS_HELP_BPC),
    getNoResult(L"BPCWithRangeDirect", 15, &IKSFunction::get_BPCWithRangeDirect, KS_HELP_BPC_RANGE),
    get(L"TIC", 5, &IKSFunction::get_TIC, KS_HELP_TIC),
    getNoResult(L"TICDirect", 16, &IKSFunction::get_TICDirect, KS_HELP_TIC),
    get(L"Spectrum", 6, &IKSFunction::get_Spectrum, KS_HELP_SPECTRUM),
    getNoResult(L"SpectrumDirect", 17, &IKSFunction::get_SpectrumDirect, KS_HELP_SPECTRUM),
    get(L"SpectrumByRT", 10, &IKSFunction::get_SpectrumByRT, KS_HELP_BY_RT),
    getNoResult(L"SpectrumByRTDirect", 18, &IKSFunction::get_SpectrumByRTDirect, KS_HELP_BY_RT),
    get(L"SpectrumRange", 7, &IKSFunction::get_SpectrumRange, KS_HELP_RANGE),
    getNoResult(L"SpectrumRangeDirect", 19, &IKSFunction::get_SpectrumRangeDirect, KS_HELP_RANGE),
    get(L"SpectrumRangeByRT", 11, &IKSFunction::get_SpectrumRangeByRT, KS_HELP_RANGE_BY_RT),
    getNoResult(L"SpectrumRangeByRTDirect", 20, &IKSFunction::get_SpectrumRangeByRTDirect, KS_HELP_RANGE_BY_RT),
    get(L"Count", 8, &IKSFunction::get_Count, L"The number of spectra in the function."),
    get(L"SpectrumCollection", 9, &IKSFunction::get_SpectrumCollection, KS_HELP_COLLECTION),
    getNoResult(L"SpectrumCollectionDirect", 21, &IKSFunction::get_SpectrumCollectionDirect, KS_HELP_COLLECTION),
    get(L"Index", 22, &IKSFunction::get_Index, L"The 1-based index of the function within its collection."),
    get(L"MSOrder", 23, &IKSFunction::get_MSOrder, L"The MS order of the function."))

KS_CONTRACT_TABLE(IKSFunction2, nullptr,
    get(L"SpectrumCollectionCentroid", 1, &IKSFunction2::get_SpectrumCollectionCentroid,
        L"Gets all of the function's spectra in an MSCollection object, centroided with the given peak detection "
        L"object.  If the spectra in the data file are already centroided, pPD is ignored."))

KS_CONTRACT_TABLE(IKSTraces, nullptr,
    get(L"_NewEnum", DISPID_NEWENUM, &IKSTraces::get__NewEnum, L"property _NewEnum"),
    get(L"Item", DISPID_VALUE, &IKSTraces::get_Item, L"property Item"),
    get(L"Count", 1, &IKSTraces::get_Count, L"property Count"))

KS_CONTRACT_TABLE(IKSTrace, nullptr,
    get(L"Name", 1, &IKSTrace::get_Name, L"The descriptive name of the trace."),
    get(L"Chromatogram", 2, &IKSTrace::get_Chromatogram, L"The trace's data as an IKSChromatogram object."),
    getNoResult(L"ChromatogramDirect", 3, &IKSTrace::get_ChromatogramDirect,
                L"The trace's data as a CKSChromatogram object."),
    get(L"Index", 4, &IKSTrace::get_Index, L"The 1-based index of the trace within its collection."))

// --- dataset services, spectrum reader and writer, scan information ------

KS_CONTRACT_TABLE(IKSMSDataset, nullptr,
    get(L"HasTIC", 1, &IKSMSDataset::get_HasTIC, L"property HasTIC", {VT_BOOL}),
    get(L"HasBaseSpectra", 2, &IKSMSDataset::get_HasBaseSpectra, L"property HasBaseSpectra", {VT_BOOL}),
    get(L"HasAuxiliarySpectra", 3, &IKSMSDataset::get_HasAuxiliarySpectra, L"property HasAuxiliarySpectra",
        {VT_BOOL}),
    get(L"SupportsMassChromatograms", 4, &IKSMSDataset::get_SupportsMassChromatograms,
        L"property SupportsMassChromatograms", {VT_BOOL}),
    get(L"HasTraces", 5, &IKSMSDataset::get_HasTraces, L"property HasTraces", {VT_BOOL}),
    get(L"BaseSpectrumCount", 6, &IKSMSDataset::get_BaseSpectrumCount, L"property BaseSpectrumCount"),
    get(L"AuxiliarySpectrumCount", 7, &IKSMSDataset::get_AuxiliarySpectrumCount, L"property AuxiliarySpectrumCount"),
    get(L"TraceCount", 8, &IKSMSDataset::get_TraceCount, L"property TraceCount"),
    call(L"GetBaseSpectrum", 9, &IKSMSDataset::GetBaseSpectrum, L"method GetBaseSpectrum"),
    call(L"GetBaseSpectrumRange", 10, &IKSMSDataset::GetBaseSpectrumRange, L"method GetBaseSpectrumRange"),
    call(L"GetAuxiliarySpectrum", 11, &IKSMSDataset::GetAuxiliarySpectrum, L"method GetAuxiliarySpectrum"),
    call(L"GetAuxiliarySpectrumRange", 12, &IKSMSDataset::GetAuxiliarySpectrumRange,
         L"method GetAuxiliarySpectrumRange"),
    call(L"GetTIC", 13, &IKSMSDataset::GetTIC, L"method GetTIC"),
    call(L"GetTrace", 14, &IKSMSDataset::GetTrace, L"method GetTrace"),
    call(L"GetBasePeakChromatogram", 15, &IKSMSDataset::GetBasePeakChromatogram, L"method GetBasePeakChromatogram"))

KS_CONTRACT_TABLE(IKSMSDataset2, KS_BASE(IKSMSDataset),
    call(L"GetBaseSpectrumDirect", 16, &IKSMSDataset2::GetBaseSpectrumDirect, L"method GetBaseSpectrumDirect"),
    call(L"GetBaseSpectrumRangeDirect", 17, &IKSMSDataset2::GetBaseSpectrumRangeDirect,
         L"method GetBaseSpectrumRangeDirect"),
    call(L"GetAuxiliarySpectrumDirect", 18, &IKSMSDataset2::GetAuxiliarySpectrumDirect,
         L"method GetAuxiliarySpectrumDirect"),
    call(L"GetAuxiliarySpectrumRangeDirect", 19, &IKSMSDataset2::GetAuxiliarySpectrumRangeDirect,
         L"method GetAuxiliarySpectrumRangeDirect"),
    call(L"GetTICDirect", 20, &IKSMSDataset2::GetTICDirect, L"method GetTICDirect"),
    call(L"GetTraceDirect", 21, &IKSMSDataset2::GetTraceDirect, L"method GetTraceDirect"),
    call(L"GetBasePeakChromatogramDirect", 22, &IKSMSDataset2::GetBasePeakChromatogramDirect,
         L"method GetBasePeakChromatogramDirect"))

KS_CONTRACT_TABLE(IKSMSDataset3, KS_BASE(IKSMSDataset2),
    get(L"HasDataDependentScans", 23, &IKSMSDataset3::get_HasDataDependentScans, L"property HasDataDependentScans",
        {VT_BOOL}),
    get(L"DependentScanCount", 24, &IKSMSDataset3::get_DependentScanCount, L"property DependentScanCount"),
    call(L"GetDependentSpectrum", 25, &IKSMSDataset3::GetDependentSpectrum, L"method GetDependentSpectrum"))

KS_CONTRACT_TABLE(IKSMSDatasetReader, nullptr,
    callRet(L"ReadDatasetInteractive", 1, &IKSMSDatasetReader::ReadDatasetInteractive,
            L"Read a data set with interactive selection"),
    callRet(L"ReadDataset", 2, &IKSMSDatasetReader::ReadDataset, L"Read a data set non-interactively"),
    get(L"DataSourceDescription", 3, &IKSMSDatasetReader::get_DataSourceDescription,
        L"Retrieve the data source description"))

KS_CONTRACT_TABLE(IKSMSDatasetWriter, nullptr,
    call(L"WriteDatasetInteractive", 1, &IKSMSDatasetWriter::WriteDatasetInteractive,
         L"Write a data set with interactive selection"),
    call(L"WriteDataset", 2, &IKSMSDatasetWriter::WriteDataset, L"Write a data set non-interactively"),
    get(L"DataSourceDescription", 3, &IKSMSDatasetWriter::get_DataSourceDescription,
        L"Retrieve the data source description"))

KS_CONTRACT_TABLE(IKSSpectrumReader, nullptr,
    call(L"ReadSpectrumInteractive", 1, &IKSSpectrumReader::ReadSpectrumInteractive,
         L"Read a mass spectrum with interactive data set selection"),
    call(L"ReadSpectrum", 2, &IKSSpectrumReader::ReadSpectrum, L"Read a mass spectrum non-interactively"),
    get(L"DataSourceDescription", 3, &IKSSpectrumReader::get_DataSourceDescription,
        L"Retrieve the data source description"))

KS_CONTRACT_TABLE(IKSSpectrumReader2, KS_BASE(IKSSpectrumReader),
    call(L"ReadSpectrumInteractiveDirect", 4, &IKSSpectrumReader2::ReadSpectrumInteractiveDirect,
         L"Read a mass spectrum with interactive data set selection"),
    call(L"ReadSpectrumDirect", 5, &IKSSpectrumReader2::ReadSpectrumDirect, L"Read a mass spectrum non-interactively"))

KS_CONTRACT_TABLE(IKSSpectrumWriter, nullptr,
    call(L"WriteSpectrumInteractive", 1, &IKSSpectrumWriter::WriteSpectrumInteractive,
         L"Write a mass spectrum with interactive data set selection"),
    call(L"WriteSpectrum", 2, &IKSSpectrumWriter::WriteSpectrum, L"Write a mass spectrum non-interactively"),
    put(L"DataSourceDescription", 3, &IKSSpectrumWriter::put_DataSourceDescription,
        L"Set the data source description"))

KS_CONTRACT_TABLE(IKSSpectrumWriter2, KS_BASE(IKSSpectrumWriter),
    call(L"WriteSpectrumInteractiveDirect", 4, &IKSSpectrumWriter2::WriteSpectrumInteractiveDirect,
         L"Write a mass spectrum with interactive data set selection"),
    call(L"WriteSpectrumDirect", 5, &IKSSpectrumWriter2::WriteSpectrumDirect,
         L"Write a mass spectrum non-interactively"))

KS_CONTRACT_TABLE(IKSScanInfoProvider, nullptr,
    callRet(L"GetScanType", 1, &IKSScanInfoProvider::GetScanType, L"method GetScanType"),
    callRet(L"GetScanTime", 2, &IKSScanInfoProvider::GetScanTime, L"method GetScanTime"),
    callRet(L"GetScanStartMass", 3, &IKSScanInfoProvider::GetScanStartMass, L"method GetScanStartMass"),
    callRet(L"GetScanEndMass", 4, &IKSScanInfoProvider::GetScanEndMass, L"method GetScanEndMass"),
    callRet(L"GetInterscanTime", 5, &IKSScanInfoProvider::GetInterscanTime, L"method GetInterscanTime"))

// --- storage and writer tree (declared only) --------------------------------

KS_CONTRACT_TABLE(IKSStorage, nullptr,
    Entry{storageOpenFile(), L"Opens the given Kestrom Storage File."},
    Entry{storageOpen(), L"Opens the given Kestrom Storage within a parent IStorage."},
    Entry{storageOpenSubstorage(), L"Opens a substorage within this IKSStorage."},
    callRet(L"OpenMSStorageFile", 4, &IKSStorage::OpenMSStorageFile, L"Opens a Kestrom MS Data File for writing."),
    callRet(L"OpenMSStorage", 5, &IKSStorage::OpenMSStorage,
            L"Opens a Kestrom MS Data Storage for writing within a parent IStorage."),
    get(L"Handler", 6, &IKSStorage::get_Handler,
        L"Instantiates the correct handler for the open storage based on CLSID."),
    get(L"IStorage", 7, &IKSStorage::get_IStorage, L"Returns the underlying IStorage object."))

KS_CONTRACT_TABLE(IKSInjectionsWriter, nullptr,
    get(L"_NewEnum", DISPID_NEWENUM, &IKSInjectionsWriter::get__NewEnum, L"property _NewEnum"),
    get(L"Item", DISPID_VALUE, &IKSInjectionsWriter::get_Item, L"property Item"),
    get(L"Count", 1, &IKSInjectionsWriter::get_Count, L"property Count"),
    callRet(L"Add", 2, &IKSInjectionsWriter::Add, L"Adds a new injection to the collection"),
    call(L"Remove", 3, &IKSInjectionsWriter::Remove, L"Removes the Index-th injection from the collection"),
    call(L"Clear", 4, &IKSInjectionsWriter::Clear, L"Removes all injections from the collection"))

KS_CONTRACT_TABLE(IKSInjectionWriter, nullptr,
    get(L"Functions", 1, &IKSInjectionWriter::get_Functions, L"Returns the Data Functions collection."),
    get(L"Traces", 2, &IKSInjectionWriter::get_Traces, L"Returns the collection of external traces."),
    put(L"Name", 3, &IKSInjectionWriter::put_Name, L"The descriptive name of the injection."))

KS_CONTRACT_TABLE(IKSFunctionsWriter, nullptr,
    get(L"_NewEnum", DISPID_NEWENUM, &IKSFunctionsWriter::get__NewEnum, L"property _NewEnum"),
    get(L"Item", DISPID_VALUE, &IKSFunctionsWriter::get_Item, L"property Item"),
    get(L"Count", 1, &IKSFunctionsWriter::get_Count, L"property Count"),
    callRet(L"Add", 2, &IKSFunctionsWriter::Add, L"Adds a new function to the collection"),
    call(L"Remove", 3, &IKSFunctionsWriter::Remove, L"Removes the Index-th function from the collection"),
    call(L"Clear", 4, &IKSFunctionsWriter::Clear, L"Removes all functions from the collection"))

#define KS_HELP_TIME(which)                                                                                  \
    L"The acquisition " which L" time.  If bLocalTime is TRUE, the time is treated as local.  If it's FALSE, the " \
    L"time is treated as GMT."

KS_CONTRACT_TABLE(IKSFunctionWriter, nullptr,
    put(L"Name", 1, &IKSFunctionWriter::put_Name, L"The descriptive name of the function."),
    put(L"Type", 2, &IKSFunctionWriter::put_Type, L"The type of the function."),
    put(L"MSOrder", 23, &IKSFunctionWriter::put_MSOrder, L"The MS order of the function."),
    put(L"MSMSType", 12, &IKSFunctionWriter::put_MSMSType,
        L"The MS/MS type of the function (precursor, product, neutral loss)."),
    put(L"Polarity", 3, &IKSFunctionWriter::put_Polarity, L"The polarity of the function."),
    put(L"LowMZ", 25, &IKSFunctionWriter::put_LowMZ, L"The low m/z value detected for the function."),
    put(L"HighMZ", 26, &IKSFunctionWriter::put_HighMZ, L"The high m/z value detected for the function."),
    put(L"StartTime", 27, &IKSFunctionWriter::put_StartTime, KS_HELP_TIME(L"start"), {VT_DATE, VT_BOOL}),
    put(L"EndTime", 28, &IKSFunctionWriter::put_EndTime, KS_HELP_TIME(L"end"), {VT_DATE, VT_BOOL}),
    put(L"Spectrum", 6, &IKSFunctionWriter::put_Spectrum, L"Changes the Index-th spectrum in the function."),
    call(L"Add", 24, &IKSFunctionWriter::Add, L"Adds a spectrum to the function."),
    call(L"Remove", 29, &IKSFunctionWriter::Remove, L"Removes the Index-th spectrum from the function."),
    call(L"Clear", 30, &IKSFunctionWriter::Clear, L"Removes all spectra from the function."),
    get(L"Traces", 31, &IKSFunctionWriter::get_Traces, L"Returns the collection of function-level traces."),
    put(L"PolynomialSpectrum", 32, &IKSFunctionWriter::put_PolynomialSpectrum,
        L"Changes the Index-th spectrum in the function using the polynomial spectrum format.  The m/z values in "
        L"piSpec are ignored."),
    call(L"AddPolynomial", 33, &IKSFunctionWriter::AddPolynomial,
         L"Adds a spectrum to the function using the polynomial spectrum format.  The m/z values in piSpec are "
         L"ignored."))

KS_CONTRACT_TABLE(IKSTracesWriter, nullptr,
    get(L"_NewEnum", DISPID_NEWENUM, &IKSTracesWriter::get__NewEnum, L"property _NewEnum"),
    get(L"Item", DISPID_VALUE, &IKSTracesWriter::get_Item, L"property Item"),
    get(L"Count", 1, &IKSTracesWriter::get_Count, L"property Count"),
    callRet(L"Add", 2, &IKSTracesWriter::Add, L"Adds a new trace to the collection"),
    call(L"Remove", 3, &IKSTracesWriter::Remove, L"Removes the Index-th trace from the collection"),
    call(L"Clear", 4, &IKSTracesWriter::Clear, L"Removes all traces from the collection"))

KS_CONTRACT_TABLE(IKSTraceWriter, nullptr,
    put(L"Name", 1, &IKSTraceWriter::put_Name, L"Writes the name of the trace."),
    put(L"Description", 2, &IKSTraceWriter::put_Description, L"Writes the description of the trace."),
    put(L"Chromatogram", 3, &IKSTraceWriter::put_Chromatogram, L"Writes the trace's data."),
    put(L"Type", 4, &IKSTraceWriter::put_Type, L"Writes the trace type."))

}  // namespace

#define KS_CONTRACT_DISPATCH(I) \
    KS_DISPATCH_TABLE(I) { return described_##I().table; }

KS_CONTRACT_DISPATCH(IKSMassSpectrum)
KS_CONTRACT_DISPATCH(IKSMassSpectrum2)
KS_CONTRACT_DISPATCH(IKSMassSpectrum3)
KS_CONTRACT_DISPATCH(IKSChromatogram)
KS_CONTRACT_DISPATCH(IKSMSCollection)
KS_CONTRACT_DISPATCH(IKSPeakDetection)
KS_CONTRACT_DISPATCH(IKSDataProvider)
KS_CONTRACT_DISPATCH(IKSDataProvider2)
KS_CONTRACT_DISPATCH(IKSDataProvider3)
KS_CONTRACT_DISPATCH(IKSProviderServer)
KS_CONTRACT_DISPATCH(IKSProviderServerEventsSink)
KS_CONTRACT_DISPATCH(IKSProviderDescription)
KS_CONTRACT_DISPATCH(IKSProviderDescription2)
KS_CONTRACT_DISPATCH(IKSProviderDescription3)
KS_CONTRACT_DISPATCH(IKSDataAccess)
KS_CONTRACT_DISPATCH(IKSDataAccess2)
KS_CONTRACT_DISPATCH(IKSDataAccess3)
KS_CONTRACT_DISPATCH(IKSDataAccess4)
KS_CONTRACT_DISPATCH(IKSDataAccess5)
KS_CONTRACT_DISPATCH(IKSDataServer)
KS_CONTRACT_DISPATCH(IKSDataServer2)
KS_CONTRACT_DISPATCH(IKSDataServer3)
KS_CONTRACT_DISPATCH(IKSInjections)
KS_CONTRACT_DISPATCH(IKSInjection)
KS_CONTRACT_DISPATCH(IKSFunctions)
KS_CONTRACT_DISPATCH(IKSFunction)
KS_CONTRACT_DISPATCH(IKSFunction2)
KS_CONTRACT_DISPATCH(IKSTraces)
KS_CONTRACT_DISPATCH(IKSTrace)
KS_CONTRACT_DISPATCH(IKSMSDataset)
KS_CONTRACT_DISPATCH(IKSMSDataset2)
KS_CONTRACT_DISPATCH(IKSMSDataset3)
KS_CONTRACT_DISPATCH(IKSMSDatasetReader)
KS_CONTRACT_DISPATCH(IKSMSDatasetWriter)
KS_CONTRACT_DISPATCH(IKSSpectrumReader)
KS_CONTRACT_DISPATCH(IKSSpectrumReader2)
KS_CONTRACT_DISPATCH(IKSSpectrumWriter)
KS_CONTRACT_DISPATCH(IKSSpectrumWriter2)
KS_CONTRACT_DISPATCH(IKSScanInfoProvider)
KS_CONTRACT_DISPATCH(IKSStorage)
KS_CONTRACT_DISPATCH(IKSInjectionsWriter)
KS_CONTRACT_DISPATCH(IKSInjectionWriter)
KS_CONTRACT_DISPATCH(IKSFunctionsWriter)
KS_CONTRACT_DISPATCH(IKSFunctionWriter)
KS_CONTRACT_DISPATCH(IKSTracesWriter)
KS_CONTRACT_DISPATCH(IKSTraceWriter)

// --- catalogue -------------------------------------------------------------

namespace ks::contract {

namespace {

using namespace ::ks::contract;

template <class I>
InterfaceInfo info(const wchar_t* name, const wchar_t* help, DWORD flags, const Described& d)
{
    using Base = typename ks::InterfaceTraits<I>::Base;
    const IID* base = std::is_same_v<Base, IDispatch> ? nullptr : &ks::InterfaceTraits<Base>::iid;
    return InterfaceInfo{name, KS_IID(I), base, help, flags, &ks::dispTable<I>(), d.members};
}

#define KS_INFO(I, flags) info<I>(L## #I, L## #I L" Interface", (flags), described_##I())

}  // namespace

const TypeLibInfo& typeLib()
{
    static const TypeLibInfo lib{L"KSPROVIDERSERVERLib", LIBID_KSPROVIDERSERVERLib,
                                 KSPROVIDERSERVERLib_MajorVersion, KSPROVIDERSERVERLib_MinorVersion,
                                 KSPROVIDERSERVERLib_Lcid, L"KSProviderServer 1.0 Type Library"};
    return lib;
}

const TypeLibInfo& importedSpectrumLibrary()
{
    static const TypeLibInfo lib{L"KSControls", LIBID_KSControls, 1, 0, 0, L"KSControls 1.0 Type Library"};
    return lib;
}

const std::vector<InterfaceInfo>& interfaces()
{
    static const std::vector<InterfaceInfo> list = [] {
        const DWORD D = kDual, NX = kDual | kNonExtensible, IMP = kDual | kImported, DO = kDual | kDeclaredOnly;
        std::vector<InterfaceInfo> v{
            KS_INFO(IKSDataProvider, D),
            KS_INFO(IKSDataProvider2, D),
            KS_INFO(IKSDataProvider3, D),
            KS_INFO(IKSProviderServer, NX),
            InterfaceInfo{L"_IKSProviderServerEvents", IID__IKSProviderServerEvents, nullptr,
                          L"_IKSProviderServerEvents Interface", kDispatchOnly,
                          &ks::dispTable<IKSProviderServerEventsSink>(),
                          described_IKSProviderServerEventsSink().members},
            KS_INFO(IKSProviderDescription, NX),
            KS_INFO(IKSProviderDescription2, NX),
            KS_INFO(IKSProviderDescription3, NX),
            KS_INFO(IKSDataAccess, D),
            KS_INFO(IKSDataAccess2, D),
            KS_INFO(IKSDataAccess3, D),
            KS_INFO(IKSDataAccess4, D),
            KS_INFO(IKSDataAccess5, D),
            KS_INFO(IKSDataServer, D),
            KS_INFO(IKSDataServer2, D),
            KS_INFO(IKSDataServer3, D),
            KS_INFO(IKSInjections, D),
            KS_INFO(IKSInjection, D),
            KS_INFO(IKSFunctions, D),
            KS_INFO(IKSFunction, D),
            KS_INFO(IKSFunction2, D),
            KS_INFO(IKSTraces, D),
            KS_INFO(IKSTrace, D),
            KS_INFO(IKSMSDataset, D),
            KS_INFO(IKSMSDataset2, D),
            KS_INFO(IKSMSDataset3, D),
            KS_INFO(IKSMSDatasetReader, D),
            KS_INFO(IKSMSDatasetWriter, DO),
            KS_INFO(IKSSpectrumReader, D),
            KS_INFO(IKSSpectrumReader2, D),
            KS_INFO(IKSSpectrumWriter, D),
            KS_INFO(IKSSpectrumWriter2, D),
            info<IKSScanInfoProvider>(L"IKSScanInfoProvider", L"KSScanInfoProvider Interface", D,
                                      described_IKSScanInfoProvider()),
            KS_INFO(IKSStorage, DO),
            KS_INFO(IKSInjectionsWriter, DO),
            KS_INFO(IKSInjectionWriter, DO),
            KS_INFO(IKSFunctionsWriter, DO),
            KS_INFO(IKSFunctionWriter, DO),
            KS_INFO(IKSTracesWriter, DO),
            KS_INFO(IKSTraceWriter, DO),
            KS_INFO(IKSMassSpectrum, IMP),
            KS_INFO(IKSMassSpectrum2, IMP),
            KS_INFO(IKSMassSpectrum3, IMP),
            KS_INFO(IKSChromatogram, IMP),
            KS_INFO(IKSMSCollection, IMP),
            KS_INFO(IKSPeakDetection, IMP),
        };
        return v;
    }();
    return list;
}

const InterfaceInfo* findInterface(REFIID iid)
{
    for (const InterfaceInfo& i : interfaces())
        if (i.iid == iid)
            return &i;
    return nullptr;
}

const InterfaceInfo* findInterface(const wchar_t* name)
{
    if (!name)
        return nullptr;
    for (const InterfaceInfo& i : interfaces())
        if (std::wcscmp(i.name, name) == 0)
            return &i;
    return nullptr;
}

const wchar_t* memberHelp(REFIID iid, DISPID id, ks::DispKind kind)
{
    for (const InterfaceInfo* i = findInterface(iid); i; i = i->base ? findInterface(*i->base) : nullptr)
        for (const MemberInfo& m : i->members)
            if (m.id == id && m.kind == kind)
                return m.help;
    return nullptr;
}

const std::vector<CoclassInfo>& coclasses()
{
    static const std::vector<CoclassInfo> list{
        {L"KSProviderServer", CLSID_KSProviderServer, L"KSProviderServer Class", {IID_IKSProviderServer},
         &IID__IKSProviderServerEvents, true, false, true, PROGID_KSProviderServer,
         PROGID_KSProviderServer_VersionIndependent},
        {L"KSProviderDescription", CLSID_KSProviderDescription, L"KSProviderDescription Class",
         {IID_IKSProviderDescription, IID_IKSProviderDescription2}, nullptr, false, false, false, nullptr, nullptr},
        {L"KSDataProvider", CLSID_KSDataProvider, L"KSDataProvider Class", {IID_IKSDataProvider}, nullptr, true,
         false, false, nullptr, nullptr},
        {L"KSScanInfoProvider", CLSID_KSScanInfoProvider, L"KSScanInfoProvider Class", {IID_IKSScanInfoProvider},
         nullptr, true, false, false, nullptr, nullptr},
        {L"KSDataAccess", CLSID_KSDataAccess, L"KSDataAccess Class",
         {IID_IKSDataAccess, IID_IKSDataAccess2, IID_IKSDataAccess3, IID_IKSDataAccess4, IID_IKSDataAccess5}, nullptr,
         true, true, true, PROGID_KSDataAccess, PROGID_KSDataAccess_VersionIndependent},
    };
    return list;
}

const CoclassInfo* findCoclass(REFCLSID clsid)
{
    for (const CoclassInfo& c : coclasses())
        if (c.clsid == clsid)
            return &c;
    return nullptr;
}

const std::vector<EnumInfo>& enums()
{
    static const std::vector<EnumInfo> list{
        {L"FunctionType", nullptr,
         {{L"FunctionTypeUnknown", FunctionTypeUnknown, nullptr},
          {L"FunctionTypeMS", FunctionTypeMS, nullptr},
          {L"FunctionTypeMSn", FunctionTypeMSn, nullptr},
          {L"FunctionTypeZoomMS", FunctionTypeZoomMS, nullptr},
          {L"FunctionTypeZoomMSn", FunctionTypeZoomMSn, nullptr},
          {L"FunctionTypeSIM", FunctionTypeSIM, nullptr},
          {L"FunctionTypeSIMMSn", FunctionTypeSIMMSn, nullptr}}},
        {L"FunctionMSMSType", nullptr,
         {{L"FunctionMSMSTypeNone", FunctionMSMSTypeNone, nullptr},
          {L"FunctionMSMSTypePrecursor", FunctionMSMSTypePrecursor, nullptr},
          {L"FunctionMSMSTypeProduct", FunctionMSMSTypeProduct, nullptr},
          {L"FunctionMSMSTypeNeutralLoss", FunctionMSMSTypeNeutralLoss, nullptr},
          {L"FunctionMSMSTypeNeutralGain", FunctionMSMSTypeNeutralGain, nullptr},
          {L"FunctionMSMSTypeMultipleReaction", FunctionMSMSTypeMultipleReaction, nullptr}}},
        {L"FunctionPolarity", nullptr,
         {{L"FunctionPolarityUnknown", FunctionPolarityUnknown, nullptr},
          {L"FunctionPolarityPositive", FunctionPolarityPositive, nullptr},
          {L"FunctionPolarityNegative", FunctionPolarityNegative, nullptr},
          {L"FunctionPolarityMixed", FunctionPolarityMixed, nullptr}}},
        {L"FunctionRTProximity", nullptr,
         {{L"FunctionRTProximityLess", FunctionRTProximityLess, nullptr},
          {L"FunctionRTProximityGreater", FunctionRTProximityGreater, nullptr},
          {L"FunctionRTProximityClosest", FunctionRTProximityClosest, nullptr}}},
        {L"TraceType", nullptr,
         {{L"TraceTypeUnknown", TraceTypeUnknown, nullptr},
          {L"TraceTypeTIC", TraceTypeTIC, nullptr},
          {L"TraceTypeBPC", TraceTypeBPC, nullptr},
          {L"TraceTypeMZChromatogram", TraceTypeMZChromatogram, nullptr},
          {L"TraceTypeUV", TraceTypeUV, nullptr},
          {L"TraceTypeOther", TraceTypeOther, nullptr}}},
        {L"ModeType", nullptr,
         {{L"ModeTypeRead", ModeTypeRead, nullptr}, {L"ModeTypeWrite", ModeTypeWrite, nullptr}}},
        {L"ProviderFlagT", &UUID_ProviderFlagT,
         {{L"SpectrumReader", SpectrumReader, L"Spectrum Reader"},
          {L"SpectrumWriter", SpectrumWriter, L"Spectrum Writer"},
          {L"MSDatasetReader", MSDatasetReader, L"MS Dataset Reader"},
          {L"MSDatasetWriter", MSDatasetWriter, L"MS Dataset Writer"}}},
        {L"DatasetScanInfoType", nullptr,
         {{L"DatasetScanInfoTypeLinear", DatasetScanInfoTypeLinear, nullptr},
          {L"DatasetScanInfoTypeExponential", DatasetScanInfoTypeExponential, nullptr},
          {L"DatasetScanInfoTypeContinuous", DatasetScanInfoTypeContinuous, nullptr}}},
    };
    return list;
}

const EnumInfo* findEnum(const wchar_t* name)
{
    if (!name)
        return nullptr;
    for (const EnumInfo& e : enums())
        if (std::wcscmp(e.name, name) == 0)
            return &e;
    return nullptr;
}

}  // namespace ks::contract
