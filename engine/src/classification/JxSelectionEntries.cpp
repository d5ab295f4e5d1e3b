// The selection commands: Select, Despeckle selection, Auto complex and Auto fill, each on
// the common frame of the status commands.

#include "classification/JxStatusCommand.h"

#include <cmath>

using classification::ByteImage;
using classification::IntBox;

namespace {

struct SelectMasks {
    unsigned char statusBits;
    unsigned char fromMask;
};

/// The status bits and from mask of a Select, from its new status, from status and mode.
SelectMasks selectMasks(unsigned char newStatus, unsigned char fromStatus, int mode) {
    if (newStatus == 1 && fromStatus == 16)
        return {16, 16};
    if (newStatus == 1 && fromStatus != 32)
        return {15, static_cast<unsigned char>(mode == 0 ? 47 : 63)};
    if (fromStatus == 16 || newStatus == 16)
        return {16, 16};
    if (fromStatus == 32)
        return {32, 32};
    if (newStatus == 2 || newStatus == 4 || newStatus == 8)
        return {15, 63};
    if (newStatus == 32)
        return {32, 32};
    return {0, 0};
}

int needsSegmentation(JxInSession& session) {
    return session.hasSegmentation() ? JxOk : JxNotAnalysed;
}

/// A segmentation whose arrays this session can read: its own, or its parent's shared with it.
int needsSegmentationArrays(JxInSession& session) {
    if (!session.hasSegmentation() || !session.classification().hasSegmentationArrays())
        return JxNotAnalysed;
    return JxOk;
}

}  // namespace

int JxSelect(JxSession* session, JxImage* statusImage, const JxSelection* selection,
             std::uint8_t newStatus, std::uint8_t fromStatus, int mode, float classLevel,
             JxProgressCallback progress) noexcept {
    const SelectMasks masks = selectMasks(newStatus, fromStatus, mode);
    return JxStatusCommand::run(
        session, statusImage, {"Select", progress},
        [&](JxInSession& target) {
            if (mode != 0 && needsSegmentationArrays(target) != JxOk)
                return static_cast<int>(JxNotAnalysed);
            if (!selection || !SelectionPatch::isValid(*selection) || !std::isfinite(classLevel))
                return static_cast<int>(JxRefused);
            // A flood whose new value has no bit it may set would never end.
            if (mode >= 1 && mode <= 3 && (newStatus & masks.statusBits) == 0)
                return static_cast<int>(JxRefused);
            return static_cast<int>(JxOk);
        },
        [&](JxInSession& target, ByteImage view, ProgressRange& range) {
            const SelectionPatch patch(*selection);
            const int level = static_cast<int>(std::fmax(-1e6f, std::fmin(classLevel, 1e6f)));
            target.classification().select(patch.box, patch.mask(), view, mode, newStatus,
                                           masks.statusBits, fromStatus, masks.fromMask, level,
                                           range.subRange(0.95f));
            return static_cast<int>(JxOk);
        });
}

int JxDespeckleSelection(JxSession* session, JxImage* statusImage, std::uint8_t strength,
                         JxProgressCallback progress) noexcept {
    return JxStatusCommand::run(
        session, statusImage, {"Despeckle selection", progress}, needsSegmentation,
        [&](JxInSession& target, ByteImage view, ProgressRange& range) {
            target.classification().despeckleSelection(view, strength, range);
            return static_cast<int>(JxOk);
        });
}

int JxAutoComplex(JxSession* session, JxImage* statusImage, float blendScale,
                  JxProgressCallback progress) noexcept {
    return JxStatusCommand::run(
        session, statusImage, {"Auto complex", progress}, needsSegmentationArrays,
        [&](JxInSession& target, ByteImage view, ProgressRange& range) {
            target.classification().autoComplex(view, range, blendScale);
            return static_cast<int>(JxOk);
        });
}

int JxAutoFill(JxSession* session, JxImage* statusImage, const JxRect* rectangle,
               std::uint8_t fillStatus, float blendScale, JxProgressCallback progress) noexcept {
    return JxStatusCommand::run(
        session, statusImage, {"Auto fill", progress},
        [&](JxInSession& target) {
            if (fillStatus != 0 && fillStatus != 2 && fillStatus != 4)
                return static_cast<int>(JxRefused);
            if (rectangle && target.isSubSession())
                return static_cast<int>(JxRefused);
            if (rectangle && (rectangle->width <= 0 || rectangle->height <= 0))
                return static_cast<int>(JxRefused);
            return static_cast<int>(JxOk);
        },
        [&](JxInSession& target, ByteImage view, ProgressRange& range) {
            classification::IiClassification& classification = target.classification();
            const float scale = target.hasSegmentation() ? blendScale : 0.0f;
            IntBox box = IntBox::domainOf(view);
            if (rectangle) {
                const long long bottom = static_cast<long long>(rectangle->y) + rectangle->height - 1;
                const long long right = static_cast<long long>(rectangle->x) + rectangle->width - 1;
                const IntBox wanted(rectangle->y, rectangle->x,
                                    static_cast<int>(std::min<long long>(bottom, box.upper[0])),
                                    static_cast<int>(std::min<long long>(right, box.upper[1])));
                if (!classification::intersectBox(box, wanted))
                    return static_cast<int>(JxRefused);
            }
            unsigned char fill = fillStatus;
            if (fill == 0) {
                const ByteImage area = classification::cropArrayToBox(view, box);
                for (auto it = area.begin(); it != area.end() && fill == 0; ++it)
                    if ((*it & 6) != 0)
                        fill = static_cast<unsigned char>(*it & 6);
                if (fill == 0)
                    return static_cast<int>(JxRefused);
            }
            range.report(0.1f);
            classification.autoFill(view, rectangle ? &box : nullptr, fill, scale,
                                    &classification.undoHistory, range.subRange(1.0f));
            return static_cast<int>(JxOk);
        });
}
