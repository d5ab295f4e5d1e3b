#include "classification/JxExCancel.h"
#include "classification/StripDispenser.h"
#include "classification/WorkerGroup.h"

#include "IiUI.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

using namespace classification;

namespace {

class Recorder : public Corvel::utility::IiUI {
public:
    std::vector<float> fractions;
    void progress(float fraction, const std::string&) override { fractions.push_back(fraction); }
};

std::pair<int, int> pointOf(const IntPoint& point) { return {point[0], point[1]}; }

}  // namespace

TEST(StripDispenser, HandsOutStripsOf64RowsWithoutTheBoxsLastRowAndColumn) {
    StripDispenser dispenser;
    Recorder recorder;
    dispenser.reset(IntPoint(10, 3), IntPoint(159, 20), ProgressRange(&recorder, 0.0f, 1.0f));
    std::vector<Strip> strips;
    for (Strip strip = dispenser.next(); !strip.isNone(); strip = dispenser.next())
        strips.push_back(strip);
    ASSERT_EQ(strips.size(), 3u);
    EXPECT_EQ(pointOf(strips[0].lo), std::make_pair(10, 3));
    EXPECT_EQ(pointOf(strips[0].hi), std::make_pair(74, 20));
    EXPECT_EQ(pointOf(strips[1].lo), std::make_pair(74, 3));
    EXPECT_EQ(pointOf(strips[1].hi), std::make_pair(138, 20));
    EXPECT_EQ(pointOf(strips[2].lo), std::make_pair(138, 3));
    EXPECT_EQ(pointOf(strips[2].hi), std::make_pair(159, 20));   // rows 138 ... 158, columns 3 ... 19
    // Reported before each strip: the share of rows handed out so far.
    ASSERT_EQ(recorder.fractions.size(), 3u);
    EXPECT_FLOAT_EQ(recorder.fractions[0], 0.0f);
    EXPECT_FLOAT_EQ(recorder.fractions[1], 1.0f - 85.0f / 149.0f);
    EXPECT_FLOAT_EQ(recorder.fractions[2], 1.0f - 21.0f / 149.0f);

    // A box of one row: one strip with no rows in it, reported as done.
    recorder.fractions.clear();
    dispenser.reset(IntPoint(0, 0), IntPoint(0, 9), ProgressRange(&recorder, 0.0f, 1.0f));
    const Strip only = dispenser.next();
    EXPECT_FALSE(only.isNone());
    EXPECT_EQ(only.lo[0], only.hi[0]);
    EXPECT_TRUE(dispenser.next().isNone());
    EXPECT_EQ(recorder.fractions, std::vector<float>{1.0f});
}

TEST(WorkerOutcome, CancellationWinsThenMemoryExhaustionThenTheFailureText) {
    WorkerOutcome outcome;
    EXPECT_NO_THROW(outcome.throwIfStopped());

    outcome.markFailed(std::make_exception_ptr(std::runtime_error("first")));
    outcome.markFailed(std::make_exception_ptr(std::bad_alloc()));
    try {
        outcome.throwIfStopped();
        ADD_FAILURE() << "no exception";
    } catch (const char* text) {
        EXPECT_STREQ(text, "Unhandled exception in worker thread.");
    }
    outcome.markCancelled();
    EXPECT_THROW(outcome.throwIfStopped(), JxExCancel);

    outcome.reset();
    EXPECT_FALSE(outcome.stopped());
    outcome.markFailed(std::make_exception_ptr(std::bad_alloc()));
    EXPECT_TRUE(outcome.stopped());
    EXPECT_THROW(outcome.throwIfStopped(), std::bad_alloc);

    // A stop request stops workers but is no outcome of theirs.
    outcome.reset();
    outcome.requestStop();
    EXPECT_TRUE(outcome.stopped());
    EXPECT_NO_THROW(outcome.throwIfStopped());
}

TEST(WorkerGroup, WorkerExceptionsAreKeptNotLetOutOfTheThread) {
    WorkerOutcome outcome;
    {
        WorkerGroup workers(outcome, 3);
        workers.start([] { throw std::bad_alloc(); });
        workers.start([] { throw JxExCancel(); });
        workers.start([] {});
        workers.join();
    }
    EXPECT_THROW(outcome.throwIfStopped(), JxExCancel);
}

TEST(WorkerGroup, LeavingWithAnExceptionStopsAndJoinsTheStartedWorkers) {
    WorkerOutcome outcome;
    std::atomic<int> finished{0};
    auto waitForStop = [&] {
        while (!outcome.stopped())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++finished;
    };
    try {
        WorkerGroup workers(outcome, 2);
        workers.start(waitForStop);
        workers.start(waitForStop);
        throw std::runtime_error("refused");   // as a refused thread or a first-strip cancel
    } catch (const std::runtime_error&) {
    }
    // Both workers saw the stop request and ended before the group went away.
    EXPECT_EQ(finished.load(), 2);
    EXPECT_NO_THROW(outcome.throwIfStopped());
}

TEST(WorkerThreadCount, AtLeastOneWorker) {
    EXPECT_GE(workerThreadCount(0), 1u);
    EXPECT_EQ(workerThreadCount(8), 8u);
}
