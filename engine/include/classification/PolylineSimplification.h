#pragma once

#include "classification/EdgePolylineList.h"

#include <vector>

namespace classification {

/// Douglas-Peucker simplification of every polyline in place: a point stays when its
/// distance from the chord of its range is strictly greater than `tolerance`. A closed
/// polyline (first point equal to the last) is first split at the point farthest from its
/// start, so both halves keep their corners. Polylines of fewer than three points stay as
/// they are.
void simplifyPolylines(EdgePolylineList& polylines, float tolerance);
void simplifyIntPolylines(std::vector<IntPolyline>& polylines, float tolerance);

/// Replaces the corners of every polyline in [first, last) by rounded ones (see
/// `PolylineRounder`): an open polyline keeps its end points, a closed one also rounds its
/// closing corner and stays closed. Consecutive equal points are then merged. Polylines of
/// fewer than three points stay as they are.
void roundPolylineCorners(EdgePolylineList::iterator first, EdgePolylineList::iterator last,
                          float radius);

}  // namespace classification
