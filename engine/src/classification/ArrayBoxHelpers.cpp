#include "classification/ArrayBoxHelpers.h"

#include "classification/ReplicateBorder.h"

#include <stdexcept>

namespace classification {

namespace {

template <typename T>
void requireBoxInside(const blitz::Array<T, 2>& array, const IntBox& box) {
    if (isBoxEmpty(box) || !IntBox::domainOf(array).contains(box))
        throw std::out_of_range("Box empty or outside the array");
}

}  // namespace

AnalysisImage cropToBoxRebased6(AnalysisImage array, const IntBox& box) {
    return cropArrayToBox(array, box);
}

blitz::Array<BytePixel3, 2> cropToBoxRebased3(blitz::Array<BytePixel3, 2> array, const IntBox& box) {
    return cropArrayToBox(array, box);
}

void replicateBorder8(blitz::Array<unsigned char, 2> array, const IntBox& box) {
    replicateBorder(array, box);
}

void replicateBorder16(blitz::Array<std::uint16_t, 2> array, const IntBox& box) {
    replicateBorder(array, box);
}

void fillOutsideBox(blitz::Array<std::int32_t, 2> array, const IntBox& box, std::int32_t value) {
    requireBoxInside(array, box);
    const int L0 = array.lbound(0), U0 = array.ubound(0), L1 = array.lbound(1), U1 = array.ubound(1);
    if (L0 < box.lower[0])
        array(blitz::Range(L0, box.lower[0] - 1), blitz::Range(box.lower[1], box.upper[1])) = value;
    if (box.upper[0] < U0)
        array(blitz::Range(box.upper[0] + 1, U0), blitz::Range(box.lower[1], box.upper[1])) = value;
    if (L1 < box.lower[1])
        array(blitz::Range(L0, U0), blitz::Range(L1, box.lower[1] - 1)) = value;
    if (box.upper[1] < U1)
        array(blitz::Range(L0, U0), blitz::Range(box.upper[1] + 1, U1)) = value;
}

}  // namespace classification
