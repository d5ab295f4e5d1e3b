#include "SegmentationFixtures.h"

#include "classification/CellInterpolation.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

using namespace classification;
using segtest::RecordingUI;
using segtest::Failure;

namespace {

void histogramsAndPeaks(Segmentation& segmentation) {
    segmentation.updateCellHistograms(false, ProgressRange());
    segmentation.findHistogramPeaks(true, ProgressRange());
}

bool allZero(const EdgeMap& map) {
    for (auto pixel = map.begin(); pixel != map.end(); ++pixel)
        if ((*pixel)[0] != 0 || (*pixel)[1] != 0)
            return false;
    return true;
}

IntBox grown(const IntBox& box) {
    return IntBox(box.lower[0] - 2, box.lower[1] - 2, box.upper[0] + 2, box.upper[1] + 2);
}

}  // namespace

TEST(CellPairAt, PairsTheCellsWhoseCentresEncloseThePixel) {
    // Resolution 8, x = 3: centre 3.5 / 8 - 0.5 = -0.0625, so the pair is cells -1 and 0,
    // clamped to row 0 twice; the corner weight wx' = wx - 0.5 / 8 is 0.
    const CellPair low = cellPairAt(3, 1.0f / 8, 0, 5);
    EXPECT_EQ(low.first, 0);
    EXPECT_EQ(low.second, 0);
    EXPECT_FLOAT_EQ(low.firstWeight - 0.5f / 8, 0.0f);
    const CellPair next = cellPairAt(4, 1.0f / 8, 0, 5);
    EXPECT_EQ(next.first, 0);
    EXPECT_EQ(next.second, 1);
    EXPECT_FLOAT_EQ(next.firstWeight, 0.9375f);
    const CellPair top = cellPairAt(47, 1.0f / 8, 0, 5);   // centre of the last cell and beyond
    EXPECT_EQ(top.first, 5);
    EXPECT_EQ(top.second, 5);
}

TEST(CellPairAt, StaysInsideAGridWhoseLowerCornerWasTruncatedTowardZero) {
    // A box from pixel -15 in cells of 8 has its grid from -15 / 8 = -1. Pixel -15 lies left of
    // the centre of cell -2, outside that grid: both cells of its pair are the grid's first.
    const CellPair low = cellPairAt(-15, 1.0f / 8, -1, 1);
    EXPECT_EQ(low.first, -1);
    EXPECT_EQ(low.second, -1);
    for (int x = -15; x <= 10; ++x) {
        const CellPair pair = cellPairAt(x, 1.0f / 8, -1, 1);
        EXPECT_TRUE(pair.first >= -1 && pair.first <= 1 && pair.second >= -1 && pair.second <= 1) << x;
    }
}

TEST(ComputeGradientMap, UnchangedInputsOnlySizeTheMap) {
    Segmentation segmentation;
    segmentation.setAnalysisImage(segtest::imageOf(IntBox(5, 7, 20, 30), [](int x, int) { return x; }));
    EXPECT_FALSE(segmentation.computeGradientMap(false, ProgressRange()));
    EXPECT_TRUE(boxEquals(IntBox::domainOf(segmentation.edgeMap()), IntBox(3, 5, 22, 32)));
    EXPECT_TRUE(boxEquals(IntBox::domainOf(segmentation.edgeMapView()), IntBox(5, 7, 20, 30)));
    // Recomputing needs the histograms' peaks first.
    EXPECT_THROW(segmentation.computeGradientMap(true, ProgressRange()), std::logic_error);
}

struct FlatCase {
    const char* name;
    IntBox box;
    int value;   // a function of the position when negative
    bool unitScale;
};

TEST(ComputeGradientMap, ImagesWithoutEdgesGiveAnAllZeroMap) {
    const std::vector<FlatCase> cases = {
        {"one row", IntBox(0, 0, 0, 9), -1, true},
        {"one column", IntBox(0, 0, 9, 0), -1, true},
        // The corners are rated, but no pixel has four of them.
        {"two rows", IntBox(0, 0, 1, 9), -1, false},
        // Small grid: every cell sums the same window, so every corner rates the same.
        {"uniform on a grid of 2 x 2 cells", IntBox(0, 0, 15, 15), 90, true},
    };
    for (const FlatCase& c : cases) {
        SCOPED_TRACE(c.name);
        Segmentation segmentation;
        segmentation.setAnalysisImage(segtest::imageOf(c.box, [&](int x, int y) {
            return c.value >= 0 ? c.value : (x * 40 + y * 25) % 256;
        }));
        histogramsAndPeaks(segmentation);
        EXPECT_TRUE(segmentation.computeGradientMap(true, ProgressRange()));
        if (c.unitScale) {
            EXPECT_EQ(segmentation.gradientScale(), 1.0f);
        }
        EXPECT_TRUE(boxEquals(IntBox::domainOf(segmentation.edgeMap()), grown(c.box)));
        EXPECT_TRUE(allZero(segmentation.edgeMap()));
    }
}

TEST(ComputeGradientMap, AnEdgeBetweenTwoFlatHalvesIsALowValleyRating) {
    // 8 x 8 pixels, one cell: columns 0-3 are 0, columns 4-7 are 200 in every channel. The cell
    // histogram (shift 3) has humps of 2723 at bin 0 and 2692 at bin 25 with a valley of 35;
    // corners inside either half rate -0.5 ln(6 / hump^2), the corners of column 3 rate
    // -0.5 ln(6 / 35^2) in channel 1. So channel 1 is 0 on the two pixel columns beside the
    // edge, 255 elsewhere, and channel 0 is 255 everywhere.
    Segmentation segmentation;
    segmentation.setAnalysisImage(segtest::imageOf(IntBox(0, 0, 7, 7), [](int, int y) { return y < 4 ? 0 : 200; }));
    histogramsAndPeaks(segmentation);
    const Histogram1D& cell = segmentation.cellHistograms(0)(0, 0);
    ASSERT_EQ(cell.bin(0), 2723);
    ASSERT_EQ(cell.bin(1), 35);
    ASSERT_EQ(cell.bin(25), 2692);
    ASSERT_TRUE(segmentation.computeGradientMap(true, ProgressRange()));
    EXPECT_NEAR(segmentation.gradientScale(), 255.99 / std::log(2723.0 / 35.0), 1e-3);
    const EdgeMap& map = segmentation.edgeMap();
    for (int x = -2; x <= 9; ++x)
        for (int y = -2; y <= 9; ++y) {
            EXPECT_EQ(map(x, y)[0], 255) << x << "," << y;
            EXPECT_EQ(map(x, y)[1], (y == 3 || y == 4) ? 0 : 255) << x << "," << y;
        }
}

TEST(ComputeGradientMap, ReportsEveryStripOnTheCallingThreadWhateverTheThreadCount) {
    // 399 corner rows: six strips of 64 rows and one of 15, each reported once done.
    const AnalysisImage image = segtest::patternImage(400, 40);
    std::vector<float> expected{0.1f};   // "After array creation"
    for (int done : {64, 128, 192, 256, 320, 384, 399})
        expected.push_back(0.1f + 0.5f * done / 399.0f);
    expected.push_back(0.8f);
    expected.push_back(0.9f);
    for (unsigned threads : {1u, 2u, 3u, 8u}) {
        SCOPED_TRACE(testing::Message() << threads << " threads");
        Segmentation segmentation;
        segmentation.setWorkerCount(threads);
        segmentation.setAnalysisImage(image);
        histogramsAndPeaks(segmentation);
        RecordingUI ui;
        ASSERT_TRUE(segmentation.computeGradientMap(true, ProgressRange(&ui, 0.0f, 1.0f)));
        const auto reports = ui.reports();
        ASSERT_EQ(reports.size(), expected.size());
        for (std::size_t k = 0; k < reports.size(); ++k) {
            EXPECT_NEAR(reports[k].fraction, expected[k], 1e-6f) << k;
            EXPECT_TRUE(reports[k].onCallingThread) << k;
        }
    }
}

struct GradientFailure {
    const char* name;
    Failure failure;
    int atReport;   // 0 is "After array creation", 1 to 7 the strips
};

TEST(ComputeGradientMap, CancellationAndFailureAreRethrownAfterEveryWorkerEnded) {
    const std::vector<GradientFailure> cases = {
        {"cancel at the first strip", Failure::cancel, 1},
        {"cancel before the workers start", Failure::cancel, 0},
        {"memory exhaustion at the third strip", Failure::memory, 3},
        {"other failure at the last strip", Failure::other, 7},
    };
    const AnalysisImage image = segtest::patternImage(400, 40);   // 7 strips
    for (const GradientFailure& c : cases) {
        SCOPED_TRACE(c.name);
        Segmentation segmentation;
        segmentation.setWorkerCount(3);
        segmentation.setAnalysisImage(image);
        histogramsAndPeaks(segmentation);
        RecordingUI ui;
        ui.onReport = [&](const RecordingUI::Report&, int index) {
            if (index == c.atReport)
                segtest::raise(c.failure);
        };
        const ProgressRange range(&ui, 0.0f, 1.0f);
        segtest::expectStageFailure(c.failure, [&] { segmentation.computeGradientMap(true, range); });
        EXPECT_EQ(ui.reports().size(), static_cast<std::size_t>(c.atReport + 1));
        ui.onReport = nullptr;
        EXPECT_TRUE(segmentation.computeGradientMap(true, range));
    }
}
