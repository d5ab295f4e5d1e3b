// SetStatus and the status copies between a sub-session and its parent.

#include "classification/JxStatusCommand.h"

using classification::ByteImage;

int JxSetStatus(JxSession* session, JxImage* statusImage, const JxSelection* statuses,
                JxProgressCallback progress) noexcept {
    return JxStatusCommand::run(
        session, statusImage, {"SetStatus", progress, false},
        [&](JxInSession&) {
            const bool readable = statuses && statuses->mask && SelectionPatch::isValid(*statuses);
            return static_cast<int>(readable ? JxOk : JxRefused);
        },
        [&](JxInSession& target, ByteImage view, ProgressRange& range) {
            target.classification().setStatus(view, SelectionPatch::bytesOf(*statuses));
            range.report(1.0f);
            return static_cast<int>(JxOk);
        });
}

int JxPullParentStatus(JxSession* subSession, JxImage* statusImage) noexcept {
    return JxStatusCommand::run(
        subSession, statusImage, {"SetStatus", nullptr, false},
        [](JxInSession& sub) {
            // Top sessions and sub-sessions whose parent has ended have nothing to pull from.
            return static_cast<int>(sub.parent() ? JxOk : JxRefused);
        },
        [&](JxInSession& sub, ByteImage view, ProgressRange&) {
            JxInSession& parent = *sub.parent();
            JxInImage& image = *JxInImage::fromHandle(statusImage);
            if (!parent.coversStatusImage(image))
                return static_cast<int>(JxRefused);
            sub.classification().setStatus(view, parent.statusView(image));
            return static_cast<int>(JxOk);
        });
}

int JxPushStatusToParent(JxSession* subSession, JxImage* statusImage) noexcept {
    // SetStatus on the parent: the change is recorded in the parent's history and published
    // in the parent's changed rectangle.
    const JxStatusCommand::Settings settings{"SetStatus", nullptr, false};
    return JxEntryFrame::runWithImage(
        subSession, statusImage, {settings.label, JxFailurePolicy::command, nullptr, true},
        [&](JxEngine&, JxInProgress& reporter) {
            JxInSession& sub = *JxInSession::fromHandle(subSession);
            JxInImage& image = *JxInImage::fromHandle(statusImage);
            JxInSession* parent = sub.parent();
            if (!parent || !sub.coversStatusImage(image) || !parent->coversStatusImage(image))
                return static_cast<int>(JxRefused);
            const ByteImage statuses = sub.statusView(image);
            ProgressRange range(&reporter);
            return JxStatusCommand::runOn(*parent, image, range, settings,
                                          [&](ByteImage view, ProgressRange&) {
                                              parent->classification().setStatus(view, statuses);
                                              return static_cast<int>(JxOk);
                                          });
        });
}
