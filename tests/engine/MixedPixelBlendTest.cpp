#include "classification/MixedPixelBlend.h"

#include "ColourVector.h"
#include "MaskTestSupport.h"

#include <gtest/gtest.h>

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

}  // namespace

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
