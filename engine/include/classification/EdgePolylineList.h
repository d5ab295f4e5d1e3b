#pragma once

#include "classification/IntBox.h"

#include <blitz/tinyvec2.h>

#include <vector>

namespace classification {

/// A float point in the same (first index, second index) order as `IntPoint`.
using FloatPoint = blitz::TinyVector<float, 2>;
using FloatPolyline = std::vector<FloatPoint>;
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
