// Every member of every interface is reached through GetIDsOfNames and
// Invoke and lands in the function-table slot its position gives it
// (IUnknown, IDispatch, then the members in the documented order, a derived
// interface after its base). The object under test is generated: a function
// table of numbered entries that record which slot was called, so a member
// declared out of order or a table entry naming the wrong method shows up
// as a different slot.
#include "kscontractinfo.h"

#include "kscomptr.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

namespace {

// The members of each interface in documented order: "kind Name DISPID".
struct Expected {
    const wchar_t* name;
    const wchar_t* base;  // null: IDispatch
    const char* members;
};

const Expected kExpected[] = {
    {L"IKSDataProvider", nullptr,
     "get ClassID 1|get ClassName 2|get Copyright 3|get MenuName 4|get Supplier 5|get Version 6|"
     "get ProviderFlags 7|get Path 8|put Path 8|call GetService 9|call SupportsService 10"},
    {L"IKSDataProvider2", nullptr, "get DataServerClassID 11"},
    {L"IKSDataProvider3", nullptr, "get FilterString 12"},
    {L"IKSProviderServer", nullptr,
     "get _NewEnum -4|get Item 0|get Count 1|call UnregisterDataProvider 2|call RegisterDataProvider 3|"
     "call GetProvider 4|call SupportsProvider 5"},
    {L"IKSProviderDescription", nullptr,
     "get ClassID 1|get ClassName 2|get Copyright 3|get MenuName 4|get Supplier 5|get Version 6|"
     "get ProviderFlags 7"},
    {L"IKSProviderDescription2", nullptr, "get DataServerClassID 1"},
    {L"IKSProviderDescription3", nullptr, "get FilterString 1"},
    {L"IKSDataAccess", nullptr,
     "call OpenDataset 1|call OpenInjection 2|call OpenFunction 3|call BrowseInjection 4|call BrowseFunction 5|"
     "call BrowseCombo 6|put SmartExpansionBoxes 7|put ShowTextFiles 8|call AddComboFilter 9"},
    {L"IKSDataAccess2", nullptr, "call BrowseInjectionFunctions 1"},
    {L"IKSDataAccess3", nullptr, "call AddComboFilter3 1|call BrowseCombo3 2"},
    {L"IKSDataAccess4", nullptr,
     "call OpenDatasetFromStorage 1|call OpenInjectionFromStorage 2|call OpenFunctionFromStorage 3"},
    {L"IKSDataAccess5", nullptr, "call IsValidDataset 1"},
    {L"IKSDataServer", nullptr,
     "call CurrentDataset 1|call DatasetType 2|call IsValidDataset 3|call Open 4|call Close 5|get Injections 6|"
     "get InjectionCountFromPath 7"},
    {L"IKSDataServer2", nullptr, "call OpenFromStorage 1"},
    {L"IKSDataServer3", nullptr, "get ClassID 1"},
    {L"IKSInjections", nullptr, "get _NewEnum -4|get Item 0|get Count 1"},
    {L"IKSInjection", nullptr, "get Functions 1|get Traces 2|get Name 3|get Index 4"},
    {L"IKSFunctions", nullptr, "get _NewEnum -4|get Item 0|get Count 1"},
    {L"IKSFunction", nullptr,
     "get Name 1|get Type 2|get MSMSType 12|get Polarity 3|get BPC 4|get BPCWithRange 13|get BPCDirect 14|"
     "get BPCWithRangeDirect 15|get TIC 5|get TICDirect 16|get Spectrum 6|get SpectrumDirect 17|"
     "get SpectrumByRT 10|get SpectrumByRTDirect 18|get SpectrumRange 7|get SpectrumRangeDirect 19|"
     "get SpectrumRangeByRT 11|get SpectrumRangeByRTDirect 20|get Count 8|get SpectrumCollection 9|"
     "get SpectrumCollectionDirect 21|get Index 22|get MSOrder 23"},
    {L"IKSFunction2", nullptr, "get SpectrumCollectionCentroid 1"},
    {L"IKSTraces", nullptr, "get _NewEnum -4|get Item 0|get Count 1"},
    {L"IKSTrace", nullptr, "get Name 1|get Chromatogram 2|get ChromatogramDirect 3|get Index 4"},
    {L"IKSMSDataset", nullptr,
     "get HasTIC 1|get HasBaseSpectra 2|get HasAuxiliarySpectra 3|get SupportsMassChromatograms 4|"
     "get HasTraces 5|get BaseSpectrumCount 6|get AuxiliarySpectrumCount 7|get TraceCount 8|"
     "call GetBaseSpectrum 9|call GetBaseSpectrumRange 10|call GetAuxiliarySpectrum 11|"
     "call GetAuxiliarySpectrumRange 12|call GetTIC 13|call GetTrace 14|call GetBasePeakChromatogram 15"},
    {L"IKSMSDataset2", L"IKSMSDataset",
     "call GetBaseSpectrumDirect 16|call GetBaseSpectrumRangeDirect 17|call GetAuxiliarySpectrumDirect 18|"
     "call GetAuxiliarySpectrumRangeDirect 19|call GetTICDirect 20|call GetTraceDirect 21|"
     "call GetBasePeakChromatogramDirect 22"},
    {L"IKSMSDataset3", L"IKSMSDataset2",
     "get HasDataDependentScans 23|get DependentScanCount 24|call GetDependentSpectrum 25"},
    {L"IKSMSDatasetReader", nullptr, "call ReadDatasetInteractive 1|call ReadDataset 2|get DataSourceDescription 3"},
    {L"IKSMSDatasetWriter", nullptr,
     "call WriteDatasetInteractive 1|call WriteDataset 2|get DataSourceDescription 3"},
    {L"IKSSpectrumReader", nullptr,
     "call ReadSpectrumInteractive 1|call ReadSpectrum 2|get DataSourceDescription 3"},
    {L"IKSSpectrumReader2", L"IKSSpectrumReader", "call ReadSpectrumInteractiveDirect 4|call ReadSpectrumDirect 5"},
    {L"IKSSpectrumWriter", nullptr,
     "call WriteSpectrumInteractive 1|call WriteSpectrum 2|put DataSourceDescription 3"},
    {L"IKSSpectrumWriter2", L"IKSSpectrumWriter",
     "call WriteSpectrumInteractiveDirect 4|call WriteSpectrumDirect 5"},
    {L"IKSScanInfoProvider", nullptr,
     "call GetScanType 1|call GetScanTime 2|call GetScanStartMass 3|call GetScanEndMass 4|call GetInterscanTime 5"},
    {L"IKSStorage", nullptr,
     "call OpenStorageFile 1|call OpenStorage 2|call OpenSubstorage 3|call OpenMSStorageFile 4|"
     "call OpenMSStorage 5|get Handler 6|get IStorage 7"},
    {L"IKSInjectionsWriter", nullptr,
     "get _NewEnum -4|get Item 0|get Count 1|call Add 2|call Remove 3|call Clear 4"},
    {L"IKSInjectionWriter", nullptr, "get Functions 1|get Traces 2|put Name 3"},
    {L"IKSFunctionsWriter", nullptr,
     "get _NewEnum -4|get Item 0|get Count 1|call Add 2|call Remove 3|call Clear 4"},
    {L"IKSFunctionWriter", nullptr,
     "put Name 1|put Type 2|put MSOrder 23|put MSMSType 12|put Polarity 3|put LowMZ 25|put HighMZ 26|"
     "put StartTime 27|put EndTime 28|put Spectrum 6|call Add 24|call Remove 29|call Clear 30|get Traces 31|"
     "put PolynomialSpectrum 32|call AddPolynomial 33"},
    {L"IKSTracesWriter", nullptr,
     "get _NewEnum -4|get Item 0|get Count 1|call Add 2|call Remove 3|call Clear 4"},
    {L"IKSTraceWriter", nullptr, "put Name 1|put Description 2|put Chromatogram 3|put Type 4"},
    // The spectrum-object interfaces, in the order the data services use them.
    {L"IKSMassSpectrum", nullptr,
     "get Title 1|put Title 1|get Count 2|put Count 2|get Masses 3|put Masses 3|get Intensities 4|"
     "put Intensities 4|get Centroid 5|put Centroid 5|get MSOrder 6|put MSOrder 6|get PrecursorMass 7|"
     "put PrecursorMass 7|get Spare 8|put Spare 8|get Polarity 9|put Polarity 9"},
    {L"IKSMassSpectrum2", L"IKSMassSpectrum",
     "get StartRT 10|put StartRT 10|get EndRT 11|put EndRT 11|get FirstScan 12|put FirstScan 12|"
     "get LastScan 13|put LastScan 13|get PrecursorMZ 14|put PrecursorMZ 14|get PrecursorMZ2 15|"
     "put PrecursorMZ2 15|get FunctionType 16|put FunctionType 16|call CopyFrom 17"},
    {L"IKSMassSpectrum3", L"IKSMassSpectrum2", ""},
    {L"IKSChromatogram", nullptr,
     "get Count 1|put Count 1|get Times 2|put Times 2|get Intensities 3|put Intensities 3|get Name 4|put Name 4"},
    {L"IKSMSCollection", nullptr, "get Count 1|put Count 1|get Item 0"},
    {L"IKSPeakDetection", nullptr, "call DetectPeaks 1|call WritePeaks 2"},
};

struct ExpectedMember {
    ks::DispKind kind;
    std::wstring name;
    DISPID id;
};

std::vector<ExpectedMember> parse(const char* list)
{
    std::vector<ExpectedMember> out;
    std::stringstream all(list);
    std::string item;
    while (std::getline(all, item, '|')) {
        std::stringstream one(item);
        std::string kind, name;
        DISPID id = 0;
        one >> kind >> name >> id;
        ExpectedMember m;
        m.kind = kind == "get" ? ks::DispKind::Get : kind == "put" ? ks::DispKind::Put : ks::DispKind::Method;
        m.name.assign(name.begin(), name.end());
        m.id = id;
        out.push_back(m);
    }
    return out;
}

const Expected* expectedFor(const std::wstring& name)
{
    for (const Expected& e : kExpected)
        if (name == e.name)
            return &e;
    return nullptr;
}

// Number of function-table slots before an interface's own members.
size_t slotsBefore(const Expected& e)
{
    size_t n = 7;
    for (const Expected* b = e.base ? expectedFor(e.base) : nullptr; b; b = b->base ? expectedFor(b->base) : nullptr)
        n += parse(b->members).size();
    return n;
}

// The C++ type of each dual interface: its type information goes into the
// generated function table, so the sanitizer's dynamic type checks see an
// object of that interface.
#define KS_TYPE(I) {L## #I, &typeid(I)}
const std::map<std::wstring, const std::type_info*> kTypes{
    KS_TYPE(IKSDataProvider), KS_TYPE(IKSDataProvider2), KS_TYPE(IKSDataProvider3), KS_TYPE(IKSProviderServer),
    KS_TYPE(IKSProviderDescription), KS_TYPE(IKSProviderDescription2), KS_TYPE(IKSProviderDescription3),
    KS_TYPE(IKSDataAccess), KS_TYPE(IKSDataAccess2), KS_TYPE(IKSDataAccess3), KS_TYPE(IKSDataAccess4),
    KS_TYPE(IKSDataAccess5), KS_TYPE(IKSDataServer), KS_TYPE(IKSDataServer2), KS_TYPE(IKSDataServer3),
    KS_TYPE(IKSInjections), KS_TYPE(IKSInjection), KS_TYPE(IKSFunctions), KS_TYPE(IKSFunction),
    KS_TYPE(IKSFunction2), KS_TYPE(IKSTraces), KS_TYPE(IKSTrace), KS_TYPE(IKSMSDataset), KS_TYPE(IKSMSDataset2),
    KS_TYPE(IKSMSDataset3), KS_TYPE(IKSMSDatasetReader), KS_TYPE(IKSMSDatasetWriter), KS_TYPE(IKSSpectrumReader),
    KS_TYPE(IKSSpectrumReader2), KS_TYPE(IKSSpectrumWriter), KS_TYPE(IKSSpectrumWriter2),
    KS_TYPE(IKSScanInfoProvider), KS_TYPE(IKSStorage), KS_TYPE(IKSInjectionsWriter), KS_TYPE(IKSInjectionWriter),
    KS_TYPE(IKSFunctionsWriter), KS_TYPE(IKSFunctionWriter), KS_TYPE(IKSTracesWriter), KS_TYPE(IKSTraceWriter),
    KS_TYPE(IKSMassSpectrum), KS_TYPE(IKSMassSpectrum2), KS_TYPE(IKSMassSpectrum3), KS_TYPE(IKSChromatogram),
    KS_TYPE(IKSMSCollection), KS_TYPE(IKSPeakDetection),
};

// --- the generated object ---------------------------------------------------

struct Probe {
    const void* const* vptr;
    const ks::DispTable* table;
    std::vector<int> hits;
};

HRESULT probeQueryInterface(Probe*, REFIID, void** ppv)
{
    *ppv = nullptr;
    return E_NOINTERFACE;
}
ULONG probeAddRef(Probe*) { return 1; }
ULONG probeRelease(Probe*) { return 1; }
HRESULT probeGetTypeInfoCount(Probe*, UINT* n)
{
    *n = 0;
    return S_OK;
}
HRESULT probeGetTypeInfo(Probe*, UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT probeGetIDsOfNames(Probe* self, REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return ks::dispGetIDsOfNames(*self->table, riid, names, count, ids);
}
HRESULT probeInvoke(Probe* self, DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                    EXCEPINFO* excepInfo, UINT* argErr)
{
    return ks::dispInvoke(*self->table, reinterpret_cast<IDispatch*>(self), id, riid, flags, params, result,
                          excepInfo, argErr);
}

// Slot K of the function table: records K and succeeds. Whatever else the
// caller passes (all in registers or on the caller's stack) is ignored.
template <int K>
HRESULT probeSlot(Probe* self)
{
    self->hits.push_back(K);
    return S_OK;
}

constexpr int kMaxSlots = 64;

template <int... K>
std::vector<const void*> slotFunctions(std::integer_sequence<int, K...>)
{
    return {reinterpret_cast<const void*>(&probeSlot<K>)...};
}

// Function table in the compiler's layout: offset to top, type information,
// then the entries the object's pointer points at.
std::vector<const void*> makeTable(const std::type_info* type, size_t slots)
{
    std::vector<const void*> t{nullptr, type,
                               reinterpret_cast<const void*>(&probeQueryInterface),
                               reinterpret_cast<const void*>(&probeAddRef),
                               reinterpret_cast<const void*>(&probeRelease),
                               reinterpret_cast<const void*>(&probeGetTypeInfoCount),
                               reinterpret_cast<const void*>(&probeGetTypeInfo),
                               reinterpret_cast<const void*>(&probeGetIDsOfNames),
                               reinterpret_cast<const void*>(&probeInvoke)};
    std::vector<const void*> numbered = slotFunctions(std::make_integer_sequence<int, kMaxSlots>{});
    for (size_t k = 7; k < slots; ++k)
        t.push_back(numbered.at(k));
    return t;
}

const ks::DispMember* findMember(const ks::DispTable& table, DISPID id, ks::DispKind kind)
{
    for (const ks::DispTable* t = &table; t; t = t->base)
        for (const ks::DispMember& m : t->members)
            if (m.id == id && m.kind == kind)
                return &m;
    return nullptr;
}

// Arguments of the member's parameter types, all zero or empty; by-reference
// arguments point into `storage`.
struct Args {
    std::vector<VARIANT> values;
    std::vector<ULONGLONG> storage;
    std::vector<IDispatch*> objects;
    ks::Bstr guidText{L"{00000000-0000-0000-0000-000000000000}"};
    std::vector<SAFEARRAY*> arrays;

    explicit Args(const std::vector<VARTYPE>& types) : values(types.size()), storage(types.size() * 4, 0),
                                                      objects(types.size(), nullptr)
    {
        // rgvarg holds the arguments last first.
        for (size_t k = 0; k < types.size(); ++k) {
            VARIANT& v = values[types.size() - 1 - k];
            VariantInit(&v);
            VARTYPE vt = types[k];
            v.vt = vt;
            if (vt & VT_BYREF) {
                if ((vt & ~VT_BYREF) == VT_DISPATCH || (vt & ~VT_BYREF) == VT_UNKNOWN)
                    v.byref = &objects[k];
                else
                    v.byref = &storage[k * 4];
            } else if (vt == VT_BSTR) {
                v.bstrVal = guidText.get();  // also a valid class identifier
            } else if (vt == (VT_ARRAY | VT_R8)) {
                SAFEARRAY* a = SafeArrayCreateVector(VT_R8, 1, 1);
                arrays.push_back(a);
                v.parray = a;
            } else if (vt == VT_VARIANT) {
                v.vt = VT_EMPTY;
            } else {
                v.llVal = 0;
            }
        }
    }
    ~Args()
    {
        for (SAFEARRAY* a : arrays)
            SafeArrayDestroy(a);
    }
};

TEST(ContractDispatch, EveryMemberReachesItsSlotByName)
{
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(std::string(e.name, e.name + wcslen(e.name)));
        const ks::contract::InterfaceInfo* info = ks::contract::findInterface(e.name);
        ASSERT_NE(info, nullptr);
        ASSERT_NE(info->table, nullptr);
        auto type = kTypes.find(e.name);
        ASSERT_NE(type, kTypes.end());

        std::vector<ExpectedMember> members = parse(e.members);
        // Nothing beyond the documented members.
        EXPECT_EQ(info->table->members.size(), members.size());
        EXPECT_EQ(info->members.size(), members.size());

        size_t first = slotsBefore(e);
        std::vector<const void*> vtable = makeTable(type->second, first + members.size());
        Probe probe{vtable.data() + 2, info->table, {}};
        IDispatch* disp = reinterpret_cast<IDispatch*>(&probe);

        for (size_t k = 0; k < members.size(); ++k) {
            const ExpectedMember& m = members[k];
            SCOPED_TRACE(std::string(m.name.begin(), m.name.end()));
            DISPID id = 12345;
            LPOLESTR name = const_cast<LPOLESTR>(m.name.c_str());
            ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
            EXPECT_EQ(id, m.id);

            const ks::DispMember* member = findMember(*info->table, m.id, m.kind);
            ASSERT_NE(member, nullptr);
            Args args(member->params);
            DISPID named = DISPID_PROPERTYPUT;
            DISPPARAMS params{args.values.data(), nullptr, static_cast<UINT>(args.values.size()), 0};
            WORD flags = DISPATCH_METHOD;
            if (m.kind == ks::DispKind::Get)
                flags = DISPATCH_PROPERTYGET;
            if (m.kind == ks::DispKind::Put) {
                flags = DISPATCH_PROPERTYPUT;
                params.rgdispidNamedArgs = &named;
                params.cNamedArgs = 1;
            }
            VARIANT result;
            VariantInit(&result);
            EXCEPINFO ex{};
            UINT argErr = 0;
            probe.hits.clear();
            EXPECT_EQ(disp->Invoke(m.id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &ex, &argErr), S_OK);
            VariantClear(&result);
            ASSERT_FALSE(probe.hits.empty());
            EXPECT_EQ(probe.hits.back(), static_cast<int>(first + k));
        }
    }
}

TEST(ContractDispatch, CatalogueListsExactlyTheDocumentedInterfaces)
{
    size_t dual = 0;
    for (const ks::contract::InterfaceInfo& i : ks::contract::interfaces()) {
        if (i.flags & ks::contract::kDispatchOnly)
            continue;
        ++dual;
        const Expected* e = expectedFor(i.name);
        ASSERT_NE(e, nullptr) << std::string(i.name, i.name + wcslen(i.name));
        // The base named by the library is the one the slots were counted on.
        if (e->base) {
            ASSERT_NE(i.base, nullptr);
            EXPECT_EQ(*i.base, ks::contract::findInterface(e->base)->iid);
        } else {
            EXPECT_EQ(i.base, nullptr);
        }
    }
    EXPECT_EQ(dual, std::size(kExpected));
}

}  // namespace
