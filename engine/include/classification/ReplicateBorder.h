#pragma once

#include "classification/IntBox.h"

#include <blitz/array.h>

#include <stdexcept>

namespace classification {

/// Every element of `array` outside `box` takes the value of the nearest element on the box's
/// edge; the corner regions take the box's corner values. Rows above and below the box are
/// filled first over the box's columns, then the columns left and right over all rows. The
/// array is shared with the caller. Throws std::out_of_range unless the box is non-empty and
/// inside the array.
template <typename T>
void replicateBorder(blitz::Array<T, 2> array, const IntBox& box) {
    const IntBox domain = IntBox::domainOf(array);
    if (isBoxEmpty(box) || !domain.contains(box))
        throw std::out_of_range("edge replication box outside the array");
    for (int x = domain.lower[0]; x < box.lower[0]; ++x)
        for (int y = box.lower[1]; y <= box.upper[1]; ++y)
            array(x, y) = array(box.lower[0], y);
    for (int x = domain.upper[0]; x > box.upper[0]; --x)
        for (int y = box.lower[1]; y <= box.upper[1]; ++y)
            array(x, y) = array(box.upper[0], y);
    for (int x = domain.lower[0]; x <= domain.upper[0]; ++x) {
        for (int y = domain.lower[1]; y < box.lower[1]; ++y)
            array(x, y) = array(x, box.lower[1]);
        for (int y = domain.upper[1]; y > box.upper[1]; --y)
            array(x, y) = array(x, box.upper[1]);
    }
}

}  // namespace classification
