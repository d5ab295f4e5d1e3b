#pragma once

#include <stdexcept>

namespace classification {

template <typename T>
blitz::Array<T, 2> cropArrayToBox(blitz::Array<T, 2> array, const IntBox& box) {
    if (isBoxEmpty(box) || !IntBox::domainOf(array).contains(box))
        throw std::out_of_range("box outside the array");
    blitz::Array<T, 2> part = array(blitz::Range(box.lower[0], box.upper[0]),
                                    blitz::Range(box.lower[1], box.upper[1]));
    // Blitz++ re-bases sub-arrays at 0; move the base back to the parent's indices.
    part.reindexSelf(box.lower);
    return part;
}

}  // namespace classification
