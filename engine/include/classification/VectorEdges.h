#pragma once

#include "classification/EdgePolylineList.h"
#include "classification/IntBox.h"
#include "classification/ProgressRange.h"
#include "classification/TracedContour.h"

#include <blitz/array.h>

#include <cstdint>
#include <vector>

namespace classification {

// Polylines along pixel boundaries. The boundary scans visit every pixel of the scan box B and
// the row and column just past it (columns outer, rows inner) and start a trace at every left
// and upper boundary that no earlier trace of the scan has passed, so each boundary is traced
// once. The scanned image must hold B grown by two pixels: the scan reads one pixel around B,
// and the tracer one pixel around that; the caller fills the margin with a value no pixel of B
// carries. Both throw std::invalid_argument when the image does not hold B grown by two.

/// One integer polyline of corner points per boundary between different byte values.
void traceRegionOutlines(std::vector<IntPolyline>& outlines,
                         const blitz::Array<unsigned char, 2>& image, const IntBox& box);

/// One contour per boundary between different labels, with the label on its own side first;
/// for an open contour (traced in both directions) the two labels are swapped.
void traceLabelBoundaries(std::vector<TracedContour>& contours,
                          const blitz::Array<std::int32_t, 2>& labels, const IntBox& box);

// The conversions of traced contours into float polylines, one per contour between two
// labelled regions (a contour with label -1 on either side runs along the outside of the
// analysed area and is skipped).
using ContourIterator = std::vector<TracedContour>::const_iterator;
void convertContoursMidpoints(EdgePolylineList& edges, ContourIterator first, ContourIterator last);
void convertContoursThirds(EdgePolylineList& edges, ContourIterator first, ContourIterator last);
void convertContoursQuarters(EdgePolylineList& edges, ContourIterator first, ContourIterator last);
void convertContoursSmooth4(EdgePolylineList& edges, ContourIterator first, ContourIterator last);
void convertContoursSmooth5(EdgePolylineList& edges, ContourIterator first, ContourIterator last);
void convertContoursSmooth6(EdgePolylineList& edges, ContourIterator first, ContourIterator last);
void convertContoursUnchanged(EdgePolylineList& edges, ContourIterator first, ContourIterator last);

/// The conversion that "v-mdPt" chooses: 0 midpoints, 1 thirds, 2 quarters, 3 to 5 vertex
/// smoothing 1-2-1, 1-3-1, 1-4-1; any other value, negative ones included, the points
/// unchanged.
void convertContours(EdgePolylineList& edges, const std::vector<TracedContour>& contours,
                     int variant);

/// The vector edges of a region label image: the boundaries between the regions inside `box`
/// (labels outside it count as -1, as do the image's own -1 pixels), converted by `variant`,
/// simplified with `simplify` unless it is exactly 0 and rounded twice with `smooth` unless it
/// is exactly 0. The labels are read through a bordered copy, never past the array.
EdgePolylineList vectorEdges(const blitz::Array<std::int32_t, 2>& labels, const IntBox& box,
                             int variant, float simplify, float smooth);

/// The outline of a selection mask (over the mask's own domain; outside it counts as 0), as
/// integer polylines of pixel corners simplified with tolerance 0.1. An all-zero mask has no
/// outline.
void traceSelectionOutline(const blitz::Array<unsigned char, 2>& mask,
                           std::vector<IntPolyline>& outlines, ProgressRange progress);

}  // namespace classification
