#pragma once

#include "classification/IntBox.h"

#include <blitz/array.h>

namespace classification {

/// Settles the unlabelled pixels (0) of a label image inside `box`, in row order. A pixel whose
/// four axial neighbours all carry labels (>= 1) takes the label with most votes among them,
/// then among its labelled diagonal neighbours as further votes (on a tie the label that
/// reached the count first). A pixel next to an unlabelled or negative pixel becomes part of a
/// boundary line: it, that neighbour and its later unlabelled axial neighbours become -1.
///
/// `labels` shares the caller's storage and must hold `box` grown by one pixel, since
/// neighbours in that frame are read and may be set to -1; otherwise std::out_of_range is
/// thrown and nothing is changed. `labelCount` is the caller's number of labels; labels at or
/// above it are still counted correctly.
void resolveWatershedLines(blitz::Array<int, 2> labels, const IntBox& box, int labelCount);

}  // namespace classification
