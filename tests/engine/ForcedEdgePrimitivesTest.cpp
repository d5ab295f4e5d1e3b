#include "classification/ForcedEdgePrimitives.h"

#include "MaskTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <utility>

using namespace classification;
using Corvel::utility::Colour;

namespace {

struct FieldFixture {
    EdgeDistanceField field = masktest::filled<short>(10, 10, edgeFieldUntouched);
    TouchedList touched;

    bool untouched(int i, int j) const { return field(i, j) == edgeFieldUntouched; }
};

}  // namespace

TEST(ForcedEdgePrimitives, PointOperations) {
    EXPECT_DOUBLE_EQ(squaredDistance(FloatPoint(4.0f, 1.0f), FloatPoint(1.0f, 5.0f)), 25.0);
    EXPECT_DOUBLE_EQ(squaredLength(FloatPoint(-3.0f, 4.0f)), 25.0);
    EXPECT_TRUE(pointsEqual(FloatPoint(1.5f, 2.0f), FloatPoint(1.5f, 2.0f)));
    EXPECT_FALSE(pointsEqual(FloatPoint(1.5f, 2.0f), FloatPoint(1.5f, 2.0000002f)));
}

TEST(ForcedEdgePrimitives, BandValuesAreScaledSignedDistances) {
    // Segment along the first axis at second coordinate 5; width 2, radius 4, keep side +1:
    // the normal (-dy, dx) = (0, 1) points to larger second coordinates.
    FieldFixture f;
    drawSegmentBand(FloatPoint(2.0f, 5.0f), FloatPoint(8.0f, 5.0f), 1, 2.0f, 4.0f, f.field, f.touched);
    // Pixel centres (i + 0.5, j + 0.5): the distance across is j - 4.5.
    EXPECT_EQ(f.field(4, 5), 2048);     // 0.5 px = 0.25 widths
    EXPECT_EQ(f.field(4, 4), -2048);    // floor(-2047.5)
    EXPECT_EQ(f.field(4, 8), 14336);    // 1.75 widths
    EXPECT_EQ(f.field(4, 1), -14336);
    EXPECT_TRUE(f.untouched(4, 9)) << "4.5 px is beyond the radius";
    EXPECT_TRUE(f.untouched(4, 0));
    EXPECT_TRUE(f.untouched(1, 5)) << "before p: the band's end is cut square";
    EXPECT_EQ(f.field(2, 5), 2048);
    EXPECT_EQ(f.field(7, 5), 2048);
    EXPECT_TRUE(f.untouched(8, 5)) << "beyond q";
    // Rows 2..7, columns 1..8.
    EXPECT_EQ(f.touched.size(), 6u * 8u);

    FieldFixture flipped;
    drawSegmentBand(FloatPoint(2.0f, 5.0f), FloatPoint(8.0f, 5.0f), -1, 2.0f, 4.0f, flipped.field,
                    flipped.touched);
    EXPECT_EQ(flipped.field(4, 5), -2048);
    EXPECT_EQ(flipped.field(4, 8), -14336);
    EXPECT_EQ(flipped.field(4, 1), 14336);
}

TEST(ForcedEdgePrimitives, BandEndsAndRadiusAreTestedExactly) {
    // p and q on pixel centres: along = 0 and along = length are drawn, one pixel further not.
    FieldFixture f;
    drawSegmentBand(FloatPoint(2.5f, 5.5f), FloatPoint(7.5f, 5.5f), 1, 1.0f, 3.0f, f.field, f.touched);
    EXPECT_EQ(f.field(2, 5), 0);
    EXPECT_EQ(f.field(7, 5), 0);
    EXPECT_TRUE(f.untouched(1, 5));
    EXPECT_TRUE(f.untouched(8, 5));
    EXPECT_EQ(f.field(5, 7), 16384);
    EXPECT_TRUE(f.untouched(5, 8)) << "a distance equal to the radius is not drawn";
    EXPECT_TRUE(f.untouched(5, 2));
}

TEST(ForcedEdgePrimitives, FourWidthsAndBeyondAreNeverStored) {
    // A radius above four widths: the clamped value +-32768 does not fit 16 bits and must not
    // wrap into the field (it would read as the opposite side).
    FieldFixture f;
    drawSegmentBand(FloatPoint(0.0f, 5.0f), FloatPoint(10.0f, 5.0f), 1, 1.0f, 6.0f, f.field, f.touched);
    EXPECT_EQ(f.field(3, 8), 28672);     // 3.5 widths
    EXPECT_TRUE(f.untouched(3, 9)) << "4.5 widths clamps to +32768";
    EXPECT_EQ(f.field(3, 1), -28672);
    EXPECT_TRUE(f.untouched(3, 0)) << "-4.5 widths clamps to -32768";
    std::set<std::pair<int, int>> listed;
    for (const IntPoint& p : f.touched) {
        EXPECT_TRUE(listed.emplace(p[0], p[1]).second) << "listed once";
        EXPECT_FALSE(f.untouched(p[0], p[1]));
    }
}

TEST(ForcedEdgePrimitives, SmallestMagnitudeWinsAndTiesKeepTheFirst) {
    FieldFixture f;
    drawSegmentBand(FloatPoint(0.0f, 5.0f), FloatPoint(10.0f, 5.0f), 1, 2.0f, 4.0f, f.field, f.touched);
    const std::size_t touchedOnce = f.touched.size();
    // The same segment with the other side: equal magnitudes, the earlier values stay.
    drawSegmentBand(FloatPoint(0.0f, 5.0f), FloatPoint(10.0f, 5.0f), -1, 2.0f, 4.0f, f.field, f.touched);
    EXPECT_EQ(f.field(4, 6), 6144);
    EXPECT_EQ(f.touched.size(), touchedOnce);
    // A parallel segment at column 8 takes over where it is nearer.
    drawSegmentBand(FloatPoint(0.0f, 8.0f), FloatPoint(10.0f, 8.0f), 1, 2.0f, 4.0f, f.field, f.touched);
    EXPECT_EQ(f.field(4, 7), -2048) << "0.5 px from the second segment";
    EXPECT_EQ(f.field(4, 6), 6144) << "1.5 px from both: the first stays";
    EXPECT_EQ(f.field(4, 8), 2048);
    EXPECT_EQ(f.field(4, 4), -2048) << "nearer to the first";
    EXPECT_EQ(f.touched.size(), touchedOnce + 10u) << "only column 9 was new";
}

TEST(ForcedEdgePrimitives, RoundJoinSignsTheOuterSideOfTheTurn) {
    // Travelling up the second axis, then turning to larger first coordinates.
    const FloatPoint previous(5.0f, 1.0f), vertex(5.0f, 5.0f), next(9.0f, 5.0f);
    FieldFixture f;
    drawRoundJoin(1, 2.0f, 3.0f, previous, vertex, next, f.field, f.touched);
    EXPECT_EQ(f.field(5, 5), 2896) << "sqrt(0.5) px: floor(2896.8)";
    EXPECT_EQ(f.field(4, 4), 2896);
    EXPECT_EQ(f.field(3, 5), 6476) << "sqrt(2.5) px";
    EXPECT_TRUE(f.untouched(2, 2)) << "sqrt(12.5) px is beyond the radius";
    EXPECT_EQ(f.field(2, 3), 11942) << "sqrt(8.5) px";
    FieldFixture other;
    drawRoundJoin(-1, 2.0f, 3.0f, previous, vertex, next, other.field, other.touched);
    EXPECT_EQ(other.field(5, 5), -2896);
    FieldFixture left;   // the mirrored turn puts the outer side on the other sign
    drawRoundJoin(1, 2.0f, 3.0f, previous, vertex, FloatPoint(1.0f, 5.0f), left.field, left.touched);
    EXPECT_EQ(left.field(5, 5), -2896);

    for (const FloatPoint& straightOrBack : {FloatPoint(5.0f, 9.0f), FloatPoint(5.0f, 2.0f)}) {
        FieldFixture none;
        drawRoundJoin(1, 2.0f, 3.0f, previous, vertex, straightOrBack, none.field, none.touched);
        EXPECT_TRUE(none.touched.empty());
    }
}

TEST(ForcedEdgePrimitives, IterationBoxClipsFarAndInvalidPoints) {
    const IntBox clip(0, 0, 9, 9);
    const IntBox box = iterationBox(FloatPoint(2.7f, 3.2f), FloatPoint(-1.5f, 5.9f), 1.2f, clip);
    EXPECT_TRUE(boxEquals(box, IntBox(0, 1, 4, 7))) << box;
    EXPECT_TRUE(boxEquals(iterationBox(FloatPoint(-1e30f, 4.0f), FloatPoint(1e30f, 4.0f), 1e30f, clip), clip));
    EXPECT_TRUE(isBoxEmpty(iterationBox(FloatPoint(50.0f, 50.0f), FloatPoint(60.0f, 60.0f), 2.0f, clip)));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(isBoxEmpty(iterationBox(FloatPoint(nan, 1.0f), FloatPoint(1.0f, 1.0f), 2.0f, clip)));
}

TEST(ForcedEdgePrimitives, EndCapFadesTheSourceBeyondTheEnd) {
    using Pixel = Colour<unsigned char>;
    const EdgeDistanceField field = masktest::filled<short>(10, 10, edgeFieldUntouched);
    auto output = masktest::filled(10, 10, Pixel(0, 0, 0, 0));
    auto source = masktest::filled(10, 10, Pixel(100, 150, 200, 255));
    source(5, 8) = Pixel(100, 150, 200, 254);
    output(5, 8) = Pixel(7, 7, 7, 7);
    // The edge arrives at (5.5, 5.5) travelling up the second axis; keep side +1 is (-1, 0).
    drawEndCap<MaskFormat8>(1, FloatPoint(5.5f, 1.5f), FloatPoint(5.5f, 5.5f), 4.0f, 4.0f, field,
                            output, source, 1.0f);
    EXPECT_EQ(output(5, 5), Pixel(100, 150, 200, 127)) << "t = 0: the source with the ramp alpha";
    // (5, 7): t = 0.5, on the polyline: half of (100, 150, 200, 127) over transparent black.
    EXPECT_EQ(output(5, 7), Pixel(50, 75, 100, 63));
    // (3, 5): 2 px to the keep side, m = 0.75: alpha trunc(1.5 * 143.99994) = 215.
    EXPECT_EQ(output(3, 5), Pixel(100, 150, 200, 215));
    EXPECT_EQ(output(5, 4), Pixel(0, 0, 0, 0)) << "behind the end point";
    EXPECT_EQ(output(5, 9), Pixel(0, 0, 0, 0)) << "t = 1 is outside the cap";
    EXPECT_EQ(output(5, 8), Pixel(7, 7, 7, 7)) << "a source pixel below the threshold is left";
    EXPECT_EQ(output(9, 5), Pixel(0, 0, 0, 0)) << "4 px across: at the radius, not drawn";
    EXPECT_EQ(field(5, 5), edgeFieldUntouched) << "the cap never writes the field";
}

TEST(ForcedEdgePrimitives, EndCapAlphaReachesEachFormatsMaximum) {
    // One width to the keep side m = 1 and the ramp gives the channel maximum (the factor
    // overshoots by one and is limited); on the polyline m = 0.5.
    const EdgeDistanceField field = masktest::filled<short>(10, 10, edgeFieldUntouched);
    auto run = [&](auto format, unsigned short maximum, unsigned short half) {
        using Format = decltype(format);
        using Pixel = typename Format::Pixel;
        auto output = masktest::filled(10, 10, Pixel(0, 0, 0, 0));
        auto source = masktest::filled(10, 10, Pixel(1000, 2000, 3000, maximum));
        drawEndCap<Format>(1, FloatPoint(5.5f, 1.5f), FloatPoint(5.5f, 5.5f), 2.0f, 4.0f, field,
                           output, source, 1.0f);
        EXPECT_EQ(output(5, 5), Pixel(1000, 2000, 3000, half)) << maximum;
        EXPECT_EQ(output(3, 5), Pixel(1000, 2000, 3000, maximum)) << maximum;
    };
    run(MaskFormat16(), 65535, 32768);
    run(MaskFormat15(), 32768, 16384);
}

TEST(ForcedEdgePrimitives, BlendColoursTruncatesEveryChannel) {
    using Pixel = Colour<unsigned char>;
    EXPECT_EQ(blendColours(Pixel(100, 151, 255, 255), 0.5f, Pixel(0, 0, 255, 1), 0.5f),
              Pixel(50, 75, 255, 128));
    using Pixel16 = Colour<unsigned short>;
    EXPECT_EQ(blendColours(Pixel16(65535, 3, 0, 65535), 0.75f, Pixel16(65535, 0, 4, 65535), 0.25f),
              Pixel16(65535, 2, 1, 65535));
}
