#include "classification/MixedPixelBlend.h"

#include "ColourVector.h"
#include "MaskTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

using namespace classification;
using namespace Corvel::utility;

TEST(ColourVector, ProjectionOperations) {
    const ColourTriple p(10.0f, 20.0f, 30.0f), q(4.0f, 8.0f, 12.0f);
    EXPECT_EQ(masktest::values(colourDifference(p, q)), (std::array<int, 3>{6, 12, 18}));
    EXPECT_DOUBLE_EQ(squaredLength3(ColourTriple(1.0f, 2.0f, 2.0f)), 9.0);
    // Each square in float, the sum in double: 4097^2 is not a float, 16785408 is.
    EXPECT_DOUBLE_EQ(squaredLength3(ColourTriple(4097.0f, 0.0f, 1.0f)), 16785408.0 + 1.0);
    EXPECT_FLOAT_EQ(projectOnDifference(ColourTriple(1.0f, 0.0f, 2.0f), p, q), 6.0f + 36.0f);
    EXPECT_EQ(masktest::values(subtractScaled(p, 0.5f, ColourTriple(2.0f, 4.0f, -6.0f))),
              (std::array<int, 3>{9, 18, 33}));
}

TEST(ColourVector, StoredChannelsAreTruncatedAndClamped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Colour<unsigned char> pixel(1, 2, 3, 77);
    storeClampedColour8(pixel, ColourTriple(255.7f, -3.0f, 12.9f));
    EXPECT_EQ(pixel, Colour<unsigned char>(255, 0, 12, 77)) << "alpha is left alone";
    storeClampedColour8(pixel, ColourTriple(1e30f, nan, -0.5f));
    EXPECT_EQ(pixel, Colour<unsigned char>(255, 0, 0, 77));
    Colour<unsigned short> wide(0, 0, 0, 9);
    storeClampedColour16(wide, ColourTriple(70000.0f, 65534.9f, 32768.5f));
    EXPECT_EQ(wide, Colour<unsigned short>(65535, 65534, 32768, 9));
    storeClampedColour15(wide, ColourTriple(40000.0f, 32767.9f, -1.0f));
    EXPECT_EQ(wide, Colour<unsigned short>(32768, 32767, 0, 9));
}

TEST(MixedPixelBlend, SmoothShareOfACell) {
    auto status = masktest::filled<unsigned char>(1, 6, 0x80);
    status(0, 0) = 2;
    status(0, 1) = 4;
    status(0, 2) = 2 | 4;
    MarkDistanceArray distances = masktest::filled(1, 6, MarkDistance(1.0f, 3.0f));
    distances(0, 4) = MarkDistance(0.0f, 0.0f);
    distances(0, 5) = MarkDistance(markUnreached, markUnreached);
    struct Case { int j; float share; const char* why; };
    for (const Case& c : {Case{0, 0.0f, "keep"}, Case{1, 1.0f, "delete"},
                          Case{2, 0.0f, "both marks count as keep"},
                          Case{3, 0.25f, "a / (a + b)"},
                          Case{4, 0.5f, "a + b = 0: an even share, not 0 / 0"},
                          Case{5, 0.5f, "neither class reachable"}}) {
        SCOPED_TRACE(c.why);
        EXPECT_FLOAT_EQ(smoothShare(distances, status, 0, c.j), c.share);
    }
}

namespace {

ColourSumGrid grid(int rows, int columns) {
    return masktest::filled(rows, columns, ColourSumCell(0.0f));
}

// The lookup as it was first written, with the remainder taken in double and the corners cut by
// intersectBox: the faster lookup must give the same floats bit for bit.
ColourSumCell previousPyramidColourAt(const ColourSumPyramid& levels, const FloatPoint& p) {
    ColourSumCell sum(0.0f);
    float s = 1.0f;
    for (const ColourSumGrid& level : levels) {
        s *= 2.0f;
        const float half = s * 0.5f;
        const float fx = static_cast<float>(std::fmod(static_cast<double>(p[0] + half), static_cast<double>(s))) / s;
        const float fy = static_cast<float>(std::fmod(static_cast<double>(p[1] + half), static_cast<double>(s))) / s;
        const float inverse = 1.0f / s;
        IntBox corners(static_cast<int>(p[0] * inverse - 0.5f), static_cast<int>(p[1] * inverse - 0.5f),
                       static_cast<int>(p[0] * inverse + 0.5f), static_cast<int>(p[1] * inverse + 0.5f));
        if (!intersectBox(corners, IntBox::domainOf(level)))
            continue;
        const int lx = corners.lower[0], ly = corners.lower[1];
        const int hx = corners.upper[0], hy = corners.upper[1];
        const float s4 = s * s * s * s;
        for (int c = 0; c < 4; ++c) {
            const float mixed = (1.0f - fx) * (1.0f - fy) * level(lx, ly)[c] + fx * fy * level(hx, hy)[c] +
                                (1.0f - fx) * fy * level(lx, hy)[c] + fx * (1.0f - fy) * level(hx, ly)[c];
            sum[c] += mixed / s4;
        }
        if (sum[3] * (s * s * s) > 2.0f)
            break;
    }
    return sum;
}

bool sameBits(float a, float b) {
    std::uint32_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

}  // namespace

TEST(MixedPixelBlend, PyramidLookupGivesTheSameFloatsAsTheDoubleRemainder) {
    // Five levels over working pixels 6..69 x 10..55 (the pyramid of a box that does not start
    // at 0), sparse counts so that the walk ends at different levels, and colour sums
    // with fractions that show any change in rounding.
    ColourSumPyramid levels;
    std::uint32_t seed = 12345u;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int k = 0, lowerRow = 3, lowerColumn = 5, rows = 32, columns = 23; k < 5; ++k) {
        ColourSumGrid level = masktest::filled(rows, columns, ColourSumCell(0.0f), lowerRow, lowerColumn);
        for (auto it = level.begin(); it != level.end(); ++it) {
            const float count = next() % 5u == 0 ? static_cast<float>(next() % 7u) : 0.0f;
            *it = ColourSumCell(count * static_cast<float>(next() % 2560000u) / 7919.0f,
                                count * static_cast<float>(next() % 2560000u) / 7919.0f,
                                count * static_cast<float>(next() % 2560000u) / 7919.0f, count);
        }
        levels.push_back(level);
        lowerRow /= 2;
        lowerColumn /= 2;
        rows = (rows + 1) / 2;
        columns = (columns + 1) / 2;
    }
    int points = 0;
    // Whole, half and irregular positions (the blend asks at whole ones).
    for (float x = -9.0f; x <= 80.0f; x += (points % 3 == 0 ? 0.5f : 0.37f))
        for (float y = -7.5f; y <= 66.0f; y += 0.5f) {
            const FloatPoint p(x, y);
            const ColourSumCell expected = previousPyramidColourAt(levels, p);
            const ColourSumCell got = pyramidColourAt(levels, p);
            for (int c = 0; c < 4; ++c)
                ASSERT_TRUE(sameBits(got[c], expected[c]))
                    << "at (" << x << ", " << y << ") channel " << c << ": " << got[c] << " instead of " << expected[c];
            ++points;
        }
    EXPECT_GT(points, 10000);
}

TEST(MixedPixelBlend, PyramidLookupInterpolatesAndClimbs) {
    // Level 0 covers working pixels 0..3 x 0..3 in cells of 2 x 2.
    ColourSumPyramid levels{grid(2, 2), grid(1, 1)};
    levels[0](0, 0) = ColourSumCell(10.0f, 20.0f, 30.0f, 1.0f);
    levels[0](1, 0) = ColourSumCell(60.0f, 80.0f, 100.0f, 2.0f);
    levels[1](0, 0) = ColourSumCell(70.0f, 100.0f, 130.0f, 3.0f);

    // At (1, 0) the lower cell along the first axis has all the weight (f = 0), and along the
    // second axis both corners clip to cell 0. Weight 1/16, times 8 is below 2: the next level
    // (weight 3/256) is added too.
    ColourSumCell s = pyramidColourAt(levels, FloatPoint(1.0f, 0.0f));
    EXPECT_FLOAT_EQ(s[3], 1.0f / 16.0f + 3.0f / 256.0f);
    EXPECT_FLOAT_EQ(s[0], 10.0f / 16.0f + 70.0f / 256.0f);

    // At (2, 0): halfway between cells 0 and 1 along the first axis.
    s = pyramidColourAt(levels, FloatPoint(2.0f, 0.0f));
    EXPECT_FLOAT_EQ(s[3], 1.5f / 16.0f + 3.0f / 256.0f);
    EXPECT_FLOAT_EQ(s[1], 50.0f / 16.0f + 100.0f / 256.0f);

    // Enough weight at the first level stops the walk.
    levels[0](0, 0)[3] = 40.0f;
    s = pyramidColourAt(levels, FloatPoint(1.0f, 0.0f));
    EXPECT_FLOAT_EQ(s[3], 40.0f / 16.0f);

    EXPECT_FLOAT_EQ(pyramidColourAt(ColourSumPyramid(), FloatPoint(1.0f, 1.0f))[3], 0.0f);
    // Far beyond the levels nothing is read.
    EXPECT_FLOAT_EQ(pyramidColourAt(levels, FloatPoint(100.0f, 100.0f))[3], 0.0f);
}
