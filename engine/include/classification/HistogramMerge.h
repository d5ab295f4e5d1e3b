#pragma once

namespace classification {

class Histogram1D;

/// Merges two cell histograms whose ranges and bin widths may differ: the result covers the
/// union of the two ranges, quantised with `bits` and at least `minimumShift`, and every
/// operand bin adds its count into the result bin that holds its values. Both operands must
/// have been quantised with the same bits and minimum shift, so that the result's bins are
/// never narrower than theirs.
struct HistogramMerge {
    int bits = 5;
    int minimumShift = 0;

    HistogramMerge() = default;
    HistogramMerge(int colourBits, int minShift) : bits(colourBits), minimumShift(minShift) {}

    /// result := a merged with b. The result may be one of the operands; its peak fields are
    /// kept.
    void operator()(Histogram1D& result, const Histogram1D& a, const Histogram1D& b) const;
};

}  // namespace classification
