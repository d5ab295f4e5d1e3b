#pragma once

#include "classification/JxEntryFrame.h"
#include "classification/JxExCancel.h"
#include "classification/JxInImage.h"
#include "classification/JxInSession.h"

#include <new>

/// The common frame of the commands that change statuses (SetStatus, Select, Auto fill,
/// Despeckle selection, Auto complex, and the status copies between a sub-session and its
/// parent). A command adds only its precondition and its operation:
///
///     int JxDespeckleSelection(JxSession* session, JxImage* statusImage, ...) noexcept {
///         return JxStatusCommand::run(session, statusImage, {"Despeckle selection", progress},
///             [](JxInSession& s) { return s.hasSegmentation() ? JxOk : JxNotAnalysed; },
///             [&](JxInSession& s, classification::ByteImage statuses, ProgressRange& range) {
///                 ...; return JxOk;
///             });
///     }
///
/// The frame checks the handles, runs the precondition before anything is built, refuses a
/// status image that does not cover the session, builds the session's status view and a
/// cancellable reporter with a range over it, runs the operation and publishes the changed
/// rectangle. When the operation is cancelled or runs out of memory, exactly the undo steps it
/// recorded are taken back (never those of an earlier command) and the code is 2 or 3; any
/// other exception fails the engine (4).
namespace JxStatusCommand {

struct Settings {
    const char* label;
    JxProgressCallback progress = nullptr;
    /// SetStatus leaves the changed rectangle alone when it is rolled back.
    bool publishOnRollBack = true;
};

/// Runs `operation(view, range)` on `target`'s status view of `statusImage`, with the undo
/// recovery above. `target` must cover the status image (see JxInSession::coversStatusImage).
template <typename Operation>
int runOn(JxInSession& target, JxInImage& statusImage, ProgressRange& range, const Settings& settings,
          Operation&& operation) {
    classification::IiClassification& classification = target.classification();
    const classification::UndoHistory::Position start = classification.undoHistory.position();
    auto rollBack = [&] {
        classification.undoHistory.rollBack(start, classification);
        classification.resetWorkingBox();
        if (settings.publishOnRollBack)
            target.publishChangedBox();
    };

    classification::ByteImage view = target.statusView(statusImage);
    // The working box is left as the last command left it: Despeckle selection and Auto
    // complex work on the pixels of the Select before them. The commands that start a new
    // selection (Select, Auto fill, SetStatus) empty it themselves.
    try {
        const int code = operation(view, range);
        target.publishChangedBox();
        return code;
    } catch (const JxExCancel&) {
        rollBack();
        throw;
    } catch (const std::bad_alloc&) {
        rollBack();
        throw;
    }
}

/// A whole status-command entry on `handle` and `statusImage`:
/// `precondition(JxInSession&)` returns 0 or the code to refuse with, and
/// `operation(JxInSession&, ByteImage view, ProgressRange&)` returns the command's code.
template <typename Precondition, typename Operation>
int run(JxSession* handle, JxImage* statusImage, const Settings& settings, Precondition&& precondition,
        Operation&& operation) noexcept {
    return JxEntryFrame::runWithImage(
        handle, statusImage, {settings.label, JxFailurePolicy::command, settings.progress, true},
        [&](JxEngine&, JxInProgress& reporter) {
            JxInSession& session = *JxInSession::fromHandle(handle);
            JxInImage& image = *JxInImage::fromHandle(statusImage);
            if (const int code = precondition(session))
                return code;
            if (!session.coversStatusImage(image))
                return static_cast<int>(JxRefused);
            ProgressRange range(&reporter);
            return runOn(session, image, range, settings,
                         [&](classification::ByteImage view, ProgressRange& r) {
                             return operation(session, view, r);
                         });
        });
}

}  // namespace JxStatusCommand
