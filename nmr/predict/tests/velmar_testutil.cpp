#include "velmar_testutil.h"

namespace velmar::test {

std::string bundledParams()
{
    return VELMAR_PARAMS;
}

Result runVelmar(const std::string& molecules, const std::string& paramsPath)
{
    const std::string d = ks::test::tempDir() + "/";
    ks::test::writeFile(d + "mol.dat", molecules);
    Result r;
    r.run = ks::test::run({VELMAR_EXE, paramsPath, d + "mol.dat", d + "out.lis", d + "shift.dat", d + "cpl.dat",
                           d + "piex.dat", d + "solv.dat"});
    r.listing = ks::test::readFile(d + "out.lis");
    r.shifts = ks::test::readFile(d + "shift.dat");
    r.couplings = ks::test::readFile(d + "cpl.dat");
    r.piexcess = ks::test::readFile(d + "piex.dat");
    r.solvent = ks::test::readFile(d + "solv.dat");
    return r;
}

std::string unixLines(const std::string& s)
{
    std::string out;
    for (size_t k = 0; k < s.size(); ++k)
        if (!(s[k] == '\r' && k + 1 < s.size() && s[k + 1] == '\n'))
            out += s[k];
    return out;
}

int countLines(const std::string& s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

}  // namespace velmar::test
