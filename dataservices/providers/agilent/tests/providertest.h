// Helpers of the KSAgilentProvider component tests: registration into the
// test case's registry, objects by class identifier, registry values, the
// functions and traces of a data server's tree, and the points of spectrum
// objects and handles read back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chromatogram.h"
#include "ksagilentprovider.h"
#include "kscomptr.h"
#include "kscomtest.h"
#include "kscontract.h"
#include "kshandles.h"
#include "kstest.h"
#include "readersettings.h"

namespace agilentprov {

using ks::test::Create;
using ks::test::Doubles;
using ks::test::Query;

// What a spectrum object or handle holds.
struct Points {
    LONG count = -1;
    std::vector<double> x;
    std::vector<double> y;
    bool centroid = true;
    double startRT = -1;
    double endRT = -1;
    LONG firstScan = -1;
    LONG lastScan = -1;
};

inline Points Read(IKSMassSpectrum* spectrum)
{
    Points p;
    spectrum->get_Count(&p.count);
    ks::Variant masses;
    spectrum->get_Masses(&masses);
    p.x = Doubles(masses);
    ks::Variant intensities;
    spectrum->get_Intensities(&intensities);
    p.y = Doubles(intensities);
    VARIANT_BOOL centroid = VARIANT_TRUE;
    spectrum->get_Centroid(&centroid);
    p.centroid = centroid != VARIANT_FALSE;
    if (auto two = Query<IKSMassSpectrum2>(spectrum)) {
        two->get_StartRT(&p.startRT);
        two->get_EndRT(&p.endRT);
        two->get_FirstScan(&p.firstScan);
        two->get_LastScan(&p.lastScan);
    }
    return p;
}

inline Points Read(const CKSMassSpectrum& handle)
{
    Points p;
    const CMassSpectrum* s = handle.get();
    p.count = s->GetCount();
    if (p.count > 0) {
        p.x.assign(s->Masses(), s->Masses() + p.count);
        p.y.assign(s->Intensities(), s->Intensities() + p.count);
    }
    p.centroid = s->IsCentroid();
    p.startRT = s->GetStartRT();
    p.endRT = s->GetEndRT();
    p.firstScan = s->GetFirstScan();
    p.lastScan = s->GetLastScan();
    return p;
}

inline std::vector<double> Values(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Intensities(), c.Intensities() + c.GetCount())
                        : std::vector<double>();
}

inline std::vector<double> Times(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Times(), c.Times() + c.GetCount()) : std::vector<double>();
}

// Registry values written by registration.
inline std::wstring Text(HKEY root, const std::wstring& path)
{
    std::wstring text;
    EXPECT_TRUE(ReadRegistryText(root, path, text)) << std::string(path.begin(), path.end());
    return text;
}

// A string value of a key ("" for its default value).
inline std::wstring Value(HKEY root, const std::wstring& key, const wchar_t* value = L"")
{
    HKEY h = nullptr;
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
        RegQueryValueExW(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(h);
    }
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << std::string(key.begin(), key.end());
    return buffer;
}

inline DWORD Number(HKEY root, const std::wstring& key, const wchar_t* value)
{
    HKEY h = nullptr;
    DWORD number = 0;
    DWORD size = sizeof number;
    DWORD type = 0;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
        RegQueryValueExW(h, value, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
        RegCloseKey(h);
    }
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    return number;
}

inline bool KeyExists(HKEY root, const std::wstring& key)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

// A class of the component as registration writes it: both ProgIDs name
// it, the version-independent one names the versioned one as current, and
// its key says "Apartment" and the deliverable's type library.
inline void ExpectRegisteredClass(const std::wstring& progId, REFCLSID clsid)
{
    const std::string shown(progId.begin(), progId.end());
    for (const std::wstring& id : {progId, progId + L".1"}) {
        CLSID found{};
        EXPECT_EQ(CLSIDFromProgID(id.c_str(), &found), S_OK) << shown;
        EXPECT_TRUE(found == clsid) << shown;
    }
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, progId + L"\\CurVer"), progId + L".1");
    wchar_t braced[40] = {};
    StringFromGUID2(clsid, braced, 40);
    const std::wstring key = std::wstring(L"CLSID\\") + braced;
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + L"\\InprocServer32\\ThreadingModel"), L"Apartment") << shown;
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, key + L"\\TypeLib"), L"{2B0B0D9E-7516-495C-8243-90AEFFAE5B02}") << shown;
}

// The tree of an open data server, as a client walks it.
inline ks::ComPtr<IKSInjection> Injection(IKSDataServer* server)
{
    ks::ComPtr<IKSInjections> injections;
    EXPECT_EQ(server->get_Injections(&injections), S_OK);
    ks::ComPtr<IKSInjection> injection;
    if (injections) {
        EXPECT_EQ(injections->get_Item(1, &injection), S_OK);
    }
    return injection;
}

struct FunctionView {
    std::wstring name;
    FunctionType type = FunctionTypeUnknown;
    FunctionMSMSType msmsType = FunctionMSMSTypeNone;
    FunctionPolarity polarity = FunctionPolarityUnknown;
    LONG msOrder = -1;
    LONG count = -1;
    CChromatogram tic;
};

// Each function's values and its TIC, asked for with calculate (the
// ChemStation server answers whatever the flag says).
inline std::vector<FunctionView> Functions(IKSInjection* injection, LONG calculate = 0)
{
    std::vector<FunctionView> out;
    ks::ComPtr<IKSFunctions> functions;
    EXPECT_EQ(injection->get_Functions(&functions), S_OK);
    LONG count = 0;
    EXPECT_EQ(functions->get_Count(&count), S_OK);
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSFunction> function;
        EXPECT_EQ(functions->get_Item(i, &function), S_OK);
        FunctionView v;
        ks::Bstr name;
        function->get_Name(&name);
        v.name = name.str();
        function->get_Type(&v.type);
        function->get_MSMSType(&v.msmsType);
        function->get_Polarity(&v.polarity);
        function->get_MSOrder(&v.msOrder);
        function->get_Count(&v.count);
        CKSChromatogram handle(&v.tic);
        EXPECT_EQ(function->get_TICDirect(calculate, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        out.push_back(std::move(v));
    }
    return out;
}

inline std::vector<std::pair<std::wstring, LONG>> Traces(IKSInjection* injection)
{
    std::vector<std::pair<std::wstring, LONG>> out;
    ks::ComPtr<IKSTraces> traces;
    EXPECT_EQ(injection->get_Traces(&traces), S_OK);
    LONG count = 0;
    EXPECT_EQ(traces->get_Count(&count), S_OK);
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSTrace> trace;
        EXPECT_EQ(traces->get_Item(i, &trace), S_OK);
        ks::Bstr name;
        trace->get_Name(&name);
        CChromatogram c;
        CKSChromatogram handle(&c);
        const HRESULT hr = trace->get_ChromatogramDirect(reinterpret_cast<ULONG_PTR>(&handle));
        out.emplace_back(name.str(), SUCCEEDED(hr) ? c.GetCount() : -1);
    }
    return out;
}

}  // namespace agilentprov
