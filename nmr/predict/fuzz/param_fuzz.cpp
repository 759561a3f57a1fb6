// The parameter file: whatever its bytes, the driver reads it (or stops
// with a diagnostic) and, when it was read, runs a small molecule with it.
#include "velmar_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string molecules = [] {
        // Ethane as coordinates with connections (input code 2), then the
        // end of the job.
        const char text[] =
            "20000 ETHANE\n"
            "ETHANE\n"
            " 8 0\n"
            "\n"
            "    1C      0.00000   0.00000   0.00000    2   3   4   5\n"
            "    2C      1.54000   0.00000   0.00000    1   6   7   8\n"
            "    3H     -0.36300   1.02800   0.00000    1\n"
            "    4H     -0.36300  -0.51400   0.89000    1\n"
            "    5H     -0.36300  -0.51400  -0.89000    1\n"
            "    6H      1.90300  -1.02800   0.00000    2\n"
            "    7H      1.90300   0.51400  -0.89000    2\n"
            "    8H      1.90300   0.51400   0.89000    2\n"
            "1111\n";
        return ks::fuzz::writeInput(reinterpret_cast<const uint8_t*>(text), sizeof text - 1, "ethane.in");
    }();
    const std::string params = ks::fuzz::writeInput(data, size, "input.par");
    velmar::fuzz::runDriver(params, molecules);
    return 0;
}
