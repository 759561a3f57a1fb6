#include "kstest.h"
#include "kstestqt.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// Qt's offscreen platform plug-in keeps its screen until process exit.
// Test discovery runs without cmake/lsan.supp, so every Qt test program
// carries the suppression itself.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\n";
}

namespace {

// Ends the modal answers of each test case before its folder goes.
class ModalAnswerListener : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { ks::test::finishModalAnswers(); }
};

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    ks::test::installTempDirListener();
    // Appended after the folder listener, so its OnTestEnd runs first.
    ::testing::UnitTest::GetInstance()->listeners().Append(new ModalAnswerListener);
    return RUN_ALL_TESTS();
}
