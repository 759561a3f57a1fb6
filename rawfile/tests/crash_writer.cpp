// A writer process that dies half-way: creates the MS or UV writer by its
// ProgID, writes the identity, a trailer header and SCANS scans to FILE,
// says so on standard output and kills itself with SIGKILL, so nothing
// of it runs after the last write.
//
//   ombrel_crash_writer ms|uv FILE SCANS
#include "zylvir.h"

#include "ksactivation.h"
#include "kscomptr.h"
#include "kshive.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <class I>
ks::ComPtr<I> create(const wchar_t* progId)
{
    CLSID clsid{};
    ks::ComPtr<I> writer;
    if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, KS_IID(I), reinterpret_cast<void**>(&writer));
    return writer;
}

bool writeMS(const std::wstring& file, int scans)
{
    ks::ComPtr<IZylVirMS> w = create<IZylVirMS>(L"Ombrel2.ZylVirMS");
    std::wstring name = file;
    if (!w || w->Create(name.data()) != S_OK)
        return false;
    w->WriteInstID(const_cast<LPWSTR>(L"Dying"), nullptr, nullptr, nullptr, nullptr);
    w->SetTrailerHeaderNumFields(1);
    w->SetTrailerHeaderField(0, const_cast<LPWSTR>(L"Scan Event:"), MS_DataTypes_LONG, 0);
    if (w->WriteTrailerHeader() != S_OK)
        return false;
    for (int i = 0; i < scans; ++i) {
        MS_DataPeak peak{100.0 * (i + 1), 200.0 + i, 0.0f, 0};
        MS_ScanIndex index{};
        index.dStartTime = 0.1 * i;
        index.dTIC = peak.dIntensity;
        int32_t event = 1;
        unsigned char trailer[4];
        std::memcpy(trailer, &event, 4);
        if (w->WriteInstData2(1, &peak) != S_OK || w->WriteScanIndex2(&index) != S_OK ||
            w->WriteTrailer(trailer) != S_OK)
            return false;
    }
    std::printf("scans written: %d\n", scans);
    std::fflush(stdout);
    std::raise(SIGKILL);  // the writer and its object never get to finish the file
    return true;
}

bool writeUV(const std::wstring& file, int scans)
{
    ks::ComPtr<IZylVirUV> w = create<IZylVirUV>(L"Ombrel2.ZylVirUV");
    std::wstring name = file;
    if (!w || w->Create(name.data()) != S_OK)
        return false;
    w->WriteInstID(const_cast<LPWSTR>(L"Dying"), nullptr, nullptr, nullptr, const_cast<LPWSTR>(L"A"), nullptr,
                   nullptr, nullptr);
    for (int i = 0; i < scans; ++i) {
        double reading = 1.0 + i;
        MS_UVScanIndex index{MS_PacketTypes_CHANNEL_UV_TYPE, 1, 0.1 * i, reading};
        if (w->WriteInstData(reinterpret_cast<unsigned char*>(&reading), 8, MS_PacketTypes_CHANNEL_UV_TYPE, 1) !=
                S_OK ||
            w->WriteScanIndex(&index) != S_OK)
            return false;
    }
    std::printf("scans written: %d\n", scans);
    std::fflush(stdout);
    std::raise(SIGKILL);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "ms") != 0 && std::strcmp(argv[1], "uv") != 0)) {
        std::fprintf(stderr, "usage: ombrel_crash_writer ms|uv FILE SCANS\n");
        return 2;
    }
    const std::wstring file = ks::reg::wideFromUtf8(argv[2]);
    const int scans = std::atoi(argv[3]);
    const bool ok = std::strcmp(argv[1], "ms") == 0 ? writeMS(file, scans) : writeUV(file, scans);
    std::fprintf(stderr, "the writer failed before it could be killed\n");
    return ok ? 0 : 1;
}
