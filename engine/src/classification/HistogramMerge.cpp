#include "classification/HistogramMerge.h"

#include "classification/Histogram1D.h"

#include <algorithm>
#include <stdexcept>

namespace classification {

namespace {

void addBinsInto(Histogram1D& result, const Histogram1D& operand) {
    const int extraShift = result.shift() - operand.shift();
    if (extraShift < 0)
        throw std::logic_error("histogram merge into narrower bins");
    for (int b = operand.firstBin(); b <= operand.lastBin(); ++b)
        result.bin(b >> extraShift) += operand.bin(b);
}

}  // namespace

void HistogramMerge::operator()(Histogram1D& result, const Histogram1D& a,
                                const Histogram1D& b) const {
    if (&result == &a || &result == &b) {
        // Re-ranging the result would destroy an operand's counts before they are read.
        Histogram1D merged;
        (*this)(merged, a, b);
        result = std::move(merged);
        return;
    }
    result.setRange(std::min(a.lo(), b.lo()), std::max(a.hi(), b.hi()), bits, minimumShift);
    result.fillCounts(0);
    addBinsInto(result, a);
    addBinsInto(result, b);
}

}  // namespace classification
