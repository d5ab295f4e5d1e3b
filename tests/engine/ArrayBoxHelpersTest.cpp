#include "classification/ArrayBoxHelpers.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace classification;

namespace {

/// A 5 x 6 array indexed from (-1, 2) holding 10 * row + column (rows 0 to 4, columns 0 to 5
/// counted from the lower corner).
template <typename T>
blitz::Array<T, 2> numbered() {
    blitz::Array<T, 2> array(blitz::Range(-1, 3), blitz::Range(2, 7));
    for (int i = -1; i <= 3; ++i)
        for (int j = 2; j <= 7; ++j)
            array(i, j) = static_cast<T>(10 * (i + 1) + (j - 2));
    return array;
}

}  // namespace

TEST(ReplicateBorder, EdgesAndCornersTakeTheNearestBoxElement) {
    auto array = numbered<unsigned char>();
    replicateBorder8(array, IntBox(0, 3, 1, 5));   // rows 1-2, columns 1-3 counted from the corner
    // expected value at (i, j): the box element at the clamped position
    for (int i = -1; i <= 3; ++i)
        for (int j = 2; j <= 7; ++j) {
            const int ci = std::clamp(i, 0, 1), cj = std::clamp(j, 3, 5);
            EXPECT_EQ(array(i, j), 10 * (ci + 1) + (cj - 2)) << i << ", " << j;
        }

    auto wide = numbered<std::uint16_t>();
    wide *= 1000;   // values above a byte
    replicateBorder16(wide, IntBox(1, 4, 1, 4));
    EXPECT_EQ(blitz::count(wide == 22000), 30) << "a 1 x 1 box fills the whole array";
}

TEST(ReplicateBorder, WholeBoxOrEdgeBoxLeavesTheArrayAlone) {
    auto array = numbered<unsigned char>();
    replicateBorder8(array, IntBox(-1, 2, 3, 7));
    EXPECT_TRUE(blitz::all(array == numbered<unsigned char>()));
    replicateBorder8(array, IntBox(-1, 2, 3, 5));   // touches the lower first-axis edge
    EXPECT_EQ(array(-1, 7), array(-1, 5));
    EXPECT_EQ(array(3, 6), array(3, 5));
    EXPECT_EQ(array(0, 3), 11);
}

TEST(FillOutsideBox, FillsTheFourStripsOnly) {
    auto array = numbered<std::int32_t>();
    fillOutsideBox(array, IntBox(0, 3, 1, 5), -2);
    for (int i = -1; i <= 3; ++i)
        for (int j = 2; j <= 7; ++j) {
            const bool inside = i >= 0 && i <= 1 && j >= 3 && j <= 5;
            EXPECT_EQ(array(i, j), inside ? 10 * (i + 1) + (j - 2) : -2) << i << ", " << j;
        }
    auto whole = numbered<std::int32_t>();
    fillOutsideBox(whole, IntBox(-1, 2, 3, 7), -2);
    EXPECT_EQ(blitz::count(whole == -2), 0);
}

TEST(ArrayBoxHelpers, EmptyOrOutsideBoxesAreRefused) {
    auto bytes = numbered<unsigned char>();
    auto ints = numbered<std::int32_t>();
    const IntBox outside(0, 3, 4, 5), empty(1, 4, 0, 4);
    EXPECT_THROW(replicateBorder8(bytes, outside), std::out_of_range);
    EXPECT_THROW(replicateBorder8(bytes, empty), std::out_of_range);
    EXPECT_THROW(fillOutsideBox(ints, outside, 0), std::out_of_range);
    EXPECT_THROW(fillOutsideBox(ints, empty, 0), std::out_of_range);
    EXPECT_TRUE(blitz::all(bytes == numbered<unsigned char>()));
    AnalysisImage image(3, 3);
    EXPECT_THROW(cropToBoxRebased6(image, IntBox(1, 1, 3, 1)), std::out_of_range);
}

TEST(ArrayBoxHelpers, CropsShareStorageAndKeepIndices) {
    AnalysisImage image(4, 5);
    image = AnalysisPixel(0, 0, 0, 0, 0, 0);
    AnalysisImage part = cropToBoxRebased6(image, IntBox(1, 2, 2, 4));
    EXPECT_EQ(part.lbound(0), 1);
    EXPECT_EQ(part.lbound(1), 2);
    EXPECT_EQ(part.ubound(1), 4);
    part(2, 3)[5] = 9;
    EXPECT_EQ(image(2, 3)[5], 9);

    blitz::Array<BytePixel3, 2> edges(3, 3);
    edges = BytePixel3(1, 2, 3);
    auto corner = cropToBoxRebased3(edges, IntBox(2, 2, 2, 2));
    corner(2, 2)[1] = 7;
    EXPECT_EQ(edges(2, 2)[1], 7);

    EXPECT_EQ(axisOffset(0, -3)[0], -3);
    EXPECT_EQ(axisOffset(0, -3)[1], 0);
    EXPECT_EQ(axisOffset(1, 4)[0], 0);
    EXPECT_EQ(axisOffset(1, 4)[1], 4);
}
