#include "classification/MarkDistances.h"

#include "classification/IntBox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <tuple>
#include <vector>

using classification::buildMarkDistances;
using classification::MarkDistanceArray;
using classification::markUnreached;

namespace {

constexpr unsigned char keep = 2, deleted = 4;

blitz::Array<unsigned char, 2> statuses(int rows, int columns, unsigned char fill = 1) {
    blitz::Array<unsigned char, 2> s(rows, columns);
    s = fill;
    return s;
}

// Shortest 8-connected paths through unmarked cells, in double: an independent account of
// what the bucket growth must produce.
blitz::Array<double, 2> referenceDistances(const blitz::Array<unsigned char, 2>& s,
                                           unsigned char bit) {
    const double a = 0.9619349, b = 1.3604507, inf = std::numeric_limits<double>::infinity();
    blitz::Array<double, 2> d(s.shape());
    d = inf;
    using Entry = std::tuple<double, int, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    for (int i = 0; i < s.rows(); ++i)
        for (int j = 0; j < s.columns(); ++j)
            if (s(i, j) & bit) {
                d(i, j) = 0;
                open.emplace(0.0, i, j);
            }
    while (!open.empty()) {
        auto [dist, i, j] = open.top();
        open.pop();
        if (dist > d(i, j))
            continue;
        for (int di = -1; di <= 1; ++di)
            for (int dj = -1; dj <= 1; ++dj) {
                const int ni = i + di, nj = j + dj;
                if ((di == 0 && dj == 0) || ni < 0 || nj < 0 || ni >= s.rows() || nj >= s.columns())
                    continue;
                if (s(ni, nj) & (keep | deleted))
                    continue;   // marks are never entered
                const double next = dist + (di != 0 && dj != 0 ? b : a);
                if (next < d(ni, nj)) {
                    d(ni, nj) = next;
                    open.emplace(next, ni, nj);
                }
            }
    }
    return d;
}

}  // namespace

TEST(MarkDistances, ConstantsAreTheChamferWeights) {
    EXPECT_FLOAT_EQ(classification::markAxialStep, 0.9619349f);
    EXPECT_FLOAT_EQ(classification::markDiagonalStep, 1.3604507f);
    EXPECT_FLOAT_EQ(markUnreached, 1.7014117e38f);
    EXPECT_TRUE(std::isfinite(markUnreached + markUnreached));
}

TEST(MarkDistances, SingleKeepPixelGivesChamferSteps) {
    auto s = statuses(7, 7);
    s(3, 3) = keep;
    MarkDistanceArray d;
    buildMarkDistances(d, s, ProgressRange());
    const float a = 0.9619349f, b = 1.3604507f;
    struct Expected { int i, j; float value; };
    for (const Expected& e : {Expected{3, 3, 0.0f}, Expected{2, 3, a}, Expected{3, 4, a},
                              Expected{2, 2, b}, Expected{4, 4, b}, Expected{1, 3, a + a},
                              Expected{3, 5, a + a}, Expected{1, 2, a + b}, Expected{5, 4, a + b},
                              Expected{1, 1, b + b}, Expected{5, 5, b + b}}) {
        SCOPED_TRACE(testing::Message() << "(" << e.i << "," << e.j << ")");
        EXPECT_EQ(d(e.i, e.j)[0], e.value);
    }
    EXPECT_FLOAT_EQ(d(1, 3)[0], 1.9238698f);
    EXPECT_FLOAT_EQ(d(1, 2)[0], 2.3223858f);
    EXPECT_FLOAT_EQ(d(1, 1)[0], 2.7209015f);
    // No delete mark anywhere: component 1 is unreached except on the marked pixel.
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j)
            EXPECT_EQ(d(i, j)[1], (i == 3 && j == 3) ? 0.0f : markUnreached);
}

TEST(MarkDistances, DeleteLineBlocksKeepDistances) {
    auto s = statuses(6, 5);
    s(0, 2) = keep;
    s(2, blitz::Range::all()) = deleted;
    MarkDistanceArray d;
    buildMarkDistances(d, s, ProgressRange());
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(d(2, j)[0], 0.0f) << "marked pixels read 0 in both components";
        EXPECT_EQ(d(2, j)[1], 0.0f);
        for (int i = 3; i < 6; ++i)
            EXPECT_EQ(d(i, j)[0], markUnreached) << i << "," << j;
        EXPECT_LT(d(1, j)[0], 3.0f);
    }
    EXPECT_EQ(d(0, 2)[1], 0.0f);
    EXPECT_EQ(d(1, 2)[1], 0.9619349f);
    EXPECT_FLOAT_EQ(d(5, 0)[1], 0.9619349f * 3);
}

TEST(MarkDistances, KeepsTheCropIndicesAndMatchesShortestPaths) {
    // A crop of a larger status image: the result carries the crop's indices, and marks
    // outside the crop are not seen.
    blitz::Array<unsigned char, 2> whole(20, 20);
    whole = 1;
    whole(4, 4) = keep;                       // outside the crop
    const char* layout[] = {
        "...........",
        "..K........",
        "......D....",
        "..DDDDD....",
        "...........",
        ".......K...",
        "D..........",
        "........DD.",
    };
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 11; ++j)
            whole(5 + i, 6 + j) = layout[i][j] == 'K' ? keep : layout[i][j] == 'D' ? deleted : 1;
    blitz::Array<unsigned char, 2> crop =
        classification::cropToBox(whole, classification::IntBox(5, 6, 12, 16));
    MarkDistanceArray d;
    buildMarkDistances(d, crop, ProgressRange());
    ASSERT_EQ(d.lbound(0), 5);
    ASSERT_EQ(d.lbound(1), 6);
    ASSERT_EQ(d.rows(), 8);
    ASSERT_EQ(d.columns(), 11);

    blitz::Array<unsigned char, 2> local(8, 11);
    local = crop;
    for (int component = 0; component < 2; ++component) {
        auto expected = referenceDistances(local, component == 0 ? keep : deleted);
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 11; ++j) {
                SCOPED_TRACE(testing::Message() << component << " at " << i << "," << j);
                const float got = d(5 + i, 6 + j)[component];
                if (local(i, j) & (keep | deleted))
                    EXPECT_EQ(got, 0.0f) << "marks of either class read 0";
                else if (std::isinf(expected(i, j)))
                    EXPECT_EQ(got, markUnreached);
                else
                    EXPECT_NEAR(got, expected(i, j), 1e-4);
            }
    }
}

TEST(MarkDistances, EmptyAndUnmarkedCrops) {
    MarkDistanceArray d;
    buildMarkDistances(d, statuses(3, 4), ProgressRange());
    ASSERT_EQ(d.size(), 12u);
    for (auto it = d.begin(); it != d.end(); ++it) {
        EXPECT_EQ((*it)[0], markUnreached);
        EXPECT_EQ((*it)[1], markUnreached);
    }
    blitz::Array<unsigned char, 2> none(0, 0);
    buildMarkDistances(d, none, ProgressRange());
    EXPECT_EQ(d.size(), 0u);
}
