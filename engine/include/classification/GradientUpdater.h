#pragma once

#include "classification/CellInterpolation.h"
#include "classification/IntBox.h"
#include "classification/Segmentation.h"
#include "classification/StripDispenser.h"

#include <blitz/array.h>

#include <vector>

namespace classification {

/// A worker of the gradient stage. For every pixel corner of its strips it rates how strongly
/// the four pixels around the corner are separated by the valleys of the nearby cells' local
/// histograms, and writes the two ratings into the stage's corner map. Strips come from the
/// segmentation's dispenser; workers write disjoint rows of the map.
class GradientUpdater {
public:
    GradientUpdater(const Segmentation& owner, StripDispenser& dispenser,
                    const WorkerOutcome& outcome, blitz::Array<CornerRating, 2> corners);

    /// Takes the next strip: the empty strip once the run was cancelled, failed or stopped.
    void nextStrip();
    /// The thread body: processes strips until the empty one.
    void operator()();

    /// The shoulder and valley costs (Sa, Sb) of a corner whose four pixels span lo[c] ...
    /// hi[c] in channel c, judged by the histograms of cell (i, j).
    CornerRating cellEdgeCost(int i, int j, const unsigned char* lo, const unsigned char* hi) const;

private:
    void processStrip();

    const Segmentation* owner_;
    StripDispenser* dispenser_;
    const WorkerOutcome* outcome_;
    blitz::Array<CornerRating, 2> corners_;
    IntBox grid_;
    float inverseResolution_;
    float halfInverseResolution_;
    Strip strip_;
    std::vector<CellPair> columnCells_;
};

}  // namespace classification
