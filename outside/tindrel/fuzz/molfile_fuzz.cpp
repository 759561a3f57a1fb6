// Molfiles from users: whatever the bytes, the V2000 reader ends in an
// error or in a molecule with a formula and a finite mass, never a crash,
// a hang or an allocation by an unchecked count. The same bytes are also
// read as an element table file, which ends in a whole table or an empty
// one with the reason.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tkselements.h"
#include "tksmolecule.h"

namespace {

const TKSElementTable& committedTable()
{
    static const TKSElementTable table = [] {
        TKSElementTable t;
        const std::string path = TINDREL_ELEMENTS;
        if (!t.initialize(std::wstring(path.begin(), path.end())))
            std::abort();  // the committed table must read
        return t;
    }();
    return table;
}

// A file of this process for the table mode.
const std::string& scratchPath()
{
    static const std::string path = [] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
        return std::string(dir) + "/tindrel_molfile_fuzz." + std::to_string(getpid()) + ".ini";
    }();
    return path;
}

void readAsTable(const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(scratchPath().c_str(), "wb");
    if (!f)
        return;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    TKSElementTable table;
    const std::string& path = scratchPath();
    const bool ok = table.initialize(std::wstring(path.begin(), path.end()));
    if (ok == table.isEmpty() || ok != table.getError().empty())
        std::abort();  // a partial table, or a failure without a reason
    for (int i = 0; i < table.getCount(); ++i)
        if (!(table.getMonoisotopicMass(i) > 0) || table.getIsotopeCount(i) < 1)
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    TKSMolecule m;
    if (m.readMolfile(text, committedTable())) {
        if (m.isEmpty() || m.getFormula().empty() || !std::isfinite(m.getMonoisotopicMass()) || !m.getError().empty())
            std::abort();
        for (const TKSMolecule::Atom& a : m.getAtoms())
            if (a.implicitHydrogens < 0 || a.element < 0)
                std::abort();
    } else if (!m.isEmpty() || m.getError().empty()) {
        std::abort();
    }
    readAsTable(data, size);
    return 0;
}
