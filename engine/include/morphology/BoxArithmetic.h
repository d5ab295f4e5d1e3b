#pragma once

#include "classification/BoxOps.h"
#include "classification/IntBox.h"

namespace morphology {

using classification::IntBox;
using classification::IntPoint;

/// The positions at which a window with the extent `element` that ends at the position lies
/// inside `area`: lower corner area.lower + element.upper, upper corner area.upper +
/// element.lower. With a negated element it is `erodeBox`.
inline IntBox fitBox(const IntBox& area, const IntBox& element) {
    return IntBox(area.lower[0] + element.upper[0], area.lower[1] + element.upper[1],
                  area.upper[0] + element.lower[0], area.upper[1] + element.lower[1]);
}

/// The box moved by `offset`.
inline IntBox moveBox(const IntBox& box, const IntPoint& offset) {
    return IntBox(box.lower[0] + offset[0], box.lower[1] + offset[1], box.upper[0] + offset[0],
                  box.upper[1] + offset[1]);
}

}  // namespace morphology
