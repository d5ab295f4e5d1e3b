#pragma once

#include "classification/ContourTables.h"
#include "classification/IntBox.h"

#include <blitz/array.h>

#include <cstdint>
#include <vector>

namespace classification {

// The contour tracer follows the boundary between two labelled regions along pixel edges and
// returns it as pixel corners: corner (i, j) is the corner of pixel (i, j) at its lower
// indices. The visited image (same domain as the labels, zero before a caller's first trace)
// gets bit d of a pixel set when a trace passes it in direction d; an edge between p and its
// side neighbour in direction d has been traced when p has bit d or the neighbour has bit
// (d + 2) mod 4.
//
// Every position a trace can reach must lie inside the label image with a frame of one pixel
// around it; a trace that would read beyond the image throws std::out_of_range instead.

/// Traces from `start` in `direction` (0 to 3) and appends the contour's corner points.
/// Returns 0 for a closed contour (its last point repeats its first), 1 for an open one: then
/// the points run from the far end of the first trace back through the start and on along
/// the same boundary traced from the region across it. Throws std::invalid_argument when the
/// images differ in domain or the direction is not 0 to 3.
int traceContourA(std::vector<IntPoint>& points, blitz::Array<unsigned char, 2> visited,
                  const blitz::Array<unsigned char, 2>& labels, const IntPoint& start,
                  int direction, const ContourDirections& directions,
                  const ContourTransitions& transitions);
int traceContourB(std::vector<IntPoint>& points, blitz::Array<unsigned char, 2> visited,
                  const blitz::Array<std::int32_t, 2>& labels, const IntPoint& start,
                  int direction, const ContourDirections& directions,
                  const ContourTransitions& transitions);

/// One trace in one direction from `pixel`; true when it closes on itself.
template <typename Label>
bool followContour(std::vector<IntPoint>& points, blitz::Array<unsigned char, 2>& visited,
                   const blitz::Array<Label, 2>& labels, IntPoint pixel, int direction,
                   const ContourDirections& directions, const ContourTransitions& transitions);

/// One move of the tracer; true at a dead end, where `pixel` and `direction` stay unchanged.
template <typename Label>
bool contourStep(IntPoint& pixel, int& direction, const blitz::Array<Label, 2>& labels,
                 const blitz::Array<unsigned char, 2>& visited,
                 const ContourDirections& directions, const ContourTransitions& transitions);

/// The point with `value` added to both components.
inline IntPoint addToPoint(const IntPoint& point, int value) {
    return IntPoint(point[0] + value, point[1] + value);
}

}  // namespace classification
