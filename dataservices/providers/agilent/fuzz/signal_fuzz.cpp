// Signal files: whatever the bytes, decoding ends in E_FAIL with the
// chromatogram untouched or in a chromatogram of evenly spaced times; the
// trace list reads the same bytes from a file alike.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "chromatogram.h"
#include "chtrace.h"
#include "ksfuzz.h"

namespace {

const std::string& Folder()
{
    static const std::string folder = [] {
        const std::string f = ks::fuzz::tempDir() + "/signals";
        std::filesystem::create_directories(f);
        return f;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CChromatogram chromatogram;
    const HRESULT hr = DecodeSignalFile(data, size, chromatogram);
    if (FAILED(hr) && (chromatogram.GetCount() != 1 || chromatogram.Times()[0] != 0))
        std::abort();  // a failure must leave the chromatogram untouched

    const std::wstring folder(Folder().begin(), Folder().end());
    ks::fuzz::writeInput(data, size, "signals/FUZZ1A.ch");
    CChTraceList traces;
    traces.Build(folder);
    if (traces.Count() != 1)
        std::abort();
    CChromatogram loaded;
    const HRESULT fromFile = traces.Load(0, loaded);
    if (size <= KSMaxSignalFileBytes && (fromFile == S_OK) != (hr == S_OK))
        std::abort();
    if (fromFile == S_OK && loaded.GetCount() != chromatogram.GetCount())
        std::abort();
    return 0;
}
