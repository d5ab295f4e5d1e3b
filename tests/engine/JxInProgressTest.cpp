#include "classification/JxInProgress.h"

#include "classification/JxExCancel.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <optional>

using enginetest::ManualClock;
using enginetest::ProgressLog;
using std::chrono::microseconds;
using std::chrono::milliseconds;

namespace {

class JxInProgressTest : public ::testing::Test {
protected:
    void SetUp() override { ProgressLog::reset(); }
    void TearDown() override { ProgressLog::reset(); }

    ManualClock clock;
};

}  // namespace

TEST_F(JxInProgressTest, DeliversAtMostEveryTenthOfASecondAndAlwaysCompletion) {
    {
        JxInProgress reporter(&ProgressLog::record, 0, "Select", true);
        reporter.progress(0.1f, "");                 // as old as the reporter: held back
        clock.advance(milliseconds(100));
        reporter.progress(0.2f, "");                 // exactly 0.1 s: still held back
        clock.advance(microseconds(1));
        reporter.progress(0.3f, "");                 // delivered
        reporter.progress(0.4f, "");                 // too soon after it
        clock.advance(milliseconds(50));
        reporter.progress(0.5f, "");                 // 50 ms after the last delivery
        reporter.progress(1.0f, "");                 // completion is never held back
        EXPECT_EQ(ProgressLog::percents, (std::vector<int>{30, 100}));
        EXPECT_EQ(ProgressLog::userData, (std::vector<int>{0, 0}));
    }
    EXPECT_EQ(ProgressLog::percents.size(), 2u) << "completion was already reported";
}

TEST_F(JxInProgressTest, ThrottlingCountsFromTheLastDeliveryNotTheLastReport) {
    JxInProgress reporter(&ProgressLog::record, 0, "Select", true);
    for (int step = 1; step <= 12; ++step) {   // a report every 30 ms for 360 ms
        clock.advance(milliseconds(30));
        reporter.progress(step / 100.0f, "");
    }
    // Deliveries at 120, 240 and 360 ms: the first instant more than 0.1 s after the last one.
    EXPECT_EQ(ProgressLog::percents, (std::vector<int>{4, 8, 12}));
    reporter.deactivate();
}

TEST_F(JxInProgressTest, PercentIsTheClampedFractionTruncated) {
    const float infinity = std::numeric_limits<float>::infinity();
    struct Case { float fraction; int percent; };
    const Case cases[] = {
        {0.0f, 0}, {0.5f, 50}, {0.999f, 99}, {0.07f, 7}, {1.0f, 100},
        // Out of range: clamped, where a plain conversion would wrap (2.6 -> 260 -> 4).
        {2.6f, 100}, {1.0001f, 100}, {-0.5f, 0}, {infinity, 100}, {-infinity, 0},
        {std::nanf(""), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fraction);
        EXPECT_EQ(JxInProgress::percentOf(c.fraction), c.percent);
        ProgressLog::reset();
        {
            JxInProgress reporter(&ProgressLog::record, 0, "Analyse Image", false);
            clock.advance(milliseconds(101));
            reporter.progress(c.fraction, "");
            reporter.deactivate();
        }
        ASSERT_EQ(ProgressLog::percents.size(), 1u);
        EXPECT_EQ(ProgressLog::percents[0], c.percent);
    }
}

TEST_F(JxInProgressTest, CancelRequestThrowsOnceAndOnlyWhenDelivered) {
    ProgressLog::answer = JxInProgress::cancelRequest;
    {
        JxInProgress reporter(&ProgressLog::record, 0, "Select", true);
        EXPECT_NO_THROW(reporter.progress(0.1f, "")) << "a held-back report never cancels";
        clock.advance(milliseconds(101));
        EXPECT_THROW(reporter.progress(0.2f, ""), JxExCancel);
        EXPECT_TRUE(reporter.cancelled());
        EXPECT_FALSE(reporter.cancellable());
        clock.advance(milliseconds(101));
        EXPECT_NO_THROW(reporter.progress(0.3f, ""));
        EXPECT_NO_THROW(reporter.progress(1.0f, ""));
    }
    EXPECT_EQ(ProgressLog::percents, (std::vector<int>{20, 30, 100}));
}

TEST_F(JxInProgressTest, CancelRequestIsIgnoredByANonCancellableReporter) {
    ProgressLog::answer = JxInProgress::cancelRequest;
    JxInProgress reporter(&ProgressLog::record, 0, "Undo", false);
    clock.advance(milliseconds(101));
    EXPECT_NO_THROW(reporter.progress(0.5f, ""));
    EXPECT_NO_THROW(reporter.progress(1.0f, ""));
    EXPECT_FALSE(reporter.cancelled());
}

TEST_F(JxInProgressTest, DestructionReportsCompletionOnlyForAnUnfinishedOperation) {
    struct Case { const char* name; std::optional<float> last; bool cancel; bool deactivate;
                  std::vector<int> expected; };
    const Case cases[] = {
        {"never reported", std::nullopt, false, false, {100}},
        {"ended at 0.4", 0.4f, false, false, {40, 100}},
        {"finished", 1.0f, false, false, {100}},
        {"cancelled", 0.4f, true, false, {40}},
        {"deactivated", 0.4f, false, true, {40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgressLog::reset();
        ProgressLog::answer = c.cancel ? JxInProgress::cancelRequest : 0;
        {
            JxInProgress reporter(&ProgressLog::record, 0, "Select", true);
            if (c.last) {
                clock.advance(milliseconds(101));
                try {
                    reporter.progress(*c.last, "");
                } catch (const JxExCancel&) {
                }
            }
            if (c.deactivate)
                reporter.deactivate();
        }
        EXPECT_EQ(ProgressLog::percents, c.expected);
    }
}

TEST_F(JxInProgressTest, RestartMakesTheReporterFreshAndNotCancellable) {
    JxInProgress reporter(&ProgressLog::record, 0, "Begin Session", true);
    clock.advance(milliseconds(101));
    reporter.progress(0.6f, "");
    reporter.restart();
    EXPECT_EQ(reporter.lastFraction(), 0.0f);
    EXPECT_STREQ(reporter.label(), "");
    reporter.progress(0.7f, "");   // the restart counts as the last delivery
    ProgressLog::answer = JxInProgress::cancelRequest;
    clock.advance(milliseconds(101));
    EXPECT_NO_THROW(reporter.progress(0.8f, ""));
    EXPECT_EQ(ProgressLog::percents, (std::vector<int>{60, 80}));
    reporter.deactivate();
}

TEST_F(JxInProgressTest, ACallbackExceptionPassesThroughAndNeverLeavesTheDestructor) {
    ProgressLog::throwOnCall = true;
    {
        JxInProgress reporter(&ProgressLog::record, 0, "Select", true);
        clock.advance(milliseconds(101));
        EXPECT_THROW(reporter.progress(0.5f, ""), std::runtime_error);
        EXPECT_FALSE(reporter.cancelled());
    }   // the completion report throws too, and is swallowed
    EXPECT_EQ(ProgressLog::percents, (std::vector<int>{50, 100}));
}

TEST_F(JxInProgressTest, WithoutCallbackReportsOnlyUpdateTheReporter) {
    JxInProgress reporter(nullptr, 0, "Scale Image", true);
    clock.advance(milliseconds(101));
    reporter.progress(0.25f, "");
    reporter.progress(1.0f, "");
    EXPECT_EQ(reporter.lastFraction(), 1.0f);
    EXPECT_TRUE(ProgressLog::percents.empty());
}
