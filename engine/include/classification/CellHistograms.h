#pragma once

#include "classification/Histogram1D.h"
#include "classification/IntBox.h"
#include "classification/ProgressRange.h"

#include <blitz/array.h>

namespace classification {

/// Per pixel corner, the lowest and highest byte of the pixels {x, x + 1} x {y, y + 1} that lie
/// in the image; the element (x, y) belongs to the corner right of and below pixel (x, y).
using CornerRangeArray = blitz::Array<CornerRange, 2>;

CornerRangeArray buildCornerRanges(const blitz::Array<unsigned char, 2>& image,
                                   ProgressRange range);

// The four kinds of cell histogram. `corners` is the inclusive box of the cell's pixel corners;
// an empty box makes a flat histogram of 1024 in all over its bins. Kinds 0 and 1 read the
// corner ranges, kinds 2 and 3 the four pixels around each corner (so `image` must hold the
// box grown by one row and column).

/// Kind 0 ("range"): every corner adds 1024 spread over its value range.
void cellHistogramFromRanges(Histogram1D& histogram, const CornerRangeArray& ranges,
                             const IntBox& corners, int bits);
/// Kind 1 ("range fast"): every corner adds 1024 / (bins spanned - 1) to each bin it spans.
void cellHistogramFromRangeBins(Histogram1D& histogram, const CornerRangeArray& ranges,
                                const IntBox& corners, int bits);
/// Kind 2 ("median"): the four pixels of a corner split at their median, 512 spread over each
/// half's value range.
void cellHistogramFromSplitRanges(Histogram1D& histogram, const blitz::Array<unsigned char, 2>& image,
                                  const IntBox& corners, int bits);
/// Kind 3 ("median fast"): kind 2 on bin indices, each half's 512 shared by its bins.
void cellHistogramFromSplitBins(Histogram1D& histogram, const blitz::Array<unsigned char, 2>& image,
                                const IntBox& corners, int bits);

/// The last step of a cell histogram: counts scaled down by its bin width, and the first and
/// last bins at least 1, so that no histogram ends in an empty bin.
void finishCellHistogram(Histogram1D& histogram);

}  // namespace classification
