// Built only for the thread check's own test: a QThread and the GUI thread both add to one
// counter with nothing ordering them, and the test passes when ThreadSanitizer, with the
// suppressions every test runs under, reports that race. A suppression that matches any report
// whose thread was started by Qt (as a whole library name does: QThread::start is in every such
// thread's creation stack) makes this test fail.
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace {

int sharedCount = 0;

// Kept out of line so that the report names it on both sides of the race.
__attribute__((noinline)) void addToSharedCount() {
    ++sharedCount;
}

TEST(RaceProbe, AQThreadAndTheGuiThreadRace) {
    const std::unique_ptr<QThread> thread(QThread::create(addToSharedCount));
    thread->start();
    // Started before this write and joined only after it: whichever of the two comes first in
    // time, neither happens before the other.
    addToSharedCount();
    ASSERT_TRUE(thread->wait());
    EXPECT_EQ(2, sharedCount);
}

}  // namespace
