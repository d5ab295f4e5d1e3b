#pragma once

#include "classification/IntBox.h"
#include "classification/ProgressRange.h"

#include "Colour.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

#include <vector>

namespace classification {

/// Sums of channels 0, 1 and 2 of the border pixels in one cell, and their count.
using ColourSumCell = blitz::TinyVector<float, 4>;
/// One level: cell c holds the pixels (or finer cells) whose index halves to c.
using ColourSumGrid = blitz::Array<ColourSumCell, 2>;
/// Levels finest first (cells of 2 x 2 working pixels), coarsest (a single cell) last.
using ColourSumPyramid = std::vector<ColourSumGrid>;

/// Appends to `pyramid` the colour sums of the border pixels of one status class inside `box`:
/// the pixels with (status & classMask & 15) set that have a 4-neighbour inside `box` without
/// it (the box edge makes no border). Nothing is appended when there is no such pixel. `box`
/// must lie inside both `status` and `colourImage` (else std::out_of_range). Reports 0.25,
/// then through the levels toward 0.5, then 1; a cancel from the reporter propagates.
/// Instantiated for 8-bit and 16-bit colours (the 16-bit member serves both 16-bit formats).
template <typename Channel>
void buildBoundaryColourPyramid(const blitz::Array<unsigned char, 2>& status, const IntBox& box,
                                unsigned char classMask, ColourSumPyramid& pyramid,
                                const blitz::Array<Corvel::utility::Colour<Channel>, 2>& colourImage,
                                ProgressRange progress);

/// The next coarser level of `grid`. `cells` lists the non-empty cells of `grid` once each; the
/// non-empty cells of the result are appended to `nextCells` in first-touch order.
ColourSumGrid halveColourGrid(const ColourSumGrid& grid, const std::vector<IntPoint>& cells,
                              std::vector<IntPoint>& nextCells);

/// The part of a 16-bit colour image inside `box`, keeping the image's indices and sharing its
/// pixels; std::out_of_range when the box is not inside the image.
blitz::Array<Corvel::utility::Colour<unsigned short>, 2> cropColour16ToBox(
    blitz::Array<Corvel::utility::Colour<unsigned short>, 2> image, const IntBox& box);

}  // namespace classification
