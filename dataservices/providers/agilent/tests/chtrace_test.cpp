// Signal files: the three encodings, times, the limits, damaged data, and
// the trace list of a folder with its lazy, retried loading.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "agilentfixtures.h"
#include "chtrace.h"
#include "kstest.h"

using namespace agilentfix;

namespace {

struct Decoded {
    HRESULT hr = E_UNEXPECTED;
    std::vector<double> times;
    std::vector<double> values;
};

Decoded Decode(const std::string& bytes)
{
    Decoded d;
    CChromatogram c;
    d.hr = DecodeSignalFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), c);
    for (LONG i = 0; i < c.GetCount(); ++i) {
        d.times.push_back(c.Times()[i]);
        d.values.push_back(c.Intensities()[i]);
    }
    return d;
}

std::string Ints(int32_t startMs, int32_t endMs, const std::string& data, int32_t type = 30)
{
    return BuildSignal(type, static_cast<uint32_t>(startMs), static_cast<uint32_t>(endMs), data);
}

std::string Floats(int32_t type, float startMs, float endMs, const std::string& data)
{
    return BuildSignal(type, FloatBits(startMs), FloatBits(endMs), data);
}

// A chromatogram in its new state: the single point (0, 0).
bool IsNew(const CChromatogram& c)
{
    return c.GetCount() == 1 && c.Times()[0] == 0 && c.Intensities()[0] == 0;
}

}  // namespace

TEST(SignalDecoding, ControlWordBlocks)
{
    // The block 0x1003: 100, then -10, then the escaped 10000.
    const Decoded d = Decode(Ints(0, 120000, Blocks({{0x1003, 0x0064, 0xFFF6, 0x8000, 0x0000, 0x2710}})));
    EXPECT_EQ(d.hr, S_OK);
    EXPECT_EQ(d.values, (std::vector<double>{100, 90, 10000}));
    EXPECT_EQ(d.times, (std::vector<double>{0, 1, 2}));

    // The previous value carries over from block to block; any non-zero top
    // nibble starts a block.
    const Decoded two = Decode(Ints(0, 0, Blocks({{0x1001, 0x0005}, {0xF002, 0x0001, 0xFFFE}}), 130));
    EXPECT_EQ(two.values, (std::vector<double>{5, 6, 4}));

    // Values wrap at 32 bits.
    const Decoded wrap = Decode(Ints(0, 60000, Blocks({{0x1002, 0x8000, 0x7FFF, 0xFFFF, 0x0001}})));
    EXPECT_EQ(wrap.values, (std::vector<double>{2147483647.0, -2147483648.0}));

    // A zero top nibble at once: an empty trace.
    const Decoded empty = Decode(Ints(0, 60000, Blocks({})));
    EXPECT_EQ(empty.hr, S_OK);
    EXPECT_TRUE(empty.values.empty());
    const Decoded stop = Decode(Ints(0, 60000, std::string("\x0F\xFF\x10\x01\x00\x05", 6)));
    EXPECT_EQ(stop.hr, S_OK);
    EXPECT_TRUE(stop.values.empty());
}

TEST(SignalDecoding, TimesByType)
{
    // Type 81: times as single-precision numbers; type 82 as integers.
    const std::string values = SecondDifferences({10, 20, 40, 70, 110});
    const Decoded f = Decode(Floats(81, 0.0f, 60000.0f, values));
    EXPECT_EQ(f.hr, S_OK);
    EXPECT_EQ(f.times, (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(f.values, (std::vector<double>{10, 20, 40, 70, 110}));

    const Decoded i = Decode(Ints(0, 60000, Blocks({{0x1005, 1, 1, 1, 1, 1}}), 82));
    EXPECT_EQ(i.times, (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    // The same float fields read as integers are no times of a minute.
    const Decoded asInts = Decode(Floats(82, 0.0f, 60000.0f, Blocks({{0x1005, 1, 1, 1, 1, 1}})));
    EXPECT_NE(asInts.times.back(), 1.0);

    // One value: one point at the start time.
    const Decoded one = Decode(Ints(-2380, 717620, Blocks({{0x1001, 0x0007}})));
    EXPECT_EQ(one.times, (std::vector<double>{-2380 / 60000.0}));
    EXPECT_EQ(one.values, (std::vector<double>{7}));
}

TEST(SignalDecoding, SecondDifferences)
{
    // Escapes restart the running difference; a zero word inside the data
    // is a zero difference, the zero word ending the file ends the data.
    std::string data = SecondDifferences({1000, 1010, 1020, 1030});
    data += SecondDifferences({-500000000000, -499999999990});
    data += std::string("\x00\x05\x00\x00", 4);  // +5, then the end word
    const Decoded d = Decode(Floats(181, 0.0f, 60000.0f, data));
    ASSERT_EQ(d.hr, S_OK);
    EXPECT_EQ(d.values, (std::vector<double>{1000, 1010, 1020, 1030, -500000000000, -499999999990, -499999999975}));

    // Files without the end word end with their last value; a zero word at
    // the very end is always taken as the end word.
    EXPECT_EQ(Decode(Floats(81, 0.0f, 1.0f, SecondDifferences({3, 3, 4}))).values, (std::vector<double>{3, 3, 4}));
    EXPECT_EQ(Decode(Floats(81, 0.0f, 1.0f, SecondDifferences({3, 3, 3}))).values, (std::vector<double>{3, 3}));
}

TEST(SignalDecoding, LittleEndianDoubles)
{
    std::string data;
    for (double v : {59487.0, -1.5, 1e300}) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int k = 0; k < 8; ++k)
            data += static_cast<char>((bits >> (8 * k)) & 0xFF);
    }
    // The values start at byte 6,144 whatever the block field says (13
    // gives 6,144; real files also say 9, that is 4,096).
    for (const int32_t block : {13, 9, 3, 0, -5, 100}) {
        std::string bytes = BuildSignal(179, FloatBits(30000.0f), FloatBits(90000.0f), std::string(), block);
        bytes.resize(6144, '\x7F');  // header bytes that are no values
        const Decoded d = Decode(bytes + data);
        ASSERT_EQ(d.hr, S_OK) << block;
        EXPECT_EQ(d.values, (std::vector<double>{59487.0, -1.5, 1e300})) << block;
        EXPECT_EQ(d.times, (std::vector<double>{0.5, 1.0, 1.5})) << block;
    }
}

// Damaged data: E_FAIL, the chromatogram untouched, nothing read beyond the
// bytes given.
TEST(SignalDecoding, DamagedData)
{
    const std::string good = Ints(0, 60000, Blocks({{0x1003, 0x0064, 0xFFF6, 0x8000, 0x0000, 0x2710}}));
    std::string beyond = good;
    SetBE32(beyond, 264, 100);
    std::string negative = good;
    SetBE32(negative, 264, 0);
    std::string oddDiff = Floats(81, 0, 1, SecondDifferences({1, 2}));
    oddDiff += '\x01';
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"shorter than the header", good.substr(0, 511)},
        {"data beyond the end", beyond},
        {"data before the file", negative},
        {"no end word", good.substr(0, good.size() - 2)},
        {"half an end word", good.substr(0, good.size() - 1)},
        {"escaped value cut", good.substr(0, good.size() - 4)},
        {"difference cut", Ints(0, 1, std::string("\x10\x02\x00\x01\x00", 5))},
        {"block longer than the data", Ints(0, 1, std::string("\x1F\xFF\x00\x01", 4))},
        {"second-difference escape cut", Floats(81, 0, 1, std::string("\x7F\xFF\x00\x00\x00", 5))},
        {"odd byte after differences", oddDiff},
        {"partial double", Floats(179, 0, 1, std::string(6144 - 1024 + 12, '\0'))},
        {"doubles header cut short", Floats(179, 0, 1, std::string(6144 - 1024 - 1, '\0'))},
    };
    for (const auto& c : cases) {
        CChromatogram chromatogram;
        EXPECT_EQ(DecodeSignalFile(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), chromatogram),
                  E_FAIL)
            << c.name;
        EXPECT_TRUE(IsNew(chromatogram)) << c.name;
    }
    CChromatogram chromatogram;
    EXPECT_EQ(DecodeSignalFile(nullptr, 0, chromatogram), E_FAIL);
}

TEST(SignalDecoding, BlockLimit)
{
    // Blocks of no values (control word 0x1000): 100,000 are accepted, the
    // 100,001st ends the decoding.
    auto blocks = [](LONG n) {
        std::string data;
        for (LONG i = 0; i < n; ++i)
            PutBE16(data, 0x1000);
        PutBE16(data, 0x1001);
        PutBE16(data, 0x0009);
        PutBE16(data, 0);
        return Ints(0, 60000, data);
    };
    const Decoded atLimit = Decode(blocks(KSMaxSignalBlocks - 1));
    EXPECT_EQ(atLimit.hr, S_OK);
    EXPECT_EQ(atLimit.values, (std::vector<double>{9}));
    EXPECT_EQ(Decode(blocks(KSMaxSignalBlocks)).hr, E_FAIL);
}

class TraceList : public testing::Test {
protected:
    std::string folder = Folder("traces.D");

    std::string Put(const std::string& name, const std::string& bytes)
    {
        const std::string path = Join(folder, name);
        ks::test::writeFile(path, bytes);
        return path;
    }
};

TEST_F(TraceList, FindsSignalFilesInListingOrder)
{
    const std::string signal = Ints(0, 60000, Blocks({{0x1001, 0x0001}}));
    Put("mwd1B.ch", signal);
    Put("ADC1A.CH", signal);
    Put("DAD1A.Ch", signal);
    Put("MSD1.MS", "not a signal");
    Put("notes.chx", signal);
    std::filesystem::create_directories(Join(folder, "folder.ch"));

    CChTraceList list;
    EXPECT_EQ(list.Build(Wide(folder)), S_OK);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Name(0), L"ADC1A");
    EXPECT_EQ(list.Name(1), L"DAD1A");
    EXPECT_EQ(list.Name(2), L"mwd1B");
    EXPECT_EQ(list.Name(3), L"");
    EXPECT_EQ(list.Name(-1), L"");
    EXPECT_EQ(list.Directory(), folder + "/");

    // Build adds; a file's path lists its folder.
    EXPECT_EQ(list.Build(Wide(Join(folder, "MSD1.MS"))), S_OK);
    EXPECT_EQ(list.Count(), 6);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Directory(), "");

    // A folder without signal files, or one that does not exist: empty.
    EXPECT_EQ(list.Build(Wide(Folder("nothing.D"))), S_OK);
    EXPECT_EQ(list.Build(Wide(Join(folder, "missing"))), S_OK);
    EXPECT_EQ(list.Build(L""), S_OK);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(TraceList, LoadsOnceWithTheRealFileName)
{
    const std::string path = Put("ADC1B.CH", Ints(0, 60000, Blocks({{0x1002, 0x0003, 0x0004}})));
    CChTraceList list;
    list.Build(Wide(folder));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Name(0), L"ADC1B");
    CChromatogram c;
    ASSERT_EQ(list.Load(0, c), S_OK);
    ASSERT_EQ(c.GetCount(), 2);
    EXPECT_EQ(c.Intensities()[1], 7);
    // A loaded trace is not read again.
    std::filesystem::remove(path);
    CChromatogram again;
    EXPECT_EQ(list.Load(0, again), S_OK);
    EXPECT_EQ(again.GetCount(), 2);

    CChromatogram untouched;
    untouched.SetSize(3);
    EXPECT_EQ(list.Load(1, untouched), E_INVALIDARG);
    EXPECT_EQ(list.Load(-1, untouched), E_INVALIDARG);
    EXPECT_EQ(untouched.GetCount(), 3);
}

TEST_F(TraceList, FailedLoadsHandOutTheUnchangedChromatogramAndRetry)
{
    const std::string path = Put("FID1A.ch", Ints(0, 60000, std::string("\x10\x05", 2)));
    CChTraceList list;
    list.Build(Wide(folder));
    CChromatogram c;
    c.SetSize(5);
    EXPECT_EQ(list.Load(0, c), E_FAIL);
    EXPECT_TRUE(IsNew(c));
    // Repaired, the file is read at the next request.
    ks::test::writeFile(path, Ints(0, 60000, Blocks({{0x1001, 0x0002}})));
    EXPECT_EQ(list.Load(0, c), S_OK);
    EXPECT_EQ(c.GetCount(), 1);
    EXPECT_EQ(c.Intensities()[0], 2);
}

TEST_F(TraceList, SizeLimitAndSpecialFiles)
{
    // 999,999 bytes are read; one more byte and the file is refused.
    std::string data = Blocks({{0x1001, 0x0002}});
    std::string atLimit = Ints(0, 60000, data);
    atLimit.resize(KSMaxSignalFileBytes, '\0');
    Put("A.ch", atLimit);
    atLimit.push_back('\0');
    Put("B.ch", atLimit);
    ASSERT_EQ(mkfifo(Join(folder, "C.ch").c_str(), 0600), 0);
    std::filesystem::create_symlink(Join(folder, "A.ch"), Join(folder, "D.ch"));
    std::filesystem::create_symlink("/dev/zero", Join(folder, "E.ch"));

    CChTraceList list;
    list.Build(Wide(folder));
    ASSERT_EQ(list.Count(), 5);
    const HRESULT want[] = {S_OK, E_FAIL, E_FAIL, S_OK, E_FAIL};
    for (int i = 0; i < 5; ++i) {
        CChromatogram c;
        EXPECT_EQ(list.Load(i, c), want[i]) << i;
        EXPECT_EQ(c.GetCount(), 1) << i;
    }
}
