#pragma once

#include "classification/GenerateMaskLayer.h"
#include "classification/IntBox.h"
#include "classification/MaskPixelFormat.h"
#include "classification/PolylineRounder.h"   // FloatPoint
#include "classification/ProgressRange.h"

#include <blitz/array.h>

namespace classification {

/// The matting pass of one matting layer. For every pending pixel of the layer (status 0x80
/// without 0x40 at the status pixel that contains it) it estimates a foreground colour from the
/// keep pixels and a background colour from the delete pixels through palette pyramids,
/// smooths both estimates, and writes the pixel's colour and alpha into `output`.
///
/// `image` and `output` share one domain at output resolution (lower bounds not negative);
/// `status` is the whole status array at working resolution; `layerBox` is not empty and lies
/// inside `status` (std::out_of_range otherwise); `scale` gives image pixels per status pixel
/// on each axis. Reads `foregroundDetail` and `backgroundDetail` of `layer`.
///
/// Returns 0 when the layer was matted or had nothing to do, and 1, with `output` untouched,
/// when the palette search failed: the layer's area holds no keep or no delete pixel. A
/// cancellation from a progress report and allocation failures propagate; the statuses are
/// never written.
///
/// The per-pixel work (the pyramids' rows, the palette search, the medians, the composition)
/// runs on `workerCount` threads, the calling thread included (0: one per processor, as the
/// session's worker count means); every worker is joined before the call returns or throws,
/// and the output does not depend on the number of threads. Progress is reported on the
/// calling thread only.
template <class Format>
int matteLayer(const typename Format::Image& image, const blitz::Array<unsigned char, 2>& status,
               typename Format::Image output, const IntBox& layerBox, const FloatPoint& scale,
               const GenerateMaskLayer& layer, ProgressRange progress, unsigned workerCount);

}  // namespace classification
