#include "SegmentationFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>

using namespace classification;
using segtest::RecordingUI;
using segtest::sameArray;

namespace {

const char* const peaksLabel = "Watershed first";
const char* const gradientLabel = "After array creation";

AnalysisImage twoHalves() {
    return segtest::imageOf(IntBox(0, 0, 7, 7), [](int, int y) { return y < 4 ? 0 : 200; });
}

bool isDefault(const SegmentInfo& s) {
    const SegmentInfo d;
    return s.colourBits == d.colourBits && s.featureTol == d.featureTol && s.imageTol == d.imageTol &&
           s.interpolation == d.interpolation && s.resolution == d.resolution &&
           s.overlap == d.overlap && s.settingsStamp == d.settingsStamp &&
           s.inFocusEdgeWidth == d.inFocusEdgeWidth;
}

bool allDefault(const Segmentation& segmentation) {
    for (const SegmentInfo& slot : segmentation.stageSettings)
        if (!isDefault(slot))
            return false;
    return true;
}

class SegmentationPipeline : public ::testing::Test {
protected:
    SegmentationPipeline() {
        segmentation.setAnalysisImage(twoHalves());
        segmentation.currentSettings.settingsStamp = 4;
    }

    /// Runs the pipeline over the whole scale and returns its result; `ui` records it.
    bool run() {
        ui.clear();
        return segmentation.runSegmentation(ProgressRange(&ui, 0.0f, 1.0f));
    }

    Segmentation segmentation;
    RecordingUI ui;
};

}  // namespace

TEST_F(SegmentationPipeline, FirstRunComputesEveryStageOnItsShareOfTheRange) {
    EXPECT_TRUE(run());
    EXPECT_EQ(ui.countMessages(peaksLabel), 6);
    EXPECT_EQ(ui.countMessages(gradientLabel), 1);
    EXPECT_EQ(segmentation.segmentCount(), 3);
    for (const auto& report : ui.reports()) {
        if (report.message.find(gradientLabel) != std::string::npos) {
            EXPECT_NEAR(report.fraction, 0.3f, 1e-6f);   // 0.1 of 2/7 ... 3/7
        }
        EXPECT_LE(report.fraction, 1.0f);
    }
    // Channel 0's peaks report 0.25 of 1/7 ... 1/7 + 0.165 / 7.
    const auto reports = ui.reports();
    const auto first = std::find_if(reports.begin(), reports.end(), [](const RecordingUI::Report& r) {
        return r.message.find(peaksLabel) != std::string::npos;
    });
    ASSERT_NE(first, reports.end());
    EXPECT_NEAR(first->fraction, (1.0f + 0.25f * 0.165f) / 7.0f, 1e-6f);
    for (int slot = 0; slot < Segmentation::settingsSlots; ++slot)
        EXPECT_EQ(segmentation.stageSettings[slot].imageTol, segmentation.currentSettings.imageTol);
}

TEST_F(SegmentationPipeline, SecondRunWithTheSameSettingsRecomputesNothing) {
    ASSERT_TRUE(run());
    const EdgeMap edges = segmentation.edgeMap().copy();
    const blitz::Array<int, 2> labels = segmentation.segmentLabels().copy();
    EXPECT_FALSE(run());
    EXPECT_EQ(ui.countMessages(peaksLabel), 0);
    EXPECT_EQ(ui.countMessages(gradientLabel), 0);
    EXPECT_TRUE(sameArray(edges, segmentation.edgeMap()));
    EXPECT_TRUE(sameArray(labels, segmentation.segmentLabels()));
}

TEST_F(SegmentationPipeline, FeatureToleranceRerunsThePeaksAndEverythingAfterThem) {
    ASSERT_TRUE(run());
    segmentation.currentSettings.featureTol = 1.3f;
    EXPECT_FALSE(segmentation.updateCellHistograms(false, ProgressRange()));   // not its setting
    EXPECT_TRUE(run());
    EXPECT_EQ(ui.countMessages(peaksLabel), 6);
    EXPECT_EQ(ui.countMessages(gradientLabel), 1);
}

TEST_F(SegmentationPipeline, ImageToleranceRerunsOnlyTheWatershed) {
    ASSERT_TRUE(run());
    ASSERT_EQ(segmentation.segmentCount(), 3);
    segmentation.currentSettings.imageTol = 100.0f;
    EXPECT_TRUE(run());
    EXPECT_EQ(ui.countMessages(peaksLabel), 0);
    EXPECT_EQ(ui.countMessages(gradientLabel), 0);
    EXPECT_EQ(segmentation.segmentCount(), 2);
}

TEST_F(SegmentationPipeline, EdgeWidthRerunsTheWidthsAndTheWatershedButNotTheGradient) {
    ASSERT_TRUE(run());
    ASSERT_EQ(segmentation.edgeWidthPlane()(0, 0), 2);
    segmentation.currentSettings.inFocusEdgeWidth = 3;
    EXPECT_TRUE(run());
    EXPECT_EQ(ui.countMessages(gradientLabel), 0);
    EXPECT_EQ(segmentation.edgeWidthPlane()(5, 5), 3);
    EXPECT_EQ(segmentation.edgeMap()(0, 3)[1], 0);   // the gradient planes stay
}

TEST_F(SegmentationPipeline, NoChannelOnReportsTheEndAndRunsNothing) {
    segmentation.setSegmentationChannels(0);
    ui.clear();
    EXPECT_FALSE(segmentation.runSegmentation(ProgressRange(&ui, 0.3f, 0.9f)));
    const auto reports = ui.reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_FLOAT_EQ(reports[0].fraction, 0.9f);
    EXPECT_TRUE(allDefault(segmentation));
    EXPECT_EQ(segmentation.edgeMap().numElements(), 0);
}

TEST_F(SegmentationPipeline, ACancelledRunLeavesAnEmptyCacheSoTheNextRunRecomputes) {
    ASSERT_TRUE(run());
    segmentation.currentSettings.featureTol = 1.2f;
    ui.onReport = [](const RecordingUI::Report& report, int) {
        if (report.message.find(gradientLabel) != std::string::npos)
            throw JxExCancel();
    };
    EXPECT_THROW(run(), JxExCancel);
    EXPECT_TRUE(allDefault(segmentation));
    ui.onReport = nullptr;
    EXPECT_TRUE(run());
    EXPECT_EQ(ui.countMessages(gradientLabel), 1);
}

TEST_F(SegmentationPipeline, FailuresKeepTheirKindThroughThePipeline) {
    segmentation.setAnalysisImage(segtest::patternImage(200, 30));
    segmentation.setWorkerCount(4);
    for (segtest::Failure failure : {segtest::Failure::other, segtest::Failure::memory}) {
        // The third report: inside the cell histogram stage, while its threads run.
        ui.onReport = [failure](const RecordingUI::Report&, int index) {
            if (index == 2)
                segtest::raise(failure);
        };
        ui.clear();
        segtest::expectStageFailure(failure, [&] { run(); });
        EXPECT_TRUE(allDefault(segmentation));
    }
}

TEST_F(SegmentationPipeline, ABoxWithANegativeLowerCornerReadsOnlyItsOwnCells) {
    // Grid (-1, -1) to (1, 1): its corners are truncated toward zero, so the box's first
    // pixels lie before the centre of the grid's first cell and take that cell alone.
    segmentation.setAnalysisImage(
        segtest::imageOf(IntBox(-15, -15, 10, 10), [](int, int y) { return y < 0 ? 20 : 220; }));
    EXPECT_TRUE(run());
    EXPECT_GE(segmentation.segmentCount(), 3);
    const blitz::Array<int, 2>& labels = segmentation.segmentLabelsView();
    EXPECT_NE(labels(0, -15), labels(0, 10));
    EXPECT_EQ(segmentation.edgeWidthPlane()(-15, -15), 2);
}

TEST_F(SegmentationPipeline, WithoutAnImageItRefusesToRun) {
    Segmentation empty;
    EXPECT_THROW(empty.runSegmentation(ProgressRange()), std::logic_error);
}

TEST(SegmentationWorkers, TheReportsAreTheSameOnTheCallingThreadForAnyWorkerCount) {
    const AnalysisImage image = segtest::patternImage(230, 170);
    std::vector<float> alone;
    for (unsigned workers : {1u, 2u, 8u}) {
        SCOPED_TRACE(testing::Message() << workers << " workers");
        Segmentation segmentation;
        segmentation.setWorkerCount(workers);
        segmentation.setAnalysisImage(image);
        RecordingUI ui;
        ASSERT_TRUE(segmentation.runSegmentation(ProgressRange(&ui, 0.0f, 1.0f)));
        std::vector<float> fractions;
        for (const RecordingUI::Report& report : ui.reports()) {
            EXPECT_TRUE(report.onCallingThread) << report.fraction << " " << report.message;
            fractions.push_back(report.fraction);
        }
        if (workers == 1)
            alone = fractions;
        EXPECT_EQ(fractions, alone);
    }
    EXPECT_GT(alone.size(), 10u);
}

TEST(SegmentationWorkers, OneAndEightWorkersSegmentAlike) {
    const AnalysisImage image = segtest::patternImage(230, 170);
    Segmentation single;
    Segmentation eight;
    single.setWorkerCount(1);
    eight.setWorkerCount(8);
    for (Segmentation* s : {&single, &eight}) {
        s->setAnalysisImage(image);
        ASSERT_TRUE(s->runSegmentation(ProgressRange()));
    }
    EXPECT_EQ(single.gradientScale(), eight.gradientScale());
    EXPECT_TRUE(sameArray(single.edgeMap(), eight.edgeMap()));
    EXPECT_TRUE(sameArray(single.segmentLabels(), eight.segmentLabels()));
    EXPECT_EQ(single.segmentCount(), eight.segmentCount());
    EXPECT_GT(single.segmentCount(), 2);
    // Valley ratings never exceed shoulder ratings.
    for (auto pixel = single.edgeMap().begin(); pixel != single.edgeMap().end(); ++pixel)
        ASSERT_LE((*pixel)[1], (*pixel)[0]);
}
