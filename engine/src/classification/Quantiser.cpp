#include "classification/Quantiser.h"

#include <algorithm>
#include <stdexcept>

namespace classification {

Quantiser::Quantiser() {
    setRange(0, 0, 1, 0);
    bins = 1;
}

void Quantiser::setRange(int low, int high, int bits, int minimumShift) {
    if (high < low)
        throw std::invalid_argument("quantiser range is inverted");
    // In 64 bits: the span of a range near the int limits does not fit in an int.
    long long span = static_cast<long long>(high) - low;
    if (span < 2)
        span = 1;
    int exponent = 0;
    while ((span >> (exponent + 1)) != 0)
        ++exponent;
    // A negative shift would be undefined; bins narrower than one value are meaningless anyway.
    const long long wanted = std::max<long long>(minimumShift, static_cast<long long>(exponent) - bits + 1);
    shift = static_cast<int>(std::clamp<long long>(wanted, 0, 31));
    lo = low;
    hi = high;
    bins.resize(blitz::Range(lo >> shift, hi >> shift));
    bins = 0;
}

}  // namespace classification
