#pragma once

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

#include <vector>

namespace classification {

/// A float point of a polyline, in the same axis order as the integer points it came from.
using FloatPoint = blitz::TinyVector<float, 2>;
using FloatPolyline = std::vector<FloatPoint>;

/// Rounds the corners of vector edges: each corner is replaced by two points cut back along its
/// two segments, further the sharper the turn, never more than a quarter of either segment.
class PolylineRounder {
public:
    explicit PolylineRounder(float cornerRadius) : radius(cornerRadius) {}

    /// Appends the rounded inner corners of `input` (not its end points) to `output`. Repeated
    /// consecutive points are passed over, since a segment of length zero has no direction;
    /// a polyline of fewer than three distinct points has no inner corner and appends nothing.
    void roundCorners(FloatPolyline& output, const FloatPolyline& input) const;

    /// Appends the rounding of the corner `q` reached along `a` (pointing from q back to the
    /// previous point, length `lengthA`) and left towards the next point, with `b` = q - next
    /// (length `lengthB`). A corner with a zero-length side, or a path that
    /// turns straight back, keeps the point itself.
    void roundCorner(FloatPolyline& output, const FloatPoint& a, float lengthA, const FloatPoint& b,
                     float lengthB, const FloatPoint& q) const;

    float radius;
};

/// The length of a vector, in single precision.
float lengthOf(const FloatPoint& v);

}  // namespace classification
