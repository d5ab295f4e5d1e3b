#include "classification/CellHistograms.h"

#include <algorithm>
#include <array>

namespace classification {

namespace {

blitz::Array<CornerRange, 2> rangesOver(const CornerRangeArray& ranges, const IntBox& corners) {
    // An empty cell still takes its range from the corner at its lower end.
    return cropArrayToBox(ranges, IntBox(corners.lower[0], corners.lower[1],
                                         std::max(corners.lower[0], corners.upper[0]),
                                         std::max(corners.lower[1], corners.upper[1])));
}

blitz::Array<unsigned char, 2> pixelsAround(const blitz::Array<unsigned char, 2>& image,
                                            const IntBox& corners) {
    return cropArrayToBox(image, IntBox(corners.lower[0], corners.lower[1],
                                        std::max(corners.lower[0], corners.upper[0] + 1),
                                        std::max(corners.lower[1], corners.upper[1] + 1)));
}

/// True when the cell has no corner: its histogram becomes flat.
bool fillIfEmpty(Histogram1D& histogram, const IntBox& corners) {
    if (!isBoxEmpty(corners))
        return false;
    histogram.fillCounts(1024 / histogram.binCount());
    return true;
}

/// The four pixels around corner (x, y), ascending.
std::array<int, 4> sortedCornerPixels(const blitz::Array<unsigned char, 2>& image, int x, int y,
                                      int shift) {
    std::array<int, 4> q{image(x, y) >> shift, image(x + 1, y) >> shift,
                         image(x, y + 1) >> shift, image(x + 1, y + 1) >> shift};
    std::sort(q.begin(), q.end());
    return q;
}

void addToBins(Histogram1D& histogram, int first, int last, std::int32_t total) {
    const std::int32_t share = total / std::max(last - first, 1);
    for (int b = first; b <= last; ++b)
        histogram.bin(b) += share;
}

}  // namespace

CornerRangeArray buildCornerRanges(const blitz::Array<unsigned char, 2>& image,
                                   ProgressRange range) {
    const int x0 = image.lbound(0), x1 = image.ubound(0);
    const int y0 = image.lbound(1), y1 = image.ubound(1);
    const int columns = y1 - y0 + 1;
    const std::ptrdiff_t step = image.stride(1);
    CornerRangeArray corners(blitz::Range(x0, x1), blitz::Range(y0, y1));   // rows contiguous
    for (int x = x0; x <= x1; ++x) {
        const unsigned char* in = &image(x, y0);
        CornerRange* out = &corners(x, y0);
        for (int k = 0; k + 1 < columns; ++k) {
            const unsigned char a = in[k * step], b = in[(k + 1) * step];
            out[k] = CornerRange{std::min(a, b), std::max(a, b)};
        }
        out[columns - 1] = CornerRange{in[(columns - 1) * step], in[(columns - 1) * step]};
    }
    range.report(0.5f);
    for (int x = x0; x < x1; ++x) {
        CornerRange* here = &corners(x, y0);
        const CornerRange* below = &corners(x + 1, y0);
        for (int k = 0; k < columns; ++k) {
            here[k].minimum = std::min(here[k].minimum, below[k].minimum);
            here[k].maximum = std::max(here[k].maximum, below[k].maximum);
        }
    }
    return corners;
}

void cellHistogramFromRanges(Histogram1D& histogram, const CornerRangeArray& ranges,
                             const IntBox& corners, int bits) {
    histogram.setRangeFromPairs(rangesOver(ranges, corners), bits);
    histogram.fillCounts(0);
    if (fillIfEmpty(histogram, corners))
        return;
    for (int x = corners.lower[0]; x <= corners.upper[0]; ++x)
        for (int y = corners.lower[1]; y <= corners.upper[1]; ++y)
            histogram.addRangeArea(ranges(x, y).minimum, ranges(x, y).maximum);
}

void cellHistogramFromRangeBins(Histogram1D& histogram, const CornerRangeArray& ranges,
                                const IntBox& corners, int bits) {
    histogram.setRangeFromPairs(rangesOver(ranges, corners), bits);
    histogram.fillCounts(0);
    if (fillIfEmpty(histogram, corners))
        return;
    const int shift = histogram.shift();
    for (int x = corners.lower[0]; x <= corners.upper[0]; ++x)
        for (int y = corners.lower[1]; y <= corners.upper[1]; ++y)
            addToBins(histogram, ranges(x, y).minimum >> shift, ranges(x, y).maximum >> shift, 1024);
}

void cellHistogramFromSplitRanges(Histogram1D& histogram, const blitz::Array<unsigned char, 2>& image,
                                  const IntBox& corners, int bits) {
    histogram.setRangeFromValues(pixelsAround(image, corners), bits);
    histogram.fillCounts(0);
    if (fillIfEmpty(histogram, corners))
        return;
    for (int x = corners.lower[0]; x <= corners.upper[0]; ++x)
        for (int y = corners.lower[1]; y <= corners.upper[1]; ++y) {
            const std::array<int, 4> q = sortedCornerPixels(image, x, y, 0);
            const int median2 = q[1] + q[2];
            histogram.addRangeAreaHalf(q[0], median2 >> 1);
            histogram.addRangeAreaHalf((median2 + 1) >> 1, q[3]);
        }
}

void cellHistogramFromSplitBins(Histogram1D& histogram, const blitz::Array<unsigned char, 2>& image,
                                const IntBox& corners, int bits) {
    histogram.setRangeFromValues(pixelsAround(image, corners), bits);
    histogram.fillCounts(0);
    if (fillIfEmpty(histogram, corners))
        return;
    const int shift = histogram.shift();
    for (int x = corners.lower[0]; x <= corners.upper[0]; ++x)
        for (int y = corners.lower[1]; y <= corners.upper[1]; ++y) {
            const std::array<int, 4> q = sortedCornerPixels(image, x, y, shift);
            const int median2 = q[1] + q[2];
            addToBins(histogram, q[0], median2 >> 1, 512);
            addToBins(histogram, (median2 + 1) >> 1, q[3], 512);
        }
}

void finishCellHistogram(Histogram1D& histogram) {
    histogram.shiftCountsDown(histogram.shift());
    histogram.bin(histogram.firstBin()) = std::max(histogram.bin(histogram.firstBin()), 1);
    histogram.bin(histogram.lastBin()) = std::max(histogram.bin(histogram.lastBin()), 1);
}

}  // namespace classification
