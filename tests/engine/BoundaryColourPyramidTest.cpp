#include "classification/BoundaryColourPyramid.h"

#include "MaskTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

using namespace classification;
using Corvel::utility::Colour;

namespace {

constexpr unsigned char keep = 2, deleted = 4;

using Sum = std::array<int, 4>;

Sum sumAt(const ColourSumGrid& grid, int i, int j) {
    return masktest::values(grid(i, j));
}

// The total count over a level, and the number of its non-empty cells.
std::pair<float, int> countOf(const ColourSumGrid& grid) {
    float total = 0.0f;
    int cells = 0;
    for (auto it = grid.begin(); it != grid.end(); ++it) {
        total += (*it)[3];
        cells += (*it)[3] != 0.0f;
    }
    return {total, cells};
}

}  // namespace

TEST(BoundaryColourPyramid, IsolatedPixelClimbsToASingleCell) {
    auto status = masktest::filled<unsigned char>(8, 8, deleted);
    status(5, 2) = keep | 0x80;   // work bits do not hide the class
    auto colours = masktest::filled(8, 8, Colour<unsigned char>(1, 1, 1, 255));
    colours(5, 2) = Colour<unsigned char>(30, 60, 90, 255);
    masktest::ProgressRecorder recorder;
    ColourSumPyramid pyramid;
    buildBoundaryColourPyramid(status, IntBox(0, 0, 7, 7), keep, pyramid, colours,
                               ProgressRange(&recorder, 0.0f, 1.0f));
    ASSERT_EQ(pyramid.size(), 3u);
    EXPECT_TRUE(boxEquals(IntBox::domainOf(pyramid[0]), IntBox(0, 0, 3, 3)));
    EXPECT_TRUE(boxEquals(IntBox::domainOf(pyramid[1]), IntBox(0, 0, 1, 1)));
    EXPECT_TRUE(boxEquals(IntBox::domainOf(pyramid[2]), IntBox(0, 0, 0, 0)));
    EXPECT_EQ(sumAt(pyramid[0], 2, 1), (Sum{30, 60, 90, 1}));
    EXPECT_EQ(sumAt(pyramid[1], 1, 0), (Sum{30, 60, 90, 1}));
    EXPECT_EQ(sumAt(pyramid[2], 0, 0), (Sum{30, 60, 90, 1}));
    for (const ColourSumGrid& level : pyramid)
        EXPECT_EQ(countOf(level).second, 1);
    // A quarter, then halfway to 0.5 and on, then the end.
    EXPECT_EQ(recorder.fractions, (std::vector<float>{0.25f, 0.375f, 0.4375f, 1.0f}));
}

TEST(BoundaryColourPyramid, OnlyBorderPixelsAreSummed) {
    // A 3 x 3 keep block: its centre has no non-keep neighbour.
    auto status = masktest::filled<unsigned char>(5, 5, 1);
    status(blitz::Range(1, 3), blitz::Range(1, 3)) = keep;
    auto colours = masktest::filled(5, 5, Colour<unsigned char>(10, 20, 30, 255));
    colours(2, 2) = Colour<unsigned char>(200, 200, 200, 255);
    ColourSumPyramid pyramid;
    buildBoundaryColourPyramid(status, IntBox(0, 0, 4, 4), keep, pyramid, colours, ProgressRange());
    ASSERT_EQ(pyramid.size(), 3u);   // 3 x 3, 2 x 2, 1 x 1
    EXPECT_EQ(sumAt(pyramid.back(), 0, 0), (Sum{80, 160, 240, 8}));
    // Pixels (2,3), (3,2) and (3,3) share cell (1,1) with the centre, which is not summed.
    EXPECT_EQ(sumAt(pyramid[0], 1, 1), (Sum{30, 60, 90, 3}));
    EXPECT_EQ(countOf(pyramid[0]), std::make_pair(8.0f, 4));
    EXPECT_EQ(countOf(pyramid[1]), std::make_pair(8.0f, 1));
}

TEST(BoundaryColourPyramid, TheBoxEdgeMakesNoBorder) {
    // Keep fills rows 0..1 of the box: only row 1, next to the delete rows, is border.
    auto status = masktest::filled<unsigned char>(6, 6, deleted);
    status(blitz::Range(2, 3), blitz::Range::all()) = keep;
    auto colours = masktest::filled(6, 6, Colour<unsigned char>(1, 2, 3, 255));
    ColourSumPyramid pyramid;
    buildBoundaryColourPyramid(status, IntBox(2, 1, 5, 4), keep, pyramid, colours, ProgressRange());
    ASSERT_FALSE(pyramid.empty());
    EXPECT_TRUE(boxEquals(IntBox::domainOf(pyramid[0]), IntBox(1, 0, 2, 2)));
    EXPECT_EQ(sumAt(pyramid.back(), 0, 0), (Sum{4, 8, 12, 4}));
}

TEST(BoundaryColourPyramid, NothingIsAppendedWithoutBorderPixels) {
    auto colours = masktest::filled(4, 4, Colour<unsigned char>(1, 2, 3, 255));
    for (unsigned char fill : {deleted, keep}) {
        SCOPED_TRACE(+fill);
        auto status = masktest::filled<unsigned char>(4, 4, fill);
        masktest::ProgressRecorder recorder;
        ColourSumPyramid pyramid(1);   // what was there before stays
        buildBoundaryColourPyramid(status, IntBox(0, 0, 3, 3), keep, pyramid, colours,
                                   ProgressRange(&recorder, 0.0f, 1.0f));
        EXPECT_EQ(pyramid.size(), 1u);
        EXPECT_EQ(recorder.fractions, (std::vector<float>{0.25f}));
    }
}

TEST(BoundaryColourPyramid, SingleCellLevelIsTheOnlyLevel) {
    auto status = masktest::filled<unsigned char>(6, 6, deleted);
    status(2, 5) = keep;
    blitz::Array<Colour<unsigned short>, 2> colours =
        masktest::filled(6, 6, Colour<unsigned short>(1000, 2000, 65535, 65535));
    ColourSumPyramid pyramid;
    buildBoundaryColourPyramid(status, IntBox(2, 4, 3, 5), keep, pyramid, colours, ProgressRange());
    ASSERT_EQ(pyramid.size(), 1u);
    EXPECT_TRUE(boxEquals(IntBox::domainOf(pyramid[0]), IntBox(1, 2, 1, 2)));
    EXPECT_EQ(sumAt(pyramid[0], 1, 2), (Sum{1000, 2000, 65535, 1}));
}

TEST(BoundaryColourPyramid, BoxesOutsideTheImagesAreRefused) {
    auto status = masktest::filled<unsigned char>(4, 4, keep);
    auto colours = masktest::filled(3, 3, Colour<unsigned char>(1, 2, 3, 255));
    ColourSumPyramid pyramid;
    EXPECT_THROW(buildBoundaryColourPyramid(status, IntBox(0, 0, 3, 3), keep, pyramid, colours,
                                            ProgressRange()),
                 std::out_of_range);
    EXPECT_THROW(buildBoundaryColourPyramid(status, IntBox(2, 2, 4, 4), keep, pyramid, colours,
                                            ProgressRange()),
                 std::out_of_range);
    EXPECT_TRUE(pyramid.empty());

    blitz::Array<Colour<unsigned short>, 2> wide(5, 5);
    const auto crop = cropColour16ToBox(wide, IntBox(1, 2, 3, 4));
    EXPECT_EQ(&crop(1, 2), &wide(1, 2));
    EXPECT_THROW(cropColour16ToBox(wide, IntBox(1, 2, 5, 4)), std::out_of_range);
}
