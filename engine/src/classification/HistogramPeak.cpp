#include "classification/HistogramPeak.h"

#include "classification/Histogram1D.h"

#include <limits>

namespace classification {

float valleySignificance(std::int32_t shoulderHeight, std::int32_t valleyHeight) {
    if (valleyHeight == 0)
        return shoulderHeight > 0 ? std::numeric_limits<float>::infinity() : 0.0f;
    return static_cast<float>(shoulderHeight) / static_cast<float>(valleyHeight);
}

void splitHistogramPeaks(const Histogram1D& histogram, PeakList& peaks, float ratio) {
    int peak = histogram.firstBin();
    int valley = 0;
    bool valleyOpen = false;
    auto count = [&](int b) { return static_cast<float>(histogram.bin(b)); };
    for (int i = histogram.firstBin() + 1; i <= histogram.lastBin(); ++i) {
        if (!valleyOpen) {
            if (histogram.bin(i) > histogram.bin(peak)) {
                peak = i;
            } else if (count(peak) > count(i) * ratio) {
                valley = i;
                valleyOpen = true;
            }
        } else if (histogram.bin(i) < histogram.bin(valley)) {
            valley = i;
        } else if (count(i) > count(valley) * ratio) {
            HistogramPeak hump;
            hump.peakBin = peak;
            hump.valleyBin = valley;
            peaks.push_back(hump);
            peak = i;
            valleyOpen = false;
        }
    }
    HistogramPeak last;
    last.peakBin = peak;
    last.valleyBin = -1;
    peaks.push_back(last);
}

void selectSignificantValley(Histogram1D& histogram, PeakList& peaks) {
    const int first = histogram.firstPeak;
    const int lastPeak = histogram.endPeak - 1;
    int best = first == lastPeak ? -1 : first;
    auto height = [&](int k) { return peaks[static_cast<std::size_t>(k)].peakHeight; };
    auto valley = [&](int k) { return peaks[static_cast<std::size_t>(k)].valleyHeight; };
    for (int i = first; i < lastPeak; ++i) {
        HistogramPeak& r = peaks[static_cast<std::size_t>(i)];
        // Peaks to the left count while the valley right of them is at least as high as r's.
        int s = i;
        for (int j = i - 1; j >= first; --j) {
            if (valley(j) < r.valleyHeight)
                break;
            if (height(j) > height(s))
                s = j;
        }
        int t = i + 1;
        for (int k = i + 2; k <= lastPeak; ++k) {
            if (height(s) <= height(t))
                break;
            if (height(k) > height(t))
                t = k;
            if (valley(k) < r.valleyHeight)
                break;
        }
        r.shoulderHeight = std::min(height(s), height(t));
        r.shoulderDistance = peaks[static_cast<std::size_t>(t)].peakBin -
                             peaks[static_cast<std::size_t>(s)].peakBin;
        const HistogramPeak& current = peaks[static_cast<std::size_t>(best)];
        if (valleySignificance(r.shoulderHeight, r.valleyHeight) >
            valleySignificance(current.shoulderHeight, current.valleyHeight))
            best = i;
    }
    histogram.selectedPeak = best;
}

}  // namespace classification
