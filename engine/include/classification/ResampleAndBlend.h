#pragma once

#include "classification/AutoFillResult.h"
#include "classification/GenerateMaskLayer.h"
#include "classification/IntBox.h"
#include "classification/MarkDistances.h"
#include "classification/MaskPixelFormat.h"
#include "classification/PolylineRounder.h"   // FloatPoint
#include "classification/ProgressRange.h"

#include <blitz/array.h>

namespace classification {

/// (trunc(point.x * scale.x), trunc(point.y * scale.y)): a working point at output resolution.
IntPoint scaleIntPoint(const IntPoint& point, const FloatPoint& scale);

/// Writes the cut-out's output pixels over the layer's sampling box from the statuses at
/// working resolution: the keep and delete bits are sampled bilinearly at each output pixel's
/// centre; an almost surely kept pixel copies the source colour fully opaque, an almost surely
/// deleted one becomes (0, 0, 0, 0), and every other pixel is un-mixed against foreground and
/// background colour estimates (`estimateMode` 1: region colour maps of the region box, built
/// from `colourImage` with the layer's smoothing; 2: boundary colour pyramids of `working`).
/// Only pixels whose nearest cell is pending and not done, and whose source alpha is at least
/// the maximum times `sourceAlphaThreshold`, are written. The cells the scan leaves behind go
/// from pending to done.
///
/// `output` and `source` are at output resolution over the caller's output box; `working` (in
/// the format) and `colourImage` (8-bit) are at working resolution, as are `status`,
/// `blendMap` and `markDistances`. The region box (`regionBox.contextBox`) must be inside the
/// status image and the estimate image of the mode (else std::invalid_argument); the sampling
/// box is clipped to the region box, `blendMap` and `markDistances`, so nothing is read outside
/// them. `scale` must be finite and positive. Progress goes through `progress`; a cancel thrown
/// by its reporter propagates, leaving the pixels and done bits written so far. Returns 0.
template <class Format>
int resampleAndBlend(blitz::Array<typename Format::Pixel, 2> output,
                     const blitz::Array<typename Format::Pixel, 2>& source,
                     const blitz::Array<typename Format::Pixel, 2>& working,
                     blitz::Array<unsigned char, 2> status, const IntBox& samplingBox,
                     const AutoFillResult& regionBox, const FloatPoint& scale,
                     const blitz::Array<unsigned char, 2>& blendMap,
                     const MarkDistanceArray& markDistances, int estimateMode,
                     const GenerateMaskLayer& layer, ProgressRange progress,
                     const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>& colourImage,
                     float sourceAlphaThreshold = 1.0f);

}  // namespace classification
