#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    zqtest::enterScratchFolder();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    zqtest::removeScratchFolder();
    return result;
}
