#include "shell/EngineStatus.h"

#include "masking/OstrivalCommand.h"
#include "masking/OstrivalThread.h"
#include "common/Product.h"
#include "shell/TqMainWindow.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

EngineStatus::EngineStatus(TqMainWindow* window, OstrivalThread* thread)
    : QObject(window), window_(window) {
    if (!thread)
        return;
    connect(thread, &OstrivalThread::commandStarted, this, &EngineStatus::commandStartedSlot);
    connect(thread, &OstrivalThread::commandFinished, this, &EngineStatus::commandFinishedSlot);
    connect(thread, &OstrivalThread::commandCancelling, this,
            &EngineStatus::commandCancellingSlot);
    connect(thread, &OstrivalThread::commandDiscarded, this, &EngineStatus::commandDiscardedSlot);
    connect(thread, &OstrivalThread::commandProgress, this,
            [this](int percent, void*) { commandProgressSlot(percent); });
    connect(thread, &OstrivalThread::deadLibrary, this, &EngineStatus::internalErrorSlot);
    connect(thread, &OstrivalThread::submissionRejectedLibraryDead, this,
            &EngineStatus::submissionRejectedOnDeadLibSlot);
}

QProgressBar* EngineStatus::buildProgressBar() {
    progressBar_ = new QProgressBar;
    progressBar_->setRange(0, 100);
    progressBar_->setWhatsThis(
        TqMainWindow::tr("<b>Progress Bar</b><p>Lets you know the time spent and the time "
                         "remaining until a command is complete.</p>",
                         "[tip]"));
    return progressBar_;
}

void EngineStatus::commandStartedSlot(OstrivalCommand* command) {
    commandShown_ = true;
    const QString text = command ? command->name() : QString();
    if (progressBar_) {
        progressBar_->setToolTip(text);
        progressBar_->setTextVisible(true);
    }
    window_->statusBar()->showMessage(text);
}

void EngineStatus::commandProgressSlot(int percent) {
    // Progress is queued from the engine command thread: a report that arrives after its
    // command finished would leave a stale value in the idle bar.
    if (!commandShown_ || !progressBar_)
        return;
    progressBar_->setValue(qBound(0, percent, 100));
}

void EngineStatus::commandFinishedSlot(OstrivalCommand* command) {
    commandDiscardedSlot(command);
    window_->statusBar()->clearMessage();
}

// A discarded command resets the bar but keeps the message ("Canceling..." stays).
void EngineStatus::commandDiscardedSlot(OstrivalCommand*) {
    commandShown_ = false;
    if (progressBar_) {
        progressBar_->setValue(0);
        progressBar_->setTextVisible(false);
        progressBar_->setToolTip(QString());
    }
}

void EngineStatus::commandCancellingSlot(OstrivalCommand*) {
    window_->statusBar()->showMessage(TqMainWindow::tr("Canceling...", "[all]"));
}

void EngineStatus::submissionRejectedOnDeadLibSlot(OstrivalCommand*) {
    window_->statusBar()->showMessage(TqMainWindow::tr("Please save project and exit", "[all]"));
}

void EngineStatus::internalErrorSlot(const QString& cmdDesc, const QString& error) {
    // One box per failure: the engine stays dead, and what is refused after it only gets the
    // status message.
    if (engineFailureShown_) {
        submissionRejectedOnDeadLibSlot(nullptr);
        return;
    }
    engineFailureShown_ = true;
    const QString text =
        TqMainWindow::tr("<p>%1 has detected an internal error:</p><p><center>%2</center></p><p>while "
           "performing the operation:</p><p><center>%3</center></p>",
           "[all]%1 - product name, %2 - error message (of internal error), %3 - command "
           "description")
            .arg(productDisplayName(), error, cmdDesc);
    // The thread reports the failure from the middle of a command's finish; the box's own
    // event loop must not run there.
    QPointer<TqMainWindow> window(window_);
    QTimer::singleShot(0, this, [window, text] {
        if (window)
            QMessageBox::critical(window, TqMainWindow::tr("Internal Error", "[all]"), text,
                                  QMessageBox::Ok);
    });
}
