#include "kstest.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ks::test::installTempDirListener();
    return RUN_ALL_TESTS();
}
