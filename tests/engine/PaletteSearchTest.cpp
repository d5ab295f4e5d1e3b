#include "matting/PairScoring.h"
#include "matting/PaletteSearch.h"

#include "MattingTestSupport.h"
#include "classification/ProgressRange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace Corvel::matting;
using zqtest::channels;
using zqtest::cluster8;

namespace {

using Cluster8 = ColourCluster<cbbTypes8>;
using Triple8 = cbbTypes8::Triple;
using Palette8 = std::vector<Cluster8>;
using Pixel8 = blitz::TinyVector<unsigned char, 4>;

void expectColour(const FloatColour& got, float c0, float c1, float c2) {
    EXPECT_FLOAT_EQ(got[0], c0);
    EXPECT_FLOAT_EQ(got[1], c1);
    EXPECT_FLOAT_EQ(got[2], c2);
}

}  // namespace

TEST(PairScoring, SegmentScoreIsMinusTheDistanceToTheSegment) {
    struct Case { Vector3 c; float score; };
    const Vector3 f = {100.0, 0.0, 0.0}, b = {0.0, 0.0, 0.0};
    const Case cases[] = {
        {{50.0, 0.0, 0.0}, 0.0f},      // on the segment
        {{50.0, 10.0, 0.0}, -10.0f},   // beside it
        {{150.0, 0.0, 0.0}, -50.0f},   // beyond F
        {{-20.0, 0.0, 0.0}, -20.0f},   // beyond B
        {{130.0, 40.0, 0.0}, -50.0f},  // beyond F and beside
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.c[0]);
        EXPECT_FLOAT_EQ(segmentScore(f, b, k.c), k.score);
    }
    EXPECT_TRUE(std::isnan(segmentScore(f, f, {1.0, 2.0, 3.0})));
}

TEST(PairScoring, NearestToMeanTakesTheFirstOfEquals) {
    const Cluster8 three = cluster8({Triple8(0, 0, 0), Triple8(10, 0, 0), Triple8(4, 0, 0)});
    EXPECT_EQ(channels(nearestToMean(three)), channels(Triple8(4, 0, 0)));
    const Cluster8 two = cluster8({Triple8(0, 0, 0), Triple8(10, 0, 0)});   // both 5 away
    EXPECT_EQ(channels(nearestToMean(two)), channels(Triple8(0, 0, 0)));
}

TEST(PairScoring, InverseOfASymmetricMatrixOrZerosWhenSingular) {
    const SymmetricMatrix3 inverse = invertSymmetric3({2.0, 4.0, 5.0, 0.0, 0.0, 0.0});
    const SymmetricMatrix3 expected = {0.5, 0.25, 0.2, 0.0, 0.0, 0.0};
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(inverse[k], expected[k], 1e-12);
    for (double v : invertSymmetric3({1.0, 1.0, 0.0, 1.0, 0.0, 0.0}))
        EXPECT_EQ(v, 0.0);
}

TEST(PairScoring, FitTermIsTheMahalanobisFormOfTheScatterMatrix) {
    // Scatter 4I - 11^T, whose inverse is (I + 11^T) / 4: 0.5 on the diagonal, 0.25 off it.
    const Cluster8 corners = cluster8({Triple8(0, 0, 0), Triple8(2, 0, 0), Triple8(0, 2, 0),
                                       Triple8(0, 0, 2)});
    EXPECT_NEAR(clusterFitTerm(corners, {1.5, 0.5, 0.5}), -0.5, 1e-9);
    EXPECT_NEAR(clusterFitTerm(corners, {0.0, 0.0, 0.0}), -0.75, 1e-9);
    EXPECT_EQ(clusterFitTerm(cluster8({Triple8(9, 9, 9)}), {0.0, 0.0, 0.0}), 0.0);
    // Colours on a line: singular scatter, no fit term.
    EXPECT_EQ(clusterFitTerm(cluster8({Triple8(0, 0, 0), Triple8(5, 5, 5), Triple8(9, 9, 9)}),
                             {1.0, 2.0, 3.0}),
              0.0);
}

TEST(PairScoring, ChoosesTheClusterPairThatExplainsTheColour) {
    const Palette8 foreground{cluster8({Triple8(200, 200, 200)})};
    const Palette8 background{cluster8({Triple8(0, 0, 200)}), cluster8({Triple8(0, 0, 0)})};
    PairScore result;
    scorePalettePair(foreground, background, {100.0f, 100.0f, 100.0f}, result);
    EXPECT_FLOAT_EQ(result.score, 0.0f);
    expectColour(result.foreground, 200, 200, 200);
    expectColour(result.background, 0, 0, 0);
}

TEST(PairScoring, EqualScoresKeepTheEarlierCluster) {
    const Palette8 foreground{cluster8({Triple8(100, 0, 0)}), cluster8({Triple8(0, 100, 0)})};
    const Palette8 background{cluster8({Triple8(0, 0, 0)})};
    PairScore result;
    scorePalettePair(foreground, background, {0.0f, 0.0f, 0.0f}, result);
    expectColour(result.foreground, 100, 0, 0);
}

TEST(PairScoring, ReportedScoreIncludesTheFitTerms) {
    // Every colour of the foreground cluster has fit term -0.75; (100, 100, 100) is the one
    // whose segment to black passes through C exactly.
    const Palette8 foreground{cluster8({Triple8(102, 100, 100), Triple8(100, 100, 100),
                                        Triple8(100, 102, 100), Triple8(100, 100, 102)})};
    const Palette8 background{cluster8({Triple8(0, 0, 0)})};
    PairScore result;
    scorePalettePair(foreground, background, {50.0f, 50.0f, 50.0f}, result);
    EXPECT_NEAR(result.score, -0.75f, 1e-5);
    expectColour(result.foreground, 100, 100, 100);
}

TEST(PairScoring, IdenticalColoursScoreNothingAndLeaveTheColours) {
    const Palette8 same{cluster8({Triple8(30, 40, 50)})};
    PairScore result;
    result.foreground = {1.0f, 2.0f, 3.0f};
    scorePalettePair(same, same, {30.0f, 40.0f, 50.0f}, result);
    EXPECT_EQ(result.score, noScore);
    expectColour(result.foreground, 1, 2, 3);
}

namespace {

/// An 8 x 1 image (rows 0..7) and its statuses, for pyramids along one axis: level 0 has
/// cells of rows {0,1}, {2,3}, ..., level 1 {0..3}, {4..7}, level 2 all rows.
struct Strip {
    blitz::Array<Pixel8, 2> image{8, 1};
    blitz::Array<unsigned char, 2> status{8, 1};
    Strip() {
        image = Pixel8(0, 0, 0, 255);
        status = 0;
    }
    void set(int row, unsigned char bits, Pixel8 colour) {
        status(row, 0) = static_cast<unsigned char>(0x80 | bits);
        image(row, 0) = colour;
    }
    QuadrantPyramid<cbbTypes8> pyramid(unsigned char bits, double threshold) const {
        StatusMask mask{status, 1.0f, 1.0f, bits};
        QuadrantPyramid<cbbTypes8> result;
        buildPalettePyramid(result, image, mask, &threshold, ProgressRange());
        return result;
    }
};

}  // namespace

TEST(PaletteSearch, AnExactFitAtTheFinestLevelEndsTheSearch) {
    Strip strip;
    strip.set(0, 2, Pixel8(100, 0, 0, 255));
    strip.set(1, 4, Pixel8(0, 0, 0, 255));
    strip.set(6, 2, Pixel8(0, 100, 0, 255));   // a better-looking keep colour far away
    const auto fg = strip.pyramid(2, 5.0), bg = strip.pyramid(4, 5.0);
    const auto [f, b] = searchPalettes(0, 0, fg, bg, {50.0f, 0.0f, 0.0f}, 0, 0, -0.01f);
    expectColour(f, 100, 0, 0);
    expectColour(b, 0, 0, 0);
}

TEST(PaletteSearch, ClimbsThroughAncestorsAndKeepsTheBestPairOfAllLevels) {
    // Row 0 is the pixel. Its level-0 keep cell holds (100, 0, 0); the delete colour black
    // comes from level 1; rows 4..7 hold a second keep colour that only the top cell sees.
    struct Case {
        const char* name;
        Pixel8 far;
        double threshold;
        FloatColour observed;
        float expected1;
    };
    const Case cases[] = {
        // (100, 20, 0) explains C exactly, but only at the top: the climb reaches it.
        {"fit at the top", Pixel8(100, 20, 0, 255), 5.0, {50.0f, 10.0f, 0.0f}, 20.0f},
        // No level fits. The top merges (100, 0, 0) with four (96, 0, 0) into the
        // representative (96, 0, 0), 5 away from C; level 0's pair, 3 away, stays best.
        {"best of all levels", Pixel8(96, 0, 0, 255), 10.0, {100.0f, 3.0f, 0.0f}, 0.0f},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Strip strip;
        strip.set(1, 2, Pixel8(100, 0, 0, 255));
        strip.set(2, 4, Pixel8(0, 0, 0, 255));
        for (int row = 4; row < 8; ++row)
            strip.set(row, 2, k.far);
        const auto fg = strip.pyramid(2, k.threshold), bg = strip.pyramid(4, k.threshold);
        const auto [f, b] = searchPalettes(0, 0, fg, bg, k.observed, 0, 0, -0.01f);
        expectColour(f, 100, k.expected1, 0);
        expectColour(b, 0, 0, 0);
    }
}

TEST(PaletteSearch, NoScoringPairGivesTheFallbackColours) {
    Strip strip;
    strip.set(0, 2 | 4, Pixel8(40, 40, 40, 255));   // the only keep and delete colour
    const auto fg = strip.pyramid(2, 5.0), bg = strip.pyramid(4, 5.0);
    const auto [f, b] = searchPalettes(3, 0, fg, bg, {10.0f, 10.0f, 10.0f}, 0, 0, -0.01f);
    expectColour(f, -1, -1, -1);
    expectColour(b, -1, -1, -1);
}

TEST(PaletteSearch, EmptyPyramidsThrowForegroundFirst) {
    struct Case { unsigned char marks; std::string message; };
    const Case cases[] = {{4, "Empty foreground palette"}, {2, "Empty background palette"},
                          {0, "Empty foreground palette"}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.message);
        Strip strip;
        strip.set(5, k.marks, Pixel8(1, 2, 3, 255));
        const auto fg = strip.pyramid(2, 5.0), bg = strip.pyramid(4, 5.0);
        try {
            searchPalettes(0, 0, fg, bg, {0.0f, 0.0f, 0.0f}, 0, 0, -0.01f);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), k.message);
        }
    }
}

namespace {

/// The pair scoring as plainly as it can be written: representatives and fit terms found
/// afresh for every pair, every pair scored in full.
template <typename Types>
PairScore plainPairScore(const std::vector<ColourCluster<Types>>& foreground,
                         const std::vector<ColourCluster<Types>>& background,
                         const FloatColour& observed) {
    const Vector3 c = {observed[0], observed[1], observed[2]};
    const auto widen = [](const typename Types::Triple& t) {
        return Vector3{double(t[0]), double(t[1]), double(t[2])};
    };
    float score = noScore;
    const ColourCluster<Types>* bestF = nullptr;
    const ColourCluster<Types>* bestB = nullptr;
    for (const auto& p : foreground)
        for (const auto& q : background) {
            const float s = segmentScore(widen(nearestToMean(p)), widen(nearestToMean(q)), c);
            if (s > score) {
                score = s;
                bestF = &p;
                bestB = &q;
            }
        }
    PairScore result;
    if (!bestF)
        return result;
    for (const auto& f : bestF->colours)
        for (const auto& b : bestB->colours) {
            const float total = static_cast<float>(
                clusterFitTerm(*bestB, widen(b))
                + (clusterFitTerm(*bestF, widen(f)) + double(segmentScore(widen(f), widen(b), c))));
            if (total > result.score) {
                result.score = total;
                result.foreground = {float(f[0]), float(f[1]), float(f[2])};
                result.background = {float(b[0]), float(b[1]), float(b[2])};
            }
        }
    return result;
}

template <typename Types>
std::vector<ColourCluster<Types>> randomPalette(std::mt19937& random, int maximum) {
    std::uniform_int_distribution<int> clusters(1, 6), colours(1, 5), channel(0, maximum);
    std::vector<ColourCluster<Types>> palette(static_cast<std::size_t>(clusters(random)));
    for (auto& cluster : palette) {
        // Colours near a centre, so that clusters have shape and fit terms matter.
        const int centre[3] = {channel(random), channel(random), channel(random)};
        std::uniform_int_distribution<int> jitter(-maximum / 20, maximum / 20);
        for (int n = colours(random); n > 0; --n) {
            typename Types::Triple t;
            for (int k = 0; k < 3; ++k)
                t[k] = static_cast<typename Types::Channel>(
                    std::clamp(centre[k] + jitter(random), 0, maximum));
            cluster.append(t);
        }
        cluster.recomputeStatistics();
    }
    return palette;
}

template <typename Types>
void expectScoringMatchesThePlainForm(int maximum) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> channel(0, maximum);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        const auto foreground = randomPalette<Types>(random, maximum);
        const auto background = randomPalette<Types>(random, maximum);
        const FloatColour c = {float(channel(random)), float(channel(random)),
                               float(channel(random))};
        PairScore fast;
        scorePalettePair(foreground, background, c, fast);
        const PairScore plain = plainPairScore(foreground, background, c);
        ASSERT_EQ(fast.score, plain.score);
        ASSERT_EQ(fast.foreground, plain.foreground);
        ASSERT_EQ(fast.background, plain.background);
    }
}

}  // namespace

TEST(PairScoring, PreparedAndPrunedScoringChoosesExactlyAsThePlainForm) {
    // Colours on a coarse grid give ties and singular clusters as well as ordinary ones.
    expectScoringMatchesThePlainForm<cbbTypes8>(255);
    expectScoringMatchesThePlainForm<cbbTypes8>(12);
    expectScoringMatchesThePlainForm<cbbTypes16>(65535);
}

TEST(PaletteSearch, RememberedScoresGiveTheSameColoursAsFreshOnes) {
    // Random keep and delete pixels; every pixel searched for colours that repeat, with a
    // memory small enough to overwrite itself and one that keeps everything.
    std::mt19937 random(11);
    std::uniform_int_distribution<int> channel(0, 255), mark(0, 3);
    blitz::Array<Pixel8, 2> image(16, 16);
    blitz::Array<unsigned char, 2> status(16, 16);
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j) {
            image(i, j) = Pixel8(channel(random), channel(random), channel(random), 255);
            const int m = mark(random);
            status(i, j) = static_cast<unsigned char>(0x80 | (m == 1 ? 2 : m == 2 ? 4 : 0));
        }
    const double threshold = 20.0;
    QuadrantPyramid<cbbTypes8> fg, bg;
    buildPalettePyramid(fg, image, StatusMask{status, 1.0f, 1.0f, 2}, &threshold,
                        ProgressRange());
    buildPalettePyramid(bg, image, StatusMask{status, 1.0f, 1.0f, 4}, &threshold,
                        ProgressRange());
    const FloatColour colours[] = {{10, 200, 30}, {128, 128, 128}, {10, 200, 30}, {250, 5, 90}};
    SearchMemory small(3), large(12);
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j)
            for (const FloatColour& c : colours) {
                SCOPED_TRACE(testing::Message() << i << "," << j);
                const auto fresh = searchPalettes(i, j, fg, bg, c, 0, 0, -0.01f);
                ASSERT_EQ(searchPalettes(i, j, fg, bg, c, 0, 0, -0.01f, small), fresh);
                ASSERT_EQ(searchPalettes(i, j, fg, bg, c, 0, 0, -0.01f, large), fresh);
            }
}
