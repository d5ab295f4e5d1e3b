#pragma once

#include "classification/Variable.h"

namespace Ostrival {

/// The spacing of the analysis' local histograms ("#resolution"): the stored factor times the
/// edge width, widened by half an octave per texture-filter step, at least 2.
class VarRfSpacing : public VarLogScale<float, float> {
public:
    using VarLogScale<float, float>::VarLogScale;
    float value() const override;
};

}  // namespace Ostrival
