// Creates the raw-file reader by its ProgID "Ombrel.Ombrel", opens the file
// named on the command line and prints the mass spectrometer's scan count:
// the reader at work in a process of its own.
#include "ombrel.h"

#include "ksactivation.h"
#include "kscomptr.h"
#include "kshive.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ombrel_progid_probe FILE\n");
        return 2;
    }
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"Ombrel.Ombrel", &clsid);
    if (FAILED(hr)) {
        std::fprintf(stderr, "CLSIDFromProgID: 0x%08X\n", static_cast<unsigned>(hr));
        return 1;
    }
    ks::ComPtr<IOmbrel> reader;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOmbrel, reinterpret_cast<void**>(&reader));
    if (FAILED(hr) || !reader) {
        std::fprintf(stderr, "CoCreateInstance: 0x%08X\n", static_cast<unsigned>(hr));
        return 1;
    }
    const std::wstring path = ks::reg::wideFromUtf8(argv[1]);
    BSTR name = SysAllocString(path.c_str());
    const HRESULT opened = reader->Open(name);
    SysFreeString(name);
    LONG spectra = -1;
    const HRESULT chosen = reader->SetCurrentController(0, 1);
    const HRESULT counted = reader->GetNumSpectra(&spectra);
    reader->Close();
    std::printf("Open %d, SetCurrentController %d, GetNumSpectra %d: %d\n", int(opened), int(chosen), int(counted),
                int(spectra));
    return 0;
}
