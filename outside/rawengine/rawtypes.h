// Raw-file engine stand-in: the numbers and fixed records every part of
// the engine shares.
//
// The engine reads and writes the raw files of the Tavrion data system in
// a format of our own (README.md). It is one shared library, `rawengine`,
// in namespace rawengine; the raw-file library links it and is its only
// caller besides the tests and the `tavrion-rawfile` tool.
//
// Errors: a file that cannot be loaded never throws; it records an error
// state (CRawfile::IsError, GetErrorCode, GetErrorMessage) with one of the
// ErrorCode values below. Everything else that fails (an index outside the
// data, a damaged record asked for, a write the engine refuses, a failure
// injected by the test hook of rawtesthooks.h) throws EngineError, the one
// exception type the engine throws besides std::bad_alloc.
//
// Records that have a fixed layout in memory (DataPeak, LabelPeak,
// NoiseRecord, ScanIndex, UVScanIndex) have their sizes pinned; on disk
// every field is written one by one, little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// Classes and functions of the engine that callers built with hidden
// visibility link against.
#define RAWENGINE_API __attribute__((visibility("default")))

namespace rawengine {

class RAWENGINE_API EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& what);
    ~EngineError() override;
};

// Initialisation of the file library (FIO_Init builds its CRC table) and
// of the global library (FG_Init; the stand-in keeps no global settings),
// which a caller runs once when it is loaded. Running them again does
// nothing, and the engine also works before them; IsEngineInitialised
// tells whether both have run.
RAWENGINE_API void FIO_Init();
RAWENGINE_API void FG_Init();
RAWENGINE_API bool IsEngineInitialised();

// Current format version written by the engine, and the oldest it reads.
// Instrument methods exist only from version 25 on.
constexpr uint16_t kFormatVersion = 30;
constexpr uint16_t kOldestFormatVersion = 20;
constexpr uint16_t kFirstMethodVersion = 25;

// The error state of a file that did not load.
enum ErrorCode : int32_t {
    kErrNone = 0,
    kErrCannotOpen = 1,     // missing, or the system refused to open it
    kErrNotRegular = 2,     // a folder, FIFO, socket or device
    kErrRead = 3,           // reading failed
    kErrNotRawFile = 4,     // no raw-file signature
    kErrNewerVersion = 5,   // written by a newer format version
    kErrOlderVersion = 6,   // a format version older than the engine reads
    kErrTruncated = 7,      // ends before its end chunk or inside a chunk
    kErrChecksum = 8,       // a checksum does not match the bytes
    kErrDamaged = 9,        // a chunk whose content is impossible
    kErrTooLarge = 10,      // larger than the engine loads
    kErrWrite = 11,         // a writer could not write its file
};

// Controller (device) kinds, in file order numbered from 1 within a kind.
enum DeviceKind : int32_t {
    kDeviceMS = 0,       // mass spectrometer
    kDeviceAnalog = 1,   // analog inputs
    kDeviceADCard = 2,   // A/D card
    kDevicePDA = 3,      // photo-diode array detector
    kDeviceUV = 4,       // UV detector
    kDeviceOther = 5,    // any other device: logs and identity, no scans
};
constexpr int32_t kDeviceKindCount = 6;
RAWENGINE_API bool IsChannelKind(int32_t kind);   // 1, 2 and 4: scans are channel readings
RAWENGINE_API bool IsSpectralKind(int32_t kind);  // 0 and 3: scans are packets of points

// Packet types of scan data (the numbering of the writers' interface).
enum PacketType : uint32_t {
    kPacketProfSp = 0,
    kPacketLrSp = 1,
    kPacketHrSp = 2,
    kPacketProfIndex = 3,
    kPacketCompAccSp = 4,
    kPacketStdAccSp = 5,
    kPacketStdUncalSp = 6,
    kPacketAccMassProfSp = 7,
    kPacketDgXaqr = 8,
    kPacketDgXaqrIndex = 9,
    kPacketDgXasr = 10,
    kPacketDgXasrIndex = 11,
    kPacketChannelUV = 12,
    kPacketMSAnalog = 13,
    kPacketProfSp2 = 14,
    kPacketLrSp2 = 15,
    kPacketProfSp3 = 16,
    kPacketLrSp3 = 17,
};
constexpr uint32_t kPacketTypeCount = 18;
// Profile types: 0, 3, 7, 8, 9, 14, 16 and the two channel types (sampled
// signals). Every other type, known or not, is centroid data.
RAWENGINE_API bool IsProfileScan(uint32_t packetType);
// 12 and 13: the data are channel readings; 0-11 and 14-17: packets of
// points; anything else is no known type.
RAWENGINE_API bool IsChannelPacket(uint32_t packetType);
RAWENGINE_API bool IsSpectralPacket(uint32_t packetType);
// The centroid type a profile type becomes when centroided (the type
// itself for centroid types).
RAWENGINE_API uint32_t CentroidPacketType(uint32_t packetType);

// One point of a scan, and one reading of a chromatogram (position is
// then the time). 32 bytes.
struct DataPeak {
    double intensity = 0.0;
    double position = 0.0;  // m/z (wavelength for a PDA), or time
    float basePeak = 0.0f;  // chromatogram readings: m/z of the base peak
    int32_t scan = 0;       // chromatogram readings: the scan read
    uint8_t flags = 0;      // chromatogram readings: ReadingFlag bits
    uint8_t reserved[7] = {};
};
static_assert(sizeof(DataPeak) == 32 && offsetof(DataPeak, intensity) == 0 && offsetof(DataPeak, position) == 8 &&
                  offsetof(DataPeak, basePeak) == 16 && offsetof(DataPeak, scan) == 20 &&
                  offsetof(DataPeak, flags) == 24,
              "DataPeak layout");

// Label flags of a LabelPeak.
enum LabelFlag : uint8_t {
    kLabelSaturated = 1,
    kLabelFragmented = 2,
    kLabelMerged = 4,
    kLabelException = 8,
    kLabelReference = 16,
    kLabelModified = 32,
};

// One label record of a scan (the instrument's own peak list). 32 bytes.
struct LabelPeak {
    double mass = 0.0;
    float intensity = 0.0f;
    float resolution = 0.0f;
    float baseline = 0.0f;
    float noise = 0.0f;
    int8_t charge = 0;
    uint8_t flags = 0;  // LabelFlag bits
    uint8_t reserved[6] = {};
};
static_assert(sizeof(LabelPeak) == 32 && offsetof(LabelPeak, intensity) == 8 && offsetof(LabelPeak, noise) == 20 &&
                  offsetof(LabelPeak, charge) == 24 && offsetof(LabelPeak, flags) == 25,
              "LabelPeak layout");

// One noise record of a scan. 16 bytes.
struct NoiseRecord {
    double mass = 0.0;
    float noise = 0.0f;
    float baseline = 0.0f;
};
static_assert(sizeof(NoiseRecord) == 16 && offsetof(NoiseRecord, noise) == 8, "NoiseRecord layout");

// The index entry of a mass-spectrometer scan (the layout of the writers'
// scan index). The data offset and packet count are the engine's: it
// computes them from the scan's data whatever a writer gave. 72 bytes.
struct ScanIndex {
    uint32_t dataOffset = 0;     // byte offset of the scan's data among the controller's data
    int32_t trailerOffset = 0;
    int32_t scanTypeIndex = 0;   // key of the method scan event: event << 16 | segment
    int32_t scanNumber = 0;      // as written; 0 marks an entry with no scan
    uint32_t packetType = 0;
    uint32_t numPackets = 0;
    double startTime = 0.0;      // minutes
    double tic = 0.0;
    double basePeakIntensity = 0.0;
    double basePeakMass = 0.0;
    double lowMass = 0.0;
    double highMass = 0.0;
};
static_assert(sizeof(ScanIndex) == 72 && offsetof(ScanIndex, scanNumber) == 12 &&
                  offsetof(ScanIndex, startTime) == 24 && offsetof(ScanIndex, highMass) == 64,
              "ScanIndex layout");

// The index entry of a scan of the other scanning kinds (analog, A/D card,
// PDA, UV). 56 bytes.
struct UVScanIndex {
    uint32_t packetType = 0;
    uint32_t numberOfChannels = 0;
    double startTime = 0.0;  // minutes
    double tic = 0.0;        // total intensity
    double lowLimit = 0.0;
    double highLimit = 0.0;
    double frequency = 0.0;  // sampling frequency
    uint32_t uniformTime = 0;
    uint32_t reserved = 0;
};
static_assert(sizeof(UVScanIndex) == 56 && offsetof(UVScanIndex, startTime) == 8 &&
                  offsetof(UVScanIndex, frequency) == 40,
              "UVScanIndex layout");

// Kinds of the items of a generic record (the writers' numbering).
enum DataKind : uint32_t {
    kDataNull = 0,  // a label without a value (a heading)
    kDataChar = 1,
    kDataTrueFalse = 2,
    kDataYesNo = 3,
    kDataOnOff = 4,
    kDataUChar = 5,
    kDataShort = 6,
    kDataUShort = 7,
    kDataLong = 8,
    kDataULong = 9,
    kDataFloat = 10,
    kDataDouble = 11,
    kDataCharString = 12,   // 8-bit text, Latin-1; precision = capacity in bytes
    kDataWCharString = 13,  // 16-bit text, UTF-16LE; precision = capacity in characters
};
constexpr uint32_t kDataKindCount = 14;

}  // namespace rawengine
