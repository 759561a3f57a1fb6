// The generated-run description: what it accepts, what it refuses (with the
// line and reason), and the spectra it computes.
#include <gtest/gtest.h>

#include <cmath>

#include "runformat.h"

namespace {

using tindrelrun::ParseError;
using RunDescription = tindrelrun::Run;

const std::string kHead = "kestrom-run 1\ninjection\n";

TEST(TindrelRunFormat, Accepts)
{
    RunDescription run;
    ParseError error;
    const std::string text =
        "kestrom-run 1\r\n"
        "# comment\r\n"
        "\r\n"
        "run seed=42\r\n"
        "injection name=\"First injection\"\r\n"
        "  function name=\"MS 2\" type=4 polarity=2 scans=3 start=1 step=0.5 profile=0.5 low=100 high=110 fwhm=0.2\r\n"
        "compound function=1 apex=1.5 width=0.2 height=100 peaks=105:100,107.5:50\r\n"
        "trace points=5 peaks=1:0.1:10\r\n"
        "injection\r\n"
        "function scans=1 claimed=2147483647\r\n"
        "compound function=1 apex=0 width=1 height=10 cluster=500.2/2:100,50\r\n";
    ASSERT_TRUE(tindrelrun::parseRun(text, run, error)) << error.line << ": " << error.reason;
    EXPECT_EQ(run.seed, 42u);
    ASSERT_EQ(run.injections.size(), 2u);
    EXPECT_EQ(run.injections[0].name, L"First injection");
    EXPECT_EQ(run.injections[1].name, L"Injection 2");
    const auto& f = run.injections[0].functions[0];
    EXPECT_EQ(f.name, L"MS 2");
    EXPECT_EQ(f.type, 4);
    EXPECT_EQ(f.order, 2);      // zoom MSn
    EXPECT_EQ(f.msmsType, 2);
    EXPECT_TRUE(f.profile);
    EXPECT_EQ(f.profilePoints(), 21);
    EXPECT_EQ(f.reportedScans(), 3);  // no claim: the scans
    EXPECT_EQ(run.injections[1].functions[0].reportedScans(), 2147483647);
    EXPECT_EQ(run.injections[0].traces[0].name, L"Trace 1");
    const auto& cluster = run.injections[1].functions[0].compounds[0].peaks;
    ASSERT_EQ(cluster.size(), 2u);
    EXPECT_NEAR(cluster[1].first - cluster[0].first, 1.003355 / 2, 1e-12);

    // Profile spectra: Gaussian lines on the axis.
    std::vector<double> mz, y;
    tindrelrun::computeSpectrum(run, 0, 0, 1, mz, y);
    ASSERT_EQ(mz.size(), 21u);
    EXPECT_DOUBLE_EQ(mz[10], 105);
    EXPECT_NEAR(y[10], 100, 1e-9);           // the apex scan, the first line's centre
    EXPECT_NEAR(y[15], 50, 1e-9);            // 107.5
    EXPECT_NEAR(y[11], 100 * std::exp(-4 * std::log(2.0) * 0.25 / 0.04), 1e-9);
}

TEST(TindrelRunFormat, SpectraAreDeterministic)
{
    RunDescription run;
    ParseError error;
    ASSERT_TRUE(tindrelrun::parseRun(kHead + "function scans=10 noise=100 noisepeaks=30\n"
                                             "compound function=1 apex=0.05 width=0.02 height=1000 peaks=300:100\n",
                                     run, error));
    std::vector<double> a, ay, b, by, c, cy;
    tindrelrun::computeSpectrum(run, 0, 0, 5, a, ay);
    tindrelrun::computeSpectrum(run, 0, 0, 5, b, by);
    tindrelrun::computeSpectrum(run, 0, 0, 6, c, cy);
    EXPECT_EQ(a, b);
    EXPECT_EQ(ay, by);
    EXPECT_NE(a, c);
    EXPECT_TRUE(std::is_sorted(a.begin(), a.end()));
    EXPECT_LE(a.size(), 31u);
    for (size_t k = 0; k < a.size(); ++k) {
        if (a[k] == 300) {
            EXPECT_NEAR(ay[k], 1000, 100);
        }
    }
}

TEST(TindrelRunFormat, Refuses)
{
    struct Case {
        const char* name;
        std::string text;
        int line;
        const char* reason;  // start of the reason
    };
    const Case cases[] = {
        {"empty", "", 1, "not a run"},
        {"other first line", "kestrom-run 2\n", 1, "not a run"},
        {"no injection", "kestrom-run 1\n# nothing\n", 0, "no injection"},
        {"function first", "kestrom-run 1\nfunction scans=1\n", 2, "function before"},
        {"unknown keyword", kHead + "spectrum\n", 3, "unknown keyword"},
        {"unknown key", kHead + "function scans=1 colour=red\n", 3, "unknown key colour"},
        {"missing scans", kHead + "function type=1\n", 3, "missing scans"},
        {"zero scans", kHead + "function scans=0\n", 3, "bad scans"},
        {"huge scans", kHead + "function scans=99999999999\n", 3, "bad scans"},
        {"negative claim", kHead + "function scans=1 claimed=-1\n", 3, "bad claimed"},
        {"claim beyond 32 bits", kHead + "function scans=1 claimed=2147483648\n", 3, "bad claimed"},
        {"non-numeric step", kHead + "function scans=2 step=fast\n", 3, "bad step"},
        {"NaN start", kHead + "function scans=2 start=nan\n", 3, "bad start"},
        {"zero step", kHead + "function scans=2 step=0\n", 3, "bad step"},
        {"type outside the enum", kHead + "function scans=2 type=7\n", 3, "bad type"},
        {"low above high", kHead + "function scans=2 low=500 high=100\n", 3, "low must"},
        {"too many profile points", kHead + "function scans=2 profile=0.00001 low=0 high=1000\n", 3, "too many"},
        {"repeated key", kHead + "function scans=2 scans=3\n", 3, "repeated key"},
        {"not key=value", kHead + "function scans\n", 3, "\"scans\" is not"},
        {"unterminated quote", kHead + "injection name=\"open\n", 3, "unterminated"},
        {"compound of no function", kHead + "compound function=1 apex=1 width=1 height=1 peaks=1:1\n", 3,
         "bad function"},
        {"compound without peaks", kHead + "function scans=1\ncompound function=1 apex=1 width=1 height=1\n", 4,
         "a compound needs"},
        {"compound with both", kHead + "function scans=1\ncompound function=1 apex=1 width=1 height=1 peaks=1:1 "
                                       "cluster=1/1:1\n",
         4, "a compound needs"},
        {"bad peak list", kHead + "function scans=1\ncompound function=1 apex=1 width=1 height=1 peaks=1:1,x\n", 4,
         "bad peaks"},
        {"cluster charge 0", kHead + "function scans=1\ncompound function=1 apex=1 width=1 height=1 cluster=5/0:1\n",
         4, "bad cluster"},
        {"negative width", kHead + "function scans=1\ncompound function=1 apex=1 width=-1 height=1 peaks=1:1\n", 4,
         "bad width"},
        {"trace without points", kHead + "trace start=0\n", 3, "missing points"},
        {"trace peak cut short", kHead + "trace points=3 peaks=1:2\n", 3, "bad peaks"},
        {"line too long", kHead + "# " + std::string(70000, 'x') + "\n", 3, "line too long"},
    };
    for (const Case& c : cases) {
        RunDescription run;
        ParseError error;
        EXPECT_FALSE(tindrelrun::parseRun(c.text, run, error)) << c.name;
        EXPECT_EQ(error.line, c.line) << c.name;
        EXPECT_EQ(error.reason.rfind(c.reason, 0), 0u) << c.name << ": " << error.reason;
        EXPECT_TRUE(run.injections.empty()) << c.name;
    }
}

}  // namespace
