// ksdata: a small command-line example of the client library and of
// dataset access.
//
//   ksdata providers                   the registered providers
//   ksdata tree PATH                   injections, functions and traces of a dataset
//   ksdata spectrum PATH FUNCTION INDEX   one spectrum of injection 1 as m/z-intensity pairs
//
// Exit 0 on success, 1 when the dataset cannot be opened or read (standard
// error says why in the user's terms, then names the failing call and its
// result), 2 on bad arguments.
#include "ksactivation.h"
#include "kscomerror.h"
#include "kscomptr.h"
#include "ksdataservices.h"
#include "ksfiles.h"
#include "kshandles.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: ksdata providers\n"
    "       ksdata tree PATH\n"
    "       ksdata spectrum PATH FUNCTION INDEX\n"
    "providers lists the registered data providers; tree prints the injections,\n"
    "functions and traces of the dataset at PATH; spectrum prints spectrum INDEX\n"
    "of function FUNCTION of injection 1, m/z and intensity per line. FUNCTION\n"
    "and INDEX count from 1, as tree shows them. Datasets open through the\n"
    "registered providers: run ksregsvr on the provider server\n"
    "(KSProviderServer.so) first, then on the providers. Exit status 0 on\n"
    "success, 1 when the dataset cannot be opened or read, 2 on bad arguments.\n";

const char kNoProviderServer[] =
    "the provider server is not registered: run ksregsvr on the provider server (KSProviderServer.so), "
    "then on the providers";
const char kNoProviders[] = "no providers are registered: run ksregsvr on the provider server, then on the providers";

// A failure: what went wrong in the user's terms (when known), then the
// failing call and its result for the expert (no call: the user's terms
// say it all).
struct CallFailed {
    std::string call;
    HRESULT hr;
    std::string what;
};

void Check(HRESULT hr, const char* call)
{
    if (FAILED(hr))
        throw CallFailed{call, hr, std::string()};
}

// Creating a class of the provider server component: when it is not
// registered, the user is told how to register it.
template <class I>
ks::ComPtr<I> CreateServerClass(REFCLSID clsid, REFIID iid, const char* call)
{
    ks::ComPtr<I> object;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, iid, object.out());
    if (FAILED(hr))
        throw CallFailed{call, hr, hr == REGDB_E_CLASSNOTREG ? kNoProviderServer : ""};
    return object;
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
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (!*text || *end || errno || v < 1 || v > 0x7FFFFFFF)
        return false;
    value = static_cast<LONG>(v);
    return true;
}

// "1 spectrum", "24 spectra".
std::string Count(LONG n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A path or argument as it may stand in a message.
std::string Shown(const char* text)
{
    return "\"" + ks::printableText(text) + "\"";
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
    ks::ComPtr<IKSProviderServer> server = CreateServerClass<IKSProviderServer>(
        CLSID_KSProviderServer, IID_IKSProviderServer, "CoCreateInstance(KSProviderServer)");
    LONG count = 0;
    Check(server->get_Count(&count), "IKSProviderServer::get_Count");
    std::printf("%d registered provider%s\n", static_cast<int>(count), count == 1 ? "" : "s");
    if (count == 0)
        std::printf("Register them with ksregsvr: the provider server (KSProviderServer.so) first, then each "
                    "provider (KSTextProvider.so, ...).\n");
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
            throw CallFailed{"CKSDataProvider::GetClassName", e.Error(), std::string()};
        }
        std::printf("%u  %s  \"%s\"  flags %d  %s\n", position, className.c_str(), menu.c_str(),
                    static_cast<int>(flags), Services(provider).c_str());
    }
    return 0;
}

// --- tree and spectrum: through dataset access ------------------------------

// A registered provider as the diagnosis of a failed open needs it.
struct ProviderEntry {
    std::string menuName;
    std::wstring dataServerClassId;  // braced text, any case
};

// The registered providers, in the provider server's order; false when
// the list cannot be read.
bool RegisteredProviders(std::vector<ProviderEntry>& out)
{
    ks::ComPtr<IKSProviderServer> server;
    LONG count = 0;
    if (FAILED(CoCreateInstance(CLSID_KSProviderServer, nullptr, CLSCTX_ALL, IID_IKSProviderServer, server.out())) ||
        !server || FAILED(server->get_Count(&count)))
        return false;
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSProviderDescription> description;
        ks::Bstr menuName;
        if (FAILED(server->get_Item(i, &description)) || !description ||
            FAILED(description->get_MenuName(&menuName)))
            return false;
        ProviderEntry entry{Narrow(menuName.str()), std::wstring()};
        ks::ComPtr<IKSProviderDescription2> description2;
        ks::Bstr classId;
        if (SUCCEEDED(description2.queryFrom(description.get())) && description2 &&
            SUCCEEDED(description2->get_DataServerClassID(&classId)))
            entry.dataServerClassId = classId.str();
        out.push_back(entry);
    }
    return true;
}

// The menu name of the provider whose data server `server` is, or empty.
std::string ProviderOf(IKSDataServer* server, const std::vector<ProviderEntry>& providers)
{
    ks::ComPtr<IKSDataServer3> server3;
    ks::Bstr classId;
    if (FAILED(server3.queryFrom(server)) || !server3 || FAILED(server3->get_ClassID(&classId)))
        return std::string();
    for (const ProviderEntry& p : providers)
        if (ks::equalNoCase(p.dataServerClassId, classId.str()))
            return p.menuName;
    return std::string();
}

// Why dataset access could not open `path`, in the user's terms. `server`
// is what OpenDataset left: the data server of the provider that accepted
// the path and then failed to open it, or null when none accepted it.
std::string WhyNotOpened(const char* path, IKSDataServer* server)
{
    const std::string shown = ks::printableText(path);
    struct stat st;
    if (::stat(path, &st) != 0)
        return shown + ": " + (errno == ENOENT || errno == ENOTDIR ? "no such file or folder" : std::strerror(errno));
    std::vector<ProviderEntry> providers;
    if (!RegisteredProviders(providers))
        return shown + ": the list of registered providers cannot be read";
    if (providers.empty())
        return kNoProviders;
    const std::string kind = S_ISDIR(st.st_mode)    ? " (a folder)"
                             : !S_ISREG(st.st_mode) ? " (not a regular file)"
                             : st.st_size == 0      ? " (an empty file)"
                                                    : "";
    if (server) {
        const std::string provider = ProviderOf(server, providers);
        return shown + kind + ": " + (provider.empty() ? "a provider" : "the provider \"" + provider + "\"") +
               " accepts this dataset but cannot read it";
    }
    std::string names;
    for (const ProviderEntry& p : providers)
        names += (names.empty() ? "\"" : ", \"") + p.menuName + "\"";
    return shown + kind + ": no registered provider accepts this dataset; registered: " + names;
}

ks::ComPtr<IKSDataServer> OpenDataset(const char* path)
{
    ks::ComPtr<IKSDataAccess> access =
        CreateServerClass<IKSDataAccess>(CLSID_KSDataAccess, IID_IKSDataAccess, "CoCreateInstance(KSDataAccess)");
    ks::Bstr bstrPath(Wide(path));
    ks::ComPtr<IKSDataServer> server;
    const HRESULT hr = access->OpenDataset(bstrPath, &server);
    if (FAILED(hr))
        throw CallFailed{"IKSDataAccess::OpenDataset", hr, WhyNotOpened(path, server.get())};
    if (!server)
        throw CallFailed{"IKSDataAccess::OpenDataset", E_POINTER, std::string()};
    return server;
}

// Whether spectrum `index` of the function can be read into a handle.
HRESULT ReadSpectrum(IKSFunction* function, LONG index, CKSMassSpectrum& spectrum)
{
    return function->get_SpectrumDirect(index, reinterpret_cast<ULONG_PTR>(&spectrum));
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
    // A function counting one spectrum may hold none that can be read (a
    // file that has no spectrum in it): say so here, not only when asked.
    CKSMassSpectrum first;
    const bool unreadable = count == 1 && FAILED(ReadSpectrum(function, 1, first));
    std::printf("  Function %d: %s  type %s  polarity %s  MS order %d  spectra %d%s\n", index,
                Narrow(name.str()).c_str(), TypeName(type), PolarityName(polarity), order, count,
                unreadable ? " (none readable)" : "");
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
    LONG injectionCount = 0;
    Check(injections->get_Count(&injectionCount), "IKSInjections::Count");
    if (injectionCount < 1)
        throw CallFailed{"", S_OK, "the dataset holds no injection"};
    ks::ComPtr<IKSInjection> injection;
    Check(injections->get_Item(1, &injection), "IKSInjections::Item");
    ks::ComPtr<IKSFunctions> functions;
    Check(injection->get_Functions(&functions), "IKSInjection::Functions");
    LONG functionCount = 0;
    Check(functions->get_Count(&functionCount), "IKSFunctions::Count");
    if (functionIndex > functionCount)
        throw CallFailed{"", S_OK,
                         "function " + std::to_string(functionIndex) + " does not exist: injection 1 has " +
                             Count(functionCount, "function", "functions")};
    ks::ComPtr<IKSFunction> function;
    Check(functions->get_Item(functionIndex, &function), "IKSFunctions::Item");
    LONG spectrumCount = 0;
    Check(function->get_Count(&spectrumCount), "IKSFunction::Count");
    const std::string which = "spectrum " + std::to_string(spectrumIndex) + " of function " +
                              std::to_string(functionIndex);
    if (spectrumIndex > spectrumCount)
        throw CallFailed{"", S_OK,
                         "spectrum " + std::to_string(spectrumIndex) + " does not exist: function " +
                             std::to_string(functionIndex) + " has " + Count(spectrumCount, "spectrum", "spectra")};

    CKSMassSpectrum spectrum;
    const HRESULT read = ReadSpectrum(function.get(), spectrumIndex, spectrum);
    if (FAILED(read))
        throw CallFailed{"IKSFunction::SpectrumDirect", read,
                         which + " cannot be read" +
                             (spectrumCount == 1 ? ": the function counts 1 spectrum, but the dataset holds no "
                                                   "readable spectrum"
                                                 : std::string())};
    const LONG count = spectrum.GetCount();
    const double* masses = spectrum.GetMasses();
    const double* intensities = spectrum.GetIntensities();
    for (LONG i = 0; i < count && masses && intensities; ++i)
        std::printf("%.6f\t%.6f\n", masses[i], intensities[i]);
    return 0;
}

// A bad argument: one line naming it and what is allowed; the full usage
// is for --help and for no arguments at all.
int BadArgument(const std::string& message)
{
    std::fprintf(stderr, "ksdata: %s\n", message.c_str());
    return 2;
}

// The arguments after the command: count checked, indexes parsed.
int Run(const std::string& command, int argc, char** argv)
{
    const int given = argc - 2;
    if (command == "providers") {
        if (given != 0)
            return BadArgument("providers takes no arguments; got " + std::to_string(given));
        return ListProviders();
    }
    if (command == "tree") {
        if (given != 1)
            return BadArgument("tree takes PATH; got " + std::to_string(given) + " arguments");
        return PrintTree(argv[2]);
    }
    if (command == "spectrum") {
        if (given != 3)
            return BadArgument("spectrum takes PATH FUNCTION INDEX; got " + std::to_string(given) + " arguments");
        LONG function = 0, index = 0;
        if (!ParseIndex(argv[3], function))
            return BadArgument("bad FUNCTION " + Shown(argv[3]) + "; allowed: 1 to 2147483647 (counted from 1)");
        if (!ParseIndex(argv[4], index))
            return BadArgument("bad INDEX " + Shown(argv[4]) + "; allowed: 1 to 2147483647 (counted from 1)");
        return PrintSpectrum(argv[2], function, index);
    }
    if (command == "-h" || command == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return BadArgument("unknown command " + Shown(command.c_str()) + "; allowed: providers, tree, spectrum, --help");
}

}  // namespace

int main(int argc, char** argv)
{
    // Paths and texts are UTF-8 on the command line and on the terminal;
    // numbers stay in the "C" locale.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        return Run(argv[1], argc, argv);
    } catch (const CallFailed& failure) {
        if (!failure.what.empty())
            std::fprintf(stderr, "ksdata: %s\n", failure.what.c_str());
        // For the expert: the call, its result and code ("E_FAIL (0x80004005)").
        if (!failure.call.empty())
            std::fprintf(stderr, "ksdata: %s failed: %s\n", failure.call.c_str(),
                         Narrow(_com_error(failure.hr).ErrorMessage()).c_str());
        return 1;
    }
}
