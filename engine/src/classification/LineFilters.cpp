#include "morphology/LineFilters.h"

#include "morphology/LineConvolution.h"

namespace morphology {

namespace {

/// The array reflected through the origin: element (i, j) of the view is element (-i, -j) of
/// the array. The line convolution's window ends at its output; seen through this reflection
/// it starts there.
blitz::Array<int, 2> reflected(const blitz::Array<int, 2>& array) {
    blitz::Array<int, 2> view(array);
    view.reverseSelf(0);
    view.reverseSelf(1);
    view.reindexSelf(IntPoint(-array.ubound(0), -array.ubound(1)));
    return view;
}

}  // namespace

IntBox lineFilterBox2(const blitz::Array<int, 2>& source, int windowLength,
                      blitz::Array<int, 2> output, ProgressRange progress) {
    return classification::negateBox(convolveLineFast(reflected(source), windowLength,
                                                      DilateMask(), reflected(output), progress));
}

IntBox lineFilterBox(const blitz::Array<int, 2>& source, int windowLength,
                     blitz::Array<int, 2> output, ProgressRange progress) {
    return classification::negateBox(convolveLineFastTransposed(
        reflected(source), windowLength, DilateMask(), reflected(output), progress));
}

bool anyPixelHasBits(const blitz::Array<unsigned char, 2>& statuses, unsigned char bits) {
    for (int x = statuses.lbound(0); x <= statuses.ubound(0); ++x)
        for (int y = statuses.lbound(1); y <= statuses.ubound(1); ++y)
            if ((statuses(x, y) & bits) != 0)
                return true;
    return false;
}

}  // namespace morphology
