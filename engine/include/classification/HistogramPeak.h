#pragma once

#include <cstdint>
#include <vector>

namespace classification {

class Histogram1D;

/// One hump of one cell histogram, with the valley to its right.
struct HistogramPeak {
    std::int32_t peakBin = 0;
    std::int32_t peakHeight = 0;
    /// The lower of the two shoulder heights around the valley to the right.
    std::int32_t shoulderHeight = 0;
    /// Bins between the two shoulders.
    std::int32_t shoulderDistance = 0;
    /// Count at the valley to the right; 0 when there is none.
    std::int32_t valleyHeight = 0;
    /// Bin of that valley; 256 when there is none (-1 while the histogram is being split).
    std::int32_t valleyBin = -1;
    const Histogram1D* histogram = nullptr;
};

using PeakList = std::vector<HistogramPeak>;

/// How significant a valley is: the shoulder height over the valley height. An empty valley
/// between non-empty shoulders is infinitely significant; with nothing on either side the
/// valley means nothing (0, never NaN).
float valleySignificance(std::int32_t shoulderHeight, std::int32_t valleyHeight);

/// Appends the humps of `histogram` to `peaks`, lowest bin first (peak and valley bins only).
/// A hump ends where the counts have fallen below 1 / ratio of its maximum and risen again
/// above ratio times the lowest count since; the last hump gets valley bin -1.
void splitHistogramPeaks(const Histogram1D& histogram, PeakList& peaks, float ratio);

/// Fills the shoulder fields of the histogram's peaks and selects the peak whose right-hand
/// valley is the most significant (-1 when there is a single peak).
void selectSignificantValley(Histogram1D& histogram, PeakList& peaks);

}  // namespace classification
