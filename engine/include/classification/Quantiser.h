#pragma once

#include <blitz/array.h>

namespace classification {

/// A one-dimensional histogram whose bin width adapts to its value range: the range lo..hi is
/// covered by about 2^bits bins, each 2^shift values wide, never narrower than 2^(minimum shift).
/// Bin b counts the values b * 2^shift to (b + 1) * 2^shift - 1.
class Quantiser {
public:
    /// The range 0 to 0 in a single bin holding 1.
    Quantiser();

    /// Stores the range and resizes the bins to lo >> shift .. hi >> shift, all 0. Throws
    /// std::invalid_argument when hi < lo.
    void setRange(int lo, int hi, int bits, int minimumShift);

    /// The bin a value falls into (the value must lie in the range).
    int binOf(int value) const { return value >> shift; }

    int lo = 0;
    int hi = 0;
    int shift = 0;
    blitz::Array<int, 1> bins;
};

}  // namespace classification
