// ksdata: a small command-line example of the client library and of
// dataset access.
//
//   ksdata providers                   the registered providers
//   ksdata tree PATH                   injections, functions and traces of a dataset
//   ksdata spectrum PATH FUNCTION INDEX   one spectrum of injection 1 as m/z-intensity pairs
//
// Exit 0 on success, 1 when a call fails (the call and its result are
// written to standard error), 2 on bad arguments.
#include "ksactivation.h"
#include "kscomerror.h"
#include "kscomptr.h"
#include "ksdataservices.h"
#include "kshandles.h"

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

namespace {

// A failing call: what was called and its result.
struct CallFailed {
    std::string call;
    HRESULT hr;
};

void Check(HRESULT hr, const char* call)
{
    if (FAILED(hr))
        throw CallFailed{call, hr};
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    std::mbstate_t state{};
    char buffer[MB_LEN_MAX];
    for (wchar_t c : text) {
        const size_t n = std::wcrtomb(buffer, c, &state);
        if (n == static_cast<size_t>(-1))
            out += '?';
        else
            out.append(buffer, n);
    }
    return out;
}

std::wstring Wide(const char* text)
{
    std::wstring out;
    std::mbstate_t state{};
    const char* p = text;
    const char* end = text + std::strlen(text);
    while (p < end) {
        wchar_t c = 0;
        const size_t n = std::mbrtowc(&c, p, size_t(end - p), &state);
        if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
            out += static_cast<wchar_t>(static_cast<unsigned char>(*p));  // not UTF-8: take the byte as Latin-1
            ++p;
            state = std::mbstate_t{};
            continue;
        }
        out += c;
        p += n ? n : 1;
    }
    return out;
}

bool ParseIndex(const char* text, LONG& value)
{
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (!*text || *end || v < 1 || v > 0x7FFFFFFF)
        return false;
    value = static_cast<LONG>(v);
    return true;
}

const char* TypeName(FunctionType type)
{
    switch (type) {
    case FunctionTypeMS: return "MS";
    case FunctionTypeMSn: return "MSn";
    case FunctionTypeZoomMS: return "ZoomMS";
    case FunctionTypeZoomMSn: return "ZoomMSn";
    case FunctionTypeSIM: return "SIM";
    case FunctionTypeSIMMSn: return "SIMMSn";
    default: return "unknown";
    }
}

const char* PolarityName(FunctionPolarity polarity)
{
    switch (polarity) {
    case FunctionPolarityPositive: return "positive";
    case FunctionPolarityNegative: return "negative";
    case FunctionPolarityMixed: return "mixed";
    default: return "unknown";
    }
}

// --- providers: through the client library ---------------------------------

std::string Services(const CKSDataProvider& provider)
{
    std::string services;
    auto add = [&services](bool offered, const char* name) {
        if (!offered)
            return;
        if (!services.empty())
            services += ", ";
        services += name;
    };
    add(std::unique_ptr<CKSSpectrumReader>(provider.GetSpectrumReader()) != nullptr, "spectrum reader");
    add(std::unique_ptr<CKSSpectrumWriter>(provider.GetSpectrumWriter()) != nullptr, "spectrum writer");
    add(std::unique_ptr<CKSMSDatasetReader>(provider.GetMSDatasetReader()) != nullptr, "dataset reader");
    add(std::unique_ptr<CKSMSDatasetWriter>(provider.GetMSDatasetWriter()) != nullptr, "dataset writer");
    return services.empty() ? "no services" : services;
}

// Every registered provider with its flags, in the provider server's order
// (a provider whose flags are 0 offers no service but is listed too).
int ListProviders()
{
    ks::ComPtr<IKSProviderServer> server;
    Check(CoCreateInstance(CLSID_KSProviderServer, nullptr, CLSCTX_ALL, IID_IKSProviderServer, server.out()),
          "CoCreateInstance(KSProviderServer)");
    LONG count = 0;
    Check(server->get_Count(&count), "IKSProviderServer::get_Count");
    std::printf("%d registered provider%s\n", static_cast<int>(count), count == 1 ? "" : "s");
    for (LONG i = 0; i < count; ++i) {
        ks::ComPtr<IKSProviderDescription> description;
        Check(server->get_Item(i + 1, &description), "IKSProviderServer::get_Item");
        ks::Bstr menuName;
        Check(description->get_MenuName(&menuName), "IKSProviderDescription::get_MenuName");
        LONG flags = 0;
        Check(description->get_ProviderFlags(&flags), "IKSProviderDescription::get_ProviderFlags");
        const UINT position = static_cast<UINT>(i);
        const std::string menu = Narrow(menuName.str());

        CKSDataProvider provider;
        if (!provider.Create(position)) {
            std::printf("%u  %s  flags %d  (cannot be created)\n", position, menu.c_str(), static_cast<int>(flags));
            continue;
        }
        std::string className;
        try {
            className = Narrow(provider.GetClassName().GetString());
        } catch (const _com_error& e) {
            throw CallFailed{"CKSDataProvider::GetClassName", e.Error()};
        }
        std::printf("%u  %s  \"%s\"  flags %d  %s\n", position, className.c_str(), menu.c_str(),
                    static_cast<int>(flags), Services(provider).c_str());
    }
    return 0;
}

// --- tree and spectrum: through dataset access ------------------------------

ks::ComPtr<IKSDataServer> OpenDataset(const char* path)
{
    ks::ComPtr<IKSDataAccess> access;
    Check(CoCreateInstance(CLSID_KSDataAccess, nullptr, CLSCTX_ALL, IID_IKSDataAccess, access.out()),
          "CoCreateInstance(KSDataAccess)");
    ks::Bstr bstrPath(Wide(path));
    ks::ComPtr<IKSDataServer> server;
    Check(access->OpenDataset(bstrPath, &server), "IKSDataAccess::OpenDataset");
    if (!server)
        throw CallFailed{"IKSDataAccess::OpenDataset", E_POINTER};
    return server;
}

void PrintFunction(IKSFunction* function, LONG index)
{
    ks::Bstr name;
    FunctionType type = FunctionTypeUnknown;
    FunctionPolarity polarity = FunctionPolarityUnknown;
    LONG order = 0;
    LONG count = 0;
    Check(function->get_Name(&name), "IKSFunction::Name");
    Check(function->get_Type(&type), "IKSFunction::Type");
    Check(function->get_Polarity(&polarity), "IKSFunction::Polarity");
    Check(function->get_MSOrder(&order), "IKSFunction::MSOrder");
    Check(function->get_Count(&count), "IKSFunction::Count");
    std::printf("  Function %d: %s  type %s  polarity %s  MS order %d  spectra %d\n", index, Narrow(name.str()).c_str(),
                TypeName(type), PolarityName(polarity), order, count);
}

int PrintTree(const char* path)
{
    ks::ComPtr<IKSDataServer> server = OpenDataset(path);
    ks::Bstr current, type;
    Check(server->CurrentDataset(&current), "IKSDataServer::CurrentDataset");
    Check(server->DatasetType(&type), "IKSDataServer::DatasetType");
    std::printf("Dataset %s (%s)\n", Narrow(current.str()).c_str(), Narrow(type.str()).c_str());

    ks::ComPtr<IKSInjections> injections;
    Check(server->get_Injections(&injections), "IKSDataServer::Injections");
    LONG injectionCount = 0;
    Check(injections->get_Count(&injectionCount), "IKSInjections::Count");
    for (LONG i = 1; i <= injectionCount; ++i) {
        ks::ComPtr<IKSInjection> injection;
        Check(injections->get_Item(i, &injection), "IKSInjections::Item");
        ks::Bstr name;
        Check(injection->get_Name(&name), "IKSInjection::Name");
        std::printf("Injection %d: %s\n", i, Narrow(name.str()).c_str());

        ks::ComPtr<IKSFunctions> functions;
        Check(injection->get_Functions(&functions), "IKSInjection::Functions");
        LONG functionCount = 0;
        Check(functions->get_Count(&functionCount), "IKSFunctions::Count");
        for (LONG f = 1; f <= functionCount; ++f) {
            ks::ComPtr<IKSFunction> function;
            Check(functions->get_Item(f, &function), "IKSFunctions::Item");
            PrintFunction(function.get(), f);
        }

        ks::ComPtr<IKSTraces> traces;
        Check(injection->get_Traces(&traces), "IKSInjection::Traces");
        LONG traceCount = 0;
        Check(traces->get_Count(&traceCount), "IKSTraces::Count");
        for (LONG t = 1; t <= traceCount; ++t) {
            ks::ComPtr<IKSTrace> trace;
            Check(traces->get_Item(t, &trace), "IKSTraces::Item");
            ks::Bstr traceName;
            Check(trace->get_Name(&traceName), "IKSTrace::Name");
            std::printf("  Trace %d: %s\n", t, Narrow(traceName.str()).c_str());
        }
    }
    return 0;
}

int PrintSpectrum(const char* path, LONG functionIndex, LONG spectrumIndex)
{
    ks::ComPtr<IKSDataServer> server = OpenDataset(path);
    ks::ComPtr<IKSInjections> injections;
    Check(server->get_Injections(&injections), "IKSDataServer::Injections");
    ks::ComPtr<IKSInjection> injection;
    Check(injections->get_Item(1, &injection), "IKSInjections::Item");
    ks::ComPtr<IKSFunctions> functions;
    Check(injection->get_Functions(&functions), "IKSInjection::Functions");
    ks::ComPtr<IKSFunction> function;
    Check(functions->get_Item(functionIndex, &function), "IKSFunctions::Item");

    CKSMassSpectrum spectrum;
    Check(function->get_SpectrumDirect(spectrumIndex, reinterpret_cast<ULONG_PTR>(&spectrum)),
          "IKSFunction::SpectrumDirect");
    const LONG count = spectrum.GetCount();
    const double* masses = spectrum.GetMasses();
    const double* intensities = spectrum.GetIntensities();
    for (LONG i = 0; i < count && masses && intensities; ++i)
        std::printf("%.6f\t%.6f\n", masses[i], intensities[i]);
    return 0;
}

int Usage()
{
    std::fputs("usage: ksdata providers\n"
               "       ksdata tree PATH\n"
               "       ksdata spectrum PATH FUNCTION INDEX\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    // Paths and texts are UTF-8 on the command line and on the terminal;
    // numbers stay in the "C" locale.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    try {
        if (command == "providers" && argc == 2)
            return ListProviders();
        if (command == "tree" && argc == 3)
            return PrintTree(argv[2]);
        LONG function = 0, index = 0;
        if (command == "spectrum" && argc == 5) {
            if (!ParseIndex(argv[3], function) || !ParseIndex(argv[4], index))
                return Usage();
            return PrintSpectrum(argv[2], function, index);
        }
    } catch (const CallFailed& failure) {
        // The message names the result and gives its code: "E_FAIL (0x80004005)".
        std::fprintf(stderr, "ksdata: %s failed: %s\n", failure.call.c_str(),
                     Narrow(_com_error(failure.hr).ErrorMessage()).c_str());
        return 1;
    }
    return Usage();
}
