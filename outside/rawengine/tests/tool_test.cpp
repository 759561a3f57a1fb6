// tavrion-rawfile: the sample, its dump and the exit codes; the sample is
// recognised by the test the dataset reader makes on raw files.
#include "rawtest.h"

#include "ksfiles.h"

#include <gtest/gtest.h>

using namespace rawtest;

namespace {

const std::string kTool = std::string(KS_BIN_DIR) + "/tavrion-rawfile";

// The recognition of raw files by the dataset reader: a ".raw" path of a
// file whose first 20 bytes hold "Pardinel" as the low bytes of the
// 16-bit characters at offsets 2 to 17.
bool looksLikeRawFile(const std::string& path)
{
    if (path.size() < 4 || ks::foldCaseUtf8(path.substr(path.size() - 4)) != ".raw")
        return false;
    const std::string bytes = ks::test::readFile(path);
    if (bytes.size() < 20)
        return false;
    const char letters[] = "Pardinel";
    for (int i = 0; i < 8; ++i)
        if (bytes[size_t(2 + 2 * i)] != letters[i])
            return false;
    return true;
}

}  // namespace

TEST(RawTool, MakeSampleThenDumpListsFourControllers)
{
    const std::string path = tempPath("s.raw");
    const auto made = ks::test::run({kTool, "make-sample", path});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_TRUE(looksLikeRawFile(path));
    EXPECT_EQ(ks::test::readFile(path), SerializeRawFile(MakeSampleFile()));  // deterministic

    const auto dump = ks::test::run({kTool, "dump", path});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(dump.err, "");
    for (const char* line : {"Controllers: 4\n", "  1. mass spectrometer 1: 30 scans (1-30), 0.50-1.95 min",
                             "  2. UV detector 1: 40 scans", "  3. PDA detector 1: 20 scans",
                             "  4. analog input 1: 30 scans", "channel labels: \"UV 254 nm\", \"\", \"UV 280 nm\"",
                             "Instrument methods: 2\n", "\"LC Pump\": Flow 0.300 mL/min\n",
                             "30 trailer records, 2 tune segments", "Format version: 30\n",
                             "Created: 2024-03-14 10:22:00\n",
                             "Filters of mass spectrometer 1, in order of first appearance: 14\n"
                             "  FTMS + p ESI Full ms [100.00-1000.00]\n"
                             "  ITMS + c ESI d Full ms2 500.75@35.00 [135.00-1000.00]\n"
                             "  ITMS + c ESI d Full ms3 500.75@35.00 639.67@35.00 [172.00-660.00]\n"
                             "  FTMS + p ESI Z ms [495.00-505.00]\n"
                             "  FTMS + p ESI SIM ms [400.00-410.00]\n"
                             "  ITMS + c ESI d Full ms2 623.30@35.00 [168.00-1000.00]\n"})
        EXPECT_NE(dump.out.find(line), std::string::npos) << line << "\n" << dump.out;
}

TEST(RawTool, ExitCodes)
{
    const std::string damaged = tempPath("damaged.raw");
    std::string bytes = SerializeRawFile(MakeSampleFile());
    // The last byte of the last scan's data: a reading changes, the
    // checksum no longer matches.
    size_t at = 0;
    for (const ChunkAt& c : chunksOf(bytes))
        if (c.tag == format::kTagScanData)
            at = c.offset + format::kChunkHeaderSize + c.length - 1;
    bytes[at] = char(bytes[at] ^ 1);
    ks::test::writeFile(damaged, bytes);
    const auto bad = ks::test::run({kTool, "dump", damaged});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err.rfind("tavrion-rawfile: error 8: " + damaged + ": ", 0), 0u) << bad.err;

    const auto missing = ks::test::run({kTool, "dump", tempPath("none.raw")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("error 1: "), std::string::npos);

    const auto unwritable = ks::test::run({kTool, "make-sample", tempPath("no/folder/s.raw")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("cannot be created"), std::string::npos);

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{kTool, "dump"}, {kTool, "list", "x.raw"}, {kTool, "dump", "a.raw", "b.raw"}}) {
        const auto r = ks::test::run(args);
        EXPECT_EQ(r.exitCode, 2) << args.size();
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
    const auto help = ks::test::run({kTool, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: tavrion-rawfile make-sample FILE\n", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
}
