#include "SegmentationFixtures.h"

#include "classification/EdgeWidthMap.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace classification;
using segtest::RecordingUI;

namespace {

Histogram1D histogramWithShift(int shift) {
    Histogram1D h;
    h.setRange(0, 255, 8 - shift, shift);
    return h;
}

void runThroughGradient(Segmentation& segmentation) {
    segmentation.updateCellHistograms(false, ProgressRange());
    segmentation.findHistogramPeaks(true, ProgressRange());
    segmentation.computeGradientMap(true, ProgressRange());
}

/// Every element of channel 2 of the whole edge map, margin included.
bool widthEverywhere(const Segmentation& segmentation, int width) {
    const EdgeMap& map = segmentation.edgeMap();
    for (auto pixel = map.begin(); pixel != map.end(); ++pixel)
        if ((*pixel)[2] != width)
            return false;
    return true;
}

}  // namespace

TEST(EdgeWidthLimits, DefaultsAndClampedEdgeWidths) {
    const EdgeWidthLimits defaults(8, 1, 2);   // window of 24 pixels
    EXPECT_EQ(defaults.lower, 49152);
    EXPECT_EQ(defaults.upper, 196608);
    EXPECT_EQ(defaults.divisor, 169);

    // Edge widths outside 1 ... 32 are taken as the nearest end.
    EXPECT_EQ(EdgeWidthLimits(8, 1, 0).lower, 24576);
    EXPECT_EQ(EdgeWidthLimits(8, 1, -7).lower, 24576);
    EXPECT_EQ(EdgeWidthLimits(8, 1, 1000).upper, 4096 * 32 * 24);
    // A window so wide that 255 * 1024 * w leaves int32 still gives positive limits.
    const EdgeWidthLimits huge(100000, 1000, 2);
    EXPECT_GT(huge.lower, 0);
    EXPECT_GE(huge.upper, huge.lower);
    EXPECT_GT(huge.divisor, 0);
}

TEST(CellEdgeWidth, HumpDistancesWeightedByValleyDepth) {
    std::array<Histogram1D, 6> histograms;
    histograms.fill(histogramWithShift(0));
    std::array<PeakList, 6> lists;
    std::array<const Histogram1D*, 6> cell;
    std::array<const PeakList*, 6> peaks;
    for (int c = 0; c < 6; ++c) {
        cell[c] = &histograms[c];
        peaks[c] = &lists[c];
        lists[c].resize(2);
    }
    EdgeWidthLimits open(8, 1, 2);
    open.lower = 0;
    open.upper = 1000000;

    // No channel with two humps: the widest width.
    EXPECT_EQ(cellEdgeWidth(cell, peaks, open), 1000000);

    // One channel: distance 3 bins of 2 values, valley 4: sqrt(36 / (1 / 16)) = 24.
    histograms[2] = histogramWithShift(1);
    histograms[2].selectedPeak = 1;
    lists[2][1].shoulderDistance = 3;
    lists[2][1].valleyHeight = 4;
    EXPECT_EQ(cellEdgeWidth(cell, peaks, open), 24);

    // Two channels: (4^2 + 2^2) / (1 / 1 + 1 / 4) = 16, so 4: the deeper valley counts more.
    histograms[2] = histogramWithShift(0);
    lists[2][1].shoulderDistance = 4;
    lists[2][1].valleyHeight = 1;
    histograms[4].selectedPeak = 1;
    lists[4][1].shoulderDistance = 2;
    lists[4][1].valleyHeight = 2;
    EXPECT_EQ(cellEdgeWidth(cell, peaks, open), 4);

    // An empty valley counts as a valley of 1 instead of making the weight infinite.
    lists[4][1].valleyHeight = 0;
    EXPECT_EQ(cellEdgeWidth(cell, peaks, open), static_cast<int>(std::sqrt(20.0f / 2.0f)));

    EXPECT_EQ(cellEdgeWidth(cell, peaks, EdgeWidthLimits(8, 1, 2)), 49152);   // lower limit
}

TEST(ChamferLimit, WidthsRiseBy70PerAxialAnd99PerDiagonalStep) {
    // A 7 x 7 box of wide values with one narrow pixel in the middle.
    const IntBox box(0, 0, 6, 6);
    blitz::Array<std::int32_t, 2> widths(blitz::Range(-1, 7), blitz::Range(-1, 7));
    widths = 10000;
    widths(3, 3) = 0;
    RecordingUI ui;
    chamferLimit(widths, box, ProgressRange(&ui, 0.0f, 1.0f));
    for (int x = 0; x <= 6; ++x)
        for (int y = 0; y <= 6; ++y) {
            const int dx = std::abs(x - 3);
            const int dy = std::abs(y - 3);
            const int expected = 70 * (std::max(dx, dy) - std::min(dx, dy)) + 99 * std::min(dx, dy);
            EXPECT_EQ(widths(x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(widths(-1, 3), 10000);   // the frame is read, never written
    // Fewer than 512 rows from row 0: one report per pass, after row 0.
    const auto reports = ui.reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FLOAT_EQ(reports[0].fraction, 0.0f);
    EXPECT_FLOAT_EQ(reports[1].fraction, 0.5f + 0.5f * 6.0f / 7.0f);
}

TEST(ComputeEdgeWidthMap, OneCellGivesEveryPixelItsWidth) {
    // Uniform: no cell has two humps, so the width is the widest, 4 times the edge width.
    Segmentation uniform;
    uniform.setAnalysisImage(segtest::imageOf(IntBox(0, 0, 7, 7), [](int, int) { return 60; }));
    runThroughGradient(uniform);
    EXPECT_TRUE(uniform.computeEdgeWidthMap(true, ProgressRange()));
    EXPECT_TRUE(widthEverywhere(uniform, 8));
    uniform.currentSettings.inFocusEdgeWidth = 3;
    EXPECT_TRUE(uniform.computeEdgeWidthMap(false, ProgressRange()));
    EXPECT_TRUE(widthEverywhere(uniform, 12));

    // Two flat halves: the valley between humps 25 bins of 8 apart gives sqrt(6 * 200^2 /
    // (6 / 35^2)) = 7000, far below the lower limit, so the width is the edge width itself.
    Segmentation halves;
    halves.setAnalysisImage(segtest::imageOf(IntBox(0, 0, 7, 7), [](int, int y) { return y < 4 ? 0 : 200; }));
    runThroughGradient(halves);
    EXPECT_TRUE(halves.computeEdgeWidthMap(true, ProgressRange()));
    EXPECT_TRUE(widthEverywhere(halves, 2));
    // Channels 0 and 1 are the gradient stage's, untouched.
    EXPECT_EQ(halves.edgeMap()(0, 3)[1], 0);
}

TEST(ComputeEdgeWidthMap, SkipsWhenNothingItReadsChanged) {
    Segmentation segmentation;
    segmentation.setAnalysisImage(segtest::patternImage(20, 20));
    runThroughGradient(segmentation);
    segmentation.computeEdgeWidthMap(true, ProgressRange());
    segmentation.storeStageSettings();
    EXPECT_FALSE(segmentation.computeEdgeWidthMap(false, ProgressRange()));
    segmentation.currentSettings.imageTol = 3.0f;   // read by the watershed only
    EXPECT_FALSE(segmentation.computeEdgeWidthMap(false, ProgressRange()));
    segmentation.currentSettings.inFocusEdgeWidth = 5;
    EXPECT_TRUE(segmentation.computeEdgeWidthMap(false, ProgressRange()));
}

TEST(ComputeEdgeWidthMap, RefusesPeaksLeftHalfWayByACancelledPeakRun) {
    // A peak run cancelled after the humps were rebuilt but before the valleys were selected
    // leaves each histogram's selected valley pointing into the previous, longer list.
    Segmentation segmentation;
    segmentation.setAnalysisImage(segtest::patternImage(40, 40));
    runThroughGradient(segmentation);
    segmentation.currentSettings.featureTol = 1000.0f;   // one hump per histogram
    RecordingUI ui;
    ui.onReport = [](const RecordingUI::Report& report, int) {
        if (report.fraction == 0.75f)
            throw JxExCancel();
    };
    EXPECT_THROW(segmentation.watershedFirst(true, 0, ProgressRange(&ui, 0.0f, 1.0f)), JxExCancel);
    EXPECT_THROW(segmentation.computeEdgeWidthMap(true, ProgressRange()), std::logic_error);
}
