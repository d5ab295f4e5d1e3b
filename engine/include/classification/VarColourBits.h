#pragma once

#include "classification/Variable.h"

namespace Ostrival {

/// A colour quantisation depth that follows the edge contrast: higher contrast, fewer bits.
/// Its effective value is stored - contrast + 1, limited to 0..8 (0 below 1).
class VarColourBits : public VarScaled<int, int> {
public:
    VarColourBits(int lowest, int highest, int initial) : VarScaled<int, int>(lowest, highest, initial) {}
    int value() const override;
};

/// The upper bound of the colour depth; the same rule as VarColourBits.
class VarMaxColourBits : public VarColourBits {
public:
    using VarColourBits::VarColourBits;
};

}  // namespace Ostrival
