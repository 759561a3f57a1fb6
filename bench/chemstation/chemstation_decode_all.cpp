// chemstation_decode_all FOLDER: opens the MSD data file of a ChemStation
// folder with the format's reader and decodes every spectrum, exit 0 (1
// when it does not open or a spectrum does not read). The whole-program
// side of chemstation_decode_bench, beside cat of the same file.
#include "massspectrum.h"
#include "msdfile.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::string folder = argv[1];
    CMSDFile msd;
    if (FAILED(msd.Open(std::wstring(folder.begin(), folder.end()), 1))) {
        std::fprintf(stderr, "chemstation_decode_all: %s does not open\n", argv[1]);
        return 1;
    }
    CMassSpectrum spectrum;
    long points = 0;
    for (LONG i = 0; i < msd.ScanCount(); ++i) {
        if (!msd.ReadSpectrum(i, spectrum)) {
            std::fprintf(stderr, "chemstation_decode_all: spectrum %d does not read\n", int(i));
            return 1;
        }
        points += spectrum.GetCount();
    }
    std::printf("%d spectra, %ld points\n", int(msd.ScanCount()), points);
    return 0;
}
