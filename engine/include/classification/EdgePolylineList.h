#pragma once

#include "classification/IntBox.h"
#include "classification/PolylineRounder.h"

#include <vector>

namespace classification {

// FloatPoint and FloatPolyline come with the corner rounding that works on them.
using IntPolyline = std::vector<IntPoint>;

/// The engine's vector edges: one float polyline per converted region boundary.
using EdgePolylineList = std::vector<FloatPolyline>;

/// Exact equality of both components; a polyline is closed when its first and last points
/// are the same point.
template <typename Point>
bool samePoint(const Point& a, const Point& b) {
    return a[0] == b[0] && a[1] == b[1];
}

}  // namespace classification
