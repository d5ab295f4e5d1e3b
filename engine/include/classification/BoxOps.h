#pragma once

#include "classification/IntBox.h"

namespace classification {

/// The box (0, 0) to (n - 1, 0): a line of n rows along the first axis, the structuring
/// element of a line filter that runs down the columns.
IntBox extentBox(int n);

/// The box (0, 0) to (0, n - 1): a line of n columns along the second axis.
IntBox extentBoxAcross(int n);

/// The box with rows and columns exchanged in both corners.
IntBox transposeBox(const IntBox& box);

/// Grows `box` to hold `point`; an empty box becomes that single point.
void includePoint(IntBox& box, const IntPoint& point);

/// Grows `box` to hold `other`; an empty box becomes `other`, an empty `other` changes nothing.
void unionBox(IntBox& box, const IntBox& other);

/// The box with `margin` more rows and columns on every side.
inline IntBox grownBox(const IntBox& box, int margin) {
    return IntBox(box.lower[0] - margin, box.lower[1] - margin, box.upper[0] + margin,
                  box.upper[1] + margin);
}

}  // namespace classification
