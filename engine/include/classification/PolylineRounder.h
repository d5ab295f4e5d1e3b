#pragma once

#include "classification/EdgePolylineList.h"

namespace classification {

/// Rounds the corners of float polylines: each corner is replaced by two points cut back
/// along its two segments, the further the sharper the turn (radius / cos of half the turn),
/// never more than a quarter of either segment.
class PolylineRounder {
public:
    explicit PolylineRounder(float radius) : radius_(radius) {}

    float radius() const { return radius_; }

    /// Appends the rounded inner corners (points 1 to n - 2) of `input` to `output`; nothing
    /// for fewer than three points. The caller adds the end points, or rounds a closed
    /// polyline's closing corner itself.
    void roundCorners(FloatPolyline& output, const FloatPolyline& input) const;

    /// Appends the rounded corner at `vertex`, with `incoming` = previous point - vertex and
    /// `outgoing` = vertex - next point and their lengths. A corner that turns straight back,
    /// or a segment of length 0, keeps the vertex itself.
    void roundCorner(FloatPolyline& output, const FloatPoint& incoming, float incomingLength,
                     const FloatPoint& outgoing, float outgoingLength, const FloatPoint& vertex) const;

    /// The length of a vector in single precision.
    static float length(const FloatPoint& v);

private:
    float radius_;
};

}  // namespace classification
