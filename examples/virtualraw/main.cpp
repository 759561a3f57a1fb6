// virtualraw: writes a short MS run and a short UV run as raw files of the
// Tavrion data system through the virtual writers of Ombrel2, created by
// their ProgIDs, as a program outside the system would.
//
//   virtualraw MS-FILE UV-FILE
//
// The MS run: identity, run header, trailer, status-log and tune headers
// and records, two method scan events (a profile survey and a dependent
// MS2), and three cycles of a survey scan and an MS2 scan on its strongest
// peak. The UV run: identity with two channel labels, run time, an error
// log entry and 40 readings of two channels. Exit 0; 1 when a writer
// cannot be made or a write fails (the member and its code on standard
// error); 2 for bad arguments.
#include "zylvir.h"

#include "ksactivation.h"
#include "kscomptr.h"
#include "kshive.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: virtualraw MS-FILE UV-FILE\n"
    "Writes a short MS run and a short UV run through the virtual writers\n"
    "Ombrel2.ZylVirMS and Ombrel2.ZylVirUV (register Ombrel2.so with\n"
    "ksregsvr first).\n";

// Stops at the first failing member, saying which.
struct Failed {
    const char* member;
    HRESULT code;
};

void check(const char* member, HRESULT hr)
{
    if (FAILED(hr))
        throw Failed{member, hr};
}

LPWSTR text(const wchar_t* s) { return const_cast<LPWSTR>(s); }

// A writer created by its ProgID with its file created; a file the engine
// cannot make is the writer's error state, not a failed Create.
template <class I>
ks::ComPtr<I> createWriter(const wchar_t* progId, const std::wstring& file)
{
    CLSID clsid{};
    check("CLSIDFromProgID", CLSIDFromProgID(progId, &clsid));
    ks::ComPtr<I> writer;
    check("CoCreateInstance",
          CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, KS_IID(I), reinterpret_cast<void**>(&writer)));
    std::wstring name = file;
    check("Create", writer->Create(name.data()));
    LONG isError = 0;
    check("IsError", writer->get_IsError(&isError));
    if (isError)
        throw Failed{"Create (the file cannot be made)", E_FAIL};
    return writer;
}

// Little-endian bytes of a record or a scan's packets.
struct Bytes {
    std::vector<unsigned char> b;
    template <class T>
    Bytes& put(T value)
    {
        unsigned char raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        b.insert(b.end(), raw, raw + sizeof(T));
        return *this;
    }
    LONG size() const { return LONG(b.size()); }
};

// ---------------------------------------------------------------- the MS run

constexpr LONG kSurveyKey = LONG(1) << 16 | 1;  // event 1 of segment 1
constexpr double kLow = 300.0, kHigh = 320.0, kStep = 0.05;

// One profile packet: an isotope cluster around `mz` (charge 2) on a
// flat baseline.
Bytes surveyPacket(double mz, double height, double* tic, double* basePeak)
{
    std::vector<std::pair<double, double>> points;
    *tic = 0;
    double best = -1;
    for (double x = kLow; x <= kHigh + 1e-9; x += kStep) {
        double y = 2.0;
        for (int k = 0; k < 3; ++k) {
            const double d = (x - (mz + 0.5 * k)) / 0.02;
            y += height * std::pow(0.6, k) * std::exp(-0.5 * d * d);
        }
        points.emplace_back(x, y);
        *tic += y;
        if (y > best) {
            best = y;
            *basePeak = x;
        }
    }
    Bytes p;
    p.put(kLow).put(kHigh).put(uint32_t(points.size())).put(uint32_t(0));
    for (const auto& [x, y] : points) {
        p.put(y).put(x).put(0.0f).put(int32_t(0)).put(uint8_t(0));
        for (int i = 0; i < 7; ++i)
            p.put(uint8_t(0));
    }
    return p;
}

void writeMS(const std::wstring& file)
{
    ks::ComPtr<IZylVirMS> w = createWriter<IZylVirMS>(L"Ombrel2.ZylVirMS", file);

    check("WriteInstID", w->WriteInstID(text(L"Virtual Orbit"), text(L"VO-1"), text(L"EX-0001"), text(L"1.0"),
                                        text(L"Example run")));
    check("WriteRunHeaderInfo",
          w->WriteRunHeaderInfo(1.0, 0.01, text(L"written by virtualraw"), text(L"three cycles")));

    check("SetTrailerHeaderNumFields", w->SetTrailerHeaderNumFields(4));
    check("SetTrailerHeaderField", w->SetTrailerHeaderField(0, text(L"Scan Event:"), MS_DataTypes_LONG, 0));
    check("SetTrailerHeaderField", w->SetTrailerHeaderField(1, text(L"Master Index:"), MS_DataTypes_LONG, 0));
    check("SetTrailerHeaderField", w->SetTrailerHeaderField(2, text(L"Charge State:"), MS_DataTypes_SHORT, 0));
    check("SetTrailerHeaderField", w->SetTrailerHeaderField(3, text(L"Monoisotopic M/Z:"), MS_DataTypes_DOUBLE, 4));
    check("WriteTrailerHeader", w->WriteTrailerHeader());

    check("SetStatusLogHeaderNumFields", w->SetStatusLogHeaderNumFields(2));
    check("SetStatusLogHeaderField", w->SetStatusLogHeaderField(0, text(L"Spray Voltage (kV):"), MS_DataTypes_FLOAT, 2));
    check("SetStatusLogHeaderField", w->SetStatusLogHeaderField(1, text(L"Vacuum OK:"), MS_DataTypes_YESNO, 0));
    check("WriteStatusLogHeader", w->WriteStatusLogHeader());

    check("SetTuneDataHeaderNumFields", w->SetTuneDataHeaderNumFields(2));
    check("SetTuneDataHeaderField", w->SetTuneDataHeaderField(0, text(L"Capillary Temp (C):"), MS_DataTypes_DOUBLE, 1));
    check("SetTuneDataHeaderField", w->SetTuneDataHeaderField(1, text(L"Source:"), MS_DataTypes_WCHAR_STRING, 8));
    check("WriteTuneDataHeader", w->WriteTuneDataHeader());
    Bytes tune;
    tune.put(275.0);
    for (wchar_t c : std::wstring(L"ESI\0\0\0\0\0", 8))
        tune.put(uint16_t(c));
    check("WriteTuneData", w->WriteTuneData(tune.b.data()));

    // The method's survey event; each MS2 scan carries its own event.
    MS_ScanEvent survey;
    std::memset(&survey, 0, sizeof survey);
    check("InitializeScanEvent", w->InitializeScanEvent(&survey));
    survey.ePolarity = MS_Positive;
    survey.eScanData = MS_Profile;
    survey.eIonizationMode = MS_Electrospray;
    survey.eScanType = MS_Fullsc;
    survey.eMSOrder = MS_ms;
    survey.nNumMassRanges = 1;
    survey.arrMassRanges[0] = {kLow, kHigh};
    check("InitMethodScanEvents", w->InitMethodScanEvents());
    check("SetMethodScanEvent", w->SetMethodScanEvent(1, 1, &survey));
    check("WriteMethodScanEvents", w->WriteMethodScanEvents());

    LONG scan = 0;
    for (int cycle = 0; cycle < 3; ++cycle) {
        const double t = 0.1 + 0.2 * cycle;
        const double precursor = 305.0 + 4.0 * cycle;
        const float voltage = 3.5f + 0.1f * float(cycle);
        Bytes status;
        status.put(voltage).put(uint8_t(1));
        check("WriteStatusLog", w->WriteStatusLog(float(t), status.b.data()));

        // The survey: profile packets in the raw form.
        double tic = 0, basePeak = 0;
        Bytes packet = surveyPacket(precursor, 1000.0 * (cycle + 1), &tic, &basePeak);
        check("InitializeScanIndex", w->InitializeScanIndex(scan, MS_PacketTypes_PROF_SP_TYPE));
        check("WriteInstData", w->WriteInstData(packet.b.data(), packet.size(), MS_PacketTypes_PROF_SP_TYPE));
        MS_ScanIndex index{};
        index.nScanNumber = ++scan;
        index.nScanTypeIndex = kSurveyKey;
        index.nPacketType = MS_PacketTypes_PROF_SP_TYPE;
        index.dStartTime = t;
        index.dTIC = tic;
        index.dBasePeakMass = basePeak;
        index.dBasePeakIntensity = 1000.0 * (cycle + 1) + 2.0;
        index.dLowMass = kLow;
        index.dHighMass = kHigh;
        check("WriteScanIndex2", w->WriteScanIndex2(&index));
        Bytes trailer;
        trailer.put(int32_t(1)).put(int32_t(0)).put(int16_t(0)).put(0.0);
        check("WriteTrailer", w->WriteTrailer(trailer.b.data()));

        // The dependent MS2 on the cluster's first peak: centroid peaks.
        check("InitializeScanIndex", w->InitializeScanIndex(scan, MS_PacketTypes_LR_SP_TYPE));
        const MS_DataPeak fragments[] = {
            {150.0, precursor - 97.98, 0.0f, 0},
            {420.0, precursor - 18.01, 0.0f, 0},
            {80.0, precursor, 0.0f, 0},
        };
        check("WriteInstData2", w->WriteInstData2(3, const_cast<MS_DataPeak*>(fragments)));
        MS_ScanEvent ms2 = survey;
        ms2.eScanData = MS_Centroid;
        ms2.eDependent = MS_Dependent;
        ms2.eMSOrder = MS_ms2;
        ms2.nNumMassRanges = 1;
        ms2.arrMassRanges[0] = {100.0, precursor + 5.0};
        ms2.nNumPrecursorMasses = 1;
        ms2.arrPrecursorMasses[0] = precursor;
        ms2.arrPrecursorEnergies[0] = 35.0;
        ms2.arrPrecursorEnergiesValid[0] = 1;
        MS_ScanIndex dependent{};
        dependent.nScanNumber = ++scan;
        dependent.nPacketType = MS_PacketTypes_LR_SP_TYPE;
        dependent.dStartTime = t + 0.05;
        dependent.dTIC = 650.0;
        dependent.dBasePeakMass = precursor - 18.01;
        dependent.dBasePeakIntensity = 420.0;
        dependent.dLowMass = 100.0;
        dependent.dHighMass = precursor + 5.0;
        check("WriteScanIndex", w->WriteScanIndex(&dependent, &ms2));
        Bytes ms2Trailer;
        ms2Trailer.put(int32_t(2)).put(int32_t(1)).put(int16_t(2)).put(precursor);
        check("WriteTrailer", w->WriteTrailer(ms2Trailer.b.data()));
    }
    check("Close", w->Close());
    std::printf("MS run: %d scans in %s\n", int(scan), ks::reg::utf8FromWide(file).c_str());
}

// ---------------------------------------------------------------- the UV run

void writeUV(const std::wstring& file)
{
    ks::ComPtr<IZylVirUV> w = createWriter<IZylVirUV>(L"Ombrel2.ZylVirUV", file);
    // Labels 1 and 3: the file lists two channels.
    check("WriteInstID", w->WriteInstID(text(L"Virtual UV"), text(L"VU-2"), text(L"EX-0002"), text(L"1.0"),
                                        text(L"254 nm"), text(L""), text(L"280 nm"), nullptr));
    check("WriteRunHeaderInfo", w->WriteRunHeaderInfo(1.0));
    check("WriteErrorLog", w->WriteErrorLog(0.5f, text(L"Lamp intensity low")));
    const int scans = 40;
    for (int i = 0; i < scans; ++i) {
        const double t = 0.025 * i;
        const double peak = std::exp(-0.5 * std::pow((t - 0.5) / 0.05, 2));
        const double readings[2] = {5.0 + 100.0 * peak, 3.0 + 40.0 * peak};
        unsigned char bytes[sizeof readings];
        std::memcpy(bytes, readings, sizeof readings);
        check("WriteInstData", w->WriteInstData(bytes, LONG(sizeof bytes), MS_PacketTypes_CHANNEL_UV_TYPE, 2));
        MS_UVScanIndex index{MS_PacketTypes_CHANNEL_UV_TYPE, 2, t, readings[0] + readings[1]};
        check("WriteScanIndex", w->WriteScanIndex(&index));
    }
    check("Close", w->Close());
    std::printf("UV run: %d scans of 2 channels in %s\n", scans, ks::reg::utf8FromWide(file).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 3) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        writeMS(ks::reg::wideFromUtf8(argv[1]));
        writeUV(ks::reg::wideFromUtf8(argv[2]));
    } catch (const Failed& f) {
        std::fprintf(stderr, "virtualraw: %s failed: 0x%08X\n", f.member, unsigned(f.code));
        if (std::strcmp(f.member, "CLSIDFromProgID") == 0 || std::strcmp(f.member, "CoCreateInstance") == 0)
            std::fprintf(stderr, "virtualraw: are the writers registered? Run ksregsvr on Ombrel2.so.\n");
        return 1;
    }
    return 0;
}
