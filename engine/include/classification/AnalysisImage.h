#pragma once

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

namespace classification {

/// One pixel of the six-channel analysis image: planes 0 to 2 come from the colour channels,
/// planes 3 to 5 are their second filtered planes. Six bytes, no padding, so `image[c]`
/// extracts plane c as a byte view sharing the image's storage.
using AnalysisPixel = blitz::TinyVector<unsigned char, 6>;

/// The analysis image the colour classification and the segmentation work on.
using AnalysisImage = blitz::Array<AnalysisPixel, 2>;

}  // namespace classification
