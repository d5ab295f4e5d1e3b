// The edge-width stage of the segmentation: a slowly varying edge width per pixel.

#include "classification/CellInterpolation.h"
#include "classification/EdgeWidthMap.h"
#include "classification/ReplicateBorder.h"
#include "classification/Segmentation.h"

#include <algorithm>
#include <cmath>

namespace classification {

bool Segmentation::computeEdgeWidthMap(bool changed, ProgressRange range) {
    if (!changed &&
        currentSettings.inFocusEdgeWidth == stageSettings[wholeImageSlot].inFocusEdgeWidth)
        return false;
    prepareEdgeMap();
    checkPeaksMatchHistograms();
    const IntBox grid = cellGrid();
    const EdgeWidthLimits limits(currentSettings.resolution, currentSettings.overlap,
                                 currentSettings.inFocusEdgeWidth);

    blitz::Array<std::int32_t, 2> cellWidths(blitz::Range(grid.lower[0], grid.upper[0]),
                                             blitz::Range(grid.lower[1], grid.upper[1]));
    std::array<const PeakList*, channelCount> peaks;
    for (int c = 0; c < channelCount; ++c)
        peaks[c] = &peakLists_[c];
    for (int i = grid.lower[0]; i <= grid.upper[0]; ++i)
        for (int j = grid.lower[1]; j <= grid.upper[1]; ++j) {
            std::array<const Histogram1D*, channelCount> cell;
            for (int c = 0; c < channelCount; ++c)
                cell[c] = &cellHistograms_[c](i, j);
            cellWidths(i, j) = cellEdgeWidth(cell, peaks, limits);
        }
    range.report(0.1f);

    // Cell values spread to the pixels bilinearly between the cell centres.
    ProgressRange spreading = range.subRange(0.5f);
    const float inverseResolution = 1.0f / static_cast<float>(cellSize());
    blitz::Array<std::int32_t, 2> widths(blitz::Range(box_.lower[0] - 1, box_.upper[0] + 1),
                                         blitz::Range(box_.lower[1] - 1, box_.upper[1] + 1));
    std::vector<CellPair> columnCells;
    for (int y = box_.lower[1]; y <= box_.upper[1]; ++y)
        columnCells.push_back(cellPairAt(y, inverseResolution, grid.lower[1], grid.upper[1]));
    for (int x = box_.lower[0]; x <= box_.upper[0]; ++x) {
        const CellPair rows = cellPairAt(x, inverseResolution, grid.lower[0], grid.upper[0]);
        const float wx = rows.firstWeight;
        for (int y = box_.lower[1]; y <= box_.upper[1]; ++y) {
            const CellPair& columns = columnCells[static_cast<std::size_t>(y - box_.lower[1])];
            const float wy = columns.firstWeight;
            auto g = [&](int i, int j) { return static_cast<float>(cellWidths(i, j)); };
            const float value =
                (g(rows.second, columns.first) * wy + g(rows.second, columns.second) * (1.0f - wy)) *
                    (1.0f - wx) +
                (g(rows.first, columns.first) * wy + g(rows.first, columns.second) * (1.0f - wy)) * wx;
            widths(x, y) = static_cast<std::int32_t>(std::clamp(value, 0.0f, static_cast<float>(limits.upper)));
        }
        if ((x & 511) == 0)
            spreading.report(static_cast<float>(x - box_.lower[0]) / static_cast<float>(box_.rows()));
    }
    for (int x = box_.lower[0]; x <= box_.upper[0]; ++x)
        for (int y = box_.lower[1]; y <= box_.upper[1]; ++y)
            widths(x, y) /= limits.divisor;
    replicateBorder(widths, box_);
    chamferLimit(widths, box_, range.subRange(1.0f));

    blitz::Array<unsigned char, 2> plane = edgeMap_[2];
    for (int x = box_.lower[0]; x <= box_.upper[0]; ++x)
        for (int y = box_.lower[1]; y <= box_.upper[1]; ++y) {
            const float pixels = static_cast<float>(widths(x, y)) / 145.54f + 0.5f;
            plane(x, y) = static_cast<unsigned char>(std::clamp(pixels, 0.0f, 255.0f));
        }
    replicateBorder(plane, box_);
    return true;
}

}  // namespace classification
