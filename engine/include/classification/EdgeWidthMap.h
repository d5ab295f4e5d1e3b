#pragma once

#include "classification/Histogram1D.h"
#include "classification/HistogramPeak.h"
#include "classification/IntBox.h"
#include "classification/ProgressRange.h"

#include <blitz/array.h>

#include <array>
#include <cstdint>

namespace classification {

/// The limits of the fixed-point edge widths of one edge-width run, from the settings. Widths
/// are in units of 1 / 1024 of a pixel times the smoothing window w = (2 * overlap + 1) *
/// resolution: lower = 1024 * edge width * w, upper = min(255 * 1024 * w, 4096 * edge width *
/// w); the final widths come out between about `edge width` and min(4 * edge width, 255)
/// pixels. Values that would leave the int32 range are clamped.
struct EdgeWidthLimits {
    std::int32_t lower = 0;
    std::int32_t upper = 0;
    std::int32_t divisor = 1;   // per-pixel widths divided by it before limiting

    EdgeWidthLimits(int resolution, int overlap, int inFocusEdgeWidth);
};

/// The edge width of one cell: the distance between the humps on either side of each
/// channel's selected valley, weighted across channels by how deep the valleys are; `upper`
/// when no channel shows two humps. Always within lower ... upper.
std::int32_t cellEdgeWidth(const std::array<const Histogram1D*, 6>& cell,
                           const std::array<const PeakList*, 6>& peaks,
                           const EdgeWidthLimits& limits);

/// Lets the widths of `box` rise by at most 70 per axial and 99 per diagonal step: one
/// forward and one backward raster pass of min-plus relaxation. `widths` must hold the box
/// grown by one on every side (its frame is read, never written). Reports into the first half
/// of `range` during the forward pass and the second half during the backward pass.
void chamferLimit(blitz::Array<std::int32_t, 2> widths, const IntBox& box, ProgressRange range);

}  // namespace classification
