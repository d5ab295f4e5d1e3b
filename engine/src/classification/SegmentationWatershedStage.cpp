// The watershed stage of the segmentation: a segment label for every pixel.

#include "classification/Segmentation.h"
#include "watershed/BucketQueue.h"
#include "watershed/SegmentationWatershed.h"
#include "watershed/WatershedFlood.h"

#include <algorithm>
#include <cmath>

namespace classification {

namespace {

/// How much higher the way across an edge is made: the image tolerance on the gradient
/// planes' logarithmic scale, kept within the byte levels (the scale may be 0, huge or not
/// finite when the ratings were degenerate).
int edgePenalty(float gradientScale, float imageTol) {
    const float penalty = gradientScale * std::log(imageTol);
    if (!(penalty > 0.0f))
        return 0;
    return penalty >= 255.0f ? 255 : static_cast<int>(penalty);
}

}  // namespace

bool Segmentation::segmentWatershed(bool changed, ProgressRange range) {
    const SegmentInfo& cached = stageSettings[wholeImageSlot];
    if (!changed && currentSettings.imageTol == cached.imageTol &&
        currentSettings.inFocusEdgeWidth == cached.inFocusEdgeWidth)
        return false;
    if (currentSettings.imageTol <= 1.0f) {
        segmentLabels_.free();
        segmentLabelsView_.free();
        segmentCount_ = -1;
        return true;
    }
    prepareEdgeMap();
    const IntBox grown = IntBox::domainOf(edgeMap_);
    if (!boxEquals(IntBox::domainOf(segmentLabels_), grown))
        segmentLabels_.resize(blitz::Range(grown.lower[0], grown.upper[0]),
                              blitz::Range(grown.lower[1], grown.upper[1]));
    segmentLabelsView_.reference(cropArrayToBox(segmentLabels_, box_));

    // Every pixel around the box, the outermost ring included, carries the first label (0);
    // no flood starts from it or spreads into it. Pixels inside start unlabelled and get
    // labels 1, 2, ... in the order their segments start.
    ClassAllocator allocator;
    segmentLabels_ = allocator.allocate();
    segmentLabelsView_ = -1;

    SegmentationWatershed graph(edgeMap_, segmentLabels_, box_,
                                edgePenalty(gradientScale_, currentSettings.imageTol), allocator);
    WatershedFlood<SegmentationWatershed, BucketQueue<SegmentationWatershed::Node>> flood(graph);
    flood.floodInner(range);
    segmentCount_ = allocator.next;
    return true;
}

}  // namespace classification
