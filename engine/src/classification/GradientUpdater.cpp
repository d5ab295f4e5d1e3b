#include "classification/GradientUpdater.h"

#include <algorithm>
#include <cmath>

namespace classification {

namespace {

float inverseSquare(std::int32_t height) {
    const float floored = static_cast<float>(std::max(height, 1));
    return 1.0f / (floored * floored);
}

}  // namespace

GradientTables::GradientTables(const Segmentation& segmentation)
    : grid_(segmentation.cellGrid()), columns_(grid_.columns()) {
    std::size_t offsets[Segmentation::channelCount];
    std::size_t total = 0;
    for (int c = 0; c < Segmentation::channelCount; ++c)
        total += segmentation.peakList(c).size();
    humps_.reserve(total);   // one allocation instead of a growing copy of every hump
    for (int c = 0; c < Segmentation::channelCount; ++c) {
        offsets[c] = humps_.size();
        for (const HistogramPeak& peak : segmentation.peakList(c))
            humps_.push_back(Hump{peak.valleyBin,
                                  valleySignificance(peak.shoulderHeight, peak.valleyHeight),
                                  inverseSquare(peak.peakHeight), inverseSquare(peak.shoulderHeight),
                                  inverseSquare(peak.valleyHeight)});
    }
    cells_.resize(static_cast<std::size_t>(grid_.rows()) * static_cast<std::size_t>(columns_) *
                  Segmentation::channelCount);
    for (int i = grid_.lower[0]; i <= grid_.upper[0]; ++i)
        for (int j = grid_.lower[1]; j <= grid_.upper[1]; ++j) {
            CellHumps* entry = const_cast<CellHumps*>(cell(i, j));
            for (int c = 0; c < Segmentation::channelCount; ++c) {
                const Histogram1D& histogram = segmentation.cellHistograms(c)(i, j);
                entry[c] = CellHumps{histogram.shift(),
                                     static_cast<int>(offsets[c]) + histogram.firstPeak,
                                     static_cast<int>(offsets[c]) + histogram.endPeak - 1};
            }
        }
}

GradientUpdater::GradientUpdater(const Segmentation& owner, const GradientTables& tables,
                                 blitz::Array<CornerRating, 2> corners)
    : owner_(&owner), tables_(&tables), corners_(corners), grid_(owner.cellGrid()),
      firstRow_(corners.lbound(0)), firstColumn_(corners.lbound(1)),
      rowStep_(corners.stride(0)), columnStep_(corners.stride(1)),
      firstCorner_(corners.numElements() == 0 ? nullptr
                                              : &corners(corners.lbound(0), corners.lbound(1))) {
    const int resolution = std::max(owner.currentSettings.resolution, 1);
    inverseResolution_ = 1.0f / static_cast<float>(resolution);
    halfInverseResolution_ = 0.5f / static_cast<float>(resolution);
    columnCells_.reserve(static_cast<std::size_t>(std::max(corners.extent(1), 0)));
    for (int y = corners.lbound(1); y <= corners.ubound(1); ++y) {
        CellPair columns = cellPairAt(y, inverseResolution_, grid_.lower[1], grid_.upper[1]);
        columns.firstWeight -= halfInverseResolution_;   // at the corner right of pixel y
        columnCells_.push_back(columns);
    }
}

CornerRating GradientUpdater::cellEdgeCost(int i, int j, const unsigned char* lo,
                                           const unsigned char* hi) const {
    const GradientTables::CellHumps* cell = tables_->cell(i, j);
    const GradientTables::Hump* humps = tables_->humps();
    float shoulders = 0.0f;
    float valleys = 0.0f;
    for (int c = 0; c < Segmentation::channelCount; ++c) {
        const int a = lo[c] >> cell[c].shift;
        const int b = hi[c] >> cell[c].shift;
        const int last = cell[c].last;
        int k = cell[c].first;
        while (k < last && humps[k].valleyBin < a)
            ++k;   // the hump that holds a
        if (humps[k].valleyBin >= b) {   // a and b in one hump
            shoulders += humps[k].peakCost;
            valleys += humps[k].peakCost;
            continue;
        }
        // The most significant valley between a and b; the first of equal ones.
        int best = k;
        for (int m = k + 1; m <= last && humps[m].valleyBin < b; ++m)
            if (humps[m].significance > humps[best].significance)
                best = m;
        shoulders += humps[best].shoulderCost;
        valleys += humps[best].valleyCost;
    }
    return CornerRating(shoulders, valleys);
}

void GradientUpdater::processRow(int x) const {
    const AnalysisImage& image = owner_->analysisImage();
    const int y0 = firstColumn_;
    const int y1 = y0 + static_cast<int>(columnCells_.size());   // excluded
    if (y1 <= y0 || x < firstRow_ || x > corners_.ubound(0))
        return;
    const std::ptrdiff_t step = image.stride(1);
    const CellPair rows = cellPairAt(x, inverseResolution_, grid_.lower[0], grid_.upper[0]);
    const float wx = rows.firstWeight - halfInverseResolution_;
    const AnalysisPixel* upper = &image(x, y0);
    const AnalysisPixel* lower = &image(x + 1, y0);
    CornerRating* rating = firstCorner_ + (x - firstRow_) * rowStep_;
    for (int y = y0; y < y1; ++y, upper += step, lower += step, rating += columnStep_) {
        const AnalysisPixel& p00 = upper[0];
        const AnalysisPixel& p01 = upper[step];
        const AnalysisPixel& p10 = lower[0];
        const AnalysisPixel& p11 = lower[step];
        unsigned char lo[Segmentation::channelCount];
        unsigned char hi[Segmentation::channelCount];
        for (int c = 0; c < Segmentation::channelCount; ++c) {
            lo[c] = std::min(std::min(p00[c], p10[c]), std::min(p01[c], p11[c]));
            hi[c] = std::max(std::max(p00[c], p10[c]), std::max(p01[c], p11[c]));
        }
        const CellPair& columns = columnCells_[static_cast<std::size_t>(y - y0)];
        const float wy = columns.firstWeight;
        // Terms of weight 0 are skipped: nothing of them can reach the rating.
        auto alongY = [&](int i, float* sum) {
            if (wy != 0.0f) {
                const CornerRating q = cellEdgeCost(i, columns.first, lo, hi);
                sum[0] += wy * std::log(q[0]);
                sum[1] += wy * std::log(q[1]);
            }
            if (wy != 1.0f) {
                const CornerRating q = cellEdgeCost(i, columns.second, lo, hi);
                sum[0] += (1.0f - wy) * std::log(q[0]);
                sum[1] += (1.0f - wy) * std::log(q[1]);
            }
        };
        float first[2] = {0.0f, 0.0f};
        float second[2] = {0.0f, 0.0f};
        if (wx != 0.0f)
            alongY(rows.first, first);
        if (wx != 1.0f)
            alongY(rows.second, second);
        for (int k = 0; k < 2; ++k)
            (*rating)[k] = -1.0f / 2 * (wx * first[k] + (1.0f - wx) * second[k]);
    }
}

}  // namespace classification
