#include "classification/AutoFillForMask.h"

#include "classification/MaskStatus.h"

#include "morphology/LineFilters.h"

namespace classification {

namespace {

constexpr unsigned char fillable = 1;

bool any(const blitz::Array<unsigned char, 2>& area, unsigned char bits) {
    return morphology::anyPixelHasBits(area, bits);
}

}  // namespace

AutoFillResult autoFillForMask(const IntBox& wholeDomain, const IntBox& generationBox,
                               blitz::Array<unsigned char, 2> status, const IntBox& marginBox,
                               float fillParameter, UndoHistory& history, ProgressRange progress,
                               const MaskAutoFill& autoFill) {
    AutoFillResult result;
    result.contextBox = wholeDomain;
    // Shares the status bytes, so a fill of the whole image shows in it.
    const blitz::Array<unsigned char, 2> boxView = cropArrayToBox(status, generationBox);
    auto fill = [&](const blitz::Array<unsigned char, 2>& area) {
        history.beginGroup();
        ++result.undoGroupsBegun;
        autoFill(area, result.hasKeep ? statusKeep : statusDelete, fillParameter, history,
                 progress.subRange(0.2f));
    };
    auto markBoth = [&]() { return result.hasKeep && result.hasDelete; };
    auto exactlyOne = [&]() { return result.hasKeep != result.hasDelete; };
    auto lookInBox = [&]() {
        result.hasKeep = any(boxView, statusKeep);
        result.hasDelete = any(boxView, statusDelete);
        if (markBoth())
            result.contextBox = marginBox;
    };

    const bool partOfImage = !boxEquals(generationBox, wholeDomain);
    if (partOfImage) {
        lookInBox();
        if (!markBoth() && exactlyOne() && any(boxView, fillable)) {
            fill(boxView);
            lookInBox();
        }
    }
    if (markBoth())
        return result;

    if (!result.hasKeep)
        result.hasKeep = any(status, statusKeep);
    if (!result.hasDelete)
        result.hasDelete = any(status, statusDelete);
    if (exactlyOne() && any(status, fillable)) {
        fill(status);
        lookInBox();
        if (markBoth())
            return result;
        if (partOfImage) {
            if (!result.hasKeep)
                result.hasKeep = any(status, statusKeep);
            if (!result.hasDelete)
                result.hasDelete = any(status, statusDelete);
        }
    }
    return result;
}

}  // namespace classification
