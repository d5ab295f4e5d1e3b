#pragma once

#include "classification/IntBox.h"

#include <vector>

namespace classification {

/// The neighbours of one pixel that lie inside a bounding box, so that scans near the edge of
/// an array never step outside it. Reused from pixel to pixel: each collect empties it first.
class NeighbourList {
public:
    explicit NeighbourList(const IntBox& bounds) : box(bounds) {}

    /// The 4-neighbours inside the box, in the order up, left, down, right.
    void collectAxial(const IntPoint& p);

    /// The diagonal neighbours inside the box: the two of the row above (left first), then the
    /// two of the row below.
    void collectDiagonal(const IntPoint& p);

    std::vector<IntPoint> points;
    IntBox box;
};

}  // namespace classification
