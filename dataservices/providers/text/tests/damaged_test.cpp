// Damaged and hostile input: every read ends with an answer, never a crash,
// and allocates only for what the file really holds.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>
#if defined(__SANITIZE_ADDRESS__) && __has_include(<sanitizer/allocator_interface.h>)
#include <sanitizer/allocator_interface.h>
#endif

#include "massspectrum.h"
#include "textdataio.h"
#include "textfixtures.h"

using kstext::fixture;
using kstext::sumOf;

namespace {

std::string garbage(size_t n, uint32_t seed)
{
    std::string bytes(n, '\0');
    uint32_t x = seed;
    for (char& c : bytes) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

// Reads a file both ways and checks that the dataset answers agree.
void readEveryWay(const std::wstring& path)
{
    CTextDataIO io;
    CMassSpectrum s;
    io.ReadSpectrum(path, s);
    for (LONG i = 0; i < s.GetCount(); ++i) {
        EXPECT_FALSE(std::isinf(s.Masses()[i]));
        EXPECT_FALSE(std::isinf(s.Intensities()[i]));
    }
    ASSERT_TRUE(io.Open(path));
    const LONG count = io.SpectrumCount();
    EXPECT_GE(count, 1);
    LONG ticCount = 0;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.ReadTIC(ticCount, times, sums));
    ASSERT_LE(ticCount, count);
    for (LONG n = 1; n <= ticCount; ++n) {
        CMassSpectrum d;
        ASSERT_TRUE(io.ReadDatasetSpectrum(n, d));
        EXPECT_EQ(sums[n - 1], sumOf(d));
        EXPECT_EQ(times[n - 1], d.GetStartRT());
    }
    CMassSpectrum d;
    EXPECT_FALSE(io.ReadDatasetSpectrum(count + 1, d));
}

TEST(TextDamaged, BinaryGarbage)
{
    for (uint32_t seed = 1; seed <= 8; ++seed)
        readEveryWay(fixture("garbage" + std::to_string(seed) + ".txt", garbage(200000, seed)));
}

// Random lines made of the format's own pieces: numbers, keywords, commas,
// signs, blanks, line ends of both kinds.
TEST(TextDamaged, ShuffledFormatPieces)
{
    const char* pieces[] = {"100", " ", "\t", ",", "-", "+", ".", "5e", "e5", "1e999", "retention time",
                            "=", " 2.5", "continuum", "Listing of", "x", "\r", "\0", "\n", "\r\n", "0.25"};
    const size_t n = sizeof pieces / sizeof pieces[0];
    uint32_t x = 7;
    for (int file = 0; file < 20; ++file) {
        std::string text;
        for (int i = 0; i < 4000; ++i) {
            x = x * 1664525u + 1013904223u;
            const size_t k = (x >> 16) % n;
            if (k == 17)
                text.push_back('\0');
            else
                text += pieces[k];
        }
        readEveryWay(fixture("pieces" + std::to_string(file) + ".txt", text));
    }
}

TEST(TextDamaged, MegabyteLines)
{
    const std::string big(1 << 20, 'x');
    CTextDataIO io;
    CMassSpectrum s;
    // A 1 MB title line stays one title line.
    ASSERT_TRUE(io.ReadSpectrum(fixture("title.txt", big + "7\n100 5\n"), s));
    ASSERT_EQ(s.GetCount(), 1);
    EXPECT_EQ(s.GetTitle().size(), big.size() + 1);

    // A 1 MB data line is one point.
    std::string numbers;
    while (numbers.size() < (1u << 20))
        numbers += "1 2 3 ";
    ASSERT_TRUE(io.ReadSpectrum(fixture("numbers.txt", numbers + "\n4 5\n"), s));
    ASSERT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.Intensities()[0], 2);

    // A 1 MB run of digits is beyond double: no point.
    ASSERT_TRUE(io.ReadSpectrum(fixture("digits.txt", std::string(1 << 20, '9') + "\n"), s));
    EXPECT_EQ(s.GetCount(), 0);

    // No line end at all.
    ASSERT_TRUE(io.ReadSpectrum(fixture("noend.txt", big), s));
    EXPECT_EQ(s.GetCount(), 0);

    readEveryWay(fixture("set.txt", "retention time = 1\n" + big + "\n100 5\nretention time = " + big + "\n200 6\n"));
}

#if defined(__SANITIZE_ADDRESS__) && __has_include(<sanitizer/allocator_interface.h>)
// The largest single allocation while the flag is up (sanitizer builds).
std::atomic<bool> g_watching{false};
std::atomic<size_t> g_largest{0};
void watchMalloc(const volatile void*, size_t size)
{
    if (g_watching.load(std::memory_order_relaxed) && size > g_largest.load(std::memory_order_relaxed))
        g_largest.store(size, std::memory_order_relaxed);
}
void watchFree(const volatile void*) {}

// Memory stays bounded by what a line can use: a sparse file of zeros (one
// line that ends at its first byte) and a file without line feeds never
// make the line buffer grow with the file.
TEST(TextDamaged, LongLinesKeepMemoryBounded)
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(watchMalloc, watchFree) != 0;
    ASSERT_TRUE(installed);
    const std::string sparse = kstext::tempPath("sparse.txt");
    ks::test::writeFile(sparse, "100 5\n");
    std::filesystem::resize_file(sparse, size_t(64) << 20);
    const std::string noFeed = kstext::tempPath("nofeed.txt");
    std::string pairs;
    pairs.reserve(size_t(24) << 20);
    while (pairs.size() < (size_t(24) << 20))
        pairs += "1 ";
    ks::test::writeFile(noFeed, "100 5\n" + pairs);  // one more point: 1, 1
    for (const std::string& p : {sparse, noFeed}) {
        const LONG points = p == sparse ? 1 : 2;
        g_largest = 0;
        g_watching = true;
        CTextDataIO io;
        CMassSpectrum s;
        const bool read = io.ReadSpectrum(kstext::wide(p), s);
        const bool opened = io.Open(kstext::wide(p));
        const LONG count = opened ? io.SpectrumCount() : -1;
        CMassSpectrum d;
        const bool first = opened && io.ReadDatasetSpectrum(1, d);
        g_watching = false;
        EXPECT_TRUE(read) << p;
        EXPECT_EQ(s.GetCount(), points) << p;
        EXPECT_EQ(count, 1) << p;
        EXPECT_TRUE(first) << p;
        EXPECT_EQ(d.GetCount(), points) << p;
        EXPECT_LE(g_largest.load(), size_t(16) << 20) << p;
    }
}
#endif

// A line longer than the kept part: the title keeps its first part, and
// every line after it is read at its right place, by both readers.
TEST(TextDamaged, LineBeyondTheKeptLength)
{
    const std::string huge(5u << 20, 'x');
    const std::wstring path = fixture("huge.txt", "retention time = 1\n" + huge + "\n100 5\nretention time = 2\n" +
                                                      huge + "\r\n200 6\n");
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(path, s));
    ASSERT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.Masses()[1], 200);
    EXPECT_LT(s.GetTitle().size(), 2 * huge.size());
    readEveryWay(path);
    ASSERT_TRUE(io.Open(path));
    ASSERT_EQ(io.SpectrumCount(), 2);
    CMassSpectrum d;
    ASSERT_TRUE(io.ReadDatasetSpectrum(2, d));
    ASSERT_EQ(d.GetCount(), 1);
    EXPECT_EQ(d.Masses()[0], 200);
    EXPECT_EQ(d.GetStartRT(), 2);
}

TEST(TextDamaged, NumbersOutOfRange)
{
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(fixture("range.txt", "1e999 5\n100 -1e999\n100 1e-400\n1e308 1e308\n"), s));
    ASSERT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.Intensities()[0], 0);
    EXPECT_EQ(s.Masses()[1], 1e308);
    EXPECT_EQ(s.GetTitle(), L"");

    // A header time beyond double makes the header unusable.
    ASSERT_TRUE(io.Open(fixture("rt.txt", "50 1\nretention time = 1e999\n100 5\nretention time = -1e999\n200 6\n")));
    EXPECT_EQ(io.SpectrumCount(), 2);
    ASSERT_TRUE(io.ReadDatasetSpectrum(1, s));  // from the first line, time 0
    ASSERT_EQ(s.GetCount(), 1);
    EXPECT_EQ(s.Masses()[0], 50);
    EXPECT_EQ(s.GetStartRT(), 0);
    EXPECT_FALSE(io.ReadDatasetSpectrum(2, s));
}

// Only regular files are read: a FIFO named like a dataset must not block
// (a browse dialog would freeze), a link to a device must not feed bytes
// without end.
TEST(TextDamaged, SpecialFilesAreRefused)
{
    const std::string fifo = kstext::tempPath("fifo.txt");
    const std::string zero = kstext::tempPath("zero.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    for (const std::string& p : {fifo, zero, ks::test::tempDir()}) {
        CTextDataIO io;
        CMassSpectrum s;
        EXPECT_FALSE(io.ReadSpectrum(kstext::wide(p), s)) << p;
        EXPECT_FALSE(io.Open(kstext::wide(p))) << p;
        EXPECT_FALSE(io.IsOpen()) << p;
    }
}

TEST(TextDamaged, ZeroBytesEndALine)
{
    CTextDataIO io;
    CMassSpectrum s;
    const char bytes[] = "Tit\0le 99\n100 5\0 7\n\0\n";
    ASSERT_TRUE(io.ReadSpectrum(fixture("zero.txt", std::string(bytes, sizeof bytes - 1)), s));
    EXPECT_EQ(s.GetTitle(), L"Tit");
    ASSERT_EQ(s.GetCount(), 1);
    EXPECT_EQ(s.Intensities()[0], 5);
}

TEST(TextDamaged, TruncatedLastLine)
{
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(fixture("cut.txt", "100 5\r\n101 6\r"), s));
    ASSERT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.Intensities()[1], 6);
}

// Many headers and nothing else: counted, each unreadable, no points held.
TEST(TextDamaged, HeadersOnly)
{
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "retention time = " + std::to_string(i) + "\n";
    CTextDataIO io;
    ASSERT_TRUE(io.Open(fixture("headers.txt", text)));
    EXPECT_EQ(io.SpectrumCount(), 100000);
    CMassSpectrum s;
    EXPECT_FALSE(io.ReadDatasetSpectrum(100000, s));
    EXPECT_EQ(s.GetStartRT(), 99999);
    LONG count = -1;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.ReadTIC(count, times, sums));
    EXPECT_EQ(count, 0);
}

// The file is cut short behind the open dataset's back: reads answer from
// what is there, never from beyond it.
TEST(TextDamaged, FileTruncatedWhileOpen)
{
    std::string text;
    for (int n = 1; n <= 2000; ++n)
        text += "retention time = " + std::to_string(n) + "\n100 1\n200 2\n";
    const std::wstring path = fixture("shrink.txt", text);
    CTextDataIO io;
    ASSERT_TRUE(io.Open(path));
    ASSERT_EQ(io.SpectrumCount(), 2000);
    ks::test::writeFile(ks::test::tempDir() + "/shrink.txt", "x\n");
    CMassSpectrum s;
    for (LONG n : {1, 2, 1000, 1999, 2000})
        io.ReadDatasetSpectrum(n, s);
    EXPECT_FALSE(io.ReadDatasetSpectrum(2000, s));
    EXPECT_EQ(s.GetCount(), 0);
}

}  // namespace
