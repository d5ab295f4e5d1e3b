#pragma once

#include <QList>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>

class OstrivalCommand;

namespace zqplatform {
class ThreadToken;
}

/// The single engine command thread. Commands are queued on the GUI thread and run one at a
/// time, in submission order: `prepare` and `hasFinished` on the GUI thread, `execute` here.
/// Only the GUI thread touches the queue and the flags below (apart from the two atomics), so
/// no lock is needed. The QThread is started once for each command.
///
/// Closing (`open` false) drains the queue: new submissions are trapped, the waiting commands
/// run on at high priority, and the last one emits `closureComplete` instead of
/// `queueEmptied`. When a command reports an engine library failure the library is dead for
/// good: waiting commands are discarded and later submissions refused.
///
/// The destructor tells a running engine call to cancel at its next progress report and then
/// waits for it without limit: an engine call that never reports progress holds up the exit.
class OstrivalThread : public QThread {
    Q_OBJECT
public:
    explicit OstrivalThread(QObject* parent = nullptr);
    ~OstrivalThread() override;

    /// Hands `command` over; from here on the thread owns it. Refused commands (thread closed,
    /// library dead) are deleted later from the event loop, so that the caller may still
    /// connect to them right after this call returns.
    void submit(OstrivalCommand* command, bool protect = false);

    /// Cancels one command: the running one at its next progress report, a waiting one by
    /// discarding it. Protected and non-cancellable commands are left alone while the library
    /// lives.
    void cancelCommand(OstrivalCommand* command);
    /// Discards every waiting command `which` picks that may be cancelled (as `cancelCommand`
    /// judges), from the last to the first, in one pass over the queue; the others keep their
    /// order. The running command is left alone.
    void cancelWaiting(const std::function<bool(const OstrivalCommand*)>& which);

    bool canCancel() const;

    /// The engine's progress callback: reports to `commandProgress` and answers 2 (stop) when a
    /// cancel was asked or the thread is being destroyed. Runs on the engine command thread.
    static std::int32_t reportEngineProgress(std::uint8_t percent, std::int32_t userData);

    bool isOpen() const { return open_; }
    /// Closing is `setOpen(false)` followed by `setPriority(HighPriority)`.
    void setOpen(bool open) { open_ = open; }
    /// Sets the priority of a running thread only: an idle one gets its priority when the next
    /// command starts (low while open, high while closed).
    void setPriority(Priority priority);
    /// No command waits or runs.
    bool isIdle() const { return queue_.isEmpty() && !busy_ && !isRunning(); }
    bool isBusy() const { return busy_; }
    bool isLibraryDead() const { return libraryDead_; }
    int modificationCount() const { return modificationCount_; }
    OstrivalCommand* currentCommand() const { return current_; }
    const QList<OstrivalCommand*>& queuedCommands() const { return queue_; }
    /// How many queue entries the removals of waiting commands have looked at so far: what
    /// cancelling costs, which the tests hold to one look per waiting command.
    std::int64_t queueVisits() const { return queueVisits_; }

signals:
    void commandStarted(OstrivalCommand* jxCmd);
    void commandFinished(OstrivalCommand* jxCmd);
    void commandCancelling(OstrivalCommand* jxCmd);
    void commandDiscarded(OstrivalCommand* jxCmd);
    void commandProgress(int percent, void* userData);
    void stateChanged();
    void closureComplete();
    void queueEmptied();
    void deadLibrary(QString command, QString error);
    void submissionRejectedLibraryDead(OstrivalCommand* jxCmd);

public slots:
    void cancelCommandsSlot();
    void launchedSlot();
    void lSlot();
    void commandThreadFinishedSlot();

protected:
    void run() override;

private:
    void startNextCommand();
    void discardCommand(OstrivalCommand* command);
    /// While the library lives, protected and non-cancellable commands are not cancelled.
    bool mayCancel(const OstrivalCommand* command) const;
    void markLibraryDead(const QString& command, const QString& error);
    void refreshUndoCounts(OstrivalCommand* finished);
    void joinCommandThread();
    void logStep(const char* step, OstrivalCommand* command) const;

    bool open_ = true;
    bool busy_ = false;
    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> destroying_{false};
    OstrivalCommand* current_ = nullptr;
    QList<OstrivalCommand*> queue_;
    int modificationCount_ = 0;
    std::int64_t queueVisits_ = 0;
    bool libraryDead_ = false;
    // An exception from `execute`, kept by the engine command thread and reported by the
    // finish on the GUI thread (QThread::wait orders the two).
    std::exception_ptr executeFailure_;
};

/// The engine command thread while it exists, else null.
extern OstrivalThread* theEngineThread;

/// The token of the operating-system thread running the current command; non-null exactly
/// while such a thread is alive.
extern std::atomic<zqplatform::ThreadToken*> theEngineThreadHandle;
