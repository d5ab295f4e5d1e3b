#include "support/TestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

// Widget tests need one QApplication for the whole process, built after the scratch folder
// is in place so that QSettings and QDir::tempPath() see it.
int main(int argc, char** argv) {
    zqtest::enterScratchFolder();
    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    zqtest::removeScratchFolder();
    return result;
}
