#include "SegmentationFixtures.h"

#include "watershed/BucketQueue.h"
#include "watershed/SegmentationWatershed.h"
#include "watershed/WatershedFlood.h"

#include <gtest/gtest.h>

#include <vector>

using namespace classification;

namespace {

/// Floods a one-row box (0, 0)-(0, 5) whose shoulder levels are all 100 and whose valley
/// levels are `valleys`; the margin is 0 and labelled 0. Returns the labels and the count.
std::pair<std::vector<int>, int> floodRow(const std::vector<int>& valleys, int penalty) {
    EdgeMap map(blitz::Range(-2, 2), blitz::Range(-2, 7));
    map = EdgeMapPixel(0, 0, 0);
    blitz::Array<std::int32_t, 2> labels(map.shape());
    labels.reindexSelf(map.base());
    labels = 0;
    for (int y = 0; y <= 5; ++y) {
        map(0, y) = EdgeMapPixel(100, static_cast<unsigned char>(valleys[static_cast<std::size_t>(y)]), 0);
        labels(0, y) = -1;
    }
    ClassAllocator allocator;
    allocator.allocate();   // the margin's label
    SegmentationWatershed graph(map, labels, IntBox(0, 0, 0, 5), penalty, allocator);
    WatershedFlood<SegmentationWatershed, BucketQueue<SegmentationWatershed::Node>>(graph).floodInner(ProgressRange());
    std::vector<int> row;
    for (int y = 0; y <= 5; ++y)
        row.push_back(labels(0, y));
    return {row, allocator.next};
}

void runThroughEdgeWidths(Segmentation& segmentation) {
    segmentation.updateCellHistograms(false, ProgressRange());
    segmentation.findHistogramPeaks(true, ProgressRange());
    segmentation.computeGradientMap(true, ProgressRange());
    segmentation.computeEdgeWidthMap(true, ProgressRange());
}

AnalysisImage twoHalves() {
    return segtest::imageOf(IntBox(0, 0, 7, 7), [](int, int y) { return y < 4 ? 0 : 200; });
}

}  // namespace

struct RowCase {
    const char* name;
    std::vector<int> valleys;
    int penalty;
    std::vector<int> labels;
    int count;
};

TEST(SegmentationWatershed, TwoLowValleyPixelsSeparateSegmentsUnlessThePenaltyBridgesThem) {
    const std::vector<RowCase> cases = {
        // Pixel 3 is reached from pixel 2 only at level 20, so the seed at pixel 3 (100)
        // starts a second segment first.
        {"low pair splits", {100, 100, 20, 20, 100, 100}, 0, {1, 1, 1, 2, 2, 2}, 3},
        // One low pixel does not: a step costs the higher of its two ends.
        {"one low pixel", {100, 100, 20, 100, 100, 100}, 0, {1, 1, 1, 1, 1, 1}, 2},
        // A penalty of 80 lifts the crossing to 100, level with the seeds.
        {"penalty bridges", {100, 100, 20, 20, 100, 100}, 80, {1, 1, 1, 1, 1, 1}, 2},
        {"negative penalty counts as none", {100, 100, 20, 20, 100, 100}, -50, {1, 1, 1, 2, 2, 2}, 3},
        {"huge penalty is capped at the top level", {0, 0, 0, 0, 0, 0}, 100000, {1, 1, 1, 1, 1, 1}, 2},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = floodRow(c.valleys, c.penalty);
        EXPECT_EQ(result.first, c.labels);
        EXPECT_EQ(result.second, c.count);
    }
}

TEST(SegmentWatershed, ImageToleranceOfOneOrLessSwitchesTheWatershedOff) {
    for (float tolerance : {1.0f, 0.5f}) {
        Segmentation segmentation;
        segmentation.setAnalysisImage(twoHalves());
        runThroughEdgeWidths(segmentation);
        segmentation.currentSettings.imageTol = 2.0f;
        ASSERT_TRUE(segmentation.segmentWatershed(true, ProgressRange()));
        ASSERT_GT(segmentation.segmentLabels().numElements(), 0);
        segmentation.currentSettings.imageTol = tolerance;
        EXPECT_TRUE(segmentation.segmentWatershed(true, ProgressRange()));
        EXPECT_EQ(segmentation.segmentLabels().numElements(), 0);
        EXPECT_EQ(segmentation.segmentLabelsView().numElements(), 0);
        EXPECT_EQ(segmentation.segmentCount(), -1);
    }
}

TEST(SegmentWatershed, TwoFlatHalvesAreTwoSegmentsUntilTheToleranceMergesThem) {
    // Valley levels are 0 on the two columns beside the edge, 255 elsewhere; the scale is
    // 255.99 / ln(2723 / 35), so tolerance 2 adds 40 to every step and 100 adds more than 255.
    Segmentation segmentation;
    segmentation.setAnalysisImage(twoHalves());
    runThroughEdgeWidths(segmentation);
    segmentation.currentSettings.imageTol = 2.0f;
    ASSERT_TRUE(segmentation.segmentWatershed(true, ProgressRange()));
    EXPECT_EQ(segmentation.segmentCount(), 3);
    const blitz::Array<int, 2>& labels = segmentation.segmentLabels();
    EXPECT_TRUE(boxEquals(IntBox::domainOf(labels), IntBox(-2, -2, 9, 9)));
    EXPECT_TRUE(boxEquals(IntBox::domainOf(segmentation.segmentLabelsView()), IntBox(0, 0, 7, 7)));
    for (int x = -2; x <= 9; ++x)
        for (int y = -2; y <= 9; ++y) {
            const bool inside = x >= 0 && x <= 7 && y >= 0 && y <= 7;
            EXPECT_EQ(labels(x, y), !inside ? 0 : (y < 4 ? 1 : 2)) << x << "," << y;
        }

    segmentation.currentSettings.imageTol = 100.0f;
    ASSERT_TRUE(segmentation.segmentWatershed(false, ProgressRange()));
    EXPECT_EQ(segmentation.segmentCount(), 2);
    EXPECT_TRUE(blitz::all(segmentation.segmentLabelsView() == 1));
}

TEST(SegmentWatershed, UniformImageIsOneSegment) {
    Segmentation segmentation;
    segmentation.setAnalysisImage(segtest::imageOf(IntBox(0, 0, 15, 15), [](int, int) { return 30; }));
    runThroughEdgeWidths(segmentation);
    ASSERT_TRUE(segmentation.segmentWatershed(true, ProgressRange()));
    EXPECT_EQ(segmentation.segmentCount(), 2);
    EXPECT_TRUE(blitz::all(segmentation.segmentLabelsView() == 1));
}

TEST(SegmentWatershed, SkipsUnlessChangedOrItsSettingsChanged) {
    Segmentation segmentation;
    segmentation.setAnalysisImage(twoHalves());
    runThroughEdgeWidths(segmentation);
    segmentation.segmentWatershed(true, ProgressRange());
    segmentation.storeStageSettings();
    EXPECT_FALSE(segmentation.segmentWatershed(false, ProgressRange()));
    segmentation.currentSettings.featureTol = 1.5f;   // not one of its settings
    EXPECT_FALSE(segmentation.segmentWatershed(false, ProgressRange()));
    segmentation.currentSettings.inFocusEdgeWidth = 3;
    EXPECT_TRUE(segmentation.segmentWatershed(false, ProgressRange()));
    segmentation.storeStageSettings();
    segmentation.currentSettings.imageTol = 1.5f;
    EXPECT_TRUE(segmentation.segmentWatershed(false, ProgressRange()));
}
