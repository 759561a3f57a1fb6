// The command frame without a QApplication: versions, message texts,
// reporting, callbacks. Boxes go to standard error here.
#include "frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace yarbex;

namespace {

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { dllCommand(FrameDelete, nullptr); }
    void TearDown() override { dllCommand(FrameDelete, nullptr); }

    static std::string text(uint32_t code)
    {
        ErrorTextRecord rec{};
        rec.code = code;
        std::memset(rec.text, 'x', sizeof rec.text);
        EXPECT_EQ(dllCommand(FrameErrorText, &rec), 0u);
        return rec.text;
    }
};

std::vector<uint32_t> g_events;
uint32_t g_lastCommand = 0;
uint32_t recordingNotify(uint32_t event, void* data)
{
    g_events.push_back(event);
    if (event == NotifyBeforeCommand || event == NotifyAfterCommand)
        g_lastCommand = uint32_t(static_cast<CommandRecord*>(data)->command);
    return 0;
}

uint32_t clearingNotify(uint32_t event, void* data)
{
    if (event == NotifyBeforeReport)
        *static_cast<uint32_t*>(data) = 0;
    return 0;
}

uint32_t echoNotify(uint32_t event, void* data)
{
    return data ? 0 : event * 10;
}

uint32_t g_mappedCode = 0;
int32_t minusOneMap(uint32_t code)
{
    g_mappedCode = code;
    return -1;
}

}  // namespace

TEST_F(FrameTest, NopAndDeleteCreateNoFrame)
{
    EXPECT_EQ(dllCommand(FrameNop, reinterpret_cast<void*>(0x1234)), 0u);
    EXPECT_EQ(DllFrame::instance(), nullptr);
    EXPECT_EQ(dllCommand(FrameDelete, nullptr), 0u);
    EXPECT_EQ(DllFrame::instance(), nullptr);
}

TEST_F(FrameTest, Versions)
{
    VersionRecord v{};
    EXPECT_EQ(dllCommand(FrameVersion, &v), 0u);
    EXPECT_EQ(v.version, 0x10002u);
    EXPECT_STREQ(v.text, "VqDLL 1.2");
    ASSERT_NE(DllFrame::instance(), nullptr);
    EXPECT_STREQ(DllFrame::instance()->name, "VqDll");

    VersionRecord m{};
    EXPECT_EQ(dllCommand(ModuleVersion, &m), 0u);
    EXPECT_EQ(m.version, 0x20000u);
    EXPECT_STREQ(m.text, "DataProc 2.2.142");
}

TEST_F(FrameTest, MessageLookup)
{
    struct Case {
        uint32_t code;
        const char* text;
    } cases[] = {
        {0, ""},
        {3, "Allocation failure"},
        {12, "Illegal mode"},
        {13, "?"},
        {15, "?"},
        {16, "Can't create DataProc interface"},
        {17, "Missing DPI structure"},
        {27, "Data size mismatch"},
        {28, "?"},
        {0x1234, "?"},
        {0x40000003, "Allocation failure"},
        {0x80000000u | 21, "Illegal input data items type"},
        {0x50000 | 17, ""},  // a foreign facility while the frame's is 0
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(c.code), c.text) << c.code;
}

TEST_F(FrameTest, FacilityOfInitIsMaskedAndMatchesOwnCodes)
{
    FrameInitRecord init{nullptr, 0xF0050123u, nullptr, 77};
    EXPECT_EQ(dllCommand(FrameInit, &init), 0u);
    DllFrame* f = DllFrame::instance();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->facility, 0x00050000u);
    EXPECT_STREQ(f->name, "DataProc");
    EXPECT_EQ(text(0x50000 | 17), "Missing DPI structure");
    EXPECT_EQ(text(0x60000 | 17), "");

    uint32_t host = 0;
    EXPECT_EQ(dllCommand(FrameHostValue, &host), 0u);
    EXPECT_EQ(host, 77u);
    DllFrame* address = nullptr;
    EXPECT_EQ(dllCommand(FrameAddress, &address), 0u);
    EXPECT_EQ(address, f);
}

TEST_F(FrameTest, ReportWithoutApplicationWritesStderrAndSetsBit31)
{
    uint32_t code = 21;
    testing::internal::CaptureStderr();
    const uint32_t r = dllCommand(FrameReport, &code);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(r, 0x80000000u | 21);
    EXPECT_NE(err.find("VqDll"), std::string::npos) << err;
    EXPECT_NE(err.find("Illegal input data items type"), std::string::npos) << err;

    // Already reported: passes unchanged, nothing shown.
    code = r;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(FrameReport, &code), r);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    code = 0x40000003;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(FrameReport, &code), 0xC0000003u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Allocation failure"), std::string::npos);
}

TEST_F(FrameTest, ErrorMapMinusOneSuppressesTheBox)
{
    FrameInitRecord init{minusOneMap, 0x00070000, nullptr, 0};
    ASSERT_EQ(dllCommand(FrameInit, &init), 0u);
    uint32_t code = 21;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(FrameReport, &code), 0xFFFFFFFFu);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(g_mappedCode, 0x00070000u | 21);
}

TEST_F(FrameTest, NotifyEventsAndClearingAtEvent3)
{
    g_events.clear();
    FrameInitRecord init{nullptr, 0, recordingNotify, 0};
    ASSERT_EQ(dllCommand(FrameInit, &init), 0u);
    // Command 6 itself was dispatched before the callback was set; it
    // notifies only the end.
    EXPECT_EQ(g_events, (std::vector<uint32_t>{2}));
    g_events.clear();

    uint32_t code = 5;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(FrameReport, &code), 0x80000005u);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(g_events, (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(g_lastCommand, uint32_t(FrameReport));

    FrameInitRecord clearing{nullptr, 0, clearingNotify, 0};
    ASSERT_EQ(dllCommand(FrameInit, &clearing), 0u);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(FrameReport, &code), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(FrameTest, Command10CallsNotifyWithTheEvent)
{
    uint32_t event = 4;
    EXPECT_EQ(dllCommand(FrameNotify, &event), 0u);  // no callback yet
    FrameInitRecord init{nullptr, 0, echoNotify, 0};
    ASSERT_EQ(dllCommand(FrameInit, &init), 0u);
    // The callback's answer (40) is a result like any other and is
    // reported: module message 40 - 16 does not exist.
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(FrameNotify, &event), 0x80000000u | 40);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("?"), std::string::npos);
}

TEST_F(FrameTest, DeleteDropsCallbacksAndName)
{
    FrameInitRecord init{minusOneMap, 0x10000, nullptr, 9};
    ASSERT_EQ(dllCommand(FrameInit, &init), 0u);
    EXPECT_EQ(dllCommand(FrameDelete, nullptr), 0u);
    EXPECT_EQ(DllFrame::instance(), nullptr);
    uint32_t host = 1;
    EXPECT_EQ(dllCommand(FrameHostValue, &host), 0u);
    EXPECT_EQ(host, 0u);
    EXPECT_STREQ(DllFrame::instance()->name, "VqDll");
    EXPECT_EQ(DllFrame::instance()->errorMap, nullptr);
}

TEST_F(FrameTest, NullArgumentsAreRefused)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(FrameVersion, nullptr), 0x80000000u | 11);
    EXPECT_EQ(dllCommand(FrameErrorText, nullptr), 0x80000000u | 11);
    EXPECT_EQ(dllCommand(FrameReport, nullptr), 0x80000000u | 10);
    // A module command without an instance.
    EXPECT_EQ(dllCommand(49, nullptr), 0x80000000u | 17);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Missing DPI structure"), std::string::npos);
}

TEST_F(FrameTest, ReportResultWithoutFrameKeepsTheFailure)
{
    EXPECT_EQ(DllFrame::instance(), nullptr);
    EXPECT_EQ(reportResult(21), 21u);
    EXPECT_EQ(reportResult(0), 0u);
}
