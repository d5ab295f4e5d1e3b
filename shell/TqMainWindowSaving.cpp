// The save questions, saving from the window, the host run's Save and Apply, and the close
// that lets the engine command thread drain without blocking the event loop.
#include "shell/TqMainWindow.h"

#include "composition/scene/FrolixObject.h"
#include "shell/CutoutPlacement.h"
#include "shell/FileHandler.h"
#include "masking/GmModel.h"
#include "masking/JxCmdAnalyseImage.h"
#include "masking/JxCmdGenerateMask.h"
#include "masking/JxCmdSelect.h"
#include "masking/OstrivalThread.h"
#include "common/LogStream.h"
#include "common/Product.h"
#include "shell/TqApp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QStatusBar>

#include <memory>
#include <utility>

namespace {

bool startedByHost() { return theApp && theApp->runMode() != TqApp::StandAlone; }

void setExitStatus(int status) {
    if (theApp)
        theApp->setExitStatus(status);
}

QMessageBox::StandardButton askToSave(QWidget* parent, const QString& title,
                                      const QString& text) {
    return QMessageBox::critical(parent, title, text,
                                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                 QMessageBox::Save);
}

}  // namespace

void TqMainWindow::maybeSaveCutout(const QString& title, std::function<void()> goOn) {
    GmModel* model = GmModel::existing();
    if (placement_->isPending()) {
        // Finish was pressed already: the cut-out is on its way to the composition.
        placement_->place(std::move(goOn));
        return;
    }
    if (!model || model->isUnmodified()) {
        OstrivalThread* thread = engineThread_;
        if (model && model->sourceImage() && thread && thread->isOpen() && !thread->isIdle()) {
            // Strokes still queued have not changed the engine's count yet: the answer is only
            // known once the engine is done, and asking then keeps them from being dropped
            // without a question.
            // One answer, whichever of the two ends the engine's work; no connection stays.
            auto connections = std::make_shared<std::pair<QMetaObject::Connection,
                                                          QMetaObject::Connection>>();
            auto askNow = [this, connections, title, goOn = std::move(goOn)]() mutable {
                disconnect(connections->first);
                disconnect(connections->second);
                maybeSaveCutout(title, std::move(goOn));
            };
            connections->first = connect(thread, &OstrivalThread::queueEmptied, this, askNow);
            connections->second =
                connect(thread, &OstrivalThread::closureComplete, this, std::move(askNow));
            return;
        }
        if (goOn)
            goOn();
        return;
    }
    const QMessageBox::StandardButton answer = askToSave(
        this, title,
        tr("You have modified your cut-out.\nDo you wish to save your changes?", "[all]"));
    if (answer == QMessageBox::Save) {
        if (placement_->place(goOn) == CutoutPlacement::Outcome::Placed && goOn)
            goOn();
    } else if (answer == QMessageBox::Discard) {
        if (goOn)
            goOn();
    }
}

bool TqMainWindow::maybeSave(const QString& title) {
    setExitStatus(TqApp::Apply);
    GmModel* model = GmModel::existing();
    const bool untouched = !model || model->isUnmodified();
    const bool compositionModified = FrolixObject::instance()->isModified();
    if (startedByHost()) {
        if (untouched && !compositionModified) {
            setExitStatus(TqApp::Unchanged);
            return true;
        }
    } else {
        const bool nothingNew =
            untouched || (engineThread_ && fileHandler_ &&
                          engineThread_->modificationCount() == fileHandler_->savedModificationCount());
        if (nothingNew && !compositionModified) {
            setExitStatus(TqApp::Unchanged);
            return true;
        }
    }
    if (promptOnClose == 0)
        return true;
    const QMessageBox::StandardButton answer = askToSave(
        this, title,
        tr("You have made modifications.\nDo you want to save your changes?", "[zol,frolix]"));
    if (answer == QMessageBox::Save) {
        // The host gets its result back only through Save and Apply, with a current mask.
        if (startedByHost()) {
            prepareApply();
            return true;
        }
        return fileSaveSlot();
    }
    if (answer == QMessageBox::Discard) {
        setExitStatus(TqApp::Discarded);
        return true;
    }
    return false;
}

bool TqMainWindow::fileSaveSlot() {
    if (onCutoutTab()) {
        // The picture is saved with the cut-out on it: once it is placed.
        const auto placed = placement_->place([this] { fileSaveSlot(); });
        if (placed != CutoutPlacement::Outcome::Placed)
            return false;
    }
    if (!fileHandler_)
        return false;
    if (fileHandler_->finalImageName().isEmpty())
        return fileHandler_->fileSaveAsSlot();
    return fileHandler_->writeFinalImage(fileHandler_->finalImageName());
}

bool TqMainWindow::fileSaveAsSlot() {
    if (onCutoutTab()) {
        const auto placed = placement_->place([this] { fileSaveAsSlot(); });
        if (placed != CutoutPlacement::Outcome::Placed)
            return false;
    }
    return fileHandler_ && fileHandler_->fileSaveAsSlot();
}

void TqMainWindow::prepareApply() {
    // No tab has this value: the view stays where it is.
    if (imageView_)
        imageView_->ensureViewTab(4, ImageView::ViewTab(4));
    promptOnClose = 0;
    GmModel* model = GmModel::existing();
    if (engineThread_) {
        // The result is made of everything the user did: the closing that follows must not cut
        // short the edge finding or the strokes still waiting, or the generation refuses to run
        // and the host gets its picture back untouched.
        auto keep = [](OstrivalCommand* command) {
            if (qobject_cast<JxCmdAnalyseImage*>(command) || qobject_cast<JxCmdSelect*>(command))
                command->setProtected(true);
        };
        keep(engineThread_->currentCommand());
        for (OstrivalCommand* command : engineThread_->queuedCommands())
            keep(command);
    }
    // Strokes still queued have not counted as changes yet, and the auto cut that follows them
    // is not protected from the closing drain: one protected generation after them carries
    // them into the result.
    if (engineThread_ && model &&
        (!engineThread_->isIdle() ||
         engineThread_->modificationCount() != theLastMaskModification.load()))
        engineThread_->submit(new JxCmdGenerateMask(model), true);
}

void TqMainWindow::saveAndApplySlot() {
    prepareApply();
    close();
}

void TqMainWindow::closeEvent(QCloseEvent* event) {
    if (closeWaiting) {
        if (engineThread_ && !engineThread_->isIdle()) {
            beginLogLine() << "Closed several times";
            endLogLine();
            event->ignore();
            return;
        }
        finishClose(event);
        return;
    }
    if (onCutoutTab()) {
        // Close again once the cut-out is on the composition; the thread is not closed
        // before, so the placement cannot be stranded.
        const auto placed =
            placement_->place([this] { close(); }, CutoutPlacement::Then::Leave);
        if (placed != CutoutPlacement::Outcome::Placed) {
            event->ignore();
            return;
        }
    }
    closeAfterCutout(event);
}

void TqMainWindow::closeAfterCutout(QCloseEvent* event) {
    // The question comes first: a cancelled close leaves the window and the engine thread as
    // they were.
    if (!maybeSave(tr("Unsaved changes", "[all]"))) {
        event->ignore();
        return;
    }
    OstrivalThread* thread = engineThread_;
    if (thread && !thread->isOpen())
        thread->setOpen(true);   // so that closing the image can still end its session
    statusBar()->showMessage(
        tr("Exiting %1 ...", "[all] %1 is the name of the product").arg(productDisplayName()));
    if (!closeCursorSet_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        closeCursorSet_ = true;
    }
    setEnabled(false);
    saveUiState();
    if (GmModel* model = GmModel::existing())
        model->closeImage();
    if (thread) {
        thread->setOpen(false);
        thread->setPriority(QThread::HighPriority);
        if (!thread->isIdle()) {
            closeWaiting = true;
            connect(thread, &OstrivalThread::closureComplete, this, &QWidget::close,
                    Qt::UniqueConnection);
            event->ignore();
            return;
        }
    }
    finishClose(event);
}

void TqMainWindow::finishClose(QCloseEvent* event) {
    if (closeCursorSet_) {
        QApplication::restoreOverrideCursor();
        closeCursorSet_ = false;
    }
    if (engineThread_) {
        engineThread_->deleteLater();
        closedEngineThread_ = engineThread_;
        engineThread_ = nullptr;
    }
    event->accept();
}
