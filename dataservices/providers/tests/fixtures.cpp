// The bundled datasets of the providers, written by the same scripts and
// tools the main job runs, into the running test case's folder.
#include "providerstest.h"

namespace provtest {

namespace {

std::string Script(const char* relative)
{
    return std::string(KS_PROVIDERS_DIR) + "/" + relative;
}

bool Ran(const std::vector<std::string>& argv, std::string* out = nullptr)
{
    const ks::test::RunResult r = ks::test::run(argv);
    EXPECT_EQ(r.exitCode, 0) << argv[1] << ": " << r.err;
    if (out)
        *out = r.out;
    return r.exitCode == 0;
}

std::string Trimmed(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}

}  // namespace

std::string WriteBundled(Kind kind, const std::string& name)
{
    const std::string dir = ks::test::tempDir();
    switch (kind) {
    case Kind::Text: {
        const std::string path = dir + "/" + (name.empty() ? "text_dataset.txt" : name);
        ks::test::writeFile(path, ks::test::readFile(Script("text/samples/text_dataset.txt")));
        return path;
    }
    case Kind::IonTrap: {
        const std::string path = dir + "/" + (name.empty() ? "caffeine-iontrap.d" : name);
        return Ran({KS_PYTHON3, Script("agilent/samples/make_iontrap_sample.py"), path}) ? path : std::string();
    }
    case Kind::Tavrion: {
        const std::string path = dir + "/" + (name.empty() ? "sample.raw" : name);
        return Ran({std::string(KS_BIN_DIR) + "/tavrion-rawfile", "make-sample", path}) ? path : std::string();
    }
    case Kind::MassLynx: {
        const std::string path = dir + "/" + (name.empty() ? "caffeine-es.raw" : name);
        return Ran({KS_PYTHON3, Script("masslynx/samples/make_sample.py"), path}) ? path : std::string();
    }
    case Kind::Xmass: {
        // The script names the dataset folder it writes.
        const std::string parent = dir + "/" + (name.empty() ? "xmass" : name);
        std::filesystem::create_directories(parent);
        std::string out;
        return Ran({KS_PYTHON3, Script("bruker/samples/make_sample.py"), parent}, &out) ? Trimmed(out)
                                                                                        : std::string();
    }
    case Kind::ChemStation: {
        const std::string path = dir + "/" + (name.empty() ? "caffeine.D" : name);
        return Ran({KS_PYTHON3, Script("agilent/samples/make_sample.py"), path}) ? path : std::string();
    }
    case Kind::Compass: {
        const std::string path = dir + "/" + (name.empty() ? "caffeine-compass.d" : name);
        return Ran({KS_PYTHON3, Script("brukercompass/samples/make_compass_sample.py"), path}) ? path
                                                                                              : std::string();
    }
    }
    return std::string();
}

std::string WriteMassLynxRaw(const std::string& folder, int scans)
{
    std::filesystem::create_directories(folder);
    ks::test::writeFile(folder + "/_header.txt", "$$ Version: 4.1\r\n$$ Acquired Name: sample\r\n");
    std::string manifest = "ks-masslynx-raw 1\n[function]\ntype \"Scan\"\n";
    for (int i = 1; i <= scans; ++i)
        manifest += "[scan]\ntime 0." + std::to_string(i) + "\nmasses 100 150.5 200\nintensities " +
                    std::to_string(10 * i) + " 20 30\n";
    ks::test::writeFile(folder + "/_manifest.txt", manifest + "[end]\n");
    return folder;
}

}  // namespace provtest
