#include "SegmentationFixtures.h"

#include "classification/CellHistograms.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

using namespace classification;
using segtest::RecordingUI;
using segtest::countsOf;
using segtest::Failure;

namespace {

// 1 5 2
// 7 3 9
// 4 8 6
blitz::Array<unsigned char, 2> smallChannel() {
    blitz::Array<unsigned char, 2> image(3, 3);
    image = 1, 5, 2,
            7, 3, 9,
            4, 8, 6;
    return image;
}

void setUniformSettings(Segmentation& segmentation, int resolution, int overlap) {
    segmentation.currentSettings.resolution = resolution;
    segmentation.currentSettings.overlap = overlap;
    segmentation.currentSettings.settingsStamp = 4;
}

}  // namespace

TEST(BuildCornerRanges, EachCornerSpansThePixelsAroundIt) {
    const CornerRangeArray ranges = buildCornerRanges(smallChannel(), ProgressRange());
    const int expected[3][3][2] = {{{1, 7}, {2, 9}, {2, 9}},
                                   {{3, 8}, {3, 9}, {6, 9}},
                                   {{4, 8}, {6, 8}, {6, 6}}};
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y) {
            EXPECT_EQ(ranges(x, y).minimum, expected[x][y][0]) << x << "," << y;
            EXPECT_EQ(ranges(x, y).maximum, expected[x][y][1]) << x << "," << y;
        }
}

TEST(CellHistogramBuilders, FourKindsOverTheFourCornersOfACell) {
    const blitz::Array<unsigned char, 2> image = smallChannel();
    const CornerRangeArray ranges = buildCornerRanges(image, ProgressRange());
    const IntBox corners(0, 0, 1, 1);
    Histogram1D h;

    // Corner ranges (1,7), (2,9), (3,8), (3,9); one value per bin over 1 ... 9.
    cellHistogramFromRanges(h, ranges, corners, 8);
    EXPECT_EQ(h.firstBin(), 1);
    EXPECT_EQ(countsOf(h), (std::vector<std::int32_t>{170, 316, 690, 690, 690, 690, 690, 520, 316}));

    // Two colour bits: shift 2, bins 0 ... 2.
    cellHistogramFromRangeBins(h, ranges, corners, 2);
    EXPECT_EQ(h.shift(), 2);
    EXPECT_EQ(countsOf(h), (std::vector<std::int32_t>{2560, 2560, 1536}));

    // Corner pixels split at their median: (1,4)+(4,7), (2,4)+(4,9), (3,5)+(6,8), (3,7)+(7,9).
    cellHistogramFromSplitRanges(h, image, corners, 8);
    EXPECT_EQ(countsOf(h), (std::vector<std::int32_t>{170, 426, 810, 1082, 656, 656, 912, 614, 358}));

    cellHistogramFromSplitBins(h, image, corners, 2);
    EXPECT_EQ(countsOf(h), (std::vector<std::int32_t>{2048, 2560, 1536}));
}

TEST(CellHistogramBuilders, ACellWithoutCornersIsFlat) {
    const blitz::Array<unsigned char, 2> image = smallChannel();
    const CornerRangeArray ranges = buildCornerRanges(image, ProgressRange());
    const IntBox none(2, 0, 1, 1);   // the last row has no corner below it
    Histogram1D h;
    cellHistogramFromRanges(h, ranges, none, 8);   // range 4 ... 8 from the corners of row 2
    EXPECT_EQ(countsOf(h), std::vector<std::int32_t>(5, 1024 / 5));
    cellHistogramFromSplitBins(h, image, none, 8);
    EXPECT_EQ(countsOf(h), std::vector<std::int32_t>(5, 1024 / 5));
}

TEST(CellHistogramBuilders, FinishingScalesByTheBinWidthAndKeepsTheEndsAboveZero) {
    Histogram1D h;
    h.setRange(0, 5, 2, 0);
    ASSERT_EQ(h.shift(), 1);
    h.fillCounts(0);
    h.bin(1) = 5000;
    finishCellHistogram(h);
    EXPECT_EQ(countsOf(h), (std::vector<std::int32_t>{1, 2500, 1}));
}

TEST(CellGrid, CornersDivideByTheResolutionTowardZero) {
    Segmentation segmentation;
    segmentation.setAnalysisImage(segtest::imageOf(IntBox(3, 5, 17, 20), [](int, int) { return 0; }));
    EXPECT_TRUE(boxEquals(segmentation.cellGrid(), IntBox(0, 0, 2, 2)));
    segmentation.setAnalysisImage(segtest::imageOf(IntBox(-3, -9, 10, 10), [](int, int) { return 0; }));
    EXPECT_TRUE(boxEquals(segmentation.cellGrid(), IntBox(0, -1, 1, 1)));
}

TEST(UpdateCellHistograms, UniformImageCountsTheCornersOfEachCell) {
    // 4 x 4 pixels in cells of 2: the cells hold 4, 2, 2 and 1 pixel corners.
    Segmentation segmentation;
    segmentation.setAnalysisImage(segtest::imageOf(IntBox(0, 0, 3, 3), [](int, int) { return 100; }));
    setUniformSettings(segmentation, 2, 0);
    EXPECT_TRUE(segmentation.updateCellHistograms(false, ProgressRange()));
    const std::int32_t expected[2][2] = {{4096, 2048}, {2048, 1024}};
    for (int c = 0; c < Segmentation::channelCount; ++c)
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) {
                const Histogram1D& h = segmentation.cellHistograms(c)(i, j);
                EXPECT_EQ(h.firstBin(), 100);
                EXPECT_EQ(countsOf(h), std::vector<std::int32_t>{expected[i][j]});
            }

    // A window of three cells on a grid of two: the one valid sum covers the whole grid and
    // is copied to every cell.
    segmentation.currentSettings.overlap = 1;
    EXPECT_TRUE(segmentation.updateCellHistograms(false, ProgressRange()));
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            EXPECT_EQ(countsOf(segmentation.cellHistograms(5)(i, j)), std::vector<std::int32_t>{9216});
}

TEST(UpdateCellHistograms, InterpolationOutsideTheKindsBuildsTheDefaultKind) {
    Segmentation reference;
    Segmentation odd;
    const AnalysisImage image = segtest::patternImage(20, 24);
    for (Segmentation* s : {&reference, &odd}) {
        s->setAnalysisImage(image);
        setUniformSettings(*s, 4, 1);
    }
    odd.currentSettings.interpolation = 9;
    reference.updateCellHistograms(false, ProgressRange());
    odd.updateCellHistograms(false, ProgressRange());
    for (int c = 0; c < Segmentation::channelCount; ++c)
        for (int i = 0; i <= 4; ++i)
            for (int j = 0; j <= 5; ++j)
                ASSERT_EQ(countsOf(odd.cellHistograms(c)(i, j)), countsOf(reference.cellHistograms(c)(i, j)));
}

struct CacheCase {
    const char* name;
    int cachedStamp, currentStamp;
    int bitsChange, interpolationChange, resolutionChange, overlapChange;
    float featureTolChange;
    bool rebuilt;
};

TEST(UpdateCellHistograms, SettingsCacheDecidesWhichChannelsRebuild) {
    const std::vector<CacheCase> cases = {
        {"unchanged", 4, 4, 0, 0, 0, 0, 0.0f, false},
        {"feature tolerance is not a histogram setting", 4, 4, 0, 0, 0, 0, 0.5f, false},
        {"stamp differs but the cached one is above 2", 4, 7, 0, 0, 0, 0, 0.0f, false},
        {"stamp differs and the cached one is 2", 2, 4, 0, 0, 0, 0, 0.0f, true},
        {"colour bits", 4, 4, 1, 0, 0, 0, 0.0f, true},
        {"interpolation", 4, 4, 0, 1, 0, 0, 0.0f, true},
        {"resolution", 4, 4, 0, 0, 1, 0, 0.0f, true},
        {"overlap", 4, 4, 0, 0, 0, 1, 0.0f, true},
    };
    for (const CacheCase& c : cases) {
        SCOPED_TRACE(c.name);
        Segmentation segmentation;
        segmentation.setAnalysisImage(segtest::patternImage(16, 16));
        SegmentInfo& settings = segmentation.currentSettings;
        settings.settingsStamp = c.cachedStamp;
        segmentation.updateCellHistograms(false, ProgressRange());
        segmentation.storeStageSettings();
        const Histogram1D* before = &segmentation.cellHistograms(0)(0, 0);
        settings.settingsStamp = c.currentStamp;
        settings.colourBits += c.bitsChange;
        settings.interpolation += c.interpolationChange;
        settings.resolution += c.resolutionChange;
        settings.overlap += c.overlapChange;
        settings.featureTol += c.featureTolChange;
        EXPECT_EQ(segmentation.updateCellHistograms(false, ProgressRange()), c.rebuilt);
        if (!c.rebuilt) {   // skipped channels keep their grid, storage and all
            EXPECT_EQ(&segmentation.cellHistograms(0)(0, 0), before);
        }
    }
    // A new image resets the cache: everything is rebuilt.
    Segmentation segmentation;
    segmentation.setAnalysisImage(segtest::patternImage(16, 16));
    segmentation.updateCellHistograms(false, ProgressRange());
    segmentation.storeStageSettings();
    segmentation.setAnalysisImage(segtest::patternImage(16, 16));
    EXPECT_TRUE(segmentation.updateCellHistograms(false, ProgressRange()));
}

TEST(UpdateCellHistograms, MovedGridOfTheSameSizeKeepsItsStorage) {
    Segmentation segmentation;
    segmentation.setAnalysisImage(segtest::imageOf(IntBox(0, 0, 15, 15), [](int x, int y) { return x * y; }));
    segmentation.updateCellHistograms(false, ProgressRange());
    const Histogram1D* storage = segmentation.cellHistograms(3).dataFirst();
    segmentation.setAnalysisImage(segtest::imageOf(IntBox(8, 8, 23, 23), [](int x, int y) { return x + y; }));
    segmentation.updateCellHistograms(false, ProgressRange());
    EXPECT_TRUE(boxEquals(IntBox::domainOf(segmentation.cellHistograms(3)), IntBox(1, 1, 2, 2)));
    EXPECT_EQ(segmentation.cellHistograms(3).dataFirst(), storage);
}

TEST(UpdateCellHistograms, EachChannelIsReportedOnceInOrderOnTheCallingThread) {
    // Whichever thread builds which channel, the calling thread reports the six channels done,
    // one after the other: the same reports for every number of threads.
    for (unsigned threads : {1u, 2u, 4u, 8u}) {
        SCOPED_TRACE(testing::Message() << threads << " threads");
        Segmentation segmentation;
        segmentation.setWorkerCount(threads);
        segmentation.setAnalysisImage(segtest::patternImage(12, 12));
        RecordingUI ui;
        EXPECT_TRUE(segmentation.updateCellHistograms(false, ProgressRange(&ui, 0.0f, 0.6f)));
        const auto reports = ui.reports();
        ASSERT_EQ(reports.size(), 6u);
        for (int k = 0; k < 6; ++k) {
            EXPECT_FLOAT_EQ(reports[k].fraction, 0.6f * (k + 1) / 6.0f) << k;
            EXPECT_TRUE(reports[k].onCallingThread) << k;
        }
    }
}

struct FailureCase {
    const char* name;
    Failure failure;
    int atReport;
    unsigned threads;
};

TEST(UpdateCellHistograms, CancellationAndFailureOfAReportEndTheStageAsThrown) {
    const std::vector<FailureCase> cases = {
        {"cancel at the first report, alone", Failure::cancel, 0, 1},
        {"cancel at the first report, on four threads", Failure::cancel, 0, 4},
        {"cancel at the fourth report, on four threads", Failure::cancel, 3, 4},
        {"memory exhaustion at the second report", Failure::memory, 1, 4},
        {"other failure at the last report", Failure::other, 5, 4},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        Segmentation segmentation;
        segmentation.setWorkerCount(c.threads);
        segmentation.setAnalysisImage(segtest::patternImage(12, 12));
        RecordingUI ui;
        ui.onReport = [&](const RecordingUI::Report&, int index) {
            if (index == c.atReport)
                segtest::raise(c.failure);
        };
        const ProgressRange range(&ui, 0.0f, 1.0f);
        segtest::expectStageFailure(c.failure, [&] { segmentation.updateCellHistograms(false, range); });
        // No report after the one that failed.
        EXPECT_EQ(ui.reports().size(), static_cast<std::size_t>(c.atReport + 1));
        // The stage runs again normally afterwards.
        ui.onReport = nullptr;
        EXPECT_TRUE(segmentation.updateCellHistograms(false, range));
    }
}
