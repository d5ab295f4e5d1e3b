#include "classification/Histogram1D.h"
#include "classification/HistogramPeak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace classification;

namespace {

struct Split {
    int bin;
    int valley;   // -1: no valley
};

/// A histogram over values 0 ... n - 1 (one value per bin) with the given counts.
Histogram1D histogramOf(const std::vector<std::int32_t>& counts) {
    Histogram1D h;
    h.setRange(0, static_cast<int>(counts.size()) - 1, 8, 0);
    for (int b = 0; b < static_cast<int>(counts.size()); ++b)
        h.bin(b) = counts[static_cast<std::size_t>(b)];
    return h;
}

/// The peak list of one histogram as the peak stage builds it: a root entry, the split, then
/// the heights read from the bins.
PeakList analysed(Histogram1D& h, float ratio) {
    PeakList peaks(1);
    peaks[0].peakHeight = 1;
    peaks[0].valleyBin = 256;
    h.firstPeak = 1;
    splitHistogramPeaks(h, peaks, ratio);
    h.endPeak = static_cast<int>(peaks.size());
    for (std::size_t k = 1; k < peaks.size(); ++k) {
        HistogramPeak& peak = peaks[k];
        peak.peakHeight = h.bin(peak.peakBin);
        peak.valleyHeight = peak.valleyBin == -1 ? 0 : h.bin(peak.valleyBin);
        if (peak.valleyBin == -1)
            peak.valleyBin = 256;
    }
    selectSignificantValley(h, peaks);
    return peaks;
}

}  // namespace

struct SplitCase {
    const char* name;
    std::vector<std::int32_t> counts;
    float ratio;
    std::vector<Split> peaks;
};

TEST(SplitHistogramPeaks, HumpsEndOnlyWhereTheCountsDipByTheRatio) {
    const std::vector<SplitCase> cases = {
        {"dip of more than 10 %", {10, 20, 30, 20, 10, 25, 40, 10}, 1.1f, {{2, 4}, {6, -1}}},
        {"flat", {7, 7, 7, 7}, 1.1f, {{0, -1}}},
        {"dip of less than 10 % stays one hump", {100, 95, 100, 20}, 1.1f, {{0, -1}}},
        {"equal counts keep the earliest peak", {5, 9, 9, 1, 1, 9}, 1.1f, {{1, 3}, {5, -1}}},
        {"empty gap", {5, 20, 0, 30, 5}, 1.1f, {{1, 2}, {3, -1}}},
        {"single bin", {3}, 1.1f, {{0, -1}}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Histogram1D h = histogramOf(c.counts);
        PeakList peaks;
        splitHistogramPeaks(h, peaks, c.ratio);
        ASSERT_EQ(peaks.size(), c.peaks.size());
        for (std::size_t k = 0; k < peaks.size(); ++k) {
            EXPECT_EQ(peaks[k].peakBin, c.peaks[k].bin);
            EXPECT_EQ(peaks[k].valleyBin, c.peaks[k].valley);
            // Records start zeroed: nothing is left for a later reader to trip over.
            EXPECT_EQ(peaks[k].shoulderHeight, 0);
            EXPECT_EQ(peaks[k].shoulderDistance, 0);
        }
    }
}

TEST(SelectSignificantValley, ShouldersReachAcrossHigherValleys) {
    // Humps A (100), B (50), C (100); valleys 10 between A and B, 40 between B and C.
    Histogram1D h = histogramOf({100, 10, 50, 40, 100});
    const PeakList peaks = analysed(h, 1.1f);
    ASSERT_EQ(peaks.size(), 4u);
    // The first valley: left shoulder A, right shoulder C reached through B.
    EXPECT_EQ(peaks[1].shoulderHeight, 100);
    EXPECT_EQ(peaks[1].shoulderDistance, 4);
    // The second: the walk left stops at the lower valley, so B is its left shoulder.
    EXPECT_EQ(peaks[2].shoulderHeight, 50);
    EXPECT_EQ(peaks[2].shoulderDistance, 2);
    EXPECT_EQ(h.selectedPeak, 1);   // quotient 10 beats 1.25
}

TEST(SelectSignificantValley, AnEmptyValleyIsInfinitelySignificant) {
    // Valley 5 between 50 and 60, then an empty bin between 60 and 40.
    Histogram1D h = histogramOf({50, 5, 60, 0, 40});
    const PeakList peaks = analysed(h, 1.1f);
    ASSERT_EQ(peaks.size(), 4u);
    EXPECT_EQ(peaks[1].shoulderHeight, 50);
    EXPECT_EQ(peaks[2].shoulderHeight, 40);
    EXPECT_EQ(peaks[2].valleyHeight, 0);
    EXPECT_EQ(h.selectedPeak, 2);
}

TEST(SelectSignificantValley, SinglePeakSelectsNothingAndAllZeroCountsGiveNoNaN) {
    Histogram1D flat = histogramOf({7, 7, 7, 7});
    analysed(flat, 1.1f);
    EXPECT_EQ(flat.selectedPeak, -1);

    Histogram1D empty = histogramOf({0, 0, 0, 0, 0});
    const PeakList peaks = analysed(empty, 1.1f);
    EXPECT_EQ(peaks.size(), 2u);
    EXPECT_EQ(empty.selectedPeak, -1);

    EXPECT_EQ(valleySignificance(0, 0), 0.0f);
    EXPECT_EQ(valleySignificance(3, 0), std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ(valleySignificance(10, 4), 2.5f);
}
