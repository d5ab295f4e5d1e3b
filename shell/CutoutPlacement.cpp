#include "shell/CutoutPlacement.h"

#include "composition/scene/CommandMapper.h"
#include "composition/scene/CreateCutoutItemCommand.h"
#include "masking/GmModel.h"
#include "masking/JxCmdAnalyseImage.h"
#include "masking/JxCmdGenerateMask.h"
#include "masking/JxCmdSelect.h"
#include "masking/OstrivalThread.h"
#include "masking/SavedCutoutState.h"
#include "masking/TqSourceImage.h"
#include "common/LogStream.h"
#include "common/Product.h"
#include "shell/TqMainWindow.h"

#include <QMessageBox>

namespace {

/// Only the edge finding may be cut short for a placement: strokes and mask generations
/// carry the user's last changes into the cut-out. A stroke that follows the edges is
/// refused without them, so while one waits the edge finding runs to its end.
void cancelEdgeFinding(OstrivalThread* thread) {
    if (!thread)
        return;
    for (OstrivalCommand* command : thread->queuedCommands())
        if (auto* stroke = qobject_cast<JxCmdSelect*>(command); stroke && stroke->needsAnalysis())
            return;
    if (qobject_cast<JxCmdAnalyseImage*>(thread->currentCommand()))
        thread->cancelCommand(thread->currentCommand());
    thread->cancelWaiting([](const OstrivalCommand* command) {
        return qobject_cast<const JxCmdAnalyseImage*>(command) != nullptr;
    });
}

}  // namespace

CutoutPlacement::CutoutPlacement(TqMainWindow* window) : QObject(window), window_(window) {
    connect(GmModel::instance(), &GmModel::tellImageChanged, this,
            &CutoutPlacement::modelImageChanged);
}

CutoutPlacement::Outcome CutoutPlacement::place(std::function<void()> later, Then then) {
    // A close that joins a waiting placement makes it one the user may leave without.
    leaving_ = (pending_ && leaving_) || then == Then::Leave;
    if (!pending_) {
        GmModel* model = GmModel::existing();
        pending_ = true;
        maskRequested_ = false;
        failed_ = false;
        image_ = model ? model->sourceImage() : nullptr;
        cancelEdgeFinding(window_->engineThread());
        step();
        if (!pending_)
            return failed_ ? Outcome::Failed : Outcome::Placed;
    }
    // Repeated requests join the waiting placement: one cut-out, one item.
    if (later)
        afterPlacement_.append(std::move(later));
    return Outcome::Waiting;
}

void CutoutPlacement::step() {
    if (!pending_)
        return;
    OstrivalThread* thread = window_->engineThread();
    auto waitForEngine = [this, thread] {
        // A thread closed meanwhile (a session waiting to open) ends with closureComplete.
        if (!queueConnection_)
            queueConnection_ =
                connect(thread, &OstrivalThread::queueEmptied, this, &CutoutPlacement::step);
        if (!closureConnection_)
            closureConnection_ =
                connect(thread, &OstrivalThread::closureComplete, this, &CutoutPlacement::step);
    };
    if (thread && !thread->isIdle()) {
        waitForEngine();
        return;
    }
    GmModel* model = GmModel::existing();
    // The auto cut's last generation may have been cancelled or be older than the last
    // change: one protected generation brings the cut-out up to date.
    if (thread && model && model->sourceImage() && !maskRequested_ && thread->isOpen() &&
        !thread->isLibraryDead() && thread->modificationCount() != theLastMaskModification.load()) {
        maskRequested_ = true;
        thread->submit(new JxCmdGenerateMask(model), true);
        if (!thread->isIdle()) {
            waitForEngine();
            return;
        }
    }
    disconnect(queueConnection_);
    disconnect(closureConnection_);
    pending_ = false;
    const QList<std::function<void()>> following = std::move(afterPlacement_);
    afterPlacement_.clear();
    failed_ = !placeNow();
    if (failed_)
        return;
    // Run from the event loop: the engine thread may be in the middle of its own finish.
    for (const std::function<void()>& next : following)
        QMetaObject::invokeMethod(this, next, Qt::QueuedConnection);
}

bool CutoutPlacement::placeNow() {
    GmModel* model = GmModel::existing();
    TqSourceImage* output = model ? model->outputImage() : nullptr;
    if (output) {
        QPoint corner;
        const QPixmap pixmap = output->trimmedPixmap(&corner);
        SavedCutoutState* state = editedCutoutState;
        const bool fresh = state == nullptr;
        if (fresh)
            state = new SavedCutoutState;
        if (!state->save()) {
            // Without its session the item could never be edited again: keep the cut-out
            // open and say so.
            if (fresh)
                delete state;
            const QString problem =
                TqMainWindow::tr("The cut-out could not be saved, so it stays open.\n"
                                 "Please check that the temporary folder can be written.");
            if (!leaving_) {
                QMessageBox::warning(window_, productDisplayName(), problem);
                return false;
            }
            // Every later close would try again and fail alike: the way out is offered here.
            const QMessageBox::StandardButton answer = QMessageBox::warning(
                window_, productDisplayName(),
                problem + QStringLiteral("\n\n")
                    + TqMainWindow::tr("Discard the cut-out to close without placing it."),
                QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Cancel);
            if (answer != QMessageBox::Discard)
                return false;
            beginLogLine() << "TqMainWindow: the cut-out that could not be saved was discarded";
            endLogLine();
            window_->closeCutout();
            return true;
        }
        state->x = corner.x();
        state->y = corner.y();
        CommandMapper::instance();
        {
            CreateCutoutItemCommand command(pixmap, state);
            command.execute();
        }
        // A fully transparent cut-out makes no item, and then nothing owns the new state.
        if (fresh && !state->item)
            delete state;
        editedCutoutState = nullptr;
    }
    window_->closeCutout();
    return true;
}

void CutoutPlacement::drop() {
    if (!pending_)
        return;
    disconnect(queueConnection_);
    disconnect(closureConnection_);
    pending_ = false;
    afterPlacement_.clear();
    beginLogLine() << "TqMainWindow: a waiting cut-out placement was dropped: the image changed";
    endLogLine();
}

void CutoutPlacement::modelImageChanged(const TqSourceImage* image) {
    // A placement waits for the picture that was being cut out; another one must not be
    // placed (or closed) in its stead.
    if (pending_ && image != image_)
        drop();
}
