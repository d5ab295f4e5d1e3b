#include "classification/Histogram1D.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>

namespace classification {

Histogram1D& Histogram1D::operator=(const Histogram1D& other) {
    if (this != &other) {
        bins_ = other.bins_;   // reuses this histogram's storage when it is large enough
        firstBin_ = other.firstBin_;
        shift_ = other.shift_;
        lo_ = other.lo_;
        hi_ = other.hi_;
    }
    return *this;
}

Histogram1D& Histogram1D::operator=(Histogram1D&& other) noexcept {
    bins_.swap(other.bins_);
    firstBin_ = other.firstBin_;
    shift_ = other.shift_;
    lo_ = other.lo_;
    hi_ = other.hi_;
    return *this;
}

void Histogram1D::setRange(int lo, int hi, int bits, int minimumShift) {
    if (hi < lo)
        throw std::invalid_argument("histogram range with its upper value below its lower value");
    const long long width = std::max(static_cast<long long>(hi) - lo, 1LL);
    int exponent = 0;
    while ((width >> (exponent + 1)) != 0)
        ++exponent;
    // Shifts outside 0 ... 30 would make `value >> shift` undefined.
    shift_ = std::clamp(std::max(minimumShift, exponent - bits + 1), 0, 30);
    lo_ = lo;
    hi_ = hi;
    firstBin_ = lo >> shift_;
    bins_.resize(static_cast<std::size_t>((hi >> shift_) - firstBin_ + 1));
}

void Histogram1D::setRangeFromValues(const blitz::Array<unsigned char, 2>& values, int bits) {
    if (values.numElements() == 0)
        throw std::invalid_argument("histogram range of an empty array");
    setRange(blitz::min(values), blitz::max(values), bits, 0);
}

void Histogram1D::setRangeFromPairs(const blitz::Array<CornerRange, 2>& ranges, int bits) {
    if (ranges.numElements() == 0)
        throw std::invalid_argument("histogram range of an empty array");
    int lo = 255;
    int hi = 0;
    for (int x = ranges.lbound(0); x <= ranges.ubound(0); ++x)
        for (int y = ranges.lbound(1); y <= ranges.ubound(1); ++y) {
            lo = std::min<int>(lo, ranges(x, y).minimum);
            hi = std::max<int>(hi, ranges(x, y).maximum);
        }
    setRange(lo, hi, bits, 0);
}

namespace {

/// (weight << shift) / max(span, 1) for the spans and shifts of byte histograms, which every
/// pixel corner of a cell histogram needs: a table instead of a division per corner.
class ValueWeights {
public:
    static constexpr int maxShift = 8;
    static constexpr int maxSpan = 255;

    explicit ValueWeights(long long weight) {
        for (int s = 0; s <= maxShift; ++s)
            for (int span = 0; span <= maxSpan; ++span)
                table_[s][span] = (weight << s) / std::max(span, 1);
    }
    long long at(int shift, int span) const { return table_[shift][span]; }

private:
    long long table_[maxShift + 1][maxSpan + 1];
};

long long weightPerValue(std::int32_t weight, int shift, int span) {
    static const ValueWeights full(1024);
    static const ValueWeights half(512);
    if (shift <= ValueWeights::maxShift && span >= 0 && span <= ValueWeights::maxSpan &&
        (weight == 1024 || weight == 512))
        return (weight == 1024 ? full : half).at(shift, span);
    // In 64 bits: the weight times 2^shift leaves the int32 range for wide bins.
    return (static_cast<long long>(weight) << shift) / std::max(span, 1);
}

}  // namespace

void Histogram1D::addRangeWeight(int lo, int hi, std::int32_t weight) {
    const int s = shift_;
    const int lowBin = lo >> s;
    const int highBin = hi >> s;
    assert(lowBin >= firstBin() && highBin <= lastBin() && lo <= hi);
    const long long perValue = weightPerValue(weight, s, hi - lo);
    if (lowBin == highBin) {
        bin(lowBin) += static_cast<std::int32_t>(((hi - lo + 1) * perValue) >> s);
        return;
    }
    bin(lowBin) += static_cast<std::int32_t>(((((static_cast<long long>(lowBin) + 1) << s) - lo) * perValue) >> s);
    for (int b = lowBin + 1; b < highBin; ++b)
        bin(b) += static_cast<std::int32_t>(perValue);
    bin(highBin) += static_cast<std::int32_t>(((hi - (static_cast<long long>(highBin) << s) + 1) * perValue) >> s);
}

void Histogram1D::shiftCountsDown(int n) {
    for (std::int32_t& count : bins_)
        count >>= n;
}

void Histogram1D::fillCounts(std::int32_t count) {
    std::fill(bins_.begin(), bins_.end(), count);
}

}  // namespace classification
