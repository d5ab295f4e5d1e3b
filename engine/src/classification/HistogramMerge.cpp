#include "classification/HistogramMerge.h"

#include "classification/Histogram1D.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace classification {

namespace {

void addBinsInto(Histogram1D& result, const Histogram1D& operand) {
    const int extraShift = result.shift() - operand.shift();
    if (extraShift < 0)
        throw std::logic_error("histogram merge into narrower bins");
    // Window sums over wide cells of one colour can pass the int32 range: they saturate.
    for (int b = operand.firstBin(); b <= operand.lastBin(); ++b) {
        std::int32_t& count = result.bin(b >> extraShift);
        count = static_cast<std::int32_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(count) + operand.bin(b), INT32_MAX));
    }
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
