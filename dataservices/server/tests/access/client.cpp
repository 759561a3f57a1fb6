// A client of the dataset access that knows only its ProgID and talks to it
// through IDispatch, as a script would:
//   ks_dataaccess_test_client PROGID PATH
// prints "IsValidDataset <answer>" and "OpenDataset <hr> <server class> <its
// current dataset>". Exit 2 when the class cannot be created, 1 when a call
// cannot be made.
#include "kscomptr.h"
#include "kscontract.h"
#include "ksactivation.h"

#include <cstdio>
#include <string>

namespace {

std::wstring wide(const char* s)
{
    return std::wstring(s, s + std::char_traits<char>::length(s));
}

std::string narrow(const wchar_t* s)
{
    std::string out;
    for (; s && *s; ++s)
        out += static_cast<char>(*s);
    return out;
}

DISPID dispIdOf(IDispatch* disp, const wchar_t* name)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(disp->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
        return DISPID_UNKNOWN;
    return id;
}

// Calls a method or property get with one text argument (or none) and
// answers its result or, for a failing member, the failure inside.
HRESULT call(IDispatch* disp, const wchar_t* name, WORD flags, const wchar_t* text, ks::Variant& result)
{
    const DISPID id = dispIdOf(disp, name);
    if (id == DISPID_UNKNOWN)
        return DISP_E_UNKNOWNNAME;
    ks::Variant arg;
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocString(text ? text : L"");
    DISPPARAMS params{&arg, nullptr, text ? 1u : 0u, 0};
    EXCEPINFO info{};
    const HRESULT hr = disp->Invoke(id, IID_NULL, 0, flags, &params, &result, &info, nullptr);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr == DISP_E_EXCEPTION ? info.scode : hr;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    CoInitialize(nullptr);
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(wide(argv[1]).c_str(), &clsid))) {
        std::fprintf(stderr, "unknown ProgID %s\n", argv[1]);
        return 2;
    }
    ks::ComPtr<IDispatch> access;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, access.out());
    if (FAILED(hr)) {
        std::fprintf(stderr, "creation failed: 0x%08X\n", static_cast<unsigned>(hr));
        return 2;
    }
    const std::wstring path = wide(argv[2]);

    // IsValidDataset belongs to IKSDataAccess5, whose IDispatch knows it.
    ks::ComPtr<IDispatch> access5;
    if (FAILED(access->QueryInterface(IID_IKSDataAccess5, access5.out())))
        return 1;
    ks::Variant valid;
    hr = call(access5.get(), L"IsValidDataset", DISPATCH_METHOD, path.c_str(), valid);
    if (FAILED(hr) || FAILED(VariantChangeType(&valid, &valid, 0, VT_I4)))
        return 1;
    std::printf("IsValidDataset %d\n", static_cast<int>(valid.lVal));

    ks::Variant server;
    hr = call(access.get(), L"OpenDataset", DISPATCH_METHOD, path.c_str(), server);
    std::string classId = "-", current = "-";
    if (SUCCEEDED(hr) && (server.vt == VT_DISPATCH || server.vt == VT_UNKNOWN) && server.punkVal) {
        ks::ComPtr<IDispatch> server3;
        if (SUCCEEDED(server.punkVal->QueryInterface(IID_IKSDataServer3, server3.out()))) {
            ks::Variant id;
            if (SUCCEEDED(call(server3.get(), L"ClassID", DISPATCH_PROPERTYGET, nullptr, id)) && id.vt == VT_BSTR)
                classId = narrow(id.bstrVal);
        }
        ks::ComPtr<IDispatch> serverDisp;
        if (SUCCEEDED(server.punkVal->QueryInterface(IID_IKSDataServer, serverDisp.out()))) {
            ks::Variant text;
            if (SUCCEEDED(call(serverDisp.get(), L"CurrentDataset", DISPATCH_METHOD, nullptr, text)) &&
                text.vt == VT_BSTR)
                current = narrow(text.bstrVal);
        }
    }
    std::printf("OpenDataset 0x%08X %s %s\n", static_cast<unsigned>(hr), classId.c_str(), current.c_str());
    return 0;
}
