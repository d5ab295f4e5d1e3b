#include "masking/OstrivalThread.h"

#include "masking/JxCmdNumAvailableUndoRedo.h"
#include "masking/OstrivalCommand.h"
#include "platform/ThreadToken.h"

#include <QByteArray>
#include <QTimer>

#include <cstdint>
#include <new>
#include <utility>

OstrivalThread* theEngineThread = nullptr;
std::atomic<zqplatform::ThreadToken*> theEngineThreadHandle{nullptr};

namespace {

// The bound on the wait for the native thread's last instructions after QThread::wait.
constexpr int nativeThreadWaitMs = 5000;

OstrivalCommand::Error errorFor(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const OstrivalCommand::Error& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return OstrivalCommand::outOfMemoryError();
    } catch (...) {
        return OstrivalCommand::libraryFaultError();
    }
}

}  // namespace

OstrivalThread::OstrivalThread(QObject* parent) : QThread(parent) {
    setObjectName(QStringLiteral("OstrivalThread"));
    theEngineThread = this;
    // finished() comes from the engine command thread; this object lives on the GUI thread,
    // so the slot runs queued there.
    connect(this, &QThread::finished, this, &OstrivalThread::commandThreadFinishedSlot);
    // The token is marked here, at the end of Qt's own finish of the thread (which reads this
    // object to queue the slot above), not at the end of run(): whoever waits for the token
    // after QThread::wait then sees all the thread did with this object by a lock of ours.
    // QThread::wait orders it too, but inside Qt's library, where the thread check cannot see.
    connect(
        this, &QThread::finished, this,
        [] { zqplatform::markThreadTokenEnded(theEngineThreadHandle.load()); },
        Qt::DirectConnection);
}

OstrivalThread::~OstrivalThread() {
    destroying_ = true;
    wait();
    auto* token = theEngineThreadHandle.exchange(nullptr);
    zqplatform::waitForThreadToken(token, nativeThreadWaitMs);
    zqplatform::closeThreadToken(token);
    if (theEngineThread == this)
        theEngineThread = nullptr;
    // A command that was running finishes no more: nothing may reach the model from here.
    delete current_;
    current_ = nullptr;
    qDeleteAll(queue_);
    queue_.clear();
}

void OstrivalThread::logStep(const char* step, OstrivalCommand* command) const {
    qWarning("%s - %s (%s)", command->name().toUtf8().constData(), step,
             command->description().toUtf8().constData());
}

void OstrivalThread::submit(OstrivalCommand* command, bool protect) {
    if (!command)
        return;
    if (!open_) {
        qWarning("Trapped a OstrivalCommand being submitted when OstrivalThread is closed");
        command->deleteLater();
        return;
    }
    if (libraryDead_) {
        emit submissionRejectedLibraryDead(command);
        command->deleteLater();
        return;
    }
    if (protect)
        command->setProtected(true);
    if (command->countsAsModification())
        ++modificationCount_;
    queue_.append(command);
    if (!busy_)
        startNextCommand();
}

void OstrivalThread::startNextCommand() {
    busy_ = true;
    cancelRequested_ = false;
    current_ = queue_.takeFirst();
    emit stateChanged();
    launchedSlot();
}

void OstrivalThread::launchedSlot() {
    if (!current_)
        return;
    OstrivalCommand* command = current_;
    logStep("prepare", command);
    bool prepared = false;
    try {
        prepared = command->prepare();
    } catch (...) {
        // Reported by the finish below, as an exception from execute would be.
        executeFailure_ = std::current_exception();
    }
    if (prepared) {
        logStep("execute", command);
        if (!libraryDead_) {
            start(open_ ? LowPriority : HighPriority);
            emit commandStarted(command);
            return;
        }
        emit commandDiscarded(command);
    } else {
        qWarning("%s - prepare failed", command->name().toUtf8().constData());
    }
    commandThreadFinishedSlot();
}

void OstrivalThread::lSlot() {}

void OstrivalThread::run() {
    auto* token = zqplatform::openCurrentThreadToken();
    theEngineThreadHandle = token;
    try {
        current_->execute();
    } catch (...) {
        // Nothing may leave the thread; the finish reports it on the GUI thread.
        executeFailure_ = std::current_exception();
    }
}

void OstrivalThread::joinCommandThread() {
    wait();
    auto* token = theEngineThreadHandle.exchange(nullptr);
    zqplatform::waitForThreadToken(token, nativeThreadWaitMs);
    zqplatform::closeThreadToken(token);
}

void OstrivalThread::commandThreadFinishedSlot() {
    if (!current_ || !busy_)
        return;
    joinCommandThread();
    OstrivalCommand* finishing = current_;
    logStep("hasFinished", finishing);
    emit commandFinished(finishing);

    std::exception_ptr failure = executeFailure_;
    executeFailure_ = nullptr;
    if (!failure) {
        try {
            finishing->hasFinished();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (failure) {
        const OstrivalCommand::Error error = errorFor(failure);
        markLibraryDead(finishing->name(), error.text);
    }

    // `busy` stays true until the finishing command is gone: a command submitted from any slot
    // reached from here is queued behind it, never started over it.
    if (finishing->refreshesUndoCounts())
        refreshUndoCounts(finishing);
    delete finishing;
    current_ = nullptr;
    busy_ = false;
    emit stateChanged();

    if (!queue_.isEmpty())
        startNextCommand();
    else if (open_)
        emit queueEmptied();
    else
        emit closureComplete();
}

void OstrivalThread::markLibraryDead(const QString& command, const QString& error) {
    const bool first = !libraryDead_;
    libraryDead_ = true;
    if (first)
        emit deadLibrary(command, error);
    cancelCommandsSlot();
}

void OstrivalThread::refreshUndoCounts(OstrivalCommand* finished) {
    // The engine command thread is idle here, so the engine may be called from this thread.
    JxCmdNumAvailableUndoRedo refresh(finished->model());
    try {
        if (refresh.prepare()) {
            refresh.execute();
            refresh.hasFinished();
        }
    } catch (...) {
        const OstrivalCommand::Error error = errorFor(std::current_exception());
        markLibraryDead(refresh.name(), error.text);
    }
}

bool OstrivalThread::mayCancel(const OstrivalCommand* command) const {
    return libraryDead_ || (command->isCancellable() && !command->isProtected());
}

void OstrivalThread::cancelCommand(OstrivalCommand* command) {
    if (!command || !mayCancel(command))
        return;
    if (command == current_) {
        emit commandCancelling(command);
        cancelRequested_ = true;
        logStep("cancelling", command);
        return;
    }
    // The commands cancelled one by one (the auto cut's last generation, a region's edge
    // finding) were mostly submitted last: the search starts at the end.
    const int at = queue_.lastIndexOf(command);
    queueVisits_ += at < 0 ? queue_.size() : queue_.size() - at;
    if (at < 0)
        return;
    queue_.removeAt(at);
    discardCommand(command);
}

void OstrivalThread::cancelWaiting(const std::function<bool(const OstrivalCommand*)>& which) {
    // The queue may hold thousands of commands (a session with many regions): finding and
    // removing each one alone would cost a scan of the queue per command. One pass splits it,
    // then the discards run; a discard's slots see the queue without any of them.
    QList<OstrivalCommand*> kept;
    QList<OstrivalCommand*> dropped;
    kept.reserve(queue_.size());
    for (OstrivalCommand* command : std::as_const(queue_))
        (which(command) && mayCancel(command) ? dropped : kept).append(command);
    queueVisits_ += queue_.size();
    if (dropped.isEmpty())
        return;
    queue_.swap(kept);
    for (int i = dropped.size() - 1; i >= 0; --i)
        discardCommand(dropped.at(i));
}

void OstrivalThread::cancelCommandsSlot() {
    if (current_)
        cancelCommand(current_);
    cancelWaiting([](const OstrivalCommand*) { return true; });
    emit stateChanged();
}

void OstrivalThread::discardCommand(OstrivalCommand* command) {
    emit commandDiscarded(command);
    logStep("discarded", command);
    command->onDiscard();
    delete command;
}

bool OstrivalThread::canCancel() const {
    if (current_ && !mayCancel(current_))
        return false;
    return !queue_.isEmpty() || (busy_ && !cancelRequested_);
}

void OstrivalThread::setPriority(Priority priority) {
    if (isRunning())
        QThread::setPriority(priority);
}

std::int32_t OstrivalThread::reportEngineProgress(std::uint8_t percent, std::int32_t userData) {
    OstrivalThread* thread = theEngineThread;
    if (!thread)
        return 2;
    emit thread->commandProgress(int(percent),
                                 reinterpret_cast<void*>(static_cast<std::intptr_t>(userData)));
    return (thread->destroying_ || thread->cancelRequested_) ? 2 : 0;
}
