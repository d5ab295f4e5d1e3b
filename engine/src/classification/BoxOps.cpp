#include "classification/BoxOps.h"

#include <algorithm>

namespace classification {

IntBox extentBox(int n) {
    return IntBox(0, 0, n - 1, 0);
}

IntBox extentBoxAcross(int n) {
    return IntBox(0, 0, 0, n - 1);
}

IntBox transposeBox(const IntBox& box) {
    return IntBox(box.lower[1], box.lower[0], box.upper[1], box.upper[0]);
}

void includePoint(IntBox& box, const IntPoint& point) {
    if (isBoxEmpty(box)) {
        box = IntBox(point, point);
        return;
    }
    for (int axis = 0; axis < 2; ++axis) {
        box.lower[axis] = std::min(box.lower[axis], point[axis]);
        box.upper[axis] = std::max(box.upper[axis], point[axis]);
    }
}

void unionBox(IntBox& box, const IntBox& other) {
    if (isBoxEmpty(other))
        return;
    if (isBoxEmpty(box)) {
        box = other;
        return;
    }
    for (int axis = 0; axis < 2; ++axis) {
        box.lower[axis] = std::min(box.lower[axis], other.lower[axis]);
        box.upper[axis] = std::max(box.upper[axis], other.upper[axis]);
    }
}

}  // namespace classification
