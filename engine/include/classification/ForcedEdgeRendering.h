#pragma once

#include "classification/ForcedEdgeStroke.h"
#include "classification/MaskPixelFormat.h"
#include "classification/ProgressRange.h"

#include <blitz/array.h>

#include <vector>

namespace classification {

/// Redraws a band along every forced edge over the generated cut-out: across the edge the
/// alpha becomes a smooth ramp from transparent one width on the delete side to opaque one
/// width on the keep side, with the source's colours; open edges fade out over one width
/// beyond their ends. The keep side of an edge is decided from the statuses on both sides of
/// its longest segment; an edge whose side cannot be decided is not drawn.
///
/// `output` (written in place) and `source` are over the output box at output resolution;
/// `status` is the working-resolution status image; `scale` is output pixels per working pixel
/// on each axis and must be finite and positive (else std::invalid_argument). Edge widths and
/// points are in output pixels. Edges with fewer than two points, a width that is not a
/// positive finite number, or a point that is not finite are skipped. Only source pixels with
/// alpha at least the channel maximum times `sourceAlphaThreshold` are redrawn. Reports nothing.
/// Returns 1 when no edge was drawn, 0 when at least one was.
template <class Format>
int renderForcedEdges(blitz::Array<typename Format::Pixel, 2> output,
                      const blitz::Array<typename Format::Pixel, 2>& source,
                      const blitz::Array<unsigned char, 2>& status, const FloatPoint& scale,
                      const std::vector<ForcedEdgeStroke>& edges, ProgressRange progress,
                      float sourceAlphaThreshold = 1.0f);

/// The keep side of an edge whose longest segment has midpoint `middle` and unit normal
/// `normal`, both in working coordinates: +1 along the normal, -1 against it, 0 when probes
/// stepping out one working pixel at a time leave the status image before the two sides
/// differ, or when the normal is too short (zero or not finite) for the probes to move.
int decideEdgeSide(const FloatPoint& middle, const FloatPoint& normal,
                   const blitz::Array<unsigned char, 2>& status);

/// The half-width of the band drawn for an edge of width `width`: at least two working
/// pixels, at most four widths.
float forcedEdgeRadius(float width, float scaleX);

}  // namespace classification
