// Damaged, foreign, truncated and special files: opening never throws and
// leaves the error state with its code; nothing is sized by a count that
// was not checked against the bytes present.
#include "rawtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include <sys/stat.h>
#include <sys/types.h>

using namespace rawtest;

namespace {

std::string sample() { return SerializeRawFile(smallSample()); }

// Loads bytes in memory; answers the error code (0 when it loaded).
int32_t codeOf(const std::string& bytes)
{
    FileData data;
    format::LoadStatus st;
    format::loadImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), data, st);
    if (st.code != kErrNone) {
        EXPECT_TRUE(data.controllers.empty());
    }
    return st.code;
}

void putU32(std::string& bytes, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = char(v >> (8 * i));
}

}  // namespace

TEST(RawDamage, CutAtEveryPreambleAndChunkHeaderByteAndAtAStride)
{
    const std::string bytes = sample();
    std::set<size_t> cuts;
    for (size_t i = 0; i <= format::kPreambleSize; ++i)
        cuts.insert(i);
    for (const ChunkAt& c : chunksOf(bytes))
        for (size_t i = 0; i <= format::kChunkHeaderSize; ++i)
            cuts.insert(c.offset + i);
    for (size_t i = 0; i < bytes.size(); i += 97)
        cuts.insert(i);
    cuts.insert(bytes.size() - 1);
    for (size_t cut : cuts) {
        if (cut >= bytes.size())
            continue;
        const int32_t code = codeOf(bytes.substr(0, cut));
        // The first bytes decide whether it is a raw file at all.
        const int32_t expected = cut == 0 ? kErrNotRawFile : kErrTruncated;
        EXPECT_EQ(code, expected) << "cut at " << cut;
    }
}

TEST(RawDamage, FlippedBytesFailTheirChecksum)
{
    const std::string bytes = sample();
    const std::vector<ChunkAt> chunks = chunksOf(bytes);
    const size_t endAt = chunks.back().offset;
    for (size_t at = 0; at < bytes.size(); at += 61) {
        std::string damaged = bytes;
        damaged[at] = char(damaged[at] ^ 0x10);
        const int32_t code = codeOf(damaged);
        if (at < 18)
            EXPECT_EQ(code, kErrNotRawFile) << at;
        else if (at < 20)  // the version: some other version
            EXPECT_TRUE(code == kErrNewerVersion || code == kErrOlderVersion || code == kErrChecksum) << at;
        else if (at < format::kPreambleSize)
            EXPECT_EQ(code, kErrChecksum) << at;
        else if (at >= endAt)  // the end chunk itself
            EXPECT_NE(code, kErrNone) << at;
        else  // a chunk length may make it truncated or damaged before the checksum is reached
            EXPECT_TRUE(code == kErrChecksum || code == kErrTruncated || code == kErrDamaged) << at << " " << code;
    }
}

TEST(RawDamage, ImpossibleContentIsDamagedWithItsPlace)
{
    // Each case: a chunk list that passes the checksums but cannot be.
    using format::chunk;
    const std::string info = chunk(format::kTagInfo, format::infoPayload(FileInfo()));
    const std::string ms = chunk(format::kTagController, format::controllerPayload(0, kDeviceMS));
    const std::string uv = chunk(format::kTagController, format::controllerPayload(0, kDeviceUV));
    const std::string other = chunk(format::kTagController, format::controllerPayload(0, kDeviceOther));
    auto huge = [](uint32_t tag, std::string payload, size_t countAt) {
        putU32(payload, countAt, 0xFFFFFFFFu);
        return chunk(tag, payload);
    };
    ScanIndex early, late;
    early.startTime = 1.0;
    late.startTime = 0.5;
    RunHeaderFields badFirst;
    badFirst.firstScanNumber = 0;
    CGenericDataHeader h;
    h.SetNumItems(1);
    h.ItemData(0, L"x", kDataLong, 0);
    MethodNode dup{L"M", true, {}, {MethodNode{L"A", true, {}, {}}, MethodNode{L"a", true, {}, {}}}};
    MethodNode badName{L"M", true, {}, {MethodNode{L"a/b", true, {}, {}}}};
    MethodNode deep{L"M", true, {}, {}};
    MethodNode* at = &deep;
    for (int i = 0; i < 40; ++i) {
        at->children.push_back(MethodNode{L"d" + std::to_wstring(i), true, {}, {}});
        at = &at->children.back();
    }
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        const char* reason;
    } cases[] = {
        {"no information", {ms}, "no file information"},
        {"controller out of order", {info, chunk(format::kTagController, format::controllerPayload(1, 0))}, "CTRL"},
        {"controller of kind 6",
         {info, chunk(format::kTagController, format::controllerPayload(0, 6))},
         "unknown kind"},
        {"chunk before its controller", {info, chunk(format::kTagErrorLog, format::errorLogPayload(0, {}))}, "ERRL"},
        {"huge label count", {info, ms, huge(format::kTagLabels, format::labelsPayload(0, 0, {}), 8)}, "exceeds"},
        {"huge noise count", {info, ms, huge(format::kTagNoise, format::noisePayload(0, 0, {}), 8)}, "exceeds"},
        {"huge text", {huge(format::kTagInfo, format::infoPayload(FileInfo()), 8)}, "exceeds"},
        {"huge header",
         {info, ms, huge(format::kTagGenericHeader, format::genericHeaderPayload(0, kLogStatus, h), 8)},
         "exceeds"},
        {"huge method events",
         {info, ms, huge(format::kTagMethodEvents, format::methodEventsPayload(0, CMSScanEvents()), 4)},
         "exceeds"},
        {"huge packet",
         {info, ms,
          chunk(format::kTagScanData,
                format::scanDataPayload(0, 0, 0,
                                        [] {
                                            std::string p = format::packetBytes({ScanPacket{1, 2, {DataPeak()}}});
                                            putU32(p, 16, 0x7FFFFFFFu);
                                            return p;
                                        }()))},
         "exceeds"},
        {"readings not whole",
         {info, uv, chunk(format::kTagScanData, format::scanDataPayload(0, 0, 12, "12345"))},
         "multiple of 8"},
        {"scan data on kind 5",
         {info, other, chunk(format::kTagScanData, format::scanDataPayload(0, 0, 0, ""))},
         "kind 5"},
        {"MS index on UV", {info, uv, chunk(format::kTagScanIndex, format::scanIndexPayload(0, 0, early))}, "kind 4"},
        {"index gap", {info, ms, chunk(format::kTagScanIndex, format::scanIndexPayload(0, 1, early))}, "position 1"},
        {"times fall",
         {info, ms, chunk(format::kTagScanIndex, format::scanIndexPayload(0, 0, early)),
          chunk(format::kTagScanIndex, format::scanIndexPayload(0, 1, late))},
         "before the scan before"},
        {"first scan 0", {info, ms, chunk(format::kTagRunHeader, format::runHeaderPayload(0, badFirst))}, "first scan"},
        {"trailer on UV",
         {info, uv, chunk(format::kTagGenericHeader, format::genericHeaderPayload(0, kLogTrailer, h))},
         "no mass spectrometer"},
        {"header after records",
         {info, ms, chunk(format::kTagGenericHeader, format::genericHeaderPayload(0, kLogStatus, h)),
          chunk(format::kTagGenericRecord, format::genericRecordPayload(0, kLogStatus, {})),
          chunk(format::kTagGenericHeader, format::genericHeaderPayload(0, kLogStatus, h))},
         "another"},
        {"duplicate method names", {info, chunk(format::kTagMethods, format::methodsPayload(dup))}, "one name"},
        {"bad method name", {info, chunk(format::kTagMethods, format::methodsPayload(badName))}, "cannot hold"},
        {"deep methods", {info, chunk(format::kTagMethods, format::methodsPayload(deep))}, "deeper"},
        {"a storage of more elements than it may hold",
         {info, chunk(format::kTagMethods,
                      [] {
                          // The bytes are there for every element the count claims.
                          std::string p = format::methodsPayload(MethodNode{L"M", true, {}, {}});
                          putU32(p, 7, kMaxMethodElements + 1);
                          return p + std::string(9 * size_t(kMaxMethodElements + 1), '\0');
                      }())},
         "more than 1048576"},
        {"unprintable tag", {info, std::string("\x01XYZ\0\0\0\0", 8)}, "chunk header"},
        {"end of wrong size", {info, chunk(format::kTagEnd, "12345")}, "end chunk"},
    };
    for (const Case& c : cases) {
        FileData data;
        format::LoadStatus st;
        const std::string bytes = imageOf(c.chunks);
        EXPECT_FALSE(format::loadImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), data, st))
            << c.name;
        EXPECT_EQ(st.code, kErrDamaged) << c.name << ": " << st.message;
        EXPECT_NE(st.message.find(c.reason), std::string::npos) << c.name << ": " << st.message;
    }
}

TEST(RawDamage, EventsWithImpossibleValuesAreDamaged)
{
    const std::string info = format::chunk(format::kTagInfo, format::infoPayload(FileInfo()));
    const std::string ms = format::chunk(format::kTagController, format::controllerPayload(0, kDeviceMS));
    // Byte offsets of the event fields inside a scan-event payload (after
    // controller and position): each set to an impossible value.
    struct Case {
        size_t at;
        uint8_t value;
    } cases[] = {{8, 6}, {9, 2}, {10, 0x80}, {11, 10}, {12, 2}, {18, 7}, {19, 11}, {19, 0xFC}, {21, 2}, {22, 5}};
    for (const Case& c : cases) {
        std::string payload = format::scanEventPayload(0, 0, fullEvent());
        payload[c.at] = char(c.value);
        const std::string bytes = imageOf({info, ms, format::chunk(format::kTagScanEvent, payload)});
        EXPECT_EQ(codeOf(bytes), kErrDamaged) << c.at;
    }
    CScanEvent many = fullEvent();
    many.reactions.resize(kMaxReactions + 1);
    const std::string bytes =
        imageOf({info, ms, format::chunk(format::kTagScanEvent, format::scanEventPayload(0, 0, many))});
    FileData data;
    format::LoadStatus st;
    EXPECT_FALSE(format::loadImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), data, st));
    EXPECT_NE(st.message.find("11 reactions"), std::string::npos) << st.message;
}

TEST(RawDamage, ForeignFilesAreNotRawFiles)
{
    const std::string cases[] = {
        "", "x", "hello, this is a text file\n", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\0'),
        "\x01\xA1Pardinel" + std::string(30, '\0'),  // the signature in 8-bit letters
        std::string("\x01\xA1P\0a\0r\0d\0i\0n\0e\0L\0", 18) + std::string(20, '\0'),
    };
    for (const std::string& bytes : cases)
        EXPECT_EQ(loadBytes(bytes)->GetErrorCode(), kErrNotRawFile) << bytes.size();
    // Preamble flags the engine does not know.
    std::string flagged = format::preamble(kFormatVersion, 0x100);
    EXPECT_EQ(codeOf(flagged), kErrDamaged);
    // Bytes after the end chunk.
    EXPECT_EQ(codeOf(sample() + "x"), kErrDamaged);
}

// A file is judged by its preamble before anything is sized by its
// length: without the signature it is refused having read its first 32
// bytes, however large; a raw file of 2 GiB or more is refused unread.
// The files are sparse (no disk taken); what the test sees is the bytes
// the process read while the file opened.
TEST(RawDamage, LargeFilesAreJudgedByTheirPreambleFirst)
{
    const std::string preamble = format::preamble(kFormatVersion, 0);
    constexpr uint64_t MiB = uint64_t(1) << 20;
    const struct Case {
        const char* name;
        std::string head;
        uint64_t size;
        int32_t code;
    } cases[] = {
        {"disk.img", "", 300 * MiB, kErrNotRawFile},
        {"video.raw", std::string("\0\0\0\x20" "ftypisom", 12), 300 * MiB, kErrNotRawFile},
        {"nearly.raw", preamble.substr(0, 17) + "x", 300 * MiB, kErrNotRawFile},
        {"larger.raw", "", 3 * 1024 * MiB, kErrNotRawFile},
        {"limit.raw", preamble, format::kMaxFileSize, kErrTooLarge},
        {"beyond.raw", preamble, format::kMaxFileSize + 1, kErrTooLarge},
    };
    for (const Case& c : cases) {
        const std::string path = tempPath(c.name);
        ks::test::writeSparseFile(path, c.head, c.size);
        const uint64_t before = ks::test::bytesReadSoFar();
        CRawfile f(wide(path));
        const uint64_t read = ks::test::bytesReadSoFar() - before;
        EXPECT_EQ(f.GetErrorCode(), c.code) << c.name;
        EXPECT_LE(read, 4096u) << c.name;  // the preamble, and the count's own file
        EXPECT_EQ(f.GetErrorMessage().rfind(wide(path) + L": ", 0), 0u) << c.name;
        std::remove(path.c_str());
    }
}

TEST(RawDamage, MissingFoldersFifosAndDevicesAreRefusedAtOnce)
{
    auto missing = std::make_unique<CRawfile>(wide(tempPath("none.raw")));
    EXPECT_EQ(missing->GetErrorCode(), kErrCannotOpen);
    EXPECT_NE(missing->GetErrorMessage().find(wide(tempPath("none.raw"))), std::wstring::npos);
    EXPECT_EQ(CRawfile(L"").GetErrorCode(), kErrCannotOpen);
    EXPECT_EQ(CRawfile(wide(ks::test::tempDir())).GetErrorCode(), kErrNotRegular);
    const std::string fifo = tempPath("pipe.raw");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(CRawfile(wide(fifo)).GetErrorCode(), kErrNotRegular);  // never waits for a writer
    EXPECT_EQ(CRawfile(L"/dev/zero").GetErrorCode(), kErrNotRegular);
    // Backslashes count as separators.
    const std::string path = tempPath("s.raw");
    WriteRawFile(wide(path), MakeSampleFile());
    std::wstring back = wide(path);
    std::replace(back.begin(), back.end(), L'/', L'\\');
    CRawfile f(back);
    EXPECT_FALSE(f.IsError());
    EXPECT_EQ(f.GetFileName(), back);
    EXPECT_THROW(CRawfile(wide(path), 1), EngineError);
}

TEST(RawDamage, DamagedRecordsDoNotStopTheFile)
{
    // A record whose size is not its header's loads; its reader refuses it
    // (rawgeneric), the file and its other records read.
    FileData model = MakeSampleFile();
    model.controllers[0].statusLog.records[1].bytes.resize(3);
    auto f = loadBytes(SerializeRawFile(model));
    ASSERT_FALSE(f->IsError());
    const CVirtualData& c = f->Controller(0);
    EXPECT_EQ(c.GetStatusLogRecord(1).bytes.size(), 3u);
    EXPECT_EQ(c.GetStatusLogRecord(0).bytes.size(), c.GetStatusLogHeader().RecordSize());
}
