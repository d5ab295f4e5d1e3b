#include "classification/LabelUnion.h"
#include "classification/ResolveWatershedLines.h"

#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <vector>

using namespace classification;

namespace {

/// A label image from rows of values, indexed from 0.
blitz::Array<int, 2> grid(const std::vector<std::vector<int>>& rows) {
    blitz::Array<int, 2> image(static_cast<int>(rows.size()), static_cast<int>(rows[0].size()));
    for (int i = 0; i < image.extent(0); ++i)
        for (int j = 0; j < image.extent(1); ++j)
            image(i, j) = rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
    return image;
}

void expectGrid(const blitz::Array<int, 2>& image, const std::vector<std::vector<int>>& rows) {
    for (int i = 0; i < image.extent(0); ++i)
        for (int j = 0; j < image.extent(1); ++j)
            EXPECT_EQ(image(i, j), rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)])
                << "at (" << i << ", " << j << ")";
}

const IntBox centre(1, 1, 1, 1);

}  // namespace

struct ResolveCase {
    const char* name;
    std::vector<std::vector<int>> before;
    IntBox box;
    int labelCount;
    std::vector<std::vector<int>> after;
};

TEST(ResolveWatershedLines, CasesWorkedByHand) {
    const std::vector<ResolveCase> cases = {
        // axial 3, 3, 5, 5 then diagonals 5, 3, 3, 3: 3 leads after the axial votes and ends
        // with 5 votes against 3
        {"majority with diagonal votes", {{5, 3, 3}, {3, 0, 5}, {3, 5, 3}}, centre, 6,
         {{5, 3, 3}, {3, 3, 5}, {3, 5, 3}}},
        // axial 5, 3, 3, 5, no labelled diagonal: two votes each, 3 reached 2 first
        {"tie goes to the label that reached the count first", {{-4, 5, -4}, {3, 0, 3}, {-4, 5, -4}}, centre, 6,
         {{-4, 5, -4}, {3, 3, 3}, {-4, 5, -4}}},
        // the same axial votes, then four diagonal votes for 4
        {"diagonal votes outweigh a split axial vote", {{4, 5, 4}, {3, 0, 3}, {4, 5, 4}}, centre, 6,
         {{4, 5, 4}, {3, 4, 3}, {4, 5, 4}}},
        {"unlabelled first neighbour makes a line", {{1, 0, 1}, {2, 0, 0}, {1, 0, 1}}, centre, 3,
         {{1, -1, 1}, {2, -1, -1}, {1, -1, 1}}},
        {"negative neighbour becomes -1 whatever it was", {{1, 1, 1}, {1, 0, -7}, {1, 1, 1}}, centre, 2,
         {{1, 1, 1}, {1, -1, -1}, {1, 1, 1}}},
        // label 9 with a label count of 2: the votes still count it
        {"label beyond the count", {{9, 9, 9}, {9, 0, 9}, {2, 2, 2}}, centre, 2,
         {{9, 9, 9}, {9, 9, 9}, {2, 2, 2}}},
        {"row of zeros between two regions", {{1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {2, 2, 2, 2}, {2, 2, 2, 2}},
         IntBox(1, 1, 3, 2), 3,
         // the frame pixel left of the row is written too; the one right of it is never reached
         {{1, 1, 1, 1}, {1, 1, 1, 1}, {-1, -1, -1, 0}, {2, 2, 2, 2}, {2, 2, 2, 2}}},
    };
    for (const ResolveCase& c : cases) {
        SCOPED_TRACE(c.name);
        blitz::Array<int, 2> labels = grid(c.before);
        resolveWatershedLines(labels, c.box, c.labelCount);
        expectGrid(labels, c.after);
    }
}

TEST(ResolveWatershedLines, BoxWithoutItsFrameIsRefusedUntouched) {
    blitz::Array<int, 2> labels = grid({{0, 0, 0}, {0, 0, 0}, {1, 1, 1}});
    EXPECT_THROW(resolveWatershedLines(labels, IntBox(0, 1, 1, 1), 2), std::out_of_range);
    // Boxes at the ends of the int range have no frame either (and no frame to compute).
    EXPECT_THROW(resolveWatershedLines(labels, IntBox(1, 1, 1, INT_MAX), 2), std::out_of_range);
    EXPECT_THROW(resolveWatershedLines(labels, IntBox(INT_MIN, 1, 1, 1), 2), std::out_of_range);
    EXPECT_EQ(blitz::count(labels == 0), 6);
}

TEST(LabelUnion, SmallerRootBecomesTheParent) {
    blitz::Array<int, 2> labels(1, 2);
    blitz::Array<int, 2> values(1, 2);
    labels = 5, 8;
    values = 4, 4;
    std::vector<std::int32_t> parent = {0, 1, 2, 3, 4, 2, 6, 7, 7};   // 5 -> 2, current root 7
    LabelUnion unite(parent, labels, values);
    EXPECT_TRUE(unite.uniteIfEqual(IntPoint(0, 1), IntPoint(0, 0)));
    EXPECT_EQ(parent[7], 2);
    EXPECT_EQ(parent.back(), 2);

    // The other way round: the neighbour's root 6 is above the current root 2.
    labels(0, 0) = 6;
    EXPECT_TRUE(unite.uniteIfEqual(IntPoint(0, 1), IntPoint(0, 0)));
    EXPECT_EQ(parent[6], 2);
    EXPECT_EQ(parent.back(), 2);

    // Different values: nothing changes.
    const std::vector<std::int32_t> before = parent;
    values(0, 0) = 3;
    labels(0, 0) = 1;
    EXPECT_TRUE(unite.uniteIfEqual(IntPoint(0, 1), IntPoint(0, 0)));
    EXPECT_EQ(parent, before);

    values(0, 0) = 4;
    labels(0, 0) = 9;   // no parent entry
    EXPECT_THROW(unite.uniteIfEqual(IntPoint(0, 1), IntPoint(0, 0)), std::out_of_range);
    EXPECT_THROW(unite.uniteIfEqual(IntPoint(0, 1), IntPoint(0, 2)), std::out_of_range);
}

TEST(LabelUnion, ParentEntriesOutsideTheParentArrayAreRefusedUntouched) {
    blitz::Array<int, 2> labels(1, 2);
    blitz::Array<int, 2> values(1, 2);
    labels = 1, 2;
    values = 4, 4;
    const std::vector<std::vector<std::int32_t>> broken = {
        {0, 1, 2, 9},    // the current root lies past the end
        {0, 1, 2, -3},   // ... or below 0
        {0, 7, 2, 3},    // the neighbour's parent lies past the end
        {0, 1, 2, 3, 8}, // ... and so does the current root
    };
    for (const std::vector<std::int32_t>& before : broken) {
        SCOPED_TRACE(::testing::PrintToString(before));
        std::vector<std::int32_t> parent = before;
        LabelUnion unite(parent, labels, values);
        EXPECT_THROW(unite.uniteIfEqual(IntPoint(0, 1), IntPoint(0, 0)), std::out_of_range);
        EXPECT_EQ(parent, before);
    }
    std::vector<std::int32_t> chain = {0, 5, 1};
    LabelUnion unite(chain, labels, values);
    EXPECT_THROW(unite.findRoot(2), std::out_of_range);
    std::vector<std::int32_t> circle = {1, 2, 0};   // no root at all
    LabelUnion round(circle, labels, values);
    EXPECT_THROW(round.findRoot(2), std::out_of_range);
    EXPECT_EQ(circle, (std::vector<std::int32_t>{1, 2, 0}));
}

TEST(LabelUnion, FindRootCompressesAChainOfMillionsWithoutRecursion) {
    const int length = 4000000;
    std::vector<std::int32_t> parent(static_cast<std::size_t>(length));
    parent[0] = 0;
    for (int k = 1; k < length; ++k)
        parent[static_cast<std::size_t>(k)] = k - 1;
    blitz::Array<int, 2> none(1, 1);
    LabelUnion unite(parent, none, none);
    EXPECT_EQ(unite.findRoot(length - 1), 0);
    EXPECT_EQ(std::count(parent.begin(), parent.end(), 0), length);
}
