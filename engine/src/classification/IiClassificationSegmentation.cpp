// The classification object's entry into the segmentation stages.

#include "classification/IiClassification.h"

#include <algorithm>

namespace classification {

bool IiClassification::runSegmentation(ProgressRange range) {
    if (std::none_of(segmentationChannels.begin(), segmentationChannels.end(),
                     [](bool on) { return on; }))
        return segmentation.runSegmentation(range);   // reports the end; no array is touched
    // The session's own fields stay the record of settings and cache; the segmentation works
    // on a copy of them and hands the cache back whatever happens.
    segmentation.setAnalysisImage(analysisImage);
    segmentation.currentSettings = currentSettings;
    segmentation.stageSettings = stageSettings;
    segmentation.segmentationChannels = segmentationChannels;
    auto publish = [this] {
        stageSettings = segmentation.stageSettings;
        edgeMap.reference(segmentation.edgeMap());
        edgeWidthPlane.reference(segmentation.edgeWidthPlane());
        gradientScale = segmentation.gradientScale();
        segmentLabels.reference(segmentation.segmentLabels());
        segmentCount = segmentation.segmentCount();
    };
    try {
        const bool changed = segmentation.runSegmentation(range);
        publish();
        return changed;
    } catch (...) {
        publish();
        throw;
    }
}

}  // namespace classification
