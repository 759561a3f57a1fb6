// Every provider in one registry: the components registered as an installer
// would (the provider server first), the bundled datasets written by the
// providers' own sample scripts, the real datasets beside the repository,
// and what dataset access answers for them.
//
// The MassLynx and Compass providers are part of the list when the build
// has them (KS_HAVE_MASSLYNX, KS_HAVE_COMPASS).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kscomptr.h"
#include "kscomtest.h"
#include "kscontract.h"
#include "kshandles.h"
#include "kstest.h"

namespace provtest {

using ks::test::Create;
using ks::test::Query;

inline std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

inline std::string Narrow(const std::wstring& s)
{
    return std::string(s.begin(), s.end());
}

// A provider as the registry and dataset access know it.
struct Provider {
    const char* module;          // the component that registers it
    const wchar_t* classId;      // the key under "Data Services", as written
    const wchar_t* className;
    const wchar_t* menuName;
    LONG flags;
    const wchar_t* serverClassId;  // the data server, as registry text
    const wchar_t* datasetType;    // what its data server's DatasetType answers
};

// Every provider of the build, in the registry's order (class identifiers
// compared without regard to case), which is the provider server's order.
inline const std::vector<Provider>& Providers()
{
    static const std::vector<Provider> all = [] {
        std::vector<Provider> v{
            {"KSTextProvider", L"{127AC576-D36A-11D3-91D9-00400536072C}", L"KSTextProvider.KSTextProvider",
             L"Text File", 3, L"{02a12d80-06f6-46b5-9617-577dd9d135e8}", L"KSTextProvider"},
            {"KSAgilentProvider", L"{2d7fc2cd-1b59-4c3f-b4ba-b585a519a9df}",
             L"KSAgilentProvider.KSAgilentIonTrapProvider", L"AgilentIonTrap", 0,
             L"{282e6320-a2a0-44b3-ac02-8ca8fa1da51c}", L"KSAgilentIonTrapProvider"},
            {"KSTavrionProvider", L"{4696FE7A-939D-4556-97AD-1641B42E7FC4}", L"KSTavrionProvider.KSTavrionProvider",
             L"Tavrion", 4, L"{099490ff-078b-4806-8540-262e686f6e3d}", L"KSTavrionProvider"},
#ifdef KS_HAVE_MASSLYNX
            {"KSMLProvider_4_1", L"{68A5DFF5-D9A4-11D3-9B79-00D0B7069669}", L"KSMLProvider.KSMLProvider",
             L"MassLynx", 5, L"{9e2ea952-4c83-489b-8e0b-a0ffedd70ca2}", L"KSMLProvider"},
#endif
            {"KSBrukerProvider", L"{6A3CE9D2-0A56-11d4-9BB7-00D0B7069669}", L"KSBrukerProvider.KSBrukerProvider",
             L"Bruker XMASS", 5, L"{ccd1e475-68e1-456e-8577-ada7ad45d93a}", L"KSBrukerProvider"},
            {"KSAgilentProvider", L"{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}", L"KSAgilentProvider.KSLCMSDProvider",
             L"Agilent ChemStation", 4, L"{02e12864-a8c5-4c40-88f9-63bc1d93b96e}", L"KSLCMSDProvider"},
#ifdef KS_HAVE_COMPASS
            {"KSBrukerCompassProvider", L"{d3bf73aa-aa0d-46e7-b1a9-fc955ee1ed83}",
             L"KSBrukerCompassProvider.KSBrukerCompassProvider", L"Bruker Compass", 0,
             L"{5eeaeb68-09f2-4f89-8a5e-339865772961}", L"KSBrukerCompassProvider"},
#endif
        };
        return v;
    }();
    return all;
}

// The provider whose data server reports this dataset type.
inline const Provider* ProviderOfType(const std::wstring& type)
{
    for (const Provider& p : Providers())
        if (type == p.datasetType)
            return &p;
    return nullptr;
}

// The provider server, the spectrum-object library, the raw-file reader
// and the stand-ins of the outside vendor components, then every provider.
inline bool RegisterEverything()
{
    return ks::test::registerComponents({"KSProviderServer", "KSControls", "Ombrel2", "IonTrapAnalysis",
#ifdef KS_HAVE_COMPASS
                                         "CompassAnalysis",
#endif
#ifdef KS_HAVE_MASSLYNX
                                         "MassLynxRaw",
#endif
                                         "KSTextProvider", "KSAgilentProvider", "KSTavrionProvider",
#ifdef KS_HAVE_MASSLYNX
                                         "KSMLProvider_4_1",
#endif
#ifdef KS_HAVE_COMPASS
                                         "KSBrukerCompassProvider",
#endif
                                         "KSBrukerProvider"});
}

// Runs a tool of the build (bin folder); the test fails when it does not
// end with status 0.
inline ks::test::RunResult Tool(const std::string& name, std::vector<std::string> args)
{
    args.insert(args.begin(), std::string(KS_BIN_DIR) + "/" + name);
    ks::test::RunResult r = ks::test::run(args);
    return r;
}

inline void Unregister(const std::string& module)
{
    const ks::test::RunResult r = Tool("ksregsvr", {"-u", std::string(KS_LIB_DIR) + "/" + module + ".so"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
}

// A path of the running test case (its parent folders made).
inline std::string Path(const std::string& relative)
{
    const std::string path = ks::test::tempDir() + "/" + relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return path;
}

// --- the bundled datasets, written by each provider's sample script -------

// The kinds of dataset the main job shows, one bundled dataset each.
enum class Kind { Text, IonTrap, Tavrion, MassLynx, Xmass, ChemStation, Compass };

struct Bundled {
    Kind kind;
    const char* name;
    const wchar_t* datasetType;
};

inline const std::vector<Bundled>& BundledKinds()
{
    static const std::vector<Bundled> all{
        {Kind::Text, "text", L"KSTextProvider"},
        {Kind::IonTrap, "ion trap", L"KSAgilentIonTrapProvider"},
        {Kind::Tavrion, "Tavrion", L"KSTavrionProvider"},
#ifdef KS_HAVE_MASSLYNX
        {Kind::MassLynx, "MassLynx", L"KSMLProvider"},
#endif
        {Kind::Xmass, "XMASS", L"KSBrukerProvider"},
        {Kind::ChemStation, "ChemStation", L"KSLCMSDProvider"},
#ifdef KS_HAVE_COMPASS
        {Kind::Compass, "Compass", L"KSBrukerCompassProvider"},
#endif
    };
    return all;
}

// Writes the bundled dataset of a kind into the running test case's folder
// (under `name`, unless the script names it) and answers its path; empty
// when the script failed (the test fails too).
std::string WriteBundled(Kind kind, const std::string& name = std::string());

// A small MassLynx raw directory of the stand-in's layout written into any
// folder: the header the reader recognises and a manifest of one scan
// function with `scans` scans.
std::string WriteMassLynxRaw(const std::string& folder, int scans = 3);

// --- walking a dataset through the tree -----------------------------------

inline std::wstring TypeOf(IKSDataServer* server)
{
    ks::Bstr type;
    if (!server || FAILED(server->DatasetType(&type)))
        return L"(no dataset type)";
    return type.str();
}

// The data-server class identifier of a server, upper-case registry text.
inline std::wstring ClassIdOf(IKSDataServer* server)
{
    auto three = Query<IKSDataServer3>(server);
    ks::Bstr id;
    if (!three || FAILED(three->get_ClassID(&id)))
        return L"(none)";
    return id.str();
}

struct Walked {
    LONG functions = 0;
    LONG spectra = 0;  // over every function of injection 1
    LONG points = 0;
    LONG unread = 0;   // spectra whose SpectrumDirect failed
};

// Every spectrum of every function of injection 1, read through the tree
// into a caller's handle (SpectrumDirect).
inline Walked WalkEverySpectrum(IKSDataServer* server)
{
    Walked w;
    ks::ComPtr<IKSInjections> injections;
    if (FAILED(server->get_Injections(&injections)) || !injections)
        return w;
    ks::ComPtr<IKSInjection> injection;
    if (FAILED(injections->get_Item(1, &injection)) || !injection)
        return w;
    ks::ComPtr<IKSFunctions> functions;
    if (FAILED(injection->get_Functions(&functions)) || !functions)
        return w;
    functions->get_Count(&w.functions);
    for (LONG f = 1; f <= w.functions; ++f) {
        ks::ComPtr<IKSFunction> function;
        if (FAILED(functions->get_Item(f, &function)) || !function)
            continue;
        LONG count = 0;
        function->get_Count(&count);
        for (LONG i = 1; i <= count; ++i) {
            CKSMassSpectrum handle;
            ++w.spectra;
            if (FAILED(function->get_SpectrumDirect(i, reinterpret_cast<ULONG_PTR>(&handle))))
                ++w.unread;
            else
                w.points += handle.get()->GetCount();
        }
    }
    return w;
}

// Opens a path through a new dataset access; the server (or null) and
// the result.
struct Opened {
    HRESULT hr = E_UNEXPECTED;
    ks::ComPtr<IKSDataServer> server;
};

inline Opened OpenThroughAccess(const std::string& path)
{
    Opened o;
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    if (access)
        o.hr = access->OpenDataset(ks::Bstr(Wide(path)), &o.server);
    return o;
}

}  // namespace provtest
