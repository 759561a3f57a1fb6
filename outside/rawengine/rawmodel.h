// Raw-file engine stand-in: the data model of one raw file, as plain
// values. The loader fills a FileData from a file's bytes (CRawfile holds
// one); the builder writes a FileData as a file (rawbuilder.h); the two are
// each other's inverse for every field listed here.
//
// Only what is stored is here. What the engine derives from it (scan
// counts, last scan, times and masses of the run, log counts, the data
// offset and packet count of an index entry, the device number of a
// controller) is computed by the reading views (rawfile.h) and never
// written.
#pragma once

#include "rawevent.h"
#include "rawgeneric.h"
#include "rawtypes.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace rawengine {

// Acquisition flags of a file (its preamble). A writer sets both when it
// creates a file and clears them when it finishes it.
enum AcquisitionFlag : uint32_t {
    kAcqWriting = 1,    // a writer still appends to the file; its end chunk may be missing
    kAcqRunActive = 2,  // the acquisition run recorded in the file has not ended
};
constexpr uint32_t kAcqKnownFlags = kAcqWriting | kAcqRunActive;

struct FileInfo {
    uint16_t version = kFormatVersion;
    uint32_t acquisitionFlags = 0;
    uint64_t creationTime = 0;  // FILETIME ticks (100 ns since 1601), no time zone
    std::wstring creatorId;
    bool hasExpMethod = false;  // the file has an experiment method
};

// The sequence row the file was acquired under.
struct CSeqRow {
    int32_t rowNumber = 0;
    int32_t sampleType = 0;
    std::wstring dataPath, rawFileName, sampleName, sampleId, comment, levelName;
    std::array<std::wstring, 5> userText;
    std::wstring instrumentMethod, processingMethod, calibrationFile, vial;
    double injectionVolume = 0.0, sampleWeight = 0.0, sampleVolume = 0.0, istdAmount = 0.0, dilutionFactor = 0.0;
    std::array<std::wstring, 15> userTextEx;
    std::wstring barcode;
    int32_t barcodeStatus = 0;
};

// One element of the method storage: a storage with children or a stream
// with bytes. The root is a storage whose children are the instrument
// methods (each a storage holding a "Text" stream of UTF-16LE text).
struct MethodNode {
    std::wstring name;
    bool isStorage = true;
    std::vector<uint8_t> bytes;        // streams
    std::vector<MethodNode> children;  // storages, in order
};
constexpr int kMaxMethodDepth = 32;
// A storage holds at most this many elements (2^20); more is damage.
constexpr uint32_t kMaxMethodElements = uint32_t(1) << 20;

// What a controller's run header stores; CRunHeader (rawfile.h) adds what
// the engine derives.
struct RunHeaderFields {
    int32_t firstScanNumber = 1;
    double expectedRunTime = 0.0;  // minutes
    double massResolution = 0.0;
    int32_t filterMassPrecision = 2;  // decimals of masses in filter texts
    int32_t instrumentId = 0;
    int16_t inletId = 0;
    int16_t errorFlag = 0;
    int16_t vialNumber = 0;
    double sampleVolume = 0.0, sampleWeight = 0.0, injectionVolume = 0.0;
    std::array<uint8_t, 8> flags{};
    std::wstring acquisitionFileName, instrumentDescription, acquisitionDate, operatorName, comment1, comment2,
        sampleAmountUnits, injectionAmountUnits, sampleVolumeUnits;
};

// The identity of a controller's instrument.
struct CInstID {
    std::wstring name, model, serialNumber, softwareVersion, hardwareVersion, experimentType, flags;
    std::vector<std::wstring> channelLabels;
};

struct CErrorLogItem {
    double time = 0.0;  // minutes
    std::wstring message;
};

// One kind of generic record of a controller.
struct GenericLog {
    bool hasHeader = false;
    CGenericDataHeader header;
    std::vector<GenericRecord> records;
};

// One packet (segment) of a spectral scan.
struct ScanPacket {
    double lowMass = 0.0;
    double highMass = 0.0;
    std::vector<DataPeak> points;  // in the instrument's order (ascending m/z as written)
};

// One scan of a controller: its index entry (ScanIndex for the mass
// spectrometer, UVScanIndex for the other scanning kinds), its data
// (packets for kinds 0 and 3, one reading per channel for kinds 1, 2 and
// 4) and, for the mass spectrometer, its own event, labels and noise.
struct ScanRecord {
    ScanIndex index;
    UVScanIndex uvIndex;
    std::vector<ScanPacket> packets;
    std::vector<double> readings;
    bool hasEvent = false;
    CScanEvent event;
    std::vector<LabelPeak> labels;  // ascending mass
    std::vector<NoiseRecord> noise;
};

struct ControllerData {
    int32_t kind = kDeviceMS;
    RunHeaderFields runHeader;
    CInstID instrument;
    std::vector<CErrorLogItem> errorLog;
    GenericLog statusLog, trailer, tune;
    CMSScanEvents methodEvents;
    std::vector<ScanRecord> scans;
};

struct FileData {
    FileInfo info;
    CSeqRow seqRow;
    std::array<std::wstring, 5> userLabels;
    std::optional<MethodNode> methods;  // the method storage, when the file has one
    std::vector<ControllerData> controllers;
};

// Which generic log a record chunk belongs to.
enum GenericLogKind : uint32_t { kLogStatus = 0, kLogTrailer = 1, kLogTune = 2 };

}  // namespace rawengine
