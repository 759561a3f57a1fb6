// What the MassLynx reader knows without the vendor's classes: the raw
// directory recognised by its header file, ionisation and polarity in the
// header text, data-source strings and scan texts, and where a scan's
// points start.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kstest.h"
#include "masslynxformat.h"

namespace {

std::wstring WideOf(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

std::string MakeFolder(const std::string& name)
{
    const std::string folder = ks::test::tempDir() + "/" + name;
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace

TEST(MassLynxFormat, RawDirectoryRecognisedByItsHeaderLine)
{
    const std::string header = "$$ Version: 4.1\r\n$$ Acquired Name: x\r\n";
    const struct {
        const char* folder;
        const char* file;
        std::string text;
        bool accepted;
    } cases[] = {
        {"plain.raw", "_header.txt", header, true},
        {"UPPER.RAW", "_HEADER.TXT", header, true},                        // both without regard to case
        {"mixed.Raw", "_Header.Txt", "$$ Version 3\n", true},              // LF alone
        {"second.raw", "_header.txt", "Title\r\n$$ Version: 4.1\r\n", false},  // not in the first line
        {"none.raw", "other.txt", header, false},                          // no header file
        {"run.rawx", "_header.txt", header, false},                        // no ".raw"
        {"run.dat", "_header.txt", header, false},
        {"long.raw", "_header.txt", std::string(999, 'x') + "$$ Version", false},  // beyond 999 bytes
        {"edge.raw", "_header.txt", std::string(989, 'x') + "$$ Version", true},   // ends at byte 999
        {"zero.raw", "_header.txt", std::string("\0$$ Version", 11), false},       // the text ends at 0
    };
    for (const auto& c : cases) {
        const std::string folder = MakeFolder(c.folder);
        ks::test::writeFile(folder + "/" + c.file, c.text);
        EXPECT_EQ(IsMassLynxRawDirectory(WideOf(folder)), c.accepted) << c.folder;
    }
    // A trailing separator changes nothing; a file of that name is no
    // directory; nor is a missing path.
    EXPECT_TRUE(IsMassLynxRawDirectory(WideOf(ks::test::tempDir() + "/plain.raw/")));
    ks::test::writeFile(ks::test::tempDir() + "/file.raw", header);
    EXPECT_FALSE(IsMassLynxRawDirectory(WideOf(ks::test::tempDir() + "/file.raw")));
    EXPECT_FALSE(IsMassLynxRawDirectory(WideOf(ks::test::tempDir() + "/missing.raw")));
    EXPECT_FALSE(IsMassLynxRawDirectory(L".raw"));
    EXPECT_FALSE(IsMassLynxRawDirectory(L""));
}

// A header that is a folder or a FIFO is refused at once, never waited on.
TEST(MassLynxFormat, HeaderThatIsNoRegularFileIsRefused)
{
    const std::string a = MakeFolder("folder.raw");
    std::filesystem::create_directories(a + "/_header.txt");
    EXPECT_FALSE(IsMassLynxRawDirectory(WideOf(a)));
    const std::string b = MakeFolder("fifo.raw");
    ASSERT_EQ(mkfifo((b + "/_header.txt").c_str(), 0600), 0);
    EXPECT_FALSE(IsMassLynxRawDirectory(WideOf(b)));
}

TEST(MassLynxFormat, IonisationAndPolarityFromTheHeader)
{
    const struct {
        const char* what;
        const wchar_t* header;
        LONG function;
        const wchar_t* ionisation;
        LONG polarity;
    } cases[] = {
        {"parameters, ES-", L"$$ Version\r\nInstrument Parameters - Function 1:\r\nPolarity\t\tES-\r\n", 1, L"ES", 2},
        {"parameters, ES+", L"$$ Version\r\nInstrument Parameters - Function 2:\r\nPolarity ES+\r\n", 2, L"ES", 1},
        {"text after the sign", L"x\nInstrument Parameters - Function 1:\nPolarity  API+ extra\n", 1, L"API", 1},
        {"only a minus", L"x\nInstrument Parameters - Function 1:\nPolarity\t-\n", 1, L"", 2},
        {"nothing after the word", L"x\nInstrument Parameters - Function 1:\r\nPolarity\r\nCone 30\r\n", 1, L"", 1},
        {"no sign", L"x\nInstrument Parameters - Function 1:\nPolarity EI\n", 1, L"EI", 1},
        {"no entry", L"$$ Version\r\nInstrument Parameters - Function 1:\r\nCone 30\r\n", 1, L"Unknown", 1},
        {"other function only", L"x\nInstrument Parameters - Function 2:\nPolarity ES-\n", 1, L"Unknown", 1},
        // The first "Polarity" anywhere after the heading counts.
        {"next section's entry", L"x\nInstrument Parameters - Function 1:\nCone 30\n"
                                 L"Instrument Parameters - Function 2:\nPolarity ES-\n", 1, L"ES", 2},
        {"ionization mode", L"$$ Version\r\nFunction 2\r\nIonization mode:  \tAPCI-\r\n", 2, L"APCI", 2},
        {"ionization mode, LF", L"$$ Version\nFunction 1\nIonization mode: EI+\n", 1, L"EI", 1},
        {"function 1 is not 12", L"$$ Version\r\nFunction 12\r\nIonization mode: EI-\r\n", 1, L"Unknown", 1},
        {"heading at the start", L"Instrument Parameters - Function 1:\nPolarity ES-\n", 1, L"Unknown", 1},
        // Only the first heading counts, even at the start.
        {"heading at the start and again", L"Instrument Parameters - Function 1:\nx\n"
                                           L"Instrument Parameters - Function 1:\nPolarity ES-\n", 1, L"Unknown", 1},
        {"first line at the start skipped", L"Function 1\nIonization mode: CI-\nFunction 1\nIonization mode: EI+\n", 1,
         L"EI", 1},
        {"negative function", L"x\nInstrument Parameters - Function -1:\nPolarity FAB-\n", -1, L"FAB", 2},
        {"leading zero", L"x\nInstrument Parameters - Function 01:\nPolarity FAB-\n", 1, L"Unknown", 1},
        {"empty header", L"", 1, L"Unknown", 1},
    };
    for (const auto& c : cases) {
        std::wstring ionisation = L"stale";
        LONG polarity = 0;
        FindIonisation(c.header, c.function, ionisation, polarity);
        EXPECT_EQ(ionisation, c.ionisation) << c.what;
        EXPECT_EQ(polarity, c.polarity) << c.what;
    }
}

// Mend: one index answers every function of a header in a few lookups
// each (asking 27,777 functions searched the header 27,777 times: 7-8 s);
// a value is cut to kMaxIonisationText characters, its polarity still
// from the sign after it, so a header whose sections all share one long
// value cannot make every function's name that long.
TEST(MassLynxFormat, EveryFunctionOfALargeHeader)
{
    const LONG functions = 27777;
    std::wstring header = L"$$ Version\r\n";
    for (LONG n = 1; n <= functions; ++n)
        header += L"Function " + std::to_wstring(n) + L"\r\nIonization mode: " + (n % 3 ? L"ES+" : L"APCI-") + L"\r\n";
    const CMassLynxIonisationIndex index(header);
    for (LONG n = 1; n <= functions; ++n) {
        std::wstring ionisation;
        LONG polarity = 0;
        index.Find(n, ionisation, polarity);
        ASSERT_EQ(ionisation, n % 3 ? L"ES" : L"APCI") << n;
        ASSERT_EQ(polarity, n % 3 ? 1 : 2) << n;
    }

    // Every heading first, then one "Polarity" whose value runs on.
    std::wstring shared = L"$$ Version\n";
    for (LONG n = 1; n <= 1000; ++n)
        shared += L"Instrument Parameters - Function " + std::to_wstring(n) + L":\n";
    shared += L"Polarity  " + std::wstring(100000, L'A') + L"-\n";
    for (LONG n : {1, 500, 1000}) {
        std::wstring ionisation;
        LONG polarity = 0;
        FindIonisation(shared, n, ionisation, polarity);
        EXPECT_EQ(ionisation, std::wstring(kMaxIonisationText, L'A')) << n;
        EXPECT_EQ(polarity, 2) << n;
    }
}

TEST(MassLynxFormat, FunctionTypeNames)
{
    const struct {
        const wchar_t* name;
        LONG type;
        LONG msms;
        bool diodeArray;
    } cases[] = {
        {L"Scan", 1, 0, false},         {L"Parents", 1, 1, false},      {L"Daughters", 2, 2, false},
        {L"Neutral Loss", 1, 3, false}, {L"Neutral Gain", 1, 4, false}, {L"SIR", 1, 0, false},
        {L"MRM", 1, 0, false},          {L"Maldi TOF", 1, 0, false},    {L"TOF", 1, 0, false},
        {L"TOF MS", 1, 0, false},       {L"TOF Daughter", 2, 2, false}, {L"Diode Array", 0, 0, true},
        {L"scan", 0, 0, false},         {L"Diode array", 0, 0, false},  {L"", 0, 0, false},
    };
    for (const auto& c : cases) {
        const MassLynxFunctionType& t = FindMassLynxFunctionType(c.name);
        EXPECT_EQ(t.functionType, c.type) << std::string(c.name, c.name + wcslen(c.name));
        EXPECT_EQ(t.msmsType, c.msms);
        EXPECT_EQ(t.diodeArray, c.diodeArray);
    }
}

TEST(MassLynxFormat, DataSourceStrings)
{
    EXPECT_EQ(MakeMassLynxDataSource(L"/data/a.raw", 2), L"KSMLProvider.KSMLProvider; /data/a.raw; Function: 2");
    const std::wstring longest = L"/" + std::wstring(257, L'p');
    const struct {
        std::wstring text;
        bool ok;
        std::wstring path;
        LONG function;
        std::wstring scanText;
    } cases[] = {
        {L"KSMLProvider.KSMLProvider; /data/a.raw; Function: 2", true, L"/data/a.raw", 2, L""},
        {L"ksmlprovider.KSMLPROVIDER;/data/a.raw;Function:3", true, L"/data/a.raw", 3, L""},
        {L"KSMLProvider.KSMLProvider; C:\\x\\a.raw; Function: 1; History: 7", true, L"C:\\x\\a.raw", 1,
         L"History: 7"},
        {L"KSMLProvider.KSMLProvider; /a.raw; Function: 1;  4", true, L"/a.raw", 1, L"4"},
        {L"KSMLProvider.KSMLProvider; " + longest + L"; Function: 1", true, longest, 1, L""},
        {L"KSMLProvider.KSMLProvider; " + longest + L"p; Function: 1", false, L"", 0, L""},
        {L"KSMLProvider.KSMLProvider; /data/a.raw", false, L"", 0, L""},
        {L"KSMLProvider.KSMLProvider; /data/a.raw;", false, L"", 0, L""},
        {L"KSMLProvider.KSMLProvider; /data/a.raw; Function:", false, L"", 0, L""},
        {L"KSMLProvider.KSMLProvider; /data/a.raw; Scan: 2", false, L"", 0, L""},
        {L"KSTextProvider.KSTextProvider; /data/a.raw; Function: 2", false, L"", 0, L""},
        {L"KSMLProvider.KSMLProvider; ; Function: 2", false, L"", 0, L""},
        {L"KSMLProvider.KSMLProvider; /a.raw; Function: 99999999999", false, L"", 0, L""},
        {std::wstring(L"KSMLProvider.KSMLProvider; /a") + L'\0' + L"b.raw; Function: 2", false, L"", 0, L""},
        {L"", false, L"", 0, L""},
    };
    for (const auto& c : cases) {
        std::wstring path = L"unchanged", scanText = L"unchanged";
        LONG function = -7;
        EXPECT_EQ(ParseMassLynxDataSource(c.text, path, function, scanText), c.ok)
            << std::string(c.text.begin(), c.text.end());
        if (c.ok) {
            EXPECT_EQ(path, c.path);
            EXPECT_EQ(function, c.function);
            EXPECT_EQ(scanText, c.scanText);
        } else {
            EXPECT_EQ(path, L"unchanged");
            EXPECT_EQ(function, -7);
        }
    }
}

TEST(MassLynxFormat, ScanTexts)
{
    EXPECT_EQ(MakeScanText(7, false), L" 7");
    EXPECT_EQ(MakeScanText(7, true), L"History: 7");
    const struct {
        const wchar_t* text;
        bool ok;
        LONG scan;
    } cases[] = {
        {L" 7", true, 7},         {L"History: 7", true, 7}, {L"History:12", true, 12}, {L"3 and more", true, 3},
        {L"", false, 0},          {L"History", false, 0},   {L"History 7", false, 0},  {L"scan", false, 0},
        {L"4294967296", false, 0},
    };
    for (const auto& c : cases) {
        LONG scan = -1;
        EXPECT_EQ(ParseScanText(c.text, scan), c.ok) << std::string(c.text, c.text + wcslen(c.text));
        if (c.ok) {
            EXPECT_EQ(scan, c.scan);
        }
    }
}

// Leading points are dropped while the next mass does not rise; an array
// that never rises keeps its last point, 0 or 1 point start at 0.
TEST(MassLynxFormat, FirstRisingPointStaysWithinTheArray)
{
    const struct {
        std::vector<double> masses;
        LONG first;
    } cases[] = {
        {{500, 400, 100, 101}, 2}, {{100, 200, 300}, 0}, {{100, 100, 101}, 1},
        {{500, 400, 300}, 2},      {{7, 7, 7, 7}, 3},    {{42}, 0},
        {{}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstRisingPoint(c.masses.data(), static_cast<LONG>(c.masses.size())), c.first)
            << c.masses.size();
    EXPECT_EQ(FirstRisingPoint(nullptr, 3), 0);
}
