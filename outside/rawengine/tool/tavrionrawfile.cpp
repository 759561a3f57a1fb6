// tavrion-rawfile: makes the standard sample raw file and prints what a
// raw file holds (with the distinct scan filters of its mass
// spectrometers).
//
//   tavrion-rawfile make-sample FILE
//   tavrion-rawfile dump FILE
//
// Exit status: 0 done; 1 a file that does not load (its engine error code
// and message on standard error) or cannot be written; 2 bad arguments.
#include "rawbuilder.h"
#include "rawfile.h"

#include "ksdate.h"
#include "kshive.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

using namespace rawengine;

namespace {

std::string utf8(const std::wstring& text) { return ks::reg::utf8FromWide(text); }

std::string quoted(const std::wstring& text) { return "\"" + utf8(text) + "\""; }

std::string fixed(double v, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

const char* kindName(int32_t kind)
{
    static const char* const names[] = {"mass spectrometer", "analog input", "A/D card", "PDA detector",
                                        "UV detector", "other device"};
    return kind >= 0 && kind < kDeviceKindCount ? names[kind] : "unknown device";
}

std::string dateText(const FILETIME& ft)
{
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&ft, &st))
        return "(invalid)";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour,
                  st.wMinute, st.wSecond);
    return buf;
}

std::string plural(size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

void dumpController(const CVirtualData& c)
{
    const CRunHeader& rh = c.GetRunHeader();
    std::printf("  %d. %s %d: ", c.ControllerIndex() + 1, kindName(rh.deviceKind), rh.deviceNumber);
    if (rh.numSpectra > 0)
        std::printf("%s (%d-%d), %s-%s min", plural(size_t(rh.numSpectra), "scan", "scans").c_str(),
                    rh.firstScanNumber, rh.lastScanNumber, fixed(rh.startTime, 2).c_str(),
                    fixed(rh.endTime, 2).c_str());
    else
        std::printf("no scans");
    if (rh.deviceKind == kDeviceMS && rh.numSpectra > 0)
        std::printf(", m/z %s-%s", fixed(rh.lowMass, 2).c_str(), fixed(rh.highMass, 2).c_str());
    std::printf("\n");
    const CInstID& id = c.GetInstID();
    std::printf("     instrument: %s", quoted(id.name).c_str());
    if (!id.model.empty())
        std::printf(", model %s", quoted(id.model).c_str());
    if (!id.serialNumber.empty())
        std::printf(", serial %s", quoted(id.serialNumber).c_str());
    std::printf("\n");
    if (!id.channelLabels.empty()) {
        std::printf("     channel labels:");
        for (size_t i = 0; i < id.channelLabels.size(); ++i)
            std::printf("%s %s", i ? "," : "", quoted(id.channelLabels[i]).c_str());
        std::printf("\n");
    }
    std::printf("     logs: %s, %s", plural(size_t(rh.numErrorLog), "error-log entry", "error-log entries").c_str(),
                plural(size_t(rh.numStatusLog), "status-log record", "status-log records").c_str());
    if (rh.deviceKind == kDeviceMS) {
        const auto& ms = static_cast<const CVirtualMS&>(c);
        std::printf(", %s, %s, %s",
                    plural(size_t(rh.numTrailerExtra), "trailer record", "trailer records").c_str(),
                    plural(size_t(rh.numTuneData), "tune segment", "tune segments").c_str(),
                    plural(ms.GetMethodScanEvents().Count(), "method scan event", "method scan events").c_str());
    }
    std::printf("\n");
    for (int32_t i = 0; i < c.NumErrorLog(); ++i) {
        const CErrorLogItem& e = c.GetErrorLog(i);
        std::printf("     error at %s min: %s\n", fixed(e.time, 2).c_str(), utf8(e.message).c_str());
    }
}

int dump(const std::string& file)
{
    CRawfile raw(ks::reg::wideFromUtf8(file));
    if (raw.IsError()) {
        std::fprintf(stderr, "tavrion-rawfile: error %d: %s\n", raw.GetErrorCode(),
                     utf8(raw.GetErrorMessage()).c_str());
        return 1;
    }
    std::printf("File: %s\n", file.c_str());
    if (raw.IsNewFile()) {
        std::printf("New file: created by a writer that has written nothing yet\n");
        return 0;
    }
    std::printf("Format version: %u\n", unsigned(raw.GetVersion()));
    std::printf("Creator: %s\n", quoted(raw.WhoCreatedId()).c_str());
    std::printf("Created: %s\n", dateText(raw.GetCreationTime()).c_str());
    const uint32_t flags = raw.GetAcquisitionFlags();
    std::printf("Acquisition: %s\n", flags == 0 ? "finished"
                                     : (flags & kAcqWriting) ? "still being written"
                                                             : "run still active");
    const CSeqRow& row = raw.GetSeqRow();
    std::printf("Sequence row %d: sample %s (%s), vial %s, injection volume %s\n", row.rowNumber,
                quoted(row.sampleName).c_str(), utf8(row.sampleId).c_str(), quoted(row.vial).c_str(),
                fixed(row.injectionVolume, 2).c_str());
    std::printf("Experiment method: %s\n", raw.HasExpMethod() ? "yes" : "no");
    if (const CMethodStg* m = raw.GetMethodStorage()) {
        std::printf("Instrument methods: %d\n", m->NumMethods());
        for (int i = 0; i < m->NumMethods(); ++i) {
            std::wstring text;
            try {
                text = m->GetMethodText(i);
            } catch (const EngineError&) {
                text = L"(no text)";
            }
            const size_t eol = text.find_first_of(L"\r\n");
            std::printf("  %s: %s\n", quoted(m->GetNames()[size_t(i)]).c_str(),
                        utf8(text.substr(0, eol)).c_str());
        }
    }
    std::printf("Controllers: %d\n", raw.NumberOfVirtualControllers());
    for (int32_t i = 0; i < raw.NumberOfVirtualControllers(); ++i)
        dumpController(raw.Controller(i));
    for (int32_t i = 0; i < raw.NumberOfVirtualControllers(); ++i) {
        const auto* ms = dynamic_cast<const CVirtualMS*>(&raw.Controller(i));
        if (!ms)
            continue;
        const int precision = ms->GetRunHeader().filterMassPrecision;
        const std::vector<CFilter> filters = ms->GetFilters(-1, -1);
        std::printf("Filters of mass spectrometer %d, in order of first appearance: %zu\n", ms->DeviceNumber(),
                    filters.size());
        for (const CFilter& f : filters)
            std::printf("  %s\n", utf8(f.GetFilterString(precision)).c_str());
    }
    const std::wstring warning = raw.GetWarningMessage();
    if (!warning.empty())
        std::printf("Warnings: %s\n", utf8(warning).c_str());
    return 0;
}

// The usage: on standard error for bad arguments (2), on standard output
// when asked for with --help (0).
int usage(FILE* to = stderr)
{
    std::fprintf(to, "usage: tavrion-rawfile make-sample FILE\n       tavrion-rawfile dump FILE\n");
    return to == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
        return usage(stdout);
    if (argc != 3 || argv[2][0] == '\0')
        return usage();
    const std::string command = argv[1];
    try {
        if (command == "make-sample") {
            WriteRawFile(ks::reg::wideFromUtf8(argv[2]), MakeSampleFile());
            return 0;
        }
        if (command == "dump")
            return dump(argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tavrion-rawfile: %s\n", e.what());
        return 1;
    }
    return usage();
}
