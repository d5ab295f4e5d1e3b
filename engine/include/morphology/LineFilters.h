#pragma once

#include "classification/IntBox.h"
#include "classification/ProgressRange.h"

#include <blitz/array.h>

namespace morphology {

using classification::IntBox;

/// Despeckle line filter along the first index: output(x, y) = 1 when any of source(x, y) ...
/// source(x + L - 1, y) is non-zero, else 0 (for L = 1 the source value itself), for the
/// positions whose run lies inside the source. Returns that box, (x0, y0)-(x1 - L + 1, y1);
/// nothing else of the output is written. Throws std::invalid_argument for L below 1.
IntBox lineFilterBox2(const blitz::Array<int, 2>& source, int windowLength,
                      blitz::Array<int, 2> output, ProgressRange progress);

/// The same along the second index: the run is source(x, y) ... source(x, y + L - 1).
IntBox lineFilterBox(const blitz::Array<int, 2>& source, int windowLength,
                     blitz::Array<int, 2> output, ProgressRange progress);

/// True when some element of the array has one of `bits` set.
bool anyPixelHasBits(const blitz::Array<unsigned char, 2>& statuses, unsigned char bits);

}  // namespace morphology
