#include "classification/IntBox.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace classification;

namespace {
std::string text(const IntBox& box) {
    std::ostringstream out;
    out << box;
    return out.str();
}
}  // namespace

TEST(IntBox, IntersectionKeepsTheCommonPartOrReportsEmpty) {
    struct Case { IntBox other; bool nonEmpty; const char* expected; };
    const Case cases[] = {
        {IntBox(5, 5, 20, 20), true, "[[5,5], [9,9]]"},
        {IntBox(10, 0, 12, 9), false, nullptr},
        {IntBox(9, 9, 9, 9), true, "[[9,9], [9,9]]"},
        {IntBox::none(), false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text(c.other));
        IntBox box(0, 0, 9, 9);
        EXPECT_EQ(intersectBox(box, c.other), c.nonEmpty);
        EXPECT_EQ(isBoxEmpty(box), !c.nonEmpty);
        if (c.expected) {
            EXPECT_EQ(text(box), c.expected);
        }
    }
}

TEST(IntBox, MakeBoxOrdersEachAxis) {
    EXPECT_EQ(text(makeBox(IntPoint(5, 2), IntPoint(1, 8))), "[[1,2], [5,8]]");
}

TEST(IntBox, OnePixelBoxIsNotEmpty) {
    EXPECT_FALSE(isBoxEmpty(IntBox(3, 3, 3, 3)));
    EXPECT_TRUE(isBoxEmpty(IntBox(3, 4, 3, 3)));
}

TEST(IntBox, RectangleBecomesRowColumnBox) {
    EXPECT_EQ(text(IntBox::fromRect(4, 2, 3, 5)), "[[2,4], [6,6]]");
}

TEST(IntBox, NegateAndErode) {
    EXPECT_EQ(text(negateBox(IntBox(1, 2, 3, 4))), "[[-3,-4], [-1,-2]]");
    // A 3x3 element centred on the origin fits at the inner positions of a 10x10 box.
    EXPECT_EQ(text(erodeBox(IntBox(0, 0, 9, 9), IntBox(-1, -1, 1, 1))), "[[1,1], [8,8]]");
}

TEST(IntBox, ScalingCoversWholeBlocksAndStaysInTarget) {
    EXPECT_EQ(text(scaleBox(IntBox(1, 2, 3, 4), 2, IntBox(0, 0, 99, 99))), "[[2,4], [7,9]]");
    EXPECT_EQ(text(scaleBox(IntBox(1, 2, 3, 4), 4, IntBox(0, 0, 9, 9))), "[[4,8], [9,9]]");
}

TEST(IntBox, CropKeepsParentIndicesAndSharesStorage) {
    blitz::Array<unsigned char, 2> parent(100, 150);
    parent = 0;
    parent(10, 20) = 7;
    blitz::Array<unsigned char, 2> part = cropToBox(parent, IntBox(10, 20, 19, 29));
    EXPECT_EQ(part.rows(), 10);
    EXPECT_EQ(part.columns(), 10);
    EXPECT_EQ(part.lbound(0), 10);
    EXPECT_EQ(part.lbound(1), 20);
    EXPECT_EQ(part(10, 20), 7);
    part(19, 29) = 9;
    EXPECT_EQ(parent(19, 29), 9);
    EXPECT_EQ(cropToRect(parent, 20, 10, 10, 10)(10, 20), 7);
}

TEST(IntBox, CropOutsideTheArrayIsRefused) {
    blitz::Array<unsigned char, 2> parent(4, 4);
    EXPECT_THROW(cropToBox(parent, IntBox(2, 2, 4, 3)), std::out_of_range);
    EXPECT_THROW(cropToBox(parent, IntBox(-1, 0, 1, 1)), std::out_of_range);
    EXPECT_THROW(cropToBox(parent, IntBox(2, 2, 1, 1)), std::out_of_range);
}

TEST(IntBox, ColourCropKeepsParentIndicesOfPixelArrays) {
    using Pixel = Corvel::utility::Colour<unsigned char>;
    blitz::Array<Pixel, 2> parent(6, 8);
    parent = Pixel(0, 0, 0, 255);
    parent(2, 4) = Pixel(1, 2, 3, 4);
    // The rectangle x 4, y 2, width 3, height 2 is the box (2,4)-(3,6).
    blitz::Array<Pixel, 2> part = cropColourToRect(parent, 4, 2, 3, 2);
    EXPECT_EQ(part.lbound(0), 2);
    EXPECT_EQ(part.lbound(1), 4);
    EXPECT_EQ(part.rows(), 2);
    EXPECT_EQ(part.columns(), 3);
    EXPECT_EQ(part(2, 4), Pixel(1, 2, 3, 4));
    part(3, 6) = Pixel(9, 9, 9, 9);
    EXPECT_EQ(parent(3, 6), Pixel(9, 9, 9, 9));
    EXPECT_THROW(cropColourToBox(parent, IntBox(4, 4, 6, 6)), std::out_of_range);
}
