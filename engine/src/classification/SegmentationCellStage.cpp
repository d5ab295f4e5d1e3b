// The cell histogram stage of the segmentation: six smoothed local histograms per grid cell.

#include "classification/CellHistograms.h"
#include "classification/HistogramMerge.h"
#include "classification/HistogramUpdater.h"
#include "classification/ReplicateBorder.h"
#include "classification/RowWorkers.h"
#include "classification/Segmentation.h"
#include "morphology/LineConvolution.h"

#include <algorithm>
#include <atomic>

namespace classification {

namespace {

constexpr int channelTasks = Segmentation::channelCount;

/// The pixel corners of cell (i, j), as an inclusive box (empty when the cell has none).
IntBox cellCorners(int i, int j, int cellSize, const IntBox& area) {
    auto corner = [&](int cell, int axis, int offset) {
        const long long position = (static_cast<long long>(cell) + offset) * cellSize;
        return static_cast<int>(std::clamp<long long>(position, area.lower[axis], area.upper[axis]));
    };
    // The upper end is excluded: the last pixel row of a box has no corner below it.
    return IntBox(corner(i, 0, 0), corner(j, 1, 0), corner(i, 0, 1) - 1, corner(j, 1, 1) - 1);
}

}  // namespace

void Segmentation::resizeCellGrid(const IntBox& grid) {
    for (HistogramGrid& cells : cellHistograms_) {
        if (boxEquals(IntBox::domainOf(cells), grid))
            continue;
        if (cells.extent(0) == grid.rows() && cells.extent(1) == grid.columns())
            cells.reindexSelf(grid.lower);   // same storage, only the grid moved
        else
            cells.resize(blitz::Range(grid.lower[0], grid.upper[0]),
                         blitz::Range(grid.lower[1], grid.upper[1]));
    }
}

bool Segmentation::updateCellHistograms(bool /*changed*/, ProgressRange range) {
    resizeCellGrid(cellGrid());
    ProgressRange tasks = range.subRange(1.0f);
    // The channel tasks are independent (each writes only its own channel's grid), so they
    // share as many threads as there are channels and processors. Channels 5 down to 0; the
    // calling thread reports each one done, in that order.
    std::atomic<bool> changed{false};
    RowWorkers team(std::min(RowWorkers::threadsFor(workerCount_), unsigned{channelTasks}));
    team.run(
        0, channelTasks - 1, 1,
        [this, &changed](int task, unsigned) {
            if (HistogramUpdater(*this, channelTasks - 1 - task)())
                changed.store(true, std::memory_order_relaxed);
            return true;
        },
        [&tasks](int task) {
            tasks.report(static_cast<float>(task + 1) / static_cast<float>(channelTasks));
        });
    return changed.load(std::memory_order_relaxed);
}

bool Segmentation::histogramTask(int channel, ProgressRange range) {
    const SegmentInfo& cached = stageSettings[channel];
    const SegmentInfo& wanted = currentSettings;
    if (cached.colourBits == wanted.colourBits && cached.interpolation == wanted.interpolation &&
        cached.resolution == wanted.resolution && cached.overlap == wanted.overlap &&
        (cached.settingsStamp == wanted.settingsStamp || cached.settingsStamp > 2))
        return false;

    const int bits = wanted.colourBits;
    const int v = cellSize();
    // Only kinds 0 to 3 exist; anything else is treated as the default kind rather than
    // leaving histograms without bins.
    const int kind = wanted.interpolation >= 0 && wanted.interpolation <= 3 ? wanted.interpolation : 0;
    const IntBox grid = cellGrid();
    const blitz::Array<unsigned char, 2> image = analysisImage_[channel];

    HistogramGrid sums(blitz::Range(grid.lower[0], grid.upper[0]),
                       blitz::Range(grid.lower[1], grid.upper[1]));
    CornerRangeArray ranges;
    if (kind <= 1)
        ranges.reference(buildCornerRanges(image, range.subRange(0.1f)));
    for (int i = grid.lower[0]; i <= grid.upper[0]; ++i)
        for (int j = grid.lower[1]; j <= grid.upper[1]; ++j) {
            const IntBox corners = cellCorners(i, j, v, box_);
            switch (kind) {
            case 0: cellHistogramFromRanges(sums(i, j), ranges, corners, bits); break;
            case 1: cellHistogramFromRangeBins(sums(i, j), ranges, corners, bits); break;
            case 2: cellHistogramFromSplitRanges(sums(i, j), image, corners, bits); break;
            default: cellHistogramFromSplitBins(sums(i, j), image, corners, bits); break;
            }
        }

    // Sum over a square of 2r + 1 cells, centred, shrunk to the grid where it is narrower.
    const int window = 2 * smoothingRadius() + 1;
    const int lengthX = std::min(window, grid.rows());
    const int lengthY = std::min(window, grid.columns());
    HistogramGrid& cells = cellHistograms_[channel];
    const HistogramMerge merge(bits, 0);
    const ProgressRange silent(nullptr, 0.0f, 1.0f);
    const IntBox alongX = morphology::convolveLineFast(
        sums, morphology::LineWindow{lengthX, -(lengthX / 2), 0}, merge, cells, silent);
    // Reads and writes the same grid: each line is read whole before its results are written.
    const IntBox valid = morphology::convolveLineFastTransposed(
        cropArrayToBox(cells, alongX), morphology::LineWindow{lengthY, 0, -(lengthY / 2)}, merge,
        cells, silent);
    replicateBorder(cells, valid);
    for (auto cell = cells.begin(); cell != cells.end(); ++cell)
        finishCellHistogram(*cell);
    return true;
}

}  // namespace classification
