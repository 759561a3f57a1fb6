// The frame's message boxes under a QApplication (offscreen).
#include "frame.h"
#include "modalhelper.h"

#include <gtest/gtest.h>

using namespace yarbex;
using yarbex::test::BoxAnswers;

namespace {

class FrameGuiTest : public ::testing::Test {
protected:
    void SetUp() override { dllCommand(FrameDelete, nullptr); }
    void TearDown() override { dllCommand(FrameDelete, nullptr); }
};

int32_t mapToAllocation(uint32_t)
{
    return 3;
}

int32_t mapToMinusOne(uint32_t)
{
    return -1;
}

uint32_t clearAtReport(uint32_t event, void* data)
{
    if (event == NotifyBeforeReport)
        *static_cast<uint32_t*>(data) = 0;
    return 0;
}

}  // namespace

TEST_F(FrameGuiTest, Command9ShowsCriticalBoxAndSetsBit31)
{
    BoxAnswers answer;
    answer.next(QMessageBox::Ok);
    uint32_t code = 21;
    EXPECT_EQ(dllCommand(FrameReport, &code), 0x80000000u | 21);
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].title, "VqDll");
    EXPECT_EQ(answer.seen()[0].text, "Illegal input data items type");
    EXPECT_EQ(answer.seen()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(answer.seen()[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);

    // Reported codes pass unchanged without a second box.
    code = 0x80000000u | 21;
    EXPECT_EQ(dllCommand(FrameReport, &code), 0x80000000u | 21);
    EXPECT_EQ(answer.seen().size(), 1u);
}

TEST_F(FrameGuiTest, TitleIsDataProcAfterInit)
{
    FrameInitRecord init{};
    ASSERT_EQ(dllCommand(FrameInit, &init), 0u);
    BoxAnswers answer;
    answer.next(QMessageBox::Cancel);
    uint32_t code = 0x40000003;
    EXPECT_EQ(dllCommand(FrameReport, &code), 0xC0000003u);
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].title, "DataProc");
    EXPECT_EQ(answer.seen()[0].text, "Allocation failure");
}

TEST_F(FrameGuiTest, ErrorMapAnswers)
{
    FrameInitRecord init{mapToAllocation, 0, nullptr, 0};
    ASSERT_EQ(dllCommand(FrameInit, &init), 0u);
    BoxAnswers answer;
    answer.next();
    uint32_t code = 21;
    EXPECT_EQ(dllCommand(FrameReport, &code), 0x80000003u);
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].text, "Allocation failure");

    FrameInitRecord quiet{mapToMinusOne, 0, nullptr, 0};
    ASSERT_EQ(dllCommand(FrameInit, &quiet), 0u);
    EXPECT_EQ(dllCommand(FrameReport, &code), 0xFFFFFFFFu);
    EXPECT_EQ(answer.seen().size(), 1u);
}

TEST_F(FrameGuiTest, NotifyClearingAtEvent3ShowsNoBox)
{
    FrameInitRecord init{nullptr, 0, clearAtReport, 0};
    ASSERT_EQ(dllCommand(FrameInit, &init), 0u);
    uint32_t code = 21;
    EXPECT_EQ(dllCommand(FrameReport, &code), 0u);  // a box would block here
}

TEST(ShowMessage, KindsButtonsAndAnswers)
{
    struct Case {
        uint32_t kind;
        QMessageBox::StandardButton press;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        int32_t result;
    } cases[] = {
        {0, QMessageBox::Ok, QMessageBox::Information, QMessageBox::Ok, 1},
        {1, QMessageBox::Ok, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel, 1},
        {1, QMessageBox::Cancel, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel, -1},
        {2, QMessageBox::Ok, QMessageBox::Critical, QMessageBox::Ok | QMessageBox::Cancel, 1},
        {3, QMessageBox::Yes, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, 1},
        {3, QMessageBox::No, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, 0},
        {4, QMessageBox::Cancel, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, -1},
        {4, QMessageBox::No, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, 0},
    };
    for (const Case& c : cases) {
        BoxAnswers answer;
        answer.next(c.press);
        EXPECT_EQ(showMessage(c.kind, "Text", "Title"), c.result) << c.kind;
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].title, "Title");
        EXPECT_EQ(answer.seen()[0].text, "Text");
        EXPECT_EQ(answer.seen()[0].icon, c.icon);
        EXPECT_EQ(answer.seen()[0].buttons, c.buttons);
    }
    BoxAnswers closer;
    closer.next(QMessageBox::NoButton);
    EXPECT_EQ(showMessage(3, nullptr, "T"), -1);  // closed: not answered
    ASSERT_EQ(closer.seen().size(), 1u);
    EXPECT_EQ(closer.seen()[0].text, "");
    EXPECT_EQ(showMessage(5, "x", "y"), 0);  // no box for an unknown kind
    EXPECT_EQ(closer.seen().size(), 1u);
}
