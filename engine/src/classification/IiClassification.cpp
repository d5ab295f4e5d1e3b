#include "classification/IiClassification.h"

#include "classification/BoxOps.h"
#include "classification/IiUndoModifyStatus.h"

#include <memory>

namespace classification {
namespace {

IntBox grownBy(const IntBox& box, int margin) {
    return IntBox(box.lower[0] - margin, box.lower[1] - margin, box.upper[0] + margin,
                  box.upper[1] + margin);
}

/// The part of a parent's array over `box`, sharing its storage; an empty array when the
/// parent's array does not cover the box (never a view past its storage).
template <typename T>
blitz::Array<T, 2> restrictedTo(const blitz::Array<T, 2>& array, const IntBox& box) {
    if (array.size() == 0 || isBoxEmpty(box) || !IntBox::domainOf(array).contains(box))
        return blitz::Array<T, 2>();
    return cropArrayToBox(array, box);
}

}  // namespace

IiClassification::IiClassification(IiClassification* parentClassification, bool isAnalysable,
                                   const ColourImage& source)
    : parent(parentClassification), analysable(isAnalysable) {
    resetWorkingBox();
    colourImage.reference(source);

    // The commands read one pixel beyond the image without a bounds test; the margin reads as
    // "unassigned" (1), never as "no status" (0).
    const IntBox sourceBox = domain();
    const IntBox bordered = grownBy(sourceBox, 1);
    workStatusStorage.resize(blitz::Range(bordered.lower[0], bordered.upper[0]),
                             blitz::Range(bordered.lower[1], bordered.upper[1]));
    workStatusStorage = 1;
    workStatus.reference(cropArrayToBox(workStatusStorage, sourceBox));
    workStatus = 0;
}

IiClassification::~IiClassification() {
    // Steps hold views of status arrays; they go before anything else is released.
    undoHistory.clear();
}

void IiClassification::setAnalysisImage(const AnalysisImage& image) {
    analysisImage.reference(image);
    analysisBox = IntBox::domainOf(image);
    stageSettings.fill(SegmentInfo());
}

void IiClassification::copyFromParent() {
    if (!parent)
        return;
    const IntBox own = domain();
    setAnalysisImage(restrictedTo(parent->analysisImage, own));
    currentSettings = parent->currentSettings;
    requestedClassCount = parent->requestedClassCount;
    resultingClassCount = parent->resultingClassCount;

    // With an image tolerance of 1 the analysis has no segments, only colour classes.
    if (currentSettings.imageTol > 1.0f) {
        regionLabels.reference(restrictedTo(parent->regionLabels, own));
    } else {
        segmentLabels.reference(LabelImage());
        regionLabels.reference(LabelImage());
    }
    segmentCount = parent->segmentCount;
    classLabels.reference(restrictedTo(parent->classLabels, own));
    edgeMap.reference(restrictedTo(parent->edgeMap, own));
    edgeWidthPlane.reference(restrictedTo(parent->edgeWidthPlane, own));
    gradientScale = parent->gradientScale;
}

void IiClassification::growChangedBox(const IntBox& changed) {
    if (!changedBox)
        changedBox = changed;
    else
        unionBox(*changedBox, changed);
}

std::optional<IntBox> IiClassification::takeChangedBox() {
    std::optional<IntBox> taken = changedBox;
    changedBox.reset();
    return taken;
}

void IiClassification::commitWorkStatus(ByteImage status, UndoHistory* history) {
    IntBox box = workingBox;
    if (isBoxEmpty(box) || !intersectBox(box, IntBox::domainOf(status)) ||
        !intersectBox(box, IntBox::domainOf(workStatus)))
        return;

    // The committed values first: undo must record what is actually written, flags included.
    ByteImage target = cropArrayToBox(status, box);
    ByteImage committed(target.copy());
    const unsigned char bits = statusBits;
    for (int row = box.lower[0]; row <= box.upper[0]; ++row)
        for (int column = box.lower[1]; column <= box.upper[1]; ++column) {
            const unsigned char work = workStatus(row, column);
            const unsigned char old = target(row, column);
            if (work == 0 || old == 0)
                continue;
            const unsigned char value = static_cast<unsigned char>((work & bits) | (old & ~bits));
            if (value != 0)
                committed(row, column) = value;
        }

    if (history)
        history->record(std::make_unique<IiUndoModifyStatus>(committed, status));
    target = committed;
    growChangedBox(box);
}

void IiClassification::setStatus(ByteImage status, const ByteImage& newStatuses) {
    IntBox box = IntBox::domainOf(status);
    if (!intersectBox(box, IntBox::domainOf(newStatuses)))
        return;
    const ByteImage wanted = cropArrayToBox(newStatuses, box);
    undoHistory.record(std::make_unique<IiUndoModifyStatus>(wanted, status));

    ByteImage target = cropArrayToBox(status, box);
    const long wantedStep = wanted.stride(1);
    const long targetStep = target.stride(1);
    for (int row = box.lower[0]; row <= box.upper[0]; ++row) {
        const unsigned char* n = &wanted(row, box.lower[1]);
        unsigned char* s = &target(row, box.lower[1]);
        for (int column = box.lower[1]; column <= box.upper[1]; ++column) {
            if (*n != 0 && *s != 0)
                *s = *n;
            n += wantedStep;
            s += targetStep;
        }
    }
    growChangedBox(box);
    resetWorkingBox();
}

}  // namespace classification
