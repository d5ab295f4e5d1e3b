#pragma once

#include "classification/EdgePolylineList.h"

#include <cstdint>

namespace classification {

/// A traced region boundary: the labels on its two sides and its pixel-corner points.
struct TracedContour {
    std::int32_t labels[2] = {0, 0};
    IntPolyline points;
};

}  // namespace classification
