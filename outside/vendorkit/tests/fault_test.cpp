// Fault injection of the vendor stand-ins: the environment's list, the
// manifest's records, the n-th call of an operation failing with its code
// while the counting goes on, and an unreadable list failing every call.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "vkfault.h"

using namespace vendorkit;

namespace {

const std::vector<std::string> kOps = {"Analysis.Open", "Spectrum.Data"};

// Sets KS_VENDORKIT_FAULTS for one scope.
struct FaultVariable {
    explicit FaultVariable(const char* text) { setenv(kFaultVariable, text, 1); }
    ~FaultVariable() { unsetenv(kFaultVariable); }
};

}  // namespace

TEST(FaultList, EntriesOfTheEnvironmentForm)
{
    std::vector<Fault> faults;
    ASSERT_TRUE(parseFaultList(" Spectrum.Data:2:E_OUTOFMEMORY, Analysis.Open:1:0x80070005;Spectrum.Data:5:-2147467259\n",
                               kOps, faults));
    ASSERT_EQ(faults.size(), 3u);
    EXPECT_EQ(faults[0].operation, "Spectrum.Data");
    EXPECT_EQ(faults[0].call, 2);
    EXPECT_EQ(faults[0].result, E_OUTOFMEMORY);
    EXPECT_EQ(faults[1].result, static_cast<HRESULT>(0x80070005));
    EXPECT_EQ(faults[2].result, E_FAIL);
    EXPECT_TRUE(parseFaultList("", kOps, faults));
    EXPECT_TRUE(faults.empty());

    const struct {
        const char* text;
        const char* why;
    } bad[] = {
        {"Spectrum.Data:2", "not OPERATION:CALL:CODE"},
        {"Spectrum.Close:1:E_FAIL", "unknown operation"},
        {"spectrum.data:1:E_FAIL", "unknown operation"},
        {"Spectrum.Data:0:E_FAIL", "counts from 1"},
        {"Spectrum.Data:x:E_FAIL", "counts from 1"},
        {"Spectrum.Data:1:S_OK", "no failure code"},
        {"Spectrum.Data:1:E_FAIL:3", "no failure code"},
        {"Analysis.Open:1:E_FAIL,Spectrum.Data:1:", "no failure code"},
    };
    for (const auto& b : bad) {
        std::string why;
        faults = {Fault{}};
        EXPECT_FALSE(parseFaultList(b.text, kOps, faults, &why)) << b.text;
        EXPECT_NE(why.find(b.why), std::string::npos) << b.text << ": " << why;
        EXPECT_EQ(faults.size(), 1u) << "left as it was";
    }
}

TEST(FaultPlanCalls, NthCallFailsAndCountingGoesOn)
{
    const FaultVariable variable("Spectrum.Data:2:E_OUTOFMEMORY Spectrum.Data:4:E_FAIL");
    FaultPlan plan(kOps);
    EXPECT_FALSE(plan.broken());
    const HRESULT expected[] = {S_OK, E_OUTOFMEMORY, S_OK, E_FAIL, S_OK};
    for (HRESULT hr : expected)
        EXPECT_EQ(plan.call("Spectrum.Data"), hr);
    EXPECT_EQ(plan.calls("Spectrum.Data"), 5);
    EXPECT_EQ(plan.call("Analysis.Open"), S_OK);
    EXPECT_EQ(plan.call("Analysis.Close"), E_UNEXPECTED);
    EXPECT_EQ(plan.calls("Analysis.Close"), 0);

    // Manifest faults count from the plan's creation too, and a new
    // manifest replaces them; the environment's entry answers first.
    plan.setManifestFaults({{"Analysis.Open", 2, E_ACCESSDENIED}, {"Spectrum.Data", 6, E_POINTER}});
    EXPECT_EQ(plan.call("Analysis.Open"), E_ACCESSDENIED);
    plan.setManifestFaults({{"Spectrum.Data", 7, E_ABORT}});
    EXPECT_EQ(plan.call("Spectrum.Data"), S_OK);  // the 6th
    EXPECT_EQ(plan.call("Spectrum.Data"), E_ABORT);

    // The variable is read when a plan is made.
    unsetenv(kFaultVariable);
    FaultPlan fresh(kOps);
    EXPECT_EQ(fresh.call("Spectrum.Data"), S_OK);
    EXPECT_EQ(fresh.call("Spectrum.Data"), S_OK);
}

TEST(FaultPlanCalls, UnreadableVariableFailsEveryCall)
{
    const FaultVariable variable("Spectrum.Data:two:E_FAIL");
    FaultPlan plan(kOps);
    EXPECT_TRUE(plan.broken());
    EXPECT_NE(plan.brokenReason().find("KS_VENDORKIT_FAULTS: \"Spectrum.Data:two:E_FAIL\""), std::string::npos)
        << plan.brokenReason();
    EXPECT_EQ(plan.call("Analysis.Open"), E_FAIL);
    EXPECT_EQ(plan.call("Spectrum.Data"), E_FAIL);
}

TEST(FaultPlanCalls, FaultsOfAManifest)
{
    Schema schema;
    schema.withFaults(kOps);
    Manifest m;
    const ParseStatus s = readManifest("magic\n[fault]\noperation Spectrum.Data\ncall 3\nresult DISP_E_BADINDEX\n"
                                       "[fault]\nresult 0x8000FFFF\ncall 1\noperation Analysis.Open\n[end]\n",
                                       "magic", schema, m);
    ASSERT_TRUE(s.ok) << s.message();
    const std::vector<Fault> faults = manifestFaults(m);
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0].operation, "Spectrum.Data");
    EXPECT_EQ(faults[0].call, 3);
    EXPECT_EQ(faults[0].result, DISP_E_BADINDEX);
    EXPECT_EQ(faults[1].operation, "Analysis.Open");
    EXPECT_EQ(faults[1].result, E_UNEXPECTED);
}
