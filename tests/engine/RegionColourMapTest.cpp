#include "classification/RegionColourMap.h"

#include "classification/IntBox.h"

#include "MaskTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <stdexcept>

using namespace classification;
using Corvel::utility::Colour;

namespace {

constexpr unsigned char keep = 2, deleted = 4, pending = 0x80, done = 0x40;

using ColourImage = blitz::Array<Colour<unsigned char>, 2>;

GenerateMaskLayer layerWithSmoothing(float amount) {
    GenerateMaskLayer layer;
    layer.smoothingAmount = amount;
    return layer;
}

// A grey image whose value at (i, j) is 10 * (i * columns + j): every cell distinct.
ColourImage numberedImage(int rows, int columns) {
    ColourImage image(rows, columns);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j) {
            const auto v = static_cast<unsigned char>(10 * (i * columns + j));
            image(i, j) = Colour<unsigned char>(v, v, v, 255);
        }
    return image;
}

using Rgb = std::array<int, 3>;

Rgb grey(int v) {
    return Rgb{v, v, v};
}

Rgb rgb(const ColourBytes& c) {
    return masktest::values(c);
}

}  // namespace

TEST(RegionColourMap, SmoothingSweepsFollowTheAmount) {
    struct Case { float amount; int sweeps; };
    for (const Case& c : {Case{0.0f, 1}, Case{1.0f, 100}, Case{0.5f, 50}, Case{0.011f, 2},
                          Case{-1.0f, 1}, Case{7.0f, 100},
                          Case{std::numeric_limits<float>::quiet_NaN(), 1},
                          Case{std::numeric_limits<float>::infinity(), 100}}) {
        SCOPED_TRACE(c.amount);
        EXPECT_EQ(smoothingSweeps(c.amount), c.sweeps);
    }
}

TEST(RegionColourMap, EveryCellTakesTheNearestSourceColour) {
    // One keep cell; the other cells are neither pending nor of the class, so smoothing
    // leaves them with the propagated colour.
    auto status = masktest::filled<unsigned char>(3, 5, done);
    status(1, 1) = keep;
    const ColourImage image = numberedImage(3, 5);
    const RegionColourMap map = buildRegionColourMap(status, keep, GenerateMaskLayer(), image);
    for (auto it = map.begin(); it != map.end(); ++it)
        EXPECT_EQ(rgb(*it), grey(60)) << it.position();
}

TEST(RegionColourMap, EqualDistancesKeepTheColourMetFirst) {
    // Sources at both ends of a row of five: the middle cell is 68 from both; the forward
    // pass reaches it first from the left, and an equal distance never replaces.
    auto status = masktest::filled<unsigned char>(1, 5, 0);
    status(0, 0) = deleted;
    status(0, 4) = deleted;
    const ColourImage image = numberedImage(1, 5);
    const RegionColourMap map = buildRegionColourMap(status, deleted, GenerateMaskLayer(), image);
    EXPECT_EQ(rgb(map(0, 1)), grey(0));
    EXPECT_EQ(rgb(map(0, 2)), grey(0));
    EXPECT_EQ(rgb(map(0, 3)), grey(40));
    EXPECT_EQ(rgb(map(0, 4)), grey(40));
}

TEST(RegionColourMap, KnightStepsAreCheaperThanTwoSteps) {
    // (0, 0) keep, (2, 3) keep. Cell (2, 1) is a knight's step (76) from (0, 0) and two
    // steps (68) from (2, 3): the nearer wins.
    auto status = masktest::filled<unsigned char>(3, 4, 0);
    status(0, 0) = keep;
    status(2, 3) = keep;
    const ColourImage image = numberedImage(3, 4);
    const RegionColourMap map = buildRegionColourMap(status, keep, GenerateMaskLayer(), image);
    EXPECT_EQ(rgb(map(2, 1)), grey(110));
    EXPECT_EQ(rgb(map(1, 1)), grey(0)) << "a diagonal (48) against a knight's step (76)";
    EXPECT_EQ(rgb(map(1, 2)), grey(110)) << "a knight's step (76) against a diagonal (48)";
}

TEST(RegionColourMap, PendingCellsAreRelaxedTowardTheirNeighbours) {
    // No source: colours stay the image's, then one sweep over a row of three pending cells
    // in Gauss-Seidel order (cells beyond the box are not counted).
    auto status = masktest::filled<unsigned char>(1, 3, pending);
    ColourImage image(1, 3);
    image(0, 0) = Colour<unsigned char>(10, 0, 255, 255);
    image(0, 1) = Colour<unsigned char>(40, 255, 0, 255);
    image(0, 2) = Colour<unsigned char>(100, 0, 255, 255);
    const RegionColourMap map = buildRegionColourMap(status, keep, layerWithSmoothing(0.0f), image);
    // (0,0): 0.5 - 5 + 1.5 * 40 = 55.5; (0,1): 0.5 - 20 + 1.5 * (55 + 100) / 2 = 96.75;
    // (0,2): 0.5 - 50 + 1.5 * 96 = 94.5. In channels 1 and 2 the first cell overshoots
    // (383, -127) and is clamped before its neighbours read it.
    EXPECT_EQ(rgb(map(0, 0)), (Rgb{55, 255, 0}));
    EXPECT_EQ(rgb(map(0, 1)), (Rgb{96, 64, 191}));
    EXPECT_EQ(rgb(map(0, 2)), (Rgb{94, 96, 159}));
}

TEST(RegionColourMap, OnlyPendingCellsAreSmoothed) {
    // Cells of the class, done cells and cells whose pending bit comes with the done bit are
    // sources or bystanders; a pending cell walled in by them still counts the sources.
    auto status = masktest::filled<unsigned char>(3, 3, pending | done);
    status(1, 1) = pending;
    status(0, 1) = keep | pending;
    ColourImage image = numberedImage(3, 3);
    const RegionColourMap map = buildRegionColourMap(status, keep, layerWithSmoothing(1.0f), image);
    // Everything takes the source's colour 10 first; (1,1) then relaxes toward 10 and stays.
    for (auto it = map.begin(); it != map.end(); ++it)
        EXPECT_EQ(rgb(*it), grey(10)) << it.position();

    // A lone pending cell with no neighbour to count keeps its colour (no division by zero).
    auto lone = masktest::filled<unsigned char>(1, 1, pending);
    const RegionColourMap single = buildRegionColourMap(lone, keep, layerWithSmoothing(1.0f),
                                                        numberedImage(1, 1));
    EXPECT_EQ(rgb(single(0, 0)), grey(0));
}

TEST(RegionColourMap, KeepsTheRegionIndicesAndRefusesBoxesOutsideTheImage) {
    auto whole = masktest::filled<unsigned char>(6, 6, 0);
    whole(5, 5) = keep;
    const ColourImage image = numberedImage(6, 6);
    const blitz::Array<unsigned char, 2> region = cropToBox(whole, IntBox(3, 2, 5, 5));
    const RegionColourMap map = buildRegionColourMap(region, keep, GenerateMaskLayer(), image);
    EXPECT_EQ(map.lbound(0), 3);
    EXPECT_EQ(map.lbound(1), 2);
    EXPECT_EQ(map.rows(), 3);
    EXPECT_EQ(map.columns(), 4);
    EXPECT_EQ(rgb(map(3, 2)), grey(350 % 256)) << "the colour of (5,5), as a byte";

    const ColourImage small = numberedImage(4, 4);
    EXPECT_THROW(buildRegionColourMap(region, keep, GenerateMaskLayer(), small), std::invalid_argument);
}
