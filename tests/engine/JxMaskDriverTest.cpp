// What the generate-mask entry and its driver make of the caller's sizes and records: the
// output scale, the core's layers and forced-edge strokes.

#include "classification/JxMaskDriver.h"
#include "classification/JxMaskRequest.h"

#include <gtest/gtest.h>

#include <vector>

using classification::FloatPoint;
using classification::ForcedEdgeStroke;
using classification::GenerateMaskLayer;
using classification::IntBox;

namespace {

std::vector<int> bytesOf(const blitz::TinyVector<unsigned char, 3>& c) { return {c[0], c[1], c[2]}; }
std::vector<float> coordinatesOf(const FloatPoint& p) { return {p[0], p[1]}; }

struct ScaleCase {
    int statusWidth, statusHeight, outputWidth, outputHeight;
    int expected;   // 0: refused
};

class MaskScale : public ::testing::TestWithParam<ScaleCase> {};

}  // namespace

TEST_P(MaskScale, FollowsTheRatioWindowsAndTheSizeTheScaleImplies) {
    const ScaleCase& c = GetParam();
    EXPECT_EQ(chooseMaskScale(c.statusWidth, c.statusHeight, c.outputWidth, c.outputHeight),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    JxGenerateMask, MaskScale,
    ::testing::Values(ScaleCase{10, 501, 10, 501, 1},
                      ScaleCase{10, 501, 20, 1001, 2},    // 1001 rows halved, rounded up: 501
                      ScaleCase{10, 11, 20, 22, 2},
                      ScaleCase{10, 11, 19, 21, 2},       // odd sizes rounded up
                      ScaleCase{10, 11, 40, 44, 4},       // ratios 4.33 and 4.3
                      ScaleCase{10, 11, 80, 88, 8},
                      ScaleCase{10, 501, 23, 1151, 0},    // ratio 2.3: no scale, no guess
                      ScaleCase{10, 11, 10, 22, 0},       // rows say 2, columns 1
                      ScaleCase{10, 11, 21, 22, 0},       // one column too many for scale 2
                      ScaleCase{100, 100, 105, 105, 0},  // ratio 1.05 is scale 1, but the size is not
                      ScaleCase{10, 1, 10, 1, 0},         // one row has no ratio
                      ScaleCase{1, 11, 2, 22, 2}));       // one column: the rows decide

TEST(JxMaskDriver, RegionRecordsBecomeLayersFieldForField) {
    const unsigned char pixels[] = {1, 0, 9, 9,    // bytes per line 4, width 2
                                    0, 1, 9, 9,
                                    1, 1, 9, 9};
    std::vector<JxMaskRegion> regions(3);
    regions[0] = JxMaskRegion{5, 7, 2, 3, 4, 0, pixels, 1, 1, 0, {10, 20, 30}, {40, 50, 60},
                              0.25f, 0, 0.0f, 0.0f};
    regions[1] = JxMaskRegion{0, 0, 8, 6, 0, 0, nullptr, 0, 0, 1, {1, 2, 3}, {4, 5, 6},
                              0.0f, 1, 0.3f, 0.7f};
    regions[2] = JxMaskRegion{-4, 2, 3, 3, 0, 0, nullptr, 0, 0, 0, {0, 0, 0}, {0, 0, 0},
                              0.0f, 3, 0.6f, 0.2f};

    const std::vector<GenerateMaskLayer> layers = JxMaskDriver::layersFromRegions(regions.data(), 3);
    ASSERT_EQ(layers.size(), 3u);

    const GenerateMaskLayer& a = layers[0];
    EXPECT_TRUE(classification::boxEquals(a.box, IntBox(7, 5, 9, 6)));
    ASSERT_EQ(a.mask.numElements(), 6);
    // In image coordinates: row 7 column 5 is the region's first byte.
    EXPECT_EQ(a.mask(7, 5), 1);
    EXPECT_EQ(a.mask(7, 6), 0);
    EXPECT_EQ(a.mask(8, 5), 0);
    EXPECT_EQ(a.mask(9, 6), 1);
    EXPECT_EQ(a.firstColourCount, 1);
    EXPECT_EQ(a.secondColourCount, 0);
    EXPECT_EQ(bytesOf(a.firstColour), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(bytesOf(a.secondColour), (std::vector<int>{40, 50, 60}));
    EXPECT_TRUE(a.solo);
    EXPECT_FLOAT_EQ(a.blendValue, 0.25f);
    EXPECT_FALSE(a.mattingLayer);
    EXPECT_FALSE(a.colourMapLayer);

    const GenerateMaskLayer& choices = layers[1];
    EXPECT_EQ(choices.mask.numElements(), 0) << "no pixels: the whole box";
    EXPECT_TRUE(classification::boxEquals(choices.box, IntBox(0, 0, 5, 7)));
    EXPECT_FALSE(choices.solo);
    EXPECT_EQ(choices.secondColourCount, 1);
    EXPECT_TRUE(choices.mattingLayer);
    EXPECT_FALSE(choices.colourMapLayer);
    EXPECT_FLOAT_EQ(choices.foregroundDetail, 0.3f);
    EXPECT_FLOAT_EQ(choices.backgroundDetail, 0.7f);
    EXPECT_TRUE(choices.backgroundDetailHigh);

    const GenerateMaskLayer& membrane = layers[2];
    EXPECT_TRUE(membrane.colourMapLayer);
    EXPECT_FALSE(membrane.mattingLayer);
    EXPECT_FLOAT_EQ(membrane.smoothingAmount, 0.6f);
    EXPECT_FALSE(membrane.backgroundDetailHigh);
    EXPECT_TRUE(classification::boxEquals(membrane.box, IntBox(2, -4, 4, -2)))
        << "boxes are clipped by the core, not here";
}

TEST(JxMaskDriver, ForcedEdgesDropRepeatedPointsAndEdgesShorterThanTwoPoints) {
    // (x, y) pairs. P, P, Q, Q, R; a single point; all equal; S, T.
    const std::vector<float> first{1, 2, 1, 2, 3, 4, 3, 4, 5, 6};
    const std::vector<float> single{7, 7};
    const std::vector<float> equal{2, 2, 2, 2, 2, 2};
    const std::vector<float> last{0, 0, 9, 1};
    const JxForcedEdge edges[] = {{first.data(), 5, 1.5f},
                                  {single.data(), 1, 2.0f},
                                  {equal.data(), 3, 3.0f},
                                  {nullptr, 0, 4.0f},
                                  {last.data(), 2, 5.0f}};
    const std::vector<ForcedEdgeStroke> strokes = JxMaskDriver::strokesFromForcedEdges(edges, 5);
    ASSERT_EQ(strokes.size(), 2u);
    EXPECT_FLOAT_EQ(strokes[0].width, 1.5f);
    // Stored as (row, column) = (y, x).
    ASSERT_EQ(strokes[0].points.size(), 3u);
    EXPECT_EQ(coordinatesOf(strokes[0].points[0]), (std::vector<float>{2, 1}));
    EXPECT_EQ(coordinatesOf(strokes[0].points[1]), (std::vector<float>{4, 3}));
    EXPECT_EQ(coordinatesOf(strokes[0].points[2]), (std::vector<float>{6, 5}));
    EXPECT_FLOAT_EQ(strokes[1].width, 5.0f);
    ASSERT_EQ(strokes[1].points.size(), 2u);
    EXPECT_EQ(coordinatesOf(strokes[1].points[1]), (std::vector<float>{1, 9}));
}
