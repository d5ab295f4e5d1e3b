#include "SegmentationFixtures.h"

#include "classification/Histogram1D.h"
#include "classification/HistogramMerge.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace classification;
using segtest::countsOf;

namespace {

Histogram1D histogram(int lo, int hi, int bits, std::int32_t fill) {
    Histogram1D h;
    h.setRange(lo, hi, bits, 0);
    h.fillCounts(fill);
    return h;
}

}  // namespace

struct RangeCase {
    int lo, hi, bits, minimumShift;
    int shift, firstBin, lastBin;
};

TEST(Histogram1D, SetRangeQuantisesTheSpanToTheColourBits) {
    const std::vector<RangeCase> cases = {
        {0, 255, 5, 0, 3, 0, 31},     // e = 7: 32 bins of 8 values
        {10, 11, 5, 0, 0, 10, 11},    // spans of 0 or 1 give shift max(min shift, 1 - bits)
        {10, 10, 5, 2, 2, 2, 2},
        {32, 63, 5, 0, 0, 32, 63},    // 31 wide: e = 4
        {32, 64, 5, 0, 1, 16, 32},    // 32 wide: e = 5
        {0, 200, 8, 0, 0, 0, 200},
        {0, 255, -3, 0, 11, 0, 0},    // absurd bits still give a usable shift
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lo << ".." << c.hi << " bits " << c.bits);
        Histogram1D h;
        h.setRange(c.lo, c.hi, c.bits, c.minimumShift);
        EXPECT_EQ(h.shift(), c.shift);
        EXPECT_EQ(h.firstBin(), c.firstBin);
        EXPECT_EQ(h.lastBin(), c.lastBin);
    }
    Histogram1D inverted;
    EXPECT_THROW(inverted.setRange(5, 4, 5, 0), std::invalid_argument);
}

TEST(Histogram1D, CopiesAreDeepAndAssignmentKeepsTheTargetsPeaks) {
    Histogram1D source = histogram(0, 7, 8, 3);
    source.firstPeak = 4;
    source.endPeak = 6;
    source.selectedPeak = 5;

    Histogram1D copied(source);
    copied.bin(2) = 99;
    EXPECT_EQ(source.bin(2), 3);

    Histogram1D target = histogram(100, 120, 8, 1);
    target.firstPeak = 11;
    target.endPeak = 12;
    target.selectedPeak = -1;
    target = source;
    EXPECT_EQ(countsOf(target), std::vector<std::int32_t>(8, 3));
    EXPECT_EQ(target.lo(), 0);
    EXPECT_EQ(target.hi(), 7);
    EXPECT_EQ(target.firstPeak, 11);
    EXPECT_EQ(target.endPeak, 12);
    EXPECT_EQ(target.selectedPeak, -1);
    target.bin(0) = 42;
    EXPECT_EQ(source.bin(0), 3);
}

struct AreaCase {
    int lo, hi, shift;   // histogram over 0 ... 255 with this shift
    bool half;
    std::vector<std::pair<int, std::int32_t>> bins;   // expected non-zero bins
};

TEST(Histogram1D, AddRangeAreaSpreadsTheWeightOverTheCoveredValues) {
    const std::vector<AreaCase> cases = {
        {77, 77, 0, false, {{77, 1024}}},
        {77, 77, 0, true, {{77, 512}}},
        {10, 11, 0, false, {{10, 1024}, {11, 1024}}},
        {10, 11, 1, false, {{5, 2048}}},
        // shift 2, values 5 ... 14: w = 4096 / 9 = 455; bin 1 holds 5 ... 7, bin 2 all of
        // 8 ... 11, bin 3 holds 12 ... 14.
        {5, 14, 2, false, {{1, (3 * 455) >> 2}, {2, 455}, {3, (3 * 455) >> 2}}},
    };
    for (const AreaCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lo << ".." << c.hi << " shift " << c.shift);
        Histogram1D h;
        h.setRange(0, 255, 8 - c.shift, c.shift);
        ASSERT_EQ(h.shift(), c.shift);
        h.fillCounts(0);
        if (c.half)
            h.addRangeAreaHalf(c.lo, c.hi);
        else
            h.addRangeArea(c.lo, c.hi);
        std::vector<std::int32_t> expected(static_cast<std::size_t>(h.binCount()), 0);
        for (const auto& bin : c.bins)
            expected[static_cast<std::size_t>(bin.first)] = bin.second;
        EXPECT_EQ(countsOf(h), expected);
    }
}

TEST(Histogram1D, ShiftCountsDownIsArithmetic) {
    Histogram1D h = histogram(0, 2, 8, 0);
    h.bin(0) = 1024;
    h.bin(1) = 7;
    h.bin(2) = -8;
    h.shiftCountsDown(2);
    EXPECT_EQ(countsOf(h), (std::vector<std::int32_t>{256, 1, -2}));
}

TEST(HistogramMerge, EqualRangesAddBinByBin) {
    Histogram1D a = histogram(0, 31, 5, 0);
    for (int b = 0; b <= 31; ++b)
        a.bin(b) = b;
    const Histogram1D b = histogram(0, 31, 5, 2);
    Histogram1D result;
    HistogramMerge(5, 0)(result, a, b);
    EXPECT_EQ(result.shift(), 0);
    EXPECT_EQ(result.firstBin(), 0);
    EXPECT_EQ(result.lastBin(), 31);
    for (int bin = 0; bin <= 31; ++bin)
        EXPECT_EQ(result.bin(bin), bin + 2);
}

TEST(HistogramMerge, WiderUnionCoarsensBothOperandsAndLeavesTheGapEmpty) {
    // Each operand is 32 values wide (shift 1, 17 bins); the union 0 ... 72 needs shift 2, so
    // operand bins 2k and 2k + 1 land in result bin k, and result bin 9 lies in the gap.
    const Histogram1D a = histogram(0, 32, 5, 1);
    const Histogram1D b = histogram(40, 72, 5, 10);
    ASSERT_EQ(a.shift(), 1);
    ASSERT_EQ(b.shift(), 1);
    Histogram1D result = histogram(0, 255, 8, 777);   // stale counts must not survive
    HistogramMerge(5, 0)(result, a, b);
    EXPECT_EQ(result.shift(), 2);
    EXPECT_EQ(countsOf(result), (std::vector<std::int32_t>{2, 2, 2, 2, 2, 2, 2, 2, 1, 0, 20, 20,
                                                           20, 20, 20, 20, 20, 20, 10}));
}

TEST(HistogramMerge, DisjointRangesOfEqualShiftKeepAZeroGap) {
    const Histogram1D a = histogram(0, 10, 5, 4);
    const Histogram1D b = histogram(20, 30, 5, 6);
    Histogram1D result = histogram(0, 30, 5, 9);
    HistogramMerge(5, 0)(result, b, a);
    std::vector<std::int32_t> expected(31, 0);
    for (int bin = 0; bin <= 10; ++bin)
        expected[static_cast<std::size_t>(bin)] = 4;
    for (int bin = 20; bin <= 30; ++bin)
        expected[static_cast<std::size_t>(bin)] = 6;
    EXPECT_EQ(countsOf(result), expected);
}

TEST(HistogramMerge, ResultMayBeAnOperandAndKeepsItsPeaks) {
    Histogram1D a = histogram(0, 3, 8, 1);
    a.selectedPeak = 3;
    const Histogram1D b = histogram(2, 5, 8, 10);
    HistogramMerge(8, 0)(a, a, b);
    EXPECT_EQ(countsOf(a), (std::vector<std::int32_t>{1, 1, 11, 11, 10, 10}));
    EXPECT_EQ(a.selectedPeak, 3);
}

TEST(HistogramMerge, CountsBeyondTheInt32RangeSaturate) {
    // Window sums over wide cells of one colour can pass 2^31 (1024 per pixel corner, cells
    // of up to 363 pixels, windows of up to 7 cells); they stay at the largest count instead
    // of wrapping to negative ones.
    const Histogram1D a = histogram(10, 11, 5, 1500000000);
    const Histogram1D b = histogram(11, 12, 5, 1000000000);
    Histogram1D result;
    HistogramMerge(5, 0)(result, a, b);
    EXPECT_EQ(countsOf(result), (std::vector<std::int32_t>{1500000000, INT32_MAX, 1000000000}));
}
