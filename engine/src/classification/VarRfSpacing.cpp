#include "classification/VarRfSpacing.h"

#include "classification/Variables.h"

#include <algorithm>
#include <cmath>

namespace Ostrival {

float VarRfSpacing::value() const {
    const int width = owner->intValue("inFocusEdgeWidth");
    const int texture = owner->intValue("textureFilter");
    const double r = std::ceil(static_cast<double>(static_cast<float>(width) * stored) *
                               std::pow(2.0, texture * 0.5));
    return static_cast<float>(std::max(2, static_cast<int>(r)));
}

}  // namespace Ostrival
