// The hand-off between the two halves: Finish places the masking side's cut-out on the
// composition, Cancel leaves it, and images and texts dropped or asked for come in here.
//
// Placing saves the masking session, so it waits until the engine command thread is idle; the
// wait is a connection, never a blocking call. Work that must follow the placement (saving,
// closing, opening another picture) is chained on it rather than run beside it.
#include "shell/TqMainWindow.h"

#include "composition/scene/CommandMapper.h"
#include "composition/scene/CreateCutoutItemCommand.h"
#include "composition/scene/NewTextFieldCommand.h"
#include "shell/FileHandler.h"
#include "masking/GmModel.h"
#include "masking/JxCmdAnalyseImage.h"
#include "masking/JxCmdGenerateMask.h"
#include "masking/JxCmdSelect.h"
#include "masking/OstrivalThread.h"
#include "masking/SavedCutoutState.h"
#include "masking/TqSourceImage.h"
#include "common/FileNameDialog.h"
#include "common/LogStream.h"
#include "common/Product.h"
#include "workspace/GmTool.h"

#include <QMessageBox>
#include <QPointer>

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

bool TqMainWindow::onCutoutTab() const { return currentViewTab() == ImageView::MaskingTab; }

void TqMainWindow::createCutoutItemDone() { placeCutout({}); }

TqMainWindow::Placement TqMainWindow::placeCutout(std::function<void()> later) {
    if (!placementPending_) {
        GmModel* model = GmModel::existing();
        placementPending_ = true;
        placementMaskRequested_ = false;
        placementFailed_ = false;
        placementImage_ = model ? model->sourceImage() : nullptr;
        cancelEdgeFinding(engineThread_);
        placementStep();
        if (!placementPending_)
            return placementFailed_ ? Placement::Failed : Placement::Placed;
    }
    // Repeated requests join the waiting placement: one cut-out, one item.
    if (later)
        afterPlacement_.append(std::move(later));
    return Placement::Waiting;
}

void TqMainWindow::placementStep() {
    if (!placementPending_)
        return;
    OstrivalThread* thread = engineThread_;
    auto waitForEngine = [this, thread] {
        // A thread closed meanwhile (a session waiting to open) ends with closureComplete.
        if (!placementConnection_)
            placementConnection_ = connect(thread, &OstrivalThread::queueEmptied, this,
                                           &TqMainWindow::placementStep);
        if (!placementClosureConnection_)
            placementClosureConnection_ = connect(thread, &OstrivalThread::closureComplete,
                                                  this, &TqMainWindow::placementStep);
    };
    if (thread && !thread->isIdle()) {
        waitForEngine();
        return;
    }
    GmModel* model = GmModel::existing();
    // The auto cut's last generation may have been cancelled or be older than the last
    // change: one protected generation brings the cut-out up to date.
    if (thread && model && model->sourceImage() && !placementMaskRequested_ && thread->isOpen() &&
        !thread->isLibraryDead() && thread->modificationCount() != theLastMaskModification.load()) {
        placementMaskRequested_ = true;
        thread->submit(new JxCmdGenerateMask(model), true);
        if (!thread->isIdle()) {
            waitForEngine();
            return;
        }
    }
    disconnect(placementConnection_);
    disconnect(placementClosureConnection_);
    placementPending_ = false;
    const QList<std::function<void()>> following = std::move(afterPlacement_);
    afterPlacement_.clear();
    placementFailed_ = !placeNow();
    if (placementFailed_)
        return;
    // Run from the event loop: the engine thread may be in the middle of its own finish.
    for (const std::function<void()>& next : following)
        QMetaObject::invokeMethod(this, next, Qt::QueuedConnection);
}

bool TqMainWindow::placeNow() {
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
            QMessageBox::warning(this, productDisplayName(),
                                 tr("The cut-out could not be saved, so it stays open.\n"
                                    "Please check that the temporary folder can be written."));
            return false;
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
    closeCutout();
    return true;
}

void TqMainWindow::dropPendingPlacement() {
    if (!placementPending_)
        return;
    disconnect(placementConnection_);
    disconnect(placementClosureConnection_);
    placementPending_ = false;
    afterPlacement_.clear();
    beginLogLine() << "TqMainWindow: a waiting cut-out placement was dropped: the image changed";
    endLogLine();
}

void TqMainWindow::modelImageChangedForPlacement(const TqSourceImage* image) {
    // A placement waits for the picture that was being cut out; another one must not be
    // placed (or closed) in its stead.
    if (placementPending_ && image != placementImage_)
        dropPendingPlacement();
}

void TqMainWindow::createCutoutItemCancelled() {
    maybeSaveCutout(tr("Closing cut-out", "[all]"), [this] { closeCutout(); });
}

void TqMainWindow::closeCutout() {
    editedCutoutState = nullptr;
    if (GmModel* model = GmModel::existing())
        model->closeImage();
    if (imageView_)
        imageView_->ensureViewTab(ImageView::CompositionTab, ImageView::CompositionTab);
}

void TqMainWindow::receivedImageSlot(NamedImage image) {
    beginLogLine() << "TqMainWindow: received image " << image.url().toString() << " ("
                   << image.width() << " x " << image.height() << ")";
    endLogLine();
    maybeSaveCutout(tr("Closing cut-out", "[all]"), [this, image] {
        auto* source = new TqSourceImage(image);
        if (!source->valid() || !fileHandler_ || !fileHandler_->openSourceImage(source, nullptr))
            delete source;
        if (noTool_ && theCurrentTool != noTool_) {
            if (!noTool_->isUsable())
                selectDefaultTool();
            else
                noTool_->action()->trigger();
        }
    });
}

void TqMainWindow::receivedTextSlot(QString text, QPointF position) {
    beginLogLine() << "TqMainWindow: received text at (" << position.x() << ", " << position.y()
                   << "): " << text;
    endLogLine();
    CommandMapper::instance();
    NewTextFieldCommand command(text, position);
    command.execute();
}

void TqMainWindow::loadImage(const QString& fileName) {
    if (!fileHandler_)
        return;
    const QString name = fileName.isEmpty() ? FileNameDialog::askImageFilename(this) : fileName;
    if (!name.isEmpty())
        fileHandler_->loadImage(name);
}

void TqMainWindow::loadImage() { loadImage(QString()); }
