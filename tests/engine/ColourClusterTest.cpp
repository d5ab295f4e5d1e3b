#include "matting/ClusterSplitting.h"
#include "matting/ColourCluster.h"

#include "MattingTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Corvel::matting;
using zqtest::channels;
using zqtest::cluster8;
using zqtest::makeCluster;

namespace {

using Cluster8 = ColourCluster<cbbTypes8>;
using Cluster16 = ColourCluster<cbbTypes16>;
using Triple8 = cbbTypes8::Triple;

double norm(const Vector3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// |a x b| / (|a| |b|): 0 for parallel vectors.
double sineBetween(const Vector3& a, const Vector3& b) {
    const Vector3 cross = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                           a[0] * b[1] - a[1] * b[0]};
    return norm(cross) / (norm(a) * norm(b));
}

}  // namespace

TEST(ColourClusterStatistics, SingleColourHasNoSpreadAndNoAxis) {
    const Cluster8 c = cluster8({Triple8(10, 20, 30)});
    EXPECT_DOUBLE_EQ(c.sums[0], 10.0);
    EXPECT_DOUBLE_EQ(c.sums[1], 20.0);
    EXPECT_DOUBLE_EQ(c.sums[2], 30.0);
    for (double m : c.scatterMatrix())
        EXPECT_DOUBLE_EQ(m, 0.0);
    EXPECT_DOUBLE_EQ(c.spread, 0.0);
    EXPECT_DOUBLE_EQ(norm(c.axis), 0.0);
}

TEST(ColourClusterStatistics, TwoColoursSpreadHalfTheSquaredDistanceAlongTheirDifference) {
    // d = (4, 3, 0): |d|^2 = 25, spread 12.5; the first adjugate column is
    // (spread * d0 / 2) * d = (100, 75, 0).
    const Cluster8 c = cluster8({Triple8(14, 23, 30), Triple8(10, 20, 30)});
    EXPECT_NEAR(c.spread, 12.5, 1e-9);
    EXPECT_NEAR(c.axis[0], 100.0, 1e-6);
    EXPECT_NEAR(c.axis[1], 75.0, 1e-6);
    EXPECT_NEAR(c.axis[2], 0.0, 1e-6);
}

TEST(ColourClusterStatistics, AxisExistsWhenTheSpreadHasNoFirstChannelComponent) {
    // Green against blue at equal red: the first adjugate column is zero, yet the clusters
    // differ plainly and need an axis along (0, 1, -1).
    const Cluster8 c = cluster8({Triple8(50, 200, 0), Triple8(50, 0, 200)});
    EXPECT_NEAR(c.spread, 40000.0, 1e-6);
    ASSERT_GT(norm(c.axis), 1.0);
    EXPECT_NEAR(sineBetween(c.axis, {0.0, 1.0, -1.0}), 0.0, 1e-9);
}

TEST(ColourClusterStatistics, FourCornerColoursGiveMomentsOfThePartAndARepeatedSpread) {
    const Cluster8 c = cluster8({Triple8(0, 0, 0), Triple8(2, 0, 0), Triple8(0, 2, 0),
                                 Triple8(0, 0, 2)});
    const Vector3 mean = c.clusterMean();
    EXPECT_DOUBLE_EQ(mean[0], 0.5);
    const SymmetricMatrix3 m = c.scatterMatrix();
    EXPECT_DOUBLE_EQ(m[0], 3.0);
    EXPECT_DOUBLE_EQ(m[3], -1.0);
    EXPECT_NEAR(c.spread, 4.0, 1e-6);
    // Eigenvalues 4, 4, 1: the adjugate of M - 4I vanishes, so there is no single axis.
    EXPECT_LT(norm(c.axis), 1e-6);
}

TEST(ColourClusterStatistics, SixteenBitProductsEnterTheMomentsWithoutWrapping) {
    const Cluster16 c = makeCluster<cbbTypes16>(
        {cbbTypes16::Triple(65535, 65535, 1), cbbTypes16::Triple(65535, 2, 65535)});
    EXPECT_DOUBLE_EQ(c.moments[0], 2.0 * 65535.0 * 65535.0);   // above 2^32
    EXPECT_DOUBLE_EQ(c.moments[3], 65535.0 * 65535.0 + 65535.0 * 2.0);
    EXPECT_DOUBLE_EQ(c.moments[5], 65535.0 + 65535.0 * 65535.0);
}

TEST(ColourClusterStatistics, BrightSixteenBitSpreadEqualsTheShiftedSpread) {
    using T = cbbTypes16::Triple;
    const Cluster16 bright = makeCluster<cbbTypes16>(
        {T(65000, 65010, 65020), T(65300, 65100, 65035), T(65500, 65200, 65535)});
    const Cluster16 dark = makeCluster<cbbTypes16>(
        {T(5000, 5010, 5020), T(5300, 5100, 5035), T(5500, 5200, 5535)});
    EXPECT_NEAR(bright.spread / dark.spread, 1.0, 1e-6);
    EXPECT_NEAR(sineBetween(bright.axis, dark.axis), 0.0, 1e-6);
}

TEST(ColourClusterStatistics, EmptyClusterKeepsItsStatistics) {
    Cluster8 c;
    c.spread = 7.0;
    c.sums = {1.0, 2.0, 3.0};
    c.recomputeStatistics();
    EXPECT_DOUBLE_EQ(c.spread, 7.0);
    EXPECT_DOUBLE_EQ(c.sums[2], 3.0);
}

TEST(ColourClusterStatistics, LargestCubicRootOfKnownPolynomials) {
    struct Case { double a, b, c, root; };
    const Case cases[] = {
        {-6.0, 11.0, -6.0, 3.0},    // (x-1)(x-2)(x-3): three real roots
        {0.0, 0.0, -1.0, 1.0},      // x^3 - 1: one real root
        {-9.0, 24.0, -20.0, 5.0},   // (x-2)^2 (x-5): a double root
        {-9.0, 15.0, -7.0, 7.0},    // (x-1)^2 (x-7)
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.root);
        EXPECT_NEAR(largestCubicRoot(k.a, k.b, k.c), k.root, 1e-6);
    }
}

TEST(ClusterSplitting, TwoColoursAreCutExactlyWhenFurtherApartThanTheThreshold) {
    for (double threshold : {9.9, 10.0, 10.1}) {
        SCOPED_TRACE(threshold);
        Cluster8 c = cluster8({Triple8(10, 5, 5), Triple8(20, 5, 5)});
        Cluster8 d;
        splitCluster(c, threshold, d);
        if (threshold < 10.0) {
            ASSERT_EQ(d.colours.size(), 1u);
            ASSERT_EQ(c.colours.size(), 1u);
            EXPECT_EQ(d.colours[0][0], 20);   // beyond the plane along the axis
            EXPECT_EQ(c.colours[0][0], 10);
            EXPECT_EQ(d.tags.size(), 1u);
            EXPECT_EQ(c.tags.size(), 1u);
            EXPECT_DOUBLE_EQ(c.sums[0], 10.0);   // reduced by the moved half
            EXPECT_DOUBLE_EQ(c.moments[0], 100.0);
            EXPECT_DOUBLE_EQ(c.spread, 0.0);
        } else {
            EXPECT_TRUE(d.colours.empty());
            EXPECT_EQ(c.colours.size(), 2u);
        }
    }
}

TEST(ClusterSplitting, ClustersDifferingOnlyInTheSecondAndThirdChannelsAreCut) {
    Cluster8 c = cluster8({Triple8(50, 200, 0), Triple8(50, 200, 0), Triple8(50, 0, 200)});
    Cluster8 d;
    splitCluster(c, 100.0, d);
    ASSERT_EQ(c.colours.size() + d.colours.size(), 3u);
    ASSERT_FALSE(d.colours.empty());
    ASSERT_FALSE(c.colours.empty());
    // Each half is one colour only.
    for (const Cluster8* half : {&c, &d})
        for (const Triple8& colour : half->colours)
            EXPECT_EQ(colour[1], half->colours[0][1]);
}

TEST(ClusterSplitting, EqualColoursAreNeverCut) {
    Cluster8 c = cluster8({Triple8(7, 8, 9), Triple8(7, 8, 9), Triple8(7, 8, 9)});
    Cluster8 d;
    splitCluster(c, 0.0, d);
    EXPECT_TRUE(d.colours.empty());
    EXPECT_EQ(c.colours.size(), 3u);
}

TEST(ClusterSplitting, SplitLoopAppendsHalvesAndHonoursTheMaximumCount) {
    struct Case { unsigned maximum; std::vector<int> firstChannels; };
    const Case cases[] = {
        {1, {0, 100, 200}},          // nothing at all for a maximum of 1
        {2, {0, 100, 200}},          // one cut: {0, 100} stays, {200} appended
        {3, {0, 200, 100}},          // then {0, 100} is cut and {100} appended
        {27, {0, 200, 100}},         // three single colours cannot be cut further
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.maximum);
        std::vector<Cluster8> list{cluster8({Triple8(0, 0, 0), Triple8(100, 0, 0),
                                             Triple8(200, 0, 0)})};
        splitClusters(list, k.maximum, 60.0);
        std::vector<int> got;
        for (const Cluster8& c : list)
            for (const Triple8& colour : c.colours)
                got.push_back(colour[0]);
        EXPECT_EQ(got, k.firstChannels);
        EXPECT_EQ(list.size(), std::min<std::size_t>(k.maximum, 3));
    }
}

TEST(ClusterSplitting, RefusedCutOfTheWidestClusterEndsTheLoop) {
    // The widest cluster (one outlier 40 away, spread 1440) cannot be cut at 45; the narrower
    // pair 50 apart (spread 1250) could, but the loop ends at the first refusal.
    Cluster8 wide;
    for (int k = 0; k < 9; ++k)
        wide.append(Triple8(0, 0, 0));
    wide.append(Triple8(40, 0, 0));
    wide.recomputeStatistics();
    std::vector<Cluster8> list{wide, cluster8({Triple8(0, 0, 0), Triple8(0, 50, 0)})};
    ASSERT_GT(list[0].spread, list[1].spread);
    splitClusters(list, 27, 45.0);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].colours.size(), 2u);
}

TEST(ClusterSplitting, RefinementKeepsTruncatedMeansOfTheSubClusters) {
    Cluster8 c = cluster8({Triple8(10, 0, 0), Triple8(11, 0, 0), Triple8(100, 0, 0),
                           Triple8(102, 0, 0)});
    refineToPalette(c, 27, 20.0);
    ASSERT_EQ(c.colours.size(), 2u);
    EXPECT_EQ(channels(c.colours[0]), channels(Triple8(10, 0, 0)));    // mean 10.5 truncated
    EXPECT_EQ(channels(c.colours[1]), channels(Triple8(101, 0, 0)));
    EXPECT_EQ(c.tags, std::vector<std::uint32_t>({0, 0}));
    EXPECT_DOUBLE_EQ(c.sums[0], 111.0);            // statistics of the representatives

    Cluster8 whole = cluster8({Triple8(10, 0, 0), Triple8(11, 0, 0)});
    refineToPalette(whole, 27, 1e9);
    ASSERT_EQ(whole.colours.size(), 1u);
    EXPECT_EQ(channels(whole.colours[0]), channels(Triple8(10, 0, 0)));
}
