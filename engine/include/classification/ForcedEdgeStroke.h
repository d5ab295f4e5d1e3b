#pragma once

#include "classification/PolylineRounder.h"   // FloatPoint

#include <vector>

namespace classification {

/// One forced edge as mask generation draws it: a polyline that fixes where the cut-out's
/// boundary runs, with the width of its alpha ramp.
struct ForcedEdgeStroke {
    float width = 0.0f;               // output pixels once the core has scaled it
    std::vector<FloatPoint> points;   // output-pixel coordinates once the core has scaled them
};

}  // namespace classification
