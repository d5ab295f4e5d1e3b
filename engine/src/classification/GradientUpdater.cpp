#include "classification/GradientUpdater.h"

#include <algorithm>
#include <cmath>

namespace classification {

GradientUpdater::GradientUpdater(const Segmentation& owner, StripDispenser& dispenser,
                                 const WorkerOutcome& outcome,
                                 blitz::Array<CornerRating, 2> corners)
    : owner_(&owner), dispenser_(&dispenser), outcome_(&outcome), corners_(corners),
      grid_(owner.cellGrid()) {
    const int resolution = std::max(owner.currentSettings.resolution, 1);
    inverseResolution_ = 1.0f / static_cast<float>(resolution);
    halfInverseResolution_ = 0.5f / static_cast<float>(resolution);
}

void GradientUpdater::nextStrip() {
    strip_ = outcome_->stopped() ? Strip::none() : dispenser_->next();
}

void GradientUpdater::operator()() {
    while (!strip_.isNone()) {
        processStrip();
        nextStrip();
    }
}

CornerRating GradientUpdater::cellEdgeCost(int i, int j, const unsigned char* lo,
                                           const unsigned char* hi) const {
    float shoulders = 0.0f;
    float valleys = 0.0f;
    for (int c = 0; c < Segmentation::channelCount; ++c) {
        const Histogram1D& histogram = owner_->cellHistograms(c)(i, j);
        const PeakList& peaks = owner_->peakList(c);
        const int a = lo[c] >> histogram.shift();
        const int b = hi[c] >> histogram.shift();
        const int last = histogram.endPeak - 1;
        int k = histogram.firstPeak;
        while (k < last && peaks[k].valleyBin < a)
            ++k;   // the hump that holds a
        std::int32_t shoulder;
        std::int32_t valley;
        if (peaks[k].valleyBin >= b) {
            shoulder = valley = peaks[k].peakHeight;   // a and b in one hump
        } else {
            int best = k;
            for (int m = k + 1; m <= last && peaks[m].valleyBin < b; ++m)
                if (valleySignificance(peaks[m].shoulderHeight, peaks[m].valleyHeight) >
                    valleySignificance(peaks[best].shoulderHeight, peaks[best].valleyHeight))
                    best = m;
            shoulder = peaks[best].shoulderHeight;
            valley = peaks[best].valleyHeight;
        }
        // Heights of at least 1 keep the costs finite: an empty valley rates as a very deep
        // one instead of an infinite one that would poison the whole map's scale.
        const float heightA = static_cast<float>(std::max(shoulder, 1));
        const float heightB = static_cast<float>(std::max(valley, 1));
        shoulders += 1.0f / (heightA * heightA);
        valleys += 1.0f / (heightB * heightB);
    }
    return CornerRating(shoulders, valleys);
}

void GradientUpdater::processStrip() {
    const AnalysisImage& image = owner_->analysisImage();
    const int y0 = strip_.lo[1];
    const int y1 = strip_.hi[1];   // excluded
    columnCells_.clear();
    for (int y = y0; y < y1; ++y) {
        CellPair columns = cellPairAt(y, inverseResolution_, grid_.lower[1], grid_.upper[1]);
        columns.firstWeight -= halfInverseResolution_;   // at the corner right of pixel y
        columnCells_.push_back(columns);
    }
    for (int x = strip_.lo[0]; x < strip_.hi[0]; ++x) {
        const CellPair rows = cellPairAt(x, inverseResolution_, grid_.lower[0], grid_.upper[0]);
        const float wx = rows.firstWeight - halfInverseResolution_;
        for (int y = y0; y < y1; ++y) {
            const AnalysisPixel& p00 = image(x, y);
            const AnalysisPixel& p10 = image(x + 1, y);
            const AnalysisPixel& p01 = image(x, y + 1);
            const AnalysisPixel& p11 = image(x + 1, y + 1);
            unsigned char lo[Segmentation::channelCount];
            unsigned char hi[Segmentation::channelCount];
            for (int c = 0; c < Segmentation::channelCount; ++c) {
                lo[c] = std::min(std::min(p00[c], p10[c]), std::min(p01[c], p11[c]));
                hi[c] = std::max(std::max(p00[c], p10[c]), std::max(p01[c], p11[c]));
            }
            const CellPair& columns = columnCells_[static_cast<std::size_t>(y - y0)];
            const float wy = columns.firstWeight;
            // Terms of weight 0 are skipped: their cells may lie on the far side of the grid.
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
            CornerRating& rating = corners_(x, y);
            for (int k = 0; k < 2; ++k)
                rating[k] = -1.0f / 2 * (wx * first[k] + (1.0f - wx) * second[k]);
        }
    }
}

}  // namespace classification
