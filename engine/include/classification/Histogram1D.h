#pragma once

#include <blitz/array.h>

#include <cstdint>
#include <vector>

namespace classification {

/// The lowest and highest byte among the pixels around one pixel corner.
struct CornerRange {
    unsigned char minimum = 0;
    unsigned char maximum = 0;
};

/// The local histogram of one channel of one cell of the segmentation grid. Bin b counts the
/// values b * 2^shift ... (b + 1) * 2^shift - 1; the bins run from lo >> shift to hi >> shift.
/// Counts are fixed-point weights (1024 for one pixel corner of a single value), so all count
/// arithmetic stays in integers.
///
/// Copies are deep. Assignment copies the range and the counts but keeps the target's peak
/// fields: the grid's histograms are refreshed in place by the window sums while the peak
/// analysis owns those fields.
class Histogram1D {
public:
    Histogram1D() = default;
    Histogram1D(const Histogram1D& other) = default;
    Histogram1D(Histogram1D&& other) noexcept = default;
    Histogram1D& operator=(const Histogram1D& other);
    Histogram1D& operator=(Histogram1D&& other) noexcept;
    ~Histogram1D() = default;

    /// Covers the values lo ... hi with a bin width of 2^shift, shift = max(minimumShift,
    /// e - bits + 1) for e = floor(log2(max(hi - lo, 1))), kept within 0 ... 30. The counts
    /// are left unspecified. Throws std::invalid_argument when hi < lo.
    void setRange(int lo, int hi, int bits, int minimumShift);
    /// setRange over the smallest and largest element of a non-empty array.
    void setRangeFromValues(const blitz::Array<unsigned char, 2>& values, int bits);
    /// setRange from the smallest minimum to the largest maximum of a non-empty array.
    void setRangeFromPairs(const blitz::Array<CornerRange, 2>& ranges, int bits);

    /// Adds the weight 1024 (512 for the half variant) spread evenly over the values lo ... hi,
    /// which must lie inside the histogram's range.
    void addRangeArea(int lo, int hi) { addRangeWeight(lo, hi, 1024); }
    void addRangeAreaHalf(int lo, int hi) { addRangeWeight(lo, hi, 512); }

    /// Every count c becomes c >> n.
    void shiftCountsDown(int n);
    void fillCounts(std::int32_t count);

    int lo() const { return lo_; }
    int hi() const { return hi_; }
    int shift() const { return shift_; }
    int firstBin() const { return firstBin_; }
    int lastBin() const { return firstBin_ + static_cast<int>(bins_.size()) - 1; }
    int binCount() const { return static_cast<int>(bins_.size()); }
    bool hasBins() const { return !bins_.empty(); }

    std::int32_t& bin(int index) { return bins_[static_cast<std::size_t>(index - firstBin_)]; }
    std::int32_t bin(int index) const { return bins_[static_cast<std::size_t>(index - firstBin_)]; }

    /// Written by the peak analysis only: this histogram's peaks are entries firstPeak ...
    /// endPeak - 1 of its channel's peak list; selectedPeak is the peak whose right-hand
    /// valley is the most significant, -1 when there is a single peak.
    int firstPeak = 0;
    int endPeak = 0;
    int selectedPeak = -1;

private:
    void addRangeWeight(int lo, int hi, std::int32_t weight);

    std::vector<std::int32_t> bins_;
    int firstBin_ = 0;
    int shift_ = 0;
    int lo_ = 0;
    int hi_ = -1;   // a default histogram covers nothing
};

}  // namespace classification
