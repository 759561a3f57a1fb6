// Acquisition method: whatever the text, reading the polarity of files 1
// to 4 ends with a positive or negative answer, or the given one.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ksfuzz.h"
#include "msdfile.h"

namespace {

const std::string& Folder()
{
    static const std::string folder = [] {
        const std::string f = ks::fuzz::tempDir() + "/data.d";
        std::filesystem::create_directories(f + "/RUN.M");
        return f;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring folder(Folder().begin(), Folder().end());
    ks::fuzz::writeInput(data, size, "data.d/RUN.M/ACQ.MS");
    for (int n = 1; n <= 4; ++n) {
        FunctionPolarity polarity = FunctionPolarityMixed;
        ReadAcquisitionPolarity(folder, n, polarity);
        if (polarity != FunctionPolarityMixed && polarity != FunctionPolarityPositive &&
            polarity != FunctionPolarityNegative)
            std::abort();
    }
    return 0;
}
