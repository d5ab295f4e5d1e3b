#include "classification/ForcedEdgeRendering.h"

#include "MaskTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

using namespace classification;
using Corvel::utility::Colour;

namespace {

constexpr unsigned char keep = 2, deleted = 4;

// Working statuses: rows 0..(split - 1) keep, the rest delete.
blitz::Array<unsigned char, 2> splitStatus(int size, int split) {
    auto status = masktest::filled<unsigned char>(size, size, deleted);
    status(blitz::Range(0, split - 1), blitz::Range::all()) = keep;
    return status;
}

ForcedEdgeStroke stroke(float width, std::vector<FloatPoint> points) {
    ForcedEdgeStroke s;
    s.width = width;
    s.points = std::move(points);
    return s;
}

template <class Format>
struct Canvas {
    using Pixel = typename Format::Pixel;
    static constexpr int max = Format::maximum;
    blitz::Array<Pixel, 2> output, source;
    explicit Canvas(int size)
        : output(masktest::filled(size, size, Pixel(9, 9, 9, 9))),
          source(masktest::filled(size, size, Pixel(10, 20, 30, static_cast<typename Format::Channel>(max)))) {}
};

}  // namespace

// The alpha ramp across a straight edge on the boundary between keep rows 0..3 and delete rows
// 4..7 (width 1, so the band reaches 2 px each way). Alpha by row, per format.
struct RampCase {
    int format;                 // 1, 2, 3
    int row2, row3, row4, row5; // expected alphas; rows 1 and 6 stay untouched
};

class ForcedEdgeRamp : public ::testing::TestWithParam<RampCase> {};

template <class Format>
void checkRamp(const RampCase& c) {
    using Pixel = typename Format::Pixel;
    Canvas<Format> canvas(8);
    const auto status = splitStatus(8, 4);
    const std::vector<ForcedEdgeStroke> edges{stroke(1.0f, {FloatPoint(4.0f, 0.5f), FloatPoint(4.0f, 7.5f)})};
    const int result = renderForcedEdges<Format>(canvas.output, canvas.source, status,
                                                 FloatPoint(1.0f, 1.0f), edges, ProgressRange());
    EXPECT_EQ(result, 0);
    const int expected[] = {c.row2, c.row3, c.row4, c.row5};
    for (int j = 0; j < 8; ++j) {
        SCOPED_TRACE(j);
        EXPECT_EQ(canvas.output(1, j), Pixel(9, 9, 9, 9));
        EXPECT_EQ(canvas.output(6, j), Pixel(9, 9, 9, 9));
        for (int row = 2; row <= 5; ++row)
            EXPECT_EQ(canvas.output(row, j), Pixel(10, 20, 30, expected[row - 2])) << "row " << row;
    }
}

TEST_P(ForcedEdgeRamp, AlphaRunsFromDeleteToKeepSide) {
    const RampCase& c = GetParam();
    if (c.format == 1)
        checkRamp<MaskFormat8>(c);
    else if (c.format == 2)
        checkRamp<MaskFormat16>(c);
    else
        checkRamp<MaskFormat15>(c);
}

// Field values 12288, 4096, -4096, -12288: m = 1 (clamped), 0.75, 0.25, 0 (clamped).
INSTANTIATE_TEST_SUITE_P(Formats, ForcedEdgeRamp,
                         ::testing::Values(RampCase{1, 255, 215, 39, 0},
                                           RampCase{2, 65535, 55296, 10240, 0},
                                           RampCase{3, 32768, 27648, 5120, 0}));

TEST(ForcedEdgeRendering, KeepSideFollowsTheStatusesAndTheScale) {
    // The same boundary at scale 2 (working rows 0..1 keep): points are (working + 0.5) x 2.
    Canvas<MaskFormat8> canvas(8);
    const auto status = splitStatus(4, 2);
    const std::vector<ForcedEdgeStroke> edges{stroke(2.0f, {FloatPoint(4.0f, 7.0f), FloatPoint(4.0f, 1.0f)})};
    EXPECT_EQ(renderForcedEdges<MaskFormat8>(canvas.output, canvas.source, status,
                                             FloatPoint(2.0f, 2.0f), edges, ProgressRange()),
              0);
    // Travelling the other way round, the keep side is still rows below 4: row 3 is 0.5 px,
    // a quarter width, to the keep side (m = 0.625), row 4 as far to the delete side.
    EXPECT_EQ(canvas.output(3, 4)[3], 174);
    EXPECT_EQ(canvas.output(4, 4)[3], 80);
    EXPECT_EQ(canvas.output(0, 4)[3], 255) << "r = 4 px here: 3.5 px is drawn fully opaque";
    EXPECT_EQ(canvas.output(7, 4)[3], 0);
}

TEST(ForcedEdgeRendering, UndecidedAndInvalidEdgesAreNotDrawn) {
    const auto status = splitStatus(8, 4);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const FloatPoint a(4.0f, 0.5f), b(4.0f, 7.5f);
    auto allKeep = masktest::filled<unsigned char>(8, 8, keep);
    struct Case {
        const char* name;
        ForcedEdgeStroke edge;
        const blitz::Array<unsigned char, 2>* status;
    };
    const Case cases[] = {
        {"keep on both sides up to the border", stroke(1.0f, {a, b}), &allKeep},
        {"one point", stroke(1.0f, {a}), &status},
        {"no points", stroke(1.0f, {}), &status},
        {"zero width", stroke(0.0f, {a, b}), &status},
        {"negative width", stroke(-1.0f, {a, b}), &status},
        {"NaN width", stroke(nan, {a, b}), &status},
        {"infinite width", stroke(std::numeric_limits<float>::infinity(), {a, b}), &status},
        {"NaN point", stroke(1.0f, {a, FloatPoint(nan, 3.0f), b}), &status},
        {"infinite point", stroke(1.0f, {a, FloatPoint(std::numeric_limits<float>::infinity(), 3.0f)}), &status},
        {"all points equal", stroke(1.0f, {a, a, a}), &status},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas<MaskFormat8> canvas(8);
        EXPECT_EQ(renderForcedEdges<MaskFormat8>(canvas.output, canvas.source, *c.status,
                                                 FloatPoint(1.0f, 1.0f), {c.edge}, ProgressRange()),
                  1);
        EXPECT_TRUE(masktest::allEqual(canvas.output, Colour<unsigned char>(9, 9, 9, 9)));
    }
    Canvas<MaskFormat8> canvas(8);
    EXPECT_EQ(renderForcedEdges<MaskFormat8>(canvas.output, canvas.source, status,
                                             FloatPoint(1.0f, 1.0f), {}, ProgressRange()),
              1)
        << "no edges: nothing drawn";
    EXPECT_THROW(renderForcedEdges<MaskFormat8>(canvas.output, canvas.source, status,
                                                FloatPoint(0.0f, 1.0f), {}, ProgressRange()),
                 std::invalid_argument);
}

TEST(ForcedEdgeRendering, SkippedEdgesDoNotHideDrawnOnes) {
    Canvas<MaskFormat8> canvas(8);
    const auto status = splitStatus(8, 4);
    const std::vector<ForcedEdgeStroke> edges{
        stroke(0.0f, {FloatPoint(1.0f, 1.0f), FloatPoint(1.0f, 6.0f)}),
        stroke(1.0f, {FloatPoint(4.0f, 0.5f), FloatPoint(4.0f, 7.5f)}),
        stroke(1.0f, {FloatPoint(2.0f, 2.0f)})};
    EXPECT_EQ(renderForcedEdges<MaskFormat8>(canvas.output, canvas.source, status,
                                             FloatPoint(1.0f, 1.0f), edges, ProgressRange()),
              0);
    EXPECT_EQ(canvas.output(3, 3)[3], 215);
}

TEST(ForcedEdgeRendering, TranslucentSourcePixelsKeepTheirOutput) {
    Canvas<MaskFormat8> canvas(8);
    canvas.source(3, 4) = Colour<unsigned char>(10, 20, 30, 254);
    const std::vector<ForcedEdgeStroke> edges{stroke(1.0f, {FloatPoint(4.0f, 0.5f), FloatPoint(4.0f, 7.5f)})};
    renderForcedEdges<MaskFormat8>(canvas.output, canvas.source, splitStatus(8, 4),
                                   FloatPoint(1.0f, 1.0f), edges, ProgressRange());
    EXPECT_EQ(canvas.output(3, 4), Colour<unsigned char>(9, 9, 9, 9));
    EXPECT_EQ(canvas.output(3, 3), Colour<unsigned char>(10, 20, 30, 215));
}

TEST(ForcedEdgeRendering, ClosedEdgeJoinsAtItsFirstVertexAndHasNoCaps) {
    // Keep square rows and columns 4..7 in a delete image; the edge runs round it and back
    // to its first point.
    auto status = masktest::filled<unsigned char>(12, 12, deleted);
    status(blitz::Range(4, 7), blitz::Range(4, 7)) = keep;
    Canvas<MaskFormat8> canvas(12);
    const std::vector<ForcedEdgeStroke> edges{stroke(
        1.0f, {FloatPoint(4.0f, 4.0f), FloatPoint(4.0f, 8.0f), FloatPoint(8.0f, 8.0f),
               FloatPoint(8.0f, 4.0f), FloatPoint(4.0f, 4.0f)})};
    EXPECT_EQ(renderForcedEdges<MaskFormat8>(canvas.output, canvas.source, status,
                                             FloatPoint(1.0f, 1.0f), edges, ProgressRange()),
              0);
    // (3, 3) lies beyond both segments that meet at the first vertex: only the closing join
    // reaches it, sqrt(0.5) px out on the delete side (-5793, m = 0.1464): alpha 14. An end
    // cap there would have blended it with the old output instead.
    EXPECT_EQ(canvas.output(3, 3), Colour<unsigned char>(10, 20, 30, 14));
    EXPECT_EQ(canvas.output(8, 8), Colour<unsigned char>(10, 20, 30, 14)) << "an inner vertex's join";
    EXPECT_EQ(canvas.output(2, 2), Colour<unsigned char>(9, 9, 9, 9)) << "beyond the radius";
    EXPECT_EQ(canvas.output(4, 5)[3], 215) << "inside, half a pixel from the edge";
    EXPECT_EQ(canvas.output(3, 5)[3], 39) << "outside, half a pixel from the edge";
}

TEST(ForcedEdgeRendering, OpenEdgeEndsFadeIntoTheOutput) {
    // An edge that stops at column 4.5 of the boundary: beyond its end the band fades into
    // the old output over one width.
    Canvas<MaskFormat8> canvas(8);
    const std::vector<ForcedEdgeStroke> edges{stroke(2.0f, {FloatPoint(4.0f, 0.5f), FloatPoint(4.0f, 4.5f)})};
    renderForcedEdges<MaskFormat8>(canvas.output, canvas.source, splitStatus(8, 4),
                                   FloatPoint(1.0f, 1.0f), edges, ProgressRange());
    // (3, 4): on the band's square end (along = 4 = length): field 2048, m = 0.625, alpha 174.
    EXPECT_EQ(canvas.output(3, 4), Colour<unsigned char>(10, 20, 30, 174));
    // (3, 5): one pixel beyond the end, t = 0.5: the ramp value (174) half over the old 9s.
    EXPECT_EQ(canvas.output(3, 5), Colour<unsigned char>(9, 14, 19, 91));
    EXPECT_EQ(canvas.output(3, 6), Colour<unsigned char>(9, 9, 9, 9)) << "t = 1";
}

TEST(ForcedEdgeRendering, ProbeJustOutsideTheStatusImageIsNotUsed) {
    // An edge along row 0.8: the first probe on the normal's side lands at row -0.7, outside
    // the image (floored to -1, not truncated to 0). Row 0 keep would decide +1 there; the
    // probes must instead go on to row 3 (keep) on the other side: side -1, so the rows below
    // the edge are the keep side.
    auto status = masktest::filled<unsigned char>(8, 8, deleted);
    status(0, blitz::Range::all()) = keep;
    status(2, blitz::Range::all()) = 1;
    status(3, blitz::Range::all()) = keep;
    Canvas<MaskFormat8> canvas(8);
    const std::vector<ForcedEdgeStroke> edges{stroke(1.0f, {FloatPoint(0.8f, 1.0f), FloatPoint(0.8f, 6.0f)})};
    EXPECT_EQ(renderForcedEdges<MaskFormat8>(canvas.output, canvas.source, status,
                                             FloatPoint(1.0f, 1.0f), edges, ProgressRange()),
              0);
    EXPECT_GT(canvas.output(1, 3)[3], 127) << "row 1 lies on the keep side";
    EXPECT_LT(canvas.output(0, 3)[3], 127);
}

TEST(ForcedEdgeRendering, SegmentTooLongForAFloatNormalIsNotDrawn) {
    // Finite points whose longest segment's squared length overflows a float: its normal
    // comes out as (0, 0), so both probes sit on the midpoint (inside the image, keep on both
    // "sides") and would never step out. The edge must be left undecided, not loop forever.
    const auto status = splitStatus(8, 4);
    Canvas<MaskFormat8> canvas(8);
    const std::vector<ForcedEdgeStroke> edges{
        stroke(1.0f, {FloatPoint(-1e20f, 3.5f), FloatPoint(1e20f, 3.5f)})};
    EXPECT_EQ(renderForcedEdges<MaskFormat8>(canvas.output, canvas.source, status,
                                             FloatPoint(1.0f, 1.0f), edges, ProgressRange()),
              1);
    EXPECT_TRUE(masktest::allEqual(canvas.output, Colour<unsigned char>(9, 9, 9, 9)));
    EXPECT_EQ(decideEdgeSide(FloatPoint(3.5f, 3.5f), FloatPoint(0.0f, 0.0f), status), 0);
}
