#include "workspace/ImageGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ImageGeometry, FloorPointTakesTheMathematicalFloor) {
    struct Row { double x, y, fx, fy; };
    const Row rows[] = {{-0.5, 2.0, -1.0, 2.0}, {3.99, -3.01, 3.0, -4.0},
                        {std::ldexp(1.0, 53) + 2.0, 0.0, std::ldexp(1.0, 53) + 2.0, 0.0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.x);
        EXPECT_EQ(floorPoint(row.x, row.y), QPointF(row.fx, row.fy));
    }
}

TEST(ImageGeometry, AlignRectOutwardContainsTheInputWithWholeEdges) {
    struct Row { QRectF in, out; };
    const Row rows[] = {{QRectF(0.5, 0.5, 1.0, 1.0), QRectF(0, 0, 2, 2)},
                        {QRectF(2, 3, 4, 5), QRectF(2, 3, 4, 5)},
                        {QRectF(-1.25, -0.75, 0.5, 0.5), QRectF(-2, -1, 2, 1)},
                        {QRectF(1.5, 1.5, 0, 0), QRectF(1, 1, 1, 1)}};
    for (const Row& row : rows) {
        QRectF r = row.in;
        alignRectOutward(r);
        EXPECT_EQ(r, row.out);
    }
}

TEST(ImageGeometry, GrownScaledOffsetAndSizedRectangles) {
    EXPECT_EQ(grownRect(QRectF(10, 10, 5, 5), 2), QRectF(8, 8, 9, 9));
    EXPECT_EQ(grownRect(QRectF(10, 10, 5, 5), -1), QRectF(11, 11, 3, 3));
    EXPECT_EQ(scaledDownRect(QRectF(10, 20, 30, 40), 2), QRectF(5, 10, 15, 20));
    EXPECT_EQ(scaledDownRect(QRectF(3, 3, 3, 3), 0.5), QRectF(6, 6, 6, 6));
    EXPECT_EQ(offsetPoint(QPointF(1, 2), -3, 0.5), QPointF(-2, 2.5));
    EXPECT_EQ(rectFromSize(7, 9), QRectF(0, 0, 7, 9));
}

}  // namespace
