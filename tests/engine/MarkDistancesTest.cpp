#include "classification/MarkDistances.h"

#include "classification/IntBox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <queue>
#include <tuple>
#include <utility>
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

// The growth as it was first written: buckets found by their distance in an ordered map.
// The faster growth must give the same floats bit for bit, ties between equal sums included.
void previousGrowth(MarkDistanceArray& d, const blitz::Array<unsigned char, 2>& s, int component,
                    unsigned char bit) {
    using Point = std::pair<int, int>;
    using Step = std::pair<float, float>;
    const float axialStep = classification::markAxialStep;
    const float diagonalStep = classification::markDiagonalStep;
    const int i0 = s.lbound(0), j0 = s.lbound(1), i1 = s.ubound(0), j1 = s.ubound(1);
    auto neighbours = [&](const Point& p, bool diagonal) {
        std::vector<Point> out;
        const auto [i, j] = p;
        if (diagonal) {
            if (i > i0 && j > j0) out.emplace_back(i - 1, j - 1);
            if (i > i0 && j < j1) out.emplace_back(i - 1, j + 1);
            if (i < i1 && j > j0) out.emplace_back(i + 1, j - 1);
            if (i < i1 && j < j1) out.emplace_back(i + 1, j + 1);
        } else {
            if (i > i0) out.emplace_back(i - 1, j);
            if (j > j0) out.emplace_back(i, j - 1);
            if (i < i1) out.emplace_back(i + 1, j);
            if (j < j1) out.emplace_back(i, j + 1);
        }
        return out;
    };
    auto later = [](const Step& l, const Step& r) { return l.first + l.second > r.first + r.second; };
    std::map<float, std::vector<Point>> buckets;
    std::vector<Step> steps;
    auto open = [&](float distance) {
        buckets.emplace(distance, std::vector<Point>());
        for (float length : {axialStep, diagonalStep}) {
            steps.emplace_back(distance, length);
            std::push_heap(steps.begin(), steps.end(), later);
        }
    };
    auto hasClassNeighbour = [&](const Point& p, bool diagonal) {
        for (const Point& q : neighbours(p, diagonal))
            if (s(q.first, q.second) & bit)
                return true;
        return false;
    };
    open(axialStep);
    open(diagonalStep);
    for (int i = i0; i <= i1; ++i)
        for (int j = j0; j <= j1; ++j) {
            if (d(i, j)[component] != markUnreached)
                continue;
            if (hasClassNeighbour({i, j}, false)) {
                d(i, j)[component] = axialStep;
                buckets[axialStep].emplace_back(i, j);
            } else if (hasClassNeighbour({i, j}, true)) {
                d(i, j)[component] = diagonalStep;
                buckets[diagonalStep].emplace_back(i, j);
            }
        }
    while (!steps.empty()) {
        std::pop_heap(steps.begin(), steps.end(), later);
        const auto [distance, length] = steps.back();
        steps.pop_back();
        const bool diagonal = length == diagonalStep;
        auto found = buckets.find(distance);
        if (found != buckets.end() && !found->second.empty()) {
            const float n = length + distance;
            if (buckets.find(n) == buckets.end())
                open(n);
            std::vector<Point>& target = buckets[n];
            for (const Point& p : found->second)
                for (const Point& q : neighbours(p, diagonal))
                    if (d(q.first, q.second)[component] == markUnreached) {
                        d(q.first, q.second)[component] = n;
                        target.push_back(q);
                    }
        }
        if (diagonal && found != buckets.end())
            buckets.erase(found);
    }
}

MarkDistanceArray previousMarkDistances(const blitz::Array<unsigned char, 2>& s) {
    MarkDistanceArray d(s.shape());
    d.reindexSelf(s.lbound());
    for (int i = s.lbound(0); i <= s.ubound(0); ++i)
        for (int j = s.lbound(1); j <= s.ubound(1); ++j)
            d(i, j) = (s(i, j) & (keep | deleted)) ? classification::MarkDistance(0.0f, 0.0f)
                                                  : classification::MarkDistance(markUnreached, markUnreached);
    previousGrowth(d, s, 0, keep);
    previousGrowth(d, s, 1, deleted);
    return d;
}

// Scattered marks of both classes, a few walls and open areas wide enough for long distances
// (and many sums that meet in equal floats), from a fixed pseudo-random sequence.
blitz::Array<unsigned char, 2> scatteredMarks(int rows, int columns, std::uint32_t seed) {
    auto s = statuses(rows, columns);
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int k = 0; k < 6; ++k) {
        const int i = static_cast<int>(next() % static_cast<std::uint32_t>(rows));
        const int j = static_cast<int>(next() % static_cast<std::uint32_t>(columns));
        const unsigned char mark = k % 2 == 0 ? keep : deleted;
        const int length = static_cast<int>(next() % 12u);
        for (int t = 0; t <= length; ++t) {   // a short wall, across or down
            const int a = k % 3 == 0 ? i : std::min(i + t, rows - 1);
            const int b = k % 3 == 0 ? std::min(j + t, columns - 1) : j;
            s(a, b) = mark;
        }
    }
    return s;
}

}  // namespace

TEST(MarkDistances, SameFloatsAsTheMapBasedGrowth) {
    struct Case { int rows, columns; std::uint32_t seed; };
    for (const Case& c : {Case{1, 1, 1}, Case{1, 40, 2}, Case{37, 1, 3}, Case{23, 31, 4},
                          Case{64, 48, 5}, Case{97, 120, 6}, Case{150, 90, 7}}) {
        SCOPED_TRACE(testing::Message() << c.rows << "x" << c.columns << " seed " << c.seed);
        // A crop of a larger image, so that the indices do not start at 0 and rows are strided.
        blitz::Array<unsigned char, 2> whole = scatteredMarks(c.rows + 5, c.columns + 7, c.seed);
        const auto crop = classification::cropToBox(whole, classification::IntBox(3, 4, c.rows + 2, c.columns + 3));
        const MarkDistanceArray expected = previousMarkDistances(crop);
        MarkDistanceArray d;
        buildMarkDistances(d, crop, ProgressRange());
        ASSERT_EQ(d.lbound(0), 3);
        ASSERT_EQ(d.lbound(1), 4);
        int differing = 0;
        for (int i = crop.lbound(0); i <= crop.ubound(0); ++i)
            for (int j = crop.lbound(1); j <= crop.ubound(1); ++j)
                for (int component = 0; component < 2; ++component)
                    if (d(i, j)[component] != expected(i, j)[component]) {
                        if (++differing <= 5)
                            ADD_FAILURE() << "at " << i << "," << j << " component " << component << ": "
                                          << d(i, j)[component] << " instead of " << expected(i, j)[component];
                    }
        EXPECT_EQ(differing, 0);
    }
}

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
