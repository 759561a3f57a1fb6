// The version and configuration report, with or without the auxiliary
// library on the library path (two test programs from this file).
#include "dpitest.h"
#include "frame.h"

#include <gtest/gtest.h>

#include <string>

using namespace yarbex;
using yarbex::test::DpiFixture;

namespace {

// Test names must differ between the two programs.
#if YARBEX_EXPECT_WHIRLIX
class ConfigurationWithAux : public DpiFixture {};
#define CONFIGURATION_SUITE ConfigurationWithAux
#else
class ConfigurationWithoutAux : public DpiFixture {};
#define CONFIGURATION_SUITE ConfigurationWithoutAux
#endif

}  // namespace

TEST_F(CONFIGURATION_SUITE, VersionAndConfiguration)
{
    dllCommand(FrameDelete, nullptr);
    VersionRecord v{};
    dllCommand(FrameVersion, &v);
    dpi->parameters->slot[InDoubles].value = 18;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(-1, dpi), 0u);
    const std::string shown = testing::internal::GetCapturedStderr();
#if YARBEX_EXPECT_WHIRLIX
    const char* aux = "Whirlix stand-in 1.0";
#else
    const char* aux = "Can't access Whirlix";
#endif
    const std::string expected = std::string("DLL Version and Configuration: DLL frame\t1.2\nDataProc    \t2.2, Build 142\n"
                                             "Aux DLL     \t") +
                                 aux +
                                 "\n\nNoiseThresholdForPeakPicking\t7.00\nNoiseThresholdForPeakDisplay\t0.02\n"
                                 "LabileLinesLinewidthFactor      \t3.00\n";
    EXPECT_EQ(shown.substr(0, expected.size()), expected) << shown;
    dllCommand(FrameDelete, nullptr);
}
