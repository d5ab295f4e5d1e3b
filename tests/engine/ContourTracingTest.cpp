#include "classification/ContourTracing.h"
#include "classification/ContourToPolyline.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace classification;

namespace {

template <typename T>
blitz::Array<T, 2> grid(const std::vector<std::vector<int>>& rows) {
    blitz::Array<T, 2> image(static_cast<int>(rows.size()), static_cast<int>(rows[0].size()));
    for (int i = 0; i < image.extent(0); ++i)
        for (int j = 0; j < image.extent(1); ++j)
            image(i, j) = static_cast<T>(rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]);
    return image;
}

std::vector<std::pair<int, int>> pairs(const IntPolyline& points) {
    std::vector<std::pair<int, int>> out;
    for (const IntPoint& p : points)
        out.emplace_back(p[0], p[1]);
    return out;
}

blitz::Array<unsigned char, 2> cleared(int rows, int columns) {
    blitz::Array<unsigned char, 2> visited(rows, columns);
    visited = 0;
    return visited;
}

const ContourDirections directions = ContourDirections::standard();
const ContourTransitions transitions = ContourTransitions::standard();

}  // namespace

TEST(ContourTables, EveryDirectionIsThePreviousTurnedByAQuarter) {
    const int expected[4][4][2] = {
        {{0, 0}, {1, 0}, {0, 1}, {1, 1}},
        {{0, 0}, {0, 1}, {-1, 0}, {-1, 1}},
        {{0, 0}, {-1, 0}, {0, -1}, {-1, -1}},
        {{0, 0}, {0, -1}, {1, 0}, {1, -1}},
    };
    for (int d = 0; d < 4; ++d)
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(directions.at(d, k)[0], expected[d][k][0]) << d << "," << k;
            EXPECT_EQ(directions.at(d, k)[1], expected[d][k][1]) << d << "," << k;
        }
    EXPECT_EQ(transitions.at(0, 2).move, ContourTransitions::deadEnd);
    EXPECT_EQ(transitions.at(1, 3).move, ContourDirections::diagonal);
    EXPECT_EQ(transitions.at(1, 3).turn, 1);
}

TEST(TraceContour, SinglePixelIsAClosedSquareMarkedOnItsOwnSide) {
    auto labels = grid<std::int32_t>({{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 1, 0, 0},
                                      {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}});
    auto visited = cleared(5, 5);
    IntPolyline points;
    EXPECT_EQ(traceContourB(points, visited, labels, IntPoint(2, 2), 0, directions, transitions), 0);
    // The corners of pixel (2, 2): its far corner first (side (0, 1) with forward (1, 0)),
    // then round against the direction of the side.
    EXPECT_EQ(pairs(points), (std::vector<std::pair<int, int>>{{3, 3}, {3, 2}, {2, 2}, {2, 3}, {3, 3}}));
    EXPECT_EQ(visited(2, 2), 15);
    EXPECT_EQ(blitz::sum(blitz::cast<int>(visited)), 15) << "no bit on the other side";

    // The same pixel in a byte image.
    auto bytes = grid<unsigned char>({{0, 0, 0}, {0, 1, 0}, {0, 0, 0}});
    auto byteVisited = cleared(3, 3);
    IntPolyline bytePoints;
    EXPECT_EQ(traceContourA(bytePoints, byteVisited, bytes, IntPoint(1, 1), 2, directions, transitions), 0);
    EXPECT_EQ(bytePoints.size(), 5u);
    EXPECT_EQ(bytePoints.front()[0], bytePoints.back()[0]);
    EXPECT_EQ(bytePoints.front()[1], bytePoints.back()[1]);
}

TEST(TraceContour, BoundaryBetweenJunctionsIsOpenAndMarkedOnBothSides) {
    auto labels = grid<std::int32_t>({{0, 0, 0, 0, 0, 0},
                                      {0, 1, 1, 2, 2, 0},
                                      {0, 1, 1, 2, 2, 0},
                                      {0, 3, 3, 3, 3, 0},
                                      {0, 0, 0, 0, 0, 0}});
    auto visited = cleared(5, 6);
    IntPolyline points;
    // From pixel (1, 2) of label 1, direction 0: the side (1, 3) is label 2.
    EXPECT_EQ(traceContourB(points, visited, labels, IntPoint(1, 2), 0, directions, transitions), 1);
    // Runs from the junction of 1, 2 and 3 up to the junction of 1, 2 and 0.
    EXPECT_EQ(pairs(points), (std::vector<std::pair<int, int>>{{3, 3}, {2, 3}, {1, 3}}));
    EXPECT_EQ(visited(1, 2), 1);
    EXPECT_EQ(visited(2, 2), 1);
    EXPECT_EQ(visited(1, 3), 4) << "the second trace, from label 2's side, goes in direction 2";
}

TEST(TraceContour, BadArgumentsAndTracesOffTheImageAreRefused) {
    auto labels = grid<std::int32_t>({{0, 1}, {1, 1}});
    auto visited = cleared(2, 2);
    IntPolyline points;
    EXPECT_THROW(traceContourB(points, visited, labels, IntPoint(0, 0), 0, directions, transitions),
                 std::out_of_range);
    auto small = cleared(1, 2);
    EXPECT_THROW(traceContourB(points, small, labels, IntPoint(0, 0), 0, directions, transitions),
                 std::invalid_argument);
    auto ring = grid<std::int32_t>({{0, 0, 0}, {0, 1, 0}, {0, 0, 0}});
    auto ringVisited = cleared(3, 3);
    EXPECT_THROW(traceContourB(points, ringVisited, ring, IntPoint(1, 1), 4, directions, transitions),
                 std::invalid_argument);
    EXPECT_THROW(traceContourB(points, ringVisited, ring, IntPoint(1, 1), -1, directions, transitions),
                 std::invalid_argument);

    // A start outside the images, or on their edge, is refused before any point or bit is written.
    for (const IntPoint& start : {IntPoint(40, 40), IntPoint(-9, 1), IntPoint(1, 3), IntPoint(0, 1)}) {
        SCOPED_TRACE(testing::Message() << start);
        IntPolyline none;
        EXPECT_THROW(traceContourB(none, ringVisited, ring, start, 0, directions, transitions),
                     std::out_of_range);
        EXPECT_THROW(traceContourA(none, ringVisited, blitz::Array<unsigned char, 2>(blitz::cast<unsigned char>(ring)),
                                   start, 0, directions, transitions),
                     std::out_of_range);
        EXPECT_THROW(followContour(none, ringVisited, ring, start, 0, directions, transitions),
                     std::out_of_range);
        EXPECT_TRUE(none.empty());
        EXPECT_EQ(blitz::sum(blitz::cast<int>(ringVisited)), 0);
    }
    EXPECT_THROW(followContour(points, ringVisited, ring, IntPoint(1, 1), 7, directions, transitions),
                 std::invalid_argument);
}

using Variant = std::function<void(FloatPolyline&, const IntPolyline&)>;

struct VariantCase {
    const char* name;
    Variant convert;
    std::vector<std::pair<float, float>> square;     // from the closed unit square
    std::vector<std::pair<float, float>> segment;    // from the open contour (0, 0), (3, 0)
};

TEST(ContourToPolyline, EveryVariantOnTheUnitSquareAndOnOneSegment) {
    const float t = 1.0f / 3, s = 1.0f / 6;
    const std::vector<VariantCase> cases = {
        {"midpoints", contourToPolylineMidpoints,
         {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}, {0.5f, 0}}, {{0, 0}, {1.5f, 0}, {3, 0}}},
        {"thirds", contourToPolylineCutThirds,
         {{t, 0}, {2 * t, 0}, {1, t}, {1, 2 * t}, {2 * t, 1}, {t, 1}, {0, 2 * t}, {0, t}, {t, 0}},
         {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        {"quarters", contourToPolylineCutQuarters,
         {{0.25f, 0}, {0.75f, 0}, {1, 0.25f}, {1, 0.75f}, {0.75f, 1}, {0.25f, 1}, {0, 0.75f}, {0, 0.25f}, {0.25f, 0}},
         {{0, 0}, {0.75f, 0}, {2.25f, 0}, {3, 0}}},
        {"smooth 1-2-1", contourToPolylineSmooth4,
         {{0.75f, 0.25f}, {0.75f, 0.75f}, {0.25f, 0.75f}, {0.25f, 0.25f}, {0.75f, 0.25f}}, {{0, 0}, {3, 0}}},
        {"smooth 1-3-1", contourToPolylineSmooth5,
         {{0.8f, 0.2f}, {0.8f, 0.8f}, {0.2f, 0.8f}, {0.2f, 0.2f}, {0.8f, 0.2f}}, {{0, 0}, {3, 0}}},
        {"smooth 1-4-1", contourToPolylineSmooth6,
         {{5 * s, s}, {5 * s, 5 * s}, {s, 5 * s}, {s, s}, {5 * s, s}}, {{0, 0}, {3, 0}}},
        {"unchanged", contourToPolyline, {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}, {{0, 0}, {3, 0}}},
    };
    const IntPolyline square = {IntPoint(0, 0), IntPoint(1, 0), IntPoint(1, 1), IntPoint(0, 1), IntPoint(0, 0)};
    const IntPolyline segment = {IntPoint(0, 0), IntPoint(3, 0)};
    for (const VariantCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [contour, expected] :
             {std::make_pair(&square, &c.square), std::make_pair(&segment, &c.segment)}) {
            FloatPolyline polyline;
            c.convert(polyline, *contour);
            ASSERT_EQ(polyline.size(), expected->size());
            for (std::size_t k = 0; k < polyline.size(); ++k) {
                EXPECT_FLOAT_EQ(polyline[k][0], (*expected)[k].first) << k;
                EXPECT_FLOAT_EQ(polyline[k][1], (*expected)[k].second) << k;
            }
        }
        FloatPolyline untouched;
        c.convert(untouched, IntPolyline{IntPoint(2, 2)});
        EXPECT_TRUE(untouched.empty()) << "a one-point contour gives nothing";
    }
}
