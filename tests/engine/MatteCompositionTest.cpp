#include "classification/MatteComposition.h"

#include "classification/MaskStatus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classification;

namespace {

using Pixel8 = MaskFormat8::Pixel;
using Triple8 = MatteTypes<MaskFormat8>::Triple;

struct Recorder : Corvel::utility::IiUI {
    std::vector<float> fractions;
    void progress(float fraction, const std::string&) override { fractions.push_back(fraction); }
};

/// One column of pixels at scale `scale` over a column of statuses, everything in one layer
/// box. Estimates and image are flat colours unless a case sets them.
template <class Format>
struct Column {
    using Pixel = typename Format::Pixel;
    using Triple = typename MatteTypes<Format>::Triple;

    typename Format::Image image, output;
    blitz::Array<unsigned char, 2> status;
    EstimateImage<Format> foreground, background;
    IntBox layerBox;
    float scale;

    Column(int statusRows, float pixelsPerStatus, Pixel colour)
        : status(statusRows, 1), layerBox(0, 0, statusRows - 1, 0), scale(pixelsPerStatus) {
        const int rows = static_cast<int>(static_cast<float>(statusRows) * pixelsPerStatus);
        image.resize(rows, 1);
        image = colour;
        output.resize(rows, 1);
        output = Pixel(1, 2, 3, 4);   // marks pixels that are never written
        status = statusPending;
        foreground.resize(rows, 1);
        background.resize(rows, 1);
        foreground = Triple(colour[0], colour[1], colour[2]);
        background = Triple(colour[0], colour[1], colour[2]);
    }

    void compose(ProgressRange progress = ProgressRange()) {
        const IntBox estimateBox = IntBox::domainOf(image);
        composeMatte<Format>(image, status, cropArrayToBox(status, layerBox), layerBox,
                             FloatPoint(scale, 1.0f), estimateBox, foreground, background,
                             output, progress);
    }
};

}  // namespace

TEST(MatteComposition, AxisSamplesBracketThePixelCentre) {
    // The owner is the status pixel that contains the image pixel: index 2 at scale 2 lies in
    // status pixel 1, although the centre at or before it is that of status pixel 0.
    struct Case { int index; float scale; int lower, upper, centre, owner; float lowerWeight; };
    const Case cases[] = {
        {4, 1.0f, 4, 5, 4, 4, 1.0f},       // scale 1: the next status has weight 0
        {9, 1.0f, 9, 9, 9, 9, 1.0f},       // at the box's upper bound
        {0, 2.0f, 0, 0, 0, 0, 1.0f},       // f = 0.25: clipped to the lower bound
        {1, 2.0f, 0, 1, 0, 0, 0.75f},      // f = 0.75
        {2, 2.0f, 0, 1, 0, 1, 0.25f},      // f = 1.25
        {3, 2.0f, 1, 2, 1, 1, 0.75f},      // f = 1.75
        {19, 2.0f, 9, 9, 9, 9, 1.0f},      // f = 9.75: clipped to the upper bound
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "index " << k.index << " scale " << k.scale);
        const MatteAxisSample s = sampleMatteAxis(k.index, k.scale, 0, 9);
        EXPECT_EQ(s.lower, k.lower);
        EXPECT_EQ(s.upper, k.upper);
        EXPECT_EQ(s.centre, k.centre);
        EXPECT_EQ(s.owner, k.owner);
        EXPECT_FLOAT_EQ(s.lowerWeight, k.lowerWeight);
        EXPECT_FLOAT_EQ(s.upperWeight, 1.0f - k.lowerWeight);
    }
}

TEST(MatteComposition, KeptPixelsTakeTheImageColourAndDeletedOnesVanish) {
    Column<MaskFormat8> column(4, 1.0f, Pixel8(10, 20, 30, 77));
    column.status(0, 0) = statusPending | statusKeep;
    column.status(1, 0) = statusPending | statusDelete;
    column.status(2, 0) = statusKeep;                              // not pending
    column.status(3, 0) = statusPending | statusDone | statusKeep; // done earlier
    column.compose();
    EXPECT_EQ(column.output(0, 0), Pixel8(10, 20, 30, 255));
    EXPECT_EQ(column.output(1, 0), Pixel8(0, 0, 0, 0));
    EXPECT_EQ(column.output(2, 0), Pixel8(1, 2, 3, 4));
    EXPECT_EQ(column.output(3, 0), Pixel8(1, 2, 3, 4));
}

TEST(MatteComposition, MixedPixelsAreUnmixedBetweenTheEstimates) {
    // A pending pixel without marks: F' and B' are the estimates. The share J is the
    // position of C between F' (0) and B' (1), faded in between 11.312 and 22.624 apart.
    struct Case {
        const char* name;
        int c, f, b;   // first channel of colour and estimates; the others are 0
        Pixel8 expected;
    };
    const Case cases[] = {
        {"J = 0.5", 100, 200, 0, Pixel8(200, 0, 0, 127)},
        {"J = 0.25", 150, 200, 0, Pixel8(200, 0, 0, 210)},
        {"J = 1, C at B'", 0, 200, 0, Pixel8(200, 0, 0, 0)},
        {"C beyond F'", 250, 200, 0, Pixel8(250, 0, 0, 255)},
        {"estimates 10 apart", 5, 10, 0, Pixel8(5, 0, 0, 255)},
        // 20 apart: w = (20 - 11.312) * 0.0884017 = 0.76803, J = 0.38402; colour
        // 10 + 20 J = 17.68; s = 0.33711, alpha 0.66289 * 255.99 = 169.69.
        {"half-faded", 10, 20, 0, Pixel8(17, 0, 0, 169)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Column<MaskFormat8> column(1, 1.0f, Pixel8(k.c, 0, 0, 255));
        column.foreground = Triple8(k.f, 0, 0);
        column.background = Triple8(k.b, 0, 0);
        column.compose();
        EXPECT_EQ(column.output(0, 0), k.expected);
    }
}

TEST(MatteComposition, MarksWeighBilinearlyAtScaleTwo) {
    // Status rows: keep, delete. Image rows 0..3 have keep weights 1, 0.75, 0.25, 0. With
    // C = 100, Fe = 200, Be = 0: row 1 blends F' = 125, B' = 25, so J = 0.25; row 2
    // F' = 175, B' = 75, J = 0.75, whose smoothstep mean is 0.8232421875.
    Column<MaskFormat8> column(2, 2.0f, Pixel8(100, 100, 100, 255));
    column.status(0, 0) = statusPending | statusKeep;
    column.status(1, 0) = statusPending | statusDelete;
    column.foreground = Triple8(200, 200, 200);
    column.background = Triple8(0, 0, 0);
    column.compose();
    EXPECT_EQ(column.output(0, 0), Pixel8(100, 100, 100, 255));
    EXPECT_EQ(column.output(1, 0), Pixel8(125, 125, 125, 210));
    EXPECT_EQ(column.output(2, 0), Pixel8(175, 175, 175, 45));
    EXPECT_EQ(column.output(3, 0), Pixel8(0, 0, 0, 0));
}

TEST(MatteComposition, PartlyKeptPixelsAreUnmixedNotKept) {
    // Row 1 at scale 2 has keep weight 0.75 from status row 0: F' = 0.25 * 140 + 0.75 * 60
    // = 80, B' = 0, so C = 60 lies a quarter of the way: colour 80, alpha 210.
    Column<MaskFormat8> column(2, 2.0f, Pixel8(60, 60, 60, 255));
    column.status(0, 0) = statusPending | statusKeep;
    column.foreground = Triple8(140, 140, 140);
    column.background = Triple8(0, 0, 0);
    column.compose();
    EXPECT_EQ(column.output(0, 0), Pixel8(60, 60, 60, 255));
    EXPECT_EQ(column.output(1, 0), Pixel8(80, 80, 80, 210));
}

TEST(MatteComposition, SixteenBitFormatsUseTheirOwnMaximum) {
    // Row 0 is kept; row 1 lies halfway between Fe = 40000 and Be = 0 (J = 0.5).
    using Pixel16 = MaskFormat16::Pixel;
    using Triple16 = MatteTypes<MaskFormat16>::Triple;
    Column<MaskFormat16> wide(2, 1.0f, Pixel16(20000, 0, 0, 9));
    wide.status(0, 0) = statusPending | statusKeep;
    wide.foreground = Triple16(40000, 0, 0);
    wide.background = Triple16(0, 0, 0);
    wide.compose();
    EXPECT_EQ(wide.output(0, 0), Pixel16(20000, 0, 0, 65535));
    EXPECT_EQ(wide.output(1, 0), Pixel16(40000, 0, 0, 32767));

    Column<MaskFormat15> narrow(2, 1.0f, Pixel16(20000, 0, 0, 9));
    narrow.status(0, 0) = statusPending | statusKeep;
    narrow.foreground = Triple16(40000, 0, 0);
    narrow.background = Triple16(0, 0, 0);
    narrow.compose();
    EXPECT_EQ(narrow.output(0, 0), Pixel16(20000, 0, 0, 32768));
    EXPECT_EQ(narrow.output(1, 0), Pixel16(32768, 0, 0, 16384));   // 40000 clamped
}

TEST(MatteComposition, ProgressAfterEverySixteenthRow) {
    Column<MaskFormat8> column(41, 1.0f, Pixel8(0, 0, 0, 255));
    Recorder recorder;
    const IntBox estimateBox(3, 0, 40, 0);
    composeMatte<MaskFormat8>(column.image, column.status,
                              cropArrayToBox(column.status, column.layerBox), column.layerBox,
                              FloatPoint(1.0f, 1.0f), estimateBox, column.foreground,
                              column.background, column.output, ProgressRange(&recorder, 0, 1));
    ASSERT_EQ(recorder.fractions.size(), 2u);   // after rows 16 and 32 of rows 3..40
    EXPECT_FLOAT_EQ(recorder.fractions[0], 13.0f / 38.0f);
    EXPECT_FLOAT_EQ(recorder.fractions[1], 29.0f / 38.0f);
    EXPECT_EQ(column.output(2, 0), Pixel8(1, 2, 3, 4));   // outside the estimate box
}
