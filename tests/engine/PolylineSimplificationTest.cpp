#include "classification/PolylineSimplification.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace classification;

namespace {

FloatPolyline floats(const std::vector<std::pair<float, float>>& points) {
    FloatPolyline polyline;
    for (const auto& [a, b] : points)
        polyline.emplace_back(a, b);
    return polyline;
}

IntPolyline ints(const std::vector<std::pair<int, int>>& points) {
    IntPolyline polyline;
    for (const auto& [a, b] : points)
        polyline.emplace_back(a, b);
    return polyline;
}

void expectPoints(const FloatPolyline& actual, const std::vector<std::pair<float, float>>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t k = 0; k < actual.size(); ++k) {
        EXPECT_NEAR(actual[k][0], expected[k].first, 1e-5f) << k;
        EXPECT_NEAR(actual[k][1], expected[k].second, 1e-5f) << k;
    }
}

std::vector<std::pair<int, int>> pairs(const IntPolyline& points) {
    std::vector<std::pair<int, int>> out;
    for (const IntPoint& p : points)
        out.emplace_back(p[0], p[1]);
    return out;
}

}  // namespace

struct SimplifyCase {
    const char* name;
    std::vector<std::pair<int, int>> points;
    float tolerance;
    std::vector<std::pair<int, int>> kept;
};

TEST(SimplifyPolylines, DouglasPeuckerWorkedByHand) {
    const std::vector<SimplifyCase> cases = {
        {"collinear points", {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}, 0.0f, {{0, 0}, {4, 4}}},
        {"collinear points, wide tolerance", {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}, 5.0f, {{0, 0}, {4, 4}}},
        {"distance equal to the tolerance is dropped", {{0, 0}, {2, 1}, {4, 0}}, 1.0f, {{0, 0}, {4, 0}}},
        {"distance above the tolerance stays", {{0, 0}, {2, 1}, {4, 0}}, 0.99f, {{0, 0}, {2, 1}, {4, 0}}},
        // (8, 0) is farthest from the chord to (8, 4); then (4, 1) lies 1 from (0,0)-(8,0),
        // and (2, 0) and (6, 0) lie 2 / sqrt(17) from the chords through (4, 1).
        {"nested ranges", {{0, 0}, {2, 0}, {4, 1}, {6, 0}, {8, 0}, {8, 4}}, 0.9f, {{0, 0}, {4, 1}, {8, 0}, {8, 4}}},
        {"nested ranges, one more dropped", {{0, 0}, {2, 0}, {4, 1}, {6, 0}, {8, 0}, {8, 4}}, 1.0f, {{0, 0}, {8, 0}, {8, 4}}},
        // split at (4, 4), the point farthest from the start; each half keeps its corner
        {"closed square", {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}}, 1.0f, {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}}},
        {"closed square, tolerance above its half", {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}}, 3.0f, {{0, 0}, {4, 4}, {0, 0}}},
        {"two points", {{0, 0}, {5, 5}}, 1.0f, {{0, 0}, {5, 5}}},
        {"closed pair", {{3, 3}, {3, 3}}, 1.0f, {{3, 3}, {3, 3}}},
        {"one point", {{3, 3}}, 1.0f, {{3, 3}}},
        {"empty", {}, 1.0f, {}},
    };
    for (const SimplifyCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<IntPolyline> intList = {ints(c.points)};
        simplifyIntPolylines(intList, c.tolerance);
        EXPECT_EQ(pairs(intList[0]), c.kept);

        EdgePolylineList floatList(1);
        for (const auto& [a, b] : c.points)
            floatList[0].emplace_back(static_cast<float>(a), static_cast<float>(b));
        simplifyPolylines(floatList, c.tolerance);
        std::vector<std::pair<float, float>> kept;
        for (const auto& [a, b] : c.kept)
            kept.emplace_back(static_cast<float>(a), static_cast<float>(b));
        expectPoints(floatList[0], kept);
    }
}

TEST(SimplifyPolylines, EveryPolylineOfTheListIsSimplified) {
    EdgePolylineList list = {floats({{0, 0}, {1, 0}, {2, 0}}), floats({{0, 0}, {0, 1}, {0, 2}, {0, 3}})};
    simplifyPolylines(list, 0.5f);
    expectPoints(list[0], {{0, 0}, {2, 0}});
    expectPoints(list[1], {{0, 0}, {0, 3}});
}

struct RoundCase {
    const char* name;
    std::vector<std::pair<float, float>> points;
    float radius;
    std::vector<std::pair<float, float>> rounded;
};

TEST(RoundPolylineCorners, CornersWorkedByHand) {
    const float c = 0.5f / std::sqrt(0.5f);   // cut-back of a right angle at radius 0.5
    const float h = 0.5f / std::sin(0.39269908f) / std::sqrt(2.0f);   // per axis, on the diagonal
    const std::vector<RoundCase> cases = {
        // straight on: k = 2, d = radius, capped at a quarter of each segment
        {"straight, radius below the quarters", {{0, 0}, {4, 0}, {12, 0}}, 0.5f, {{0, 0}, {3.5f, 0}, {4.5f, 0}, {12, 0}}},
        {"straight, capped at the quarters", {{0, 0}, {4, 0}, {12, 0}}, 3.0f, {{0, 0}, {3, 0}, {6, 0}, {12, 0}}},
        {"right angle", {{0, 0}, {4, 0}, {4, 4}}, 0.5f, {{0, 0}, {4 - c, 0}, {4, c}, {4, 4}}},
        {"turning straight back keeps the corner", {{0, 0}, {4, 0}, {1, 0}}, 0.5f, {{0, 0}, {4, 0}, {1, 0}}},
        // the rounder passes over the repeated point, so the corner is rounded as without it
        {"repeated point", {{0, 0}, {4, 0}, {4, 0}, {4, 4}}, 0.5f, {{0, 0}, {4 - c, 0}, {4, c}, {4, 4}}},
        // the closing corner's incoming side has length 0: it keeps its point; the 135 degree
        // turn at (4, 4) cuts back 0.5 / sin(22.5 deg), capped at 1 on the short side
        {"closed with a repeated closing point", {{0, 0}, {4, 0}, {4, 4}, {0, 0}, {0, 0}}, 0.5f,
         {{4 - c, 0}, {4, c}, {4, 3}, {4 - h, 4 - h}, {0, 0}, {4 - c, 0}}},
        {"closed square stays closed", {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}}, 0.5f,
         {{4 - c, 0}, {4, c}, {4, 4 - c}, {4 - c, 4}, {c, 4}, {0, 4 - c}, {0, c}, {c, 0}, {4 - c, 0}}},
        {"two points stay", {{0, 0}, {4, 0}}, 0.5f, {{0, 0}, {4, 0}}},
        {"closed pair stays", {{1, 1}, {1, 1}}, 0.5f, {{1, 1}, {1, 1}}},
    };
    for (const RoundCase& rc : cases) {
        SCOPED_TRACE(rc.name);
        EdgePolylineList list = {floats(rc.points)};
        roundPolylineCorners(list.begin(), list.end(), rc.radius);
        expectPoints(list[0], rc.rounded);
        for (const FloatPoint& p : list[0])
            EXPECT_FALSE(std::isnan(p[0]) || std::isnan(p[1]));
    }
}

TEST(RoundPolylineCorners, TwiceInARowKeepsAClosedPolylineClosed) {
    EdgePolylineList list = {floats({{0, 0}, {6, 0}, {6, 3}, {2, 5}, {0, 0}}), floats({{0, 0}, {1, 0}})};
    roundPolylineCorners(list.begin(), list.end(), 1.0f);
    roundPolylineCorners(list.begin(), list.end(), 1.0f);
    ASSERT_GE(list[0].size(), 9u);
    EXPECT_TRUE(samePoint(list[0].front(), list[0].back()));
    expectPoints(list[1], {{0, 0}, {1, 0}});
}
