#pragma once

#include "classification/ForcedEdgeStroke.h"
#include "classification/IntBox.h"
#include "classification/MaskPixelFormat.h"

#include <blitz/array.h>

#include <vector>

namespace classification {

/// Signed distances to forced edges over the output box: 8192 per edge width, positive on the
/// keep side, at most four widths either way. Each pixel keeps the value of smallest
/// magnitude seen, so a pixel near several shapes takes the nearest one's ramp.
using EdgeDistanceField = blitz::Array<short, 2>;
/// A field element no shape has written yet. Its magnitude, 32768, is larger than any value a
/// shape can store.
constexpr short edgeFieldUntouched = -32768;
/// The pixels whose field value has been written, each once, in first-touch order.
using TouchedList = std::vector<IntPoint>;

/// Each coordinate difference squared in float, the sum in double.
double squaredDistance(const FloatPoint& a, const FloatPoint& b);
double squaredLength(const FloatPoint& v);
/// Exact float equality of both coordinates.
bool pointsEqual(const FloatPoint& a, const FloatPoint& b);

/// The strip of half-width r beside the segment p -> q, cut square at both ends. `side` is the
/// edge's keep side (+1: along the normal (-dy, dx) of the direction of travel). Writes the
/// field inside its box only; a zero-length segment draws nothing.
void drawSegmentBand(const FloatPoint& p, const FloatPoint& q, int side, float width, float radius,
                     EdgeDistanceField& field, TouchedList& touched);

/// The disc of radius r around the vertex between previous -> vertex -> next, signed for the
/// outer side of the turn; a straight continuation or a reversal draws nothing. On the inner
/// side the two bands are nearer and keep their values.
void drawRoundJoin(int side, float width, float radius, const FloatPoint& previous,
                   const FloatPoint& vertex, const FloatPoint& next, EdgeDistanceField& field,
                   TouchedList& touched);

/// Fades an open edge out over one width beyond `end`, where the edge arrives from `inner`:
/// the source colour with the ramp alpha, blended into the output with a weight that falls
/// from 1 at `end` to 0 one width further. `side` is the keep side seen in that direction of
/// travel. The field supplies only the iteration domain; only opaque source pixels are drawn.
template <class Format>
void drawEndCap(int side, const FloatPoint& inner, const FloatPoint& end, float width,
                float radius, const EdgeDistanceField& field,
                blitz::Array<typename Format::Pixel, 2> output,
                const blitz::Array<typename Format::Pixel, 2>& source, float sourceAlphaThreshold);

/// trunc(a * weightA + b * weightB) per channel, alpha included, in float; limited to the
/// channel type's range so that a rounding above the top never wraps.
template <typename Channel>
Corvel::utility::Colour<Channel> blendColours(const Corvel::utility::Colour<Channel>& a,
                                              float weightA,
                                              const Corvel::utility::Colour<Channel>& b,
                                              float weightB);

/// The box a shape visits: the box of its two defining points, each coordinate truncated
/// toward zero, grown by ceil(radius) and clipped to `clip`. Worked out in double, so points and
/// radii far outside the image clip instead of overflowing an int.
IntBox iterationBox(const FloatPoint& a, const FloatPoint& b, float radius, const IntBox& clip);

/// The smoothstep of m in [0, 1] times the ramp factor, truncated and limited to `maximum`:
/// the alpha of a forced-edge ramp.
int rampAlpha(float m, float rampFactor, int maximum);

}  // namespace classification
