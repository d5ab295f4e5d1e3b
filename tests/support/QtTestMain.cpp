#include "support/TestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

// Qt 5.15's offscreen platform plug-in never frees its screen and cursor. Qt is built without
// frame pointers, so the recorded stacks stop at the first Qt frame: these name those frames.
// Built into the program (not only in CTest's LSAN_OPTIONS) so that test discovery, which runs
// without that environment, passes too. No line may name a frame that our own objects pass
// through (QObject::QObject did): a suppressed block counts as reachable, and what it points to
// (a QObject's private part points back to the object) would never be reported.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libqoffscreen\n"
           "leak:QScreen::QScreen\n"
           "leak:QPlatformScreen::QPlatformScreen\n"
           "leak:QWindowSystemInterface::handleScreenAdded\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n";
}

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
