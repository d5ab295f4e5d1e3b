// What the user sees of the engine command thread: the progress bar and message of the status
// bar, the "Internal Error" box when the engine library fails, and the refusals after it.
#include "shell/TqMainWindow.h"

#include "masking/GmModel.h"
#include "masking/OstrivalCommand.h"
#include "masking/OstrivalThread.h"
#include "common/Product.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

void TqMainWindow::connectEngineThread() {
    OstrivalThread* thread = engineThread_;
    if (!thread)
        return;
    connect(thread, &OstrivalThread::commandStarted, this, &TqMainWindow::commandStartedSlot);
    connect(thread, &OstrivalThread::commandFinished, this, &TqMainWindow::commandFinishedSlot);
    connect(thread, &OstrivalThread::commandCancelling, this,
            &TqMainWindow::commandCancellingSlot);
    connect(thread, &OstrivalThread::commandDiscarded, this, &TqMainWindow::commandDiscardedSlot);
    connect(thread, &OstrivalThread::commandProgress, this,
            [this](int percent, void*) { commandProgressSlot(percent); });
    connect(thread, &OstrivalThread::deadLibrary, this, &TqMainWindow::internalErrorSlot);
    connect(thread, &OstrivalThread::submissionRejectedLibraryDead, this,
            &TqMainWindow::submissionRejectedOnDeadLibSlot);
}

void TqMainWindow::commandStartedSlot(OstrivalCommand* command) {
    commandShown_ = true;
    const QString text = command ? command->name() : QString();
    if (progressBar_) {
        progressBar_->setToolTip(text);
        progressBar_->setTextVisible(true);
    }
    statusBar()->showMessage(text);
}

void TqMainWindow::commandProgressSlot(int percent) {
    // Progress is queued from the engine command thread: a report that arrives after its
    // command finished would leave a stale value in the idle bar.
    if (!commandShown_ || !progressBar_)
        return;
    progressBar_->setValue(qBound(0, percent, 100));
}

void TqMainWindow::commandFinishedSlot(OstrivalCommand* command) {
    commandDiscardedSlot(command);
    statusBar()->clearMessage();
}

// A discarded command resets the bar but keeps the message ("Canceling..." stays).
void TqMainWindow::commandDiscardedSlot(OstrivalCommand*) {
    commandShown_ = false;
    if (progressBar_) {
        progressBar_->setValue(0);
        progressBar_->setTextVisible(false);
        progressBar_->setToolTip(QString());
    }
}

void TqMainWindow::commandCancellingSlot(OstrivalCommand*) {
    statusBar()->showMessage(tr("Canceling...", "[all]"));
}

void TqMainWindow::submissionRejectedOnDeadLibSlot(OstrivalCommand*) {
    statusBar()->showMessage(tr("Please save project and exit", "[all]"));
}

void TqMainWindow::internalErrorSlot(const QString& cmdDesc, const QString& error) {
    // One box per failure: the engine stays dead, and what is refused after it only gets the
    // status message.
    if (engineFailureShown_) {
        submissionRejectedOnDeadLibSlot(nullptr);
        return;
    }
    engineFailureShown_ = true;
    const QString text =
        tr("<p>%1 has detected an internal error:</p><p><center>%2</center></p><p>while "
           "performing the operation:</p><p><center>%3</center></p>",
           "[all]%1 - product name, %2 - error message (of internal error), %3 - command "
           "description")
            .arg(productDisplayName(), error, cmdDesc);
    // The thread reports the failure from the middle of a command's finish; the box's own
    // event loop must not run there.
    QPointer<TqMainWindow> self(this);
    QTimer::singleShot(0, this, [self, text] {
        if (self)
            QMessageBox::critical(self, tr("Internal Error", "[all]"), text, QMessageBox::Ok);
    });
}

bool TqMainWindow::isEngineIdle() const {
    const GmModel* model = GmModel::existing();
    return (!engineThread_ || engineThread_->isIdle()) &&
           !(model && model->isWaitingToOpenSession()) && !isPlacementPending();
}
