#pragma once

#include "classification/CellInterpolation.h"
#include "classification/IntBox.h"
#include "classification/Segmentation.h"

#include <blitz/array.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace classification {

/// What the gradient workers read of the peak analysis, gathered once per run so that the
/// corner loop does no division: per hump, the significance of its right-hand valley and the
/// inverse squares of its heights (floored at 1, so that an empty valley rates as a very deep
/// one instead of an infinite one that would poison the whole map's scale); per cell and
/// channel, the bin shift and the range of its humps.
class GradientTables {
public:
    struct Hump {
        std::int32_t valleyBin;
        float significance;
        float peakCost;       // 1 / peakHeight^2
        float shoulderCost;   // 1 / shoulderHeight^2
        float valleyCost;     // 1 / valleyHeight^2
    };
    struct CellHumps {
        int shift;
        int first;   // index into humps()
        int last;
    };

    explicit GradientTables(const Segmentation& segmentation);

    /// The six channels' entries of cell (i, j).
    const CellHumps* cell(int i, int j) const {
        return &cells_[static_cast<std::size_t>(((i - grid_.lower[0]) * columns_ + (j - grid_.lower[1])) *
                                                Segmentation::channelCount)];
    }
    const Hump* humps() const { return humps_.data(); }

private:
    IntBox grid_;
    int columns_ = 0;
    std::vector<Hump> humps_;
    std::vector<CellHumps> cells_;
};

/// The per-corner work of the gradient stage. For every pixel corner of a row it rates how
/// strongly the four pixels around the corner are separated by the valleys of the nearby
/// cells' local histograms, and writes the two ratings into the stage's corner map. Rows run
/// on the stage's threads, which share one updater: a row reads the tables and the image and
/// writes only its own row of the map.
class GradientUpdater {
public:
    static constexpr int stripHeight = 64;   // rows handed to a thread at a time

    /// Rates the corners of `corners`' columns; `corners` spans the analysis box less its last
    /// row and column.
    GradientUpdater(const Segmentation& owner, const GradientTables& tables,
                    blitz::Array<CornerRating, 2> corners);

    /// Rates every corner of row `x` of the corner map.
    void processRow(int x) const;

    /// The shoulder and valley costs (Sa, Sb) of a corner whose four pixels span lo[c] ...
    /// hi[c] in channel c, judged by the histograms of cell (i, j).
    CornerRating cellEdgeCost(int i, int j, const unsigned char* lo, const unsigned char* hi) const;

private:
    const Segmentation* owner_;
    const GradientTables* tables_;
    blitz::Array<CornerRating, 2> corners_;
    IntBox grid_;
    float inverseResolution_;
    float halfInverseResolution_;
    // Every row writes through these, so that the rows share one updater that never changes.
    int firstRow_;
    int firstColumn_;
    std::ptrdiff_t rowStep_;
    std::ptrdiff_t columnStep_;
    CornerRating* firstCorner_;
    std::vector<CellPair> columnCells_;   // the cells and weight of every column, once per run
};

}  // namespace classification
