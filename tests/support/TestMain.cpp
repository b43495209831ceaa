// Runs every test in its own empty temporary working directory, because Kelu addresses all of
// its files relative to the working directory.

#include "TestDir.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new testsupport::CTempDirListener);
    return RUN_ALL_TESTS();
}
