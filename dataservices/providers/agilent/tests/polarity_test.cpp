// The acquisition polarity of each MSD file from "RUN.M/ACQ.MS", alone and
// as the MSD files and their spectra carry it.
#include <gtest/gtest.h>

#include <string>

#include "agilentfixtures.h"
#include "kstest.h"
#include "massspectrum.h"
#include "msdfile.h"

using namespace agilentfix;

namespace {

// The polarities of files 1 to 4 (starting from "mixed", which stays when
// nothing decides) of a data folder whose method holds `text`.
std::vector<FunctionPolarity> Polarities(const std::string& text, const std::string& method = "RUN.M/ACQ.MS")
{
    static int k = 0;
    const std::string folder = Folder("pol" + std::to_string(k++) + ".D");
    const std::string path = Join(folder, method);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ks::test::writeFile(path, text);
    std::vector<FunctionPolarity> out;
    for (int n = 1; n <= 4; ++n) {
        FunctionPolarity p = FunctionPolarityMixed;
        ReadAcquisitionPolarity(Wide(folder), n, p);
        out.push_back(p);
    }
    return out;
}

constexpr FunctionPolarity P = FunctionPolarityPositive;
constexpr FunctionPolarity N = FunctionPolarityNegative;
constexpr FunctionPolarity U = FunctionPolarityMixed;  // unchanged

}  // namespace

TEST(AcquisitionPolarity, Lines)
{
    const std::string longLine(995, 'x');
    const struct {
        const char* name;
        std::string text;
        std::vector<FunctionPolarity> want;
    } cases[] = {
        {"real method lines", "[MS]\r\nPolarity=0\r\nPolarity 2=0\r\nPolarity 3=0\r\nPolarity 4=0\r\n", {P, P, P, P}},
        {"file 3 negative", "Polarity=0\nPolarity 2=0\nPolarity 3=1\nPolarity 4=0\n", {P, P, N, P}},
        {"an unknown value is skipped", "Polarity=2\nPolarity=1\n", {N, U, U, U}},
        {"the first deciding line wins", "Polarity=1\nPolarity=0\n", {N, U, U, U}},
        {"no line end at the end", "Polarity 4=1", {U, U, U, N}},
        {"the key must start the line", " Polarity=1\nXPolarity 2=1\n", {U, U, U, U}},
        {"exact case", "polarity=1\nPOLARITY 2=1\n", {U, U, U, U}},
        {"nothing after the key", "Polarity=\nPolarity 2=\r\n", {U, U, U, U}},
        {"file 1 does not read file 2's key", "Polarity 2=1\n", {U, N, U, U}},
        {"a blank before the value", "Polarity= 1\n", {U, U, U, U}},
        // A line longer than 999 characters is one line: its tail is not
        // read as a line of its own.
        {"long line", longLine + "Polarity=1\nPolarity 2=1\n", {U, N, U, U}},
        {"empty method", "", {U, U, U, U}},
        {"binary bytes", std::string("\0\xff\nPolarity=1\0\n", 15), {N, U, U, U}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Polarities(c.text), c.want) << c.name;
}

TEST(AcquisitionPolarity, WhereTheMethodIsLookedFor)
{
    // Found without regard to case.
    EXPECT_EQ(Polarities("Polarity=1\n", "run.m/acq.ms"), (std::vector<FunctionPolarity>{N, U, U, U}));
    // Another method folder is not looked at.
    EXPECT_EQ(Polarities("Polarity=1\n", "ACQ.M/ACQ.MS"), (std::vector<FunctionPolarity>{U, U, U, U}));
    FunctionPolarity p = FunctionPolarityMixed;
    ReadAcquisitionPolarity(L"", 1, p);
    ReadAcquisitionPolarity(Wide(Join(ks::test::tempDir(), "missing.D")), 1, p);
    EXPECT_EQ(p, FunctionPolarityMixed);
    // A folder where the method file is expected is no method.
    const std::string folder = Folder("dirmethod.D");
    std::filesystem::create_directories(Join(folder, "RUN.M/ACQ.MS"));
    ReadAcquisitionPolarity(Wide(folder), 1, p);
    EXPECT_EQ(p, FunctionPolarityMixed);
}

TEST(AcquisitionPolarity, CarriedByFilesAndSpectra)
{
    const std::string folder = Folder("twofiles.D");
    MsdFile f;
    f.scans.push_back(MakeScan(1000, {{100, 10}}));
    f.runEndMs = 2000;
    for (const char* name : {"MSD1.MS", "MSD2.MS", "MSD3.MS"})
        ks::test::writeFile(Join(folder, name), BuildMsd(f));
    std::filesystem::create_directories(Join(folder, "RUN.M"));
    ks::test::writeFile(Join(folder, "RUN.M/ACQ.MS"), "Polarity=0\r\nPolarity 2=1\r\nPolarity 3=7\r\n");
    const FunctionPolarity want[] = {P, N, P};
    for (int n = 1; n <= 3; ++n) {
        CMSDFile msd;
        ASSERT_EQ(msd.Open(Wide(folder), n), S_OK);
        EXPECT_EQ(msd.Polarity(), want[n - 1]) << n;
        EXPECT_EQ(msd.Entries()[0].nPolarity, want[n - 1]) << n;
        CMassSpectrum s;
        ASSERT_TRUE(msd.ReadSpectrum(0, s));
        EXPECT_EQ(s.GetPolarity(), want[n - 1]) << n;
    }
    // Opened by its file path, no method is found: positive.
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(Join(folder, "MSD2.MS")), 1), S_OK);
    EXPECT_EQ(msd.Polarity(), P);
}
