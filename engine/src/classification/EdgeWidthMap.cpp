#include "classification/EdgeWidthMap.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace classification {

namespace {

constexpr int axialStep = 70;
constexpr int diagonalStep = 99;

/// Reports the share of rows done after rows whose index is a multiple of 512.
void reportRow(ProgressRange& range, int x, int rowsDone, int rows) {
    if ((x & 511) == 0)
        range.report(static_cast<float>(rowsDone) / static_cast<float>(rows));
}

}  // namespace

EdgeWidthLimits::EdgeWidthLimits(int resolution, int overlap, int inFocusEdgeWidth) {
    // The engine keeps the edge width within 1 ... 32; direct callers get the same range so
    // that the limits stay positive and inside int32.
    const long long width = std::clamp(inFocusEdgeWidth, 1, 32);
    const long long window = (2LL * std::max(overlap, 0) + 1) * std::max(resolution, 1);
    const long long cap = INT_MAX / 2;   // leaves room for the chamfer steps
    lower = static_cast<std::int32_t>(std::min(1024 * width * window, cap));
    upper = static_cast<std::int32_t>(std::min({255LL * 1024 * window, 4096 * width * window, cap}));
    const float scaled = static_cast<float>(window * 1024) * 0.0068709636f;
    divisor = static_cast<std::int32_t>(std::clamp(std::ceil(scaled), 1.0f, static_cast<float>(cap)));
}

std::int32_t cellEdgeWidth(const std::array<const Histogram1D*, 6>& cell,
                           const std::array<const PeakList*, 6>& peaks,
                           const EdgeWidthLimits& limits) {
    std::int32_t spread = 0;
    float depth = 0.0f;
    for (std::size_t c = 0; c < cell.size(); ++c) {
        const Histogram1D& histogram = *cell[c];
        if (histogram.selectedPeak == -1)
            continue;
        const HistogramPeak& valley = (*peaks[c])[static_cast<std::size_t>(histogram.selectedPeak)];
        const std::int32_t distance = valley.shoulderDistance;
        // The distance is in bins; shifting its square by twice the bin width gives values.
        spread += (distance * distance) << (2 * histogram.shift());
        const float height = static_cast<float>(std::max(valley.valleyHeight, 1));
        depth += 1.0f / (height * height);
    }
    if (spread == 0)
        return limits.upper;
    const float root = std::sqrt(static_cast<float>(spread) / depth);
    if (!(root < static_cast<float>(limits.upper)))
        return limits.upper;
    return std::max(static_cast<std::int32_t>(root), limits.lower);
}

void chamferLimit(blitz::Array<std::int32_t, 2> widths, const IntBox& box, ProgressRange range) {
    const int rows = box.rows();
    auto relax = [&](int x, int y, int fromX, int fromY, int step) {
        widths(x, y) = std::min(widths(x, y), widths(fromX, fromY) + step);
    };
    ProgressRange forward = range.subRange(0.5f);
    for (int x = box.lower[0]; x <= box.upper[0]; ++x) {
        for (int y = box.lower[1]; y <= box.upper[1]; ++y) {
            relax(x, y, x, y - 1, axialStep);
            relax(x, y, x - 1, y - 1, diagonalStep);
            relax(x, y, x - 1, y, axialStep);
            relax(x, y, x - 1, y + 1, diagonalStep);
        }
        reportRow(forward, x, x - box.lower[0], rows);
    }
    ProgressRange backward = range.subRange(1.0f);
    for (int x = box.upper[0]; x >= box.lower[0]; --x) {
        for (int y = box.upper[1]; y >= box.lower[1]; --y) {
            relax(x, y, x, y + 1, axialStep);
            relax(x, y, x + 1, y + 1, diagonalStep);
            relax(x, y, x + 1, y, axialStep);
            relax(x, y, x + 1, y - 1, diagonalStep);
        }
        reportRow(backward, x, box.upper[0] - x, rows);
    }
}

}  // namespace classification
