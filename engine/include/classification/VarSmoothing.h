#pragma once

#include "classification/Variable.h"

namespace Ostrival {

/// The smoothing radius of the texture filter ("#texture"), derived from the edge width and the
/// texture filter; a stored factor below 1 switches the smoothing off.
class VarSmoothing : public VarLogScale<int, float> {
public:
    using VarLogScale<int, float>::VarLogScale;
    int value() const override;
    /// The filter's diameter-like count shown to the user, or "Off".
    std::string text() const override;
};

}  // namespace Ostrival
