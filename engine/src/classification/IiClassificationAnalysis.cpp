// The analysis pipeline of the classification object: texture stage, colour classification,
// segmentation, labelling and partition.

#include "classification/IiClassification.h"

#include "classification/BoxOps.h"
#include "classification/ArrayBoxHelpers.h"
#include "classification/Rancour.h"
#include "classification/RegionLabelling.h"
#include "classification/ResolveWatershedLines.h"
#include "classification/RowWorkers.h"
#include "classification/TextureFilter.h"
#include "classification/VectorEdges.h"

#include <algorithm>
#include <vector>

namespace classification {
namespace {

constexpr int textureTasks = 3;   // the three colour channels

LabelImage labelImageOver(const IntBox& box) {
    return LabelImage(blitz::Range(box.lower[0], box.upper[0]),
                      blitz::Range(box.lower[1], box.upper[1]));
}

}  // namespace

void IiClassification::analyse(const ByteImage* regionMask, ProgressRange range) {
    runTextureFilter(range.subRange(0.1f));

    ProgressRange colours = range.subRange(0.3f);
    if (std::any_of(classifier.classCounts.begin(), classifier.classCounts.end(),
                    [](std::int32_t count) { return count == -1; })) {
        classifier.buildHistograms(colours.subRange(0.2f));
        classifier.runWatershedders(colours.subRange(1.0f), RowWorkers::threadsFor(workerCount));
    }

    segmentation.setWorkerCount(workerCount);
    runSegmentation(range.subRange(0.9f));

    labelSegments();

    if (regionMask && regionLabels.numElements() != 0) {
        IntBox common = IntBox::domainOf(regionLabels);
        if (intersectBox(common, IntBox::domainOf(*regionMask)))
            for (int row = common.lower[0]; row <= common.upper[0]; ++row)
                for (int column = common.lower[1]; column <= common.upper[1]; ++column)
                    if ((*regionMask)(row, column) == 0)
                        regionLabels(row, column) = -1;
    }

    partition(range.subRange(1.0f));
}

void IiClassification::runTextureFilter(ProgressRange range) {
    if (textureState == 2)
        return;
    if (!workingCopyCurrent) {
        workingCopy.reference(colourImage);
        workingCopyCurrent = true;
    }
    const IntBox box = domain();
    AnalysisImage texture(blitz::Range(box.lower[0], box.upper[0]),
                          blitz::Range(box.lower[1], box.upper[1]));
    const int radius = smoothingRadius;
    {
        // One task per colour channel; its two planes are its own.
        RowWorkers team(std::min(RowWorkers::threadsFor(workerCount), unsigned{textureTasks}));
        team.forEachRow(0, textureTasks - 1, 1, RowWorkers::Bands::handedOut,
                        [&](int task, unsigned) {
                            Rancour(*this, texture, workingCopy, radius, task)();
                        });
    }
    range.report(1.0f);

    workingCopy.reference(ColourImage());
    workingCopyCurrent = false;
    setAnalysisImage(texture);
    classifier.image.reference(texture);
    classifier.clear();
    textureState = 2;
}

void IiClassification::filterChannel(ByteImage plane, ByteImage secondPlane,
                                     const ByteImage& channel, int radius, ProgressRange range) {
    filterTextureChannel(plane, secondPlane, channel, radius, maxColourBits, tPercent, range);
}

void IiClassification::labelSegments() {
    const LabelImage& watershed = segmentation.segmentLabels();
    if (currentSettings.imageTol <= 1.0f || watershed.numElements() == 0) {
        regionLabels.reference(LabelImage());
        segmentCount = 0;
        return;
    }
    const IntBox box = analysisBox;
    // The watershed's own labels stay as they are for the next analysis; the labelling works
    // on a copy whose margin (-1) matches no label inside the box.
    LabelImage values(watershed.copy());
    fillOutsideBox(values, box, -1);
    LabelImage kept = labelImageOver(IntBox::domainOf(values));
    kept = 0;
    keepConnectedLabels(box, values, kept, ProgressRange());
    resolveWatershedLines(kept, box, segmentation.segmentCount());
    fillOutsideBox(kept, box, -2);

    // The regions are the 4-connected components of the cleaned labels: one number per pixel
    // of the box, from 0 up, and -1 outside it.
    LabelImage regions = labelImageOver(IntBox::domainOf(values));
    regions = -1;
    std::int32_t next = 0;
    labelComponents(next, regions, kept, box);
    segmentCount = next;
    regionLabels.reference(cropArrayToBox(regions, box));
}

void IiClassification::partition(ProgressRange range) {
    const IntBox box = domain();
    if (!boxEquals(IntBox::domainOf(classLabels), box)) {
        classLabelsStorage.reference(labelImageOver(grownBox(box, 2)));
        classLabelsStorage = -1;
        classLabels.reference(cropArrayToBox(classLabelsStorage, box));
    }
    const int level = std::max(requestedClassCount, 0);
    resultingClassCount = classifier.partition(level, classLabels, range.subRange(0.3f));
    if (currentSettings.imageTol <= 1.0f || regionLabels.numElements() == 0)
        return;

    std::vector<std::int32_t> classOfRegion;
    regionMajorityClass(classOfRegion, segmentCount, regionLabels, classLabels,
                        range.subRange(0.7f));
    const IntBox regions = IntBox::domainOf(regionLabels);
    const float rows = static_cast<float>(regions.rows());
    for (int row = regions.lower[0]; row <= regions.upper[0]; ++row) {
        if (row % 512 == 0)
            range.report(0.7f + 0.3f * static_cast<float>(row - regions.lower[0]) / rows);
        for (int column = regions.lower[1]; column <= regions.upper[1]; ++column) {
            const std::int32_t region = regionLabels(row, column);
            if (region >= 0 && static_cast<std::size_t>(region) < classOfRegion.size())
                classLabels(row, column) = classOfRegion[static_cast<std::size_t>(region)];
        }
    }
}

void IiClassification::buildVectorEdges(EdgePolylineList& edges, ProgressRange) {
    edges.clear();
    if (currentSettings.imageTol <= 1.0f || regionLabels.numElements() == 0)
        return;
    edges = vectorEdges(regionLabels, analysisBox, vMidPoint, vSimplify, vSmooth);
}

bool IiClassification::hasSegmentationArrays() const {
    const IntBox box = domain();
    auto covers = [&](const auto& array, const IntBox& wanted) {
        return array.numElements() != 0 && IntBox::domainOf(array).contains(wanted);
    };
    return covers(classLabels, box) && covers(edgeMap, box) && covers(edgeWidthPlane, box);
}

}  // namespace classification
