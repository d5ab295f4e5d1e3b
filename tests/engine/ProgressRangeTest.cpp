#include "classification/ProgressRange.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
struct Recorder : Corvel::utility::IiUI {
    std::vector<float> fractions;
    void progress(float fraction, const std::string&) override { fractions.push_back(fraction); }
};
}  // namespace

TEST(ProgressRange, ConstructionOnAReporterReportsZero) {
    Recorder recorder;
    ProgressRange whole(&recorder);
    ASSERT_EQ(recorder.fractions.size(), 1u);
    EXPECT_FLOAT_EQ(recorder.fractions[0], 0.0f);
}

TEST(ProgressRange, ReportAndSubRangeMapIntoTheParent) {
    Recorder recorder;
    ProgressRange range(&recorder, 0.2f, 0.6f);
    range.report(0.5f);
    ASSERT_EQ(recorder.fractions.size(), 1u);
    EXPECT_FLOAT_EQ(recorder.fractions[0], 0.4f);
    ProgressRange child = range.subRange(0.75f);
    EXPECT_EQ(recorder.fractions.size(), 1u);   // a sub-range reports only when used
    EXPECT_FLOAT_EQ(child.from, 0.4f);
    EXPECT_FLOAT_EQ(child.to, 0.5f);
    EXPECT_FLOAT_EQ(child.last, 0.0f);
    EXPECT_FLOAT_EQ(range.last, 0.75f);
    child.report(1.0f);
    EXPECT_FLOAT_EQ(recorder.fractions.back(), 0.5f);
}

TEST(ProgressRange, WithoutReporterNothingIsReported) {
    ProgressRange range(nullptr, 0.0f, 1.0f);
    range.report(0.5f);
    EXPECT_FLOAT_EQ(range.last, 0.5f);
}
