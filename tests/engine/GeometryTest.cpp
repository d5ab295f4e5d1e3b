#include "classification/BoxOps.h"
#include "classification/NeighbourList.h"
#include "classification/PolylineRounder.h"
#include "classification/Quantiser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

using namespace classification;

namespace {

std::string text(const std::vector<IntPoint>& points) {
    std::ostringstream out;
    for (const IntPoint& p : points)
        printPoint(out, p);
    return out.str();
}

std::string text(const IntBox& box) {
    std::ostringstream out;
    out << box;
    return out.str();
}

}  // namespace

TEST(NeighbourList, AxialNeighboursStayInsideTheBox) {
    struct Case { IntBox box; IntPoint p; const char* expected; };
    const Case cases[] = {
        {IntBox(0, 0, 4, 4), IntPoint(2, 2), "[1,2][2,1][3,2][2,3]"},
        {IntBox(0, 0, 4, 4), IntPoint(0, 0), "[1,0][0,1]"},
        {IntBox(0, 0, 4, 4), IntPoint(4, 4), "[3,4][4,3]"},
        {IntBox(3, 7, 3, 7), IntPoint(3, 7), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text(c.box));
        NeighbourList list(c.box);
        list.points.emplace_back(99, 99);   // left over from an earlier pixel
        list.collectAxial(c.p);
        EXPECT_EQ(text(list.points), c.expected);
    }
}

TEST(NeighbourList, DiagonalNeighboursStayInsideTheBox) {
    struct Case { IntPoint p; const char* expected; };
    const Case cases[] = {
        {IntPoint(2, 2), "[1,1][1,3][3,1][3,3]"},
        {IntPoint(0, 2), "[1,1][1,3]"},          // on the lower row bound: the next row only
        {IntPoint(2, 0), "[1,1][3,1]"},
        {IntPoint(4, 4), "[3,3]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text(std::vector<IntPoint>{c.p}));
        NeighbourList list(IntBox(0, 0, 4, 4));
        list.collectDiagonal(c.p);
        EXPECT_EQ(text(list.points), c.expected);
    }
}

TEST(BoxOps, LineBoxesAndTransposition) {
    EXPECT_EQ(text(extentBox(5)), "[[0,0], [4,0]]");
    EXPECT_EQ(text(extentBoxAcross(5)), "[[0,0], [0,4]]");
    EXPECT_EQ(text(transposeBox(IntBox(1, 2, 3, 7))), "[[2,1], [7,3]]");
}

TEST(BoxOps, GrowingAnEmptyBoxGivesExactlyWhatWasAdded) {
    IntBox box = IntBox::none();
    includePoint(box, IntPoint(5, 6));
    EXPECT_EQ(text(box), "[[5,6], [5,6]]");
    includePoint(box, IntPoint(2, 9));
    EXPECT_EQ(text(box), "[[2,6], [5,9]]");

    IntBox grown(1, 0, 0, 0);   // empty in the way commands reset it
    unionBox(grown, IntBox::none());
    EXPECT_TRUE(isBoxEmpty(grown));
    unionBox(grown, IntBox(3, 3, 4, 4));
    EXPECT_EQ(text(grown), "[[3,3], [4,4]]");
    unionBox(grown, IntBox(0, 5, 1, 8));
    EXPECT_EQ(text(grown), "[[0,3], [4,8]]");
}

TEST(Quantiser, BinsCoverTheRangeWithAboutTwoToTheBitsBins) {
    struct Case { int lo, hi, bits, minimumShift, shift, firstBin, lastBin; };
    const Case cases[] = {
        {0, 255, 8, 0, 0, 0, 255},    // log2 255 = 7: shift 0
        {0, 255, 4, 0, 4, 0, 15},
        {7, 7, 4, 0, 0, 7, 7},        // lo = hi: shift max(0, 1 - 4), one bin
        {7, 7, 1, 2, 2, 1, 1},        // the minimum shift wins
        {-100, 100, 3, 0, 5, -4, 3},  // log2 200 = 7: shift 5; arithmetic shift of -100
        {1000, 1001, 8, 0, 0, 1000, 1001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lo) + ".." + std::to_string(c.hi) + " bits " +
                     std::to_string(c.bits));
        Quantiser q;
        q.setRange(c.lo, c.hi, c.bits, c.minimumShift);
        EXPECT_EQ(q.shift, c.shift);
        EXPECT_EQ(q.bins.lbound(0), c.firstBin);
        EXPECT_EQ(q.bins.ubound(0), c.lastBin);
        EXPECT_EQ(q.binOf(c.lo), c.firstBin);
        EXPECT_EQ(q.binOf(c.hi), c.lastBin);
    }
}

TEST(Quantiser, StartsAsOneBinHoldingOneAndRefusesAnInvertedRange) {
    Quantiser q;
    ASSERT_EQ(q.bins.size(), 1);
    EXPECT_EQ(q.bins(0), 1);
    EXPECT_THROW(q.setRange(5, 4, 8, 0), std::invalid_argument);
    // An extreme range must not overflow while its span is measured.
    q.setRange(INT_MIN / 2, INT_MAX / 2, 8, 0);
    EXPECT_EQ(q.shift, 31 - 8);
}

namespace {

FloatPolyline rounded(float radius, const FloatPolyline& input) {
    FloatPolyline output;
    PolylineRounder(radius).roundCorners(output, input);
    return output;
}

void expectPoint(const FloatPoint& actual, float row, float column) {
    EXPECT_NEAR(actual[0], row, 1e-5f);
    EXPECT_NEAR(actual[1], column, 1e-5f);
}

}  // namespace

TEST(PolylineRounder, StraightCornerIsCutBackByTheRadiusOrAQuarterSegment) {
    // P (0,0), Q (0,8), R (0,10): straight on, so d = radius.
    const FloatPolyline line{FloatPoint(0, 0), FloatPoint(0, 8), FloatPoint(0, 10)};
    FloatPolyline out = rounded(1.0f, line);
    ASSERT_EQ(out.size(), 2u);
    expectPoint(out[0], 0, 7);      // min(1, 8/4) = 1 before Q
    expectPoint(out[1], 0, 8.5f);   // min(1, 2/4) = 0.5 after Q
}

TEST(PolylineRounder, RightAngleCutsFurtherThanTheRadius) {
    // A right turn: k = 1, d = r / sqrt(0.5) = r * 1.41421.
    const FloatPolyline corner{FloatPoint(0, 0), FloatPoint(0, 10), FloatPoint(10, 10)};
    FloatPolyline out = rounded(1.0f, corner);
    ASSERT_EQ(out.size(), 2u);
    expectPoint(out[0], 0, 10 - std::sqrt(2.0f));
    expectPoint(out[1], std::sqrt(2.0f), 10);
}

TEST(PolylineRounder, TurningStraightBackKeepsTheCorner) {
    const FloatPolyline back{FloatPoint(0, 0), FloatPoint(0, 4), FloatPoint(0, 1)};
    FloatPolyline out = rounded(1.0f, back);
    ASSERT_EQ(out.size(), 1u);
    expectPoint(out[0], 0, 4);
}

TEST(PolylineRounder, ShortOrRepeatedPolylinesGiveNoNaNAndReadNothingPastTheEnd) {
    EXPECT_TRUE(rounded(1.0f, {}).empty());
    EXPECT_TRUE(rounded(1.0f, {FloatPoint(1, 1)}).empty());
    EXPECT_TRUE(rounded(1.0f, {FloatPoint(1, 1), FloatPoint(2, 2)}).empty());
    EXPECT_TRUE(rounded(1.0f, {FloatPoint(1, 1), FloatPoint(1, 1), FloatPoint(1, 1)}).empty());

    // Repeated points are passed over: the same corner as without them.
    const FloatPolyline repeated{FloatPoint(0, 0), FloatPoint(0, 0), FloatPoint(0, 10),
                                 FloatPoint(0, 10), FloatPoint(10, 10), FloatPoint(10, 10)};
    FloatPolyline out = rounded(1.0f, repeated);
    ASSERT_EQ(out.size(), 2u);
    for (const FloatPoint& p : out)
        EXPECT_TRUE(std::isfinite(p[0]) && std::isfinite(p[1]));
    expectPoint(out[0], 0, 10 - std::sqrt(2.0f));

    // A closing corner with a zero-length side keeps its point.
    FloatPolyline closing;
    PolylineRounder(1.0f).roundCorner(closing, FloatPoint(0, 0), 0.0f, FloatPoint(1, 0), 1.0f,
                                      FloatPoint(3, 3));
    ASSERT_EQ(closing.size(), 1u);
    expectPoint(closing[0], 3, 3);
}
