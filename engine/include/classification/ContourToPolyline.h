#pragma once

#include "classification/EdgePolylineList.h"

namespace classification {

// The conversions of a traced contour's corner points into float polyline points, chosen by
// the engine variable "v-mdPt" (0 to 5, any other value: unchanged). Each appends to
// `polyline`. A closed contour (last point equal to the first) gives a closed polyline. Sums
// are formed in integers and then scaled in single precision. Contours of fewer than two
// points append nothing.

/// Segment midpoints (a + b) / 2.
void contourToPolylineMidpoints(FloatPolyline& polyline, const IntPolyline& contour);
/// Corner cutting at thirds: (2a + b) / 3 and (a + 2b) / 3 of every segment.
void contourToPolylineCutThirds(FloatPolyline& polyline, const IntPolyline& contour);
/// Corner cutting at quarters: (3a + b) / 4 and (a + 3b) / 4 of every segment.
void contourToPolylineCutQuarters(FloatPolyline& polyline, const IntPolyline& contour);
/// Vertex smoothing with weights 1-2-1, 1-3-1 and 1-4-1.
void contourToPolylineSmooth4(FloatPolyline& polyline, const IntPolyline& contour);
void contourToPolylineSmooth5(FloatPolyline& polyline, const IntPolyline& contour);
void contourToPolylineSmooth6(FloatPolyline& polyline, const IntPolyline& contour);
/// The points themselves.
void contourToPolyline(FloatPolyline& polyline, const IntPolyline& contour);

}  // namespace classification
