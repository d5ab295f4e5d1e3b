#pragma once

#include "classification/GenerateMaskLayer.h"
#include "classification/IntBox.h"
#include "classification/ProgressRange.h"

#include "Colour.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

namespace classification {

/// A colour estimate per working cell: channels 0 to 2 of the 8-bit colour image.
using ColourBytes = blitz::TinyVector<unsigned char, 3>;
using RegionColourMap = blitz::Array<ColourBytes, 2>;

/// A colour estimate for one status class (`classBit` 2 keep or 4 delete) at every cell of the
/// region box (the domain of `statusView`, indices kept). Cells of the class keep their own
/// colour; every other cell takes the colour of the nearest cell of the class under a 5 x 5
/// chamfer distance; then the pending cells (status & 0xC0 == 0x80, not of the class) are
/// smoothed toward their neighbours' mean by over-relaxation, 1 + 99 x the layer's
/// `smoothingAmount` sweeps (the amount clamped to [0, 1]). `colourImage` is the 8-bit working
/// colour image and must contain the region box (else std::invalid_argument).
RegionColourMap buildRegionColourMap(const blitz::Array<unsigned char, 2>& statusView,
                                     unsigned char classBit, const GenerateMaskLayer& layer,
                                     const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>& colourImage);

/// Chamfer transform of `distances` (0 at the sources) over `box`, a forward and then a
/// backward raster pass, each cell taking the colour of the neighbour that gave it a strictly
/// smaller distance. `distances` must cover `box` grown by two cells on every side. Reports
/// fraction 0.5 between the passes and 1 at the end.
void propagateNearestColour(const IntBox& box, blitz::Array<int, 2>& distances,
                            RegionColourMap& colours, ProgressRange progress);

/// Gauss-Seidel over-relaxation (factor 1.5) of the colours of the cells whose code is 0
/// toward the mean of their 4-neighbours whose code is not 2. `codes` must cover `box` grown
/// by one cell; a cell with no counted neighbour keeps its colour.
void smoothPendingColours(const blitz::Array<unsigned char, 2>& codes, const IntBox& box,
                          RegionColourMap& colours, int sweeps);

/// 1 sweep at amount 0, 100 at amount 1; the amount is clamped to [0, 1] first (NaN counts 0).
int smoothingSweeps(float amount);

}  // namespace classification
