#pragma once

#include <QObject>
#include <QString>

class OstrivalCommand;
class OstrivalThread;
class QProgressBar;
class TqMainWindow;

/// What the user sees of the engine command thread: the progress bar and message of the
/// window's status bar, the "Internal Error" box when the engine library fails, and the
/// message for what is refused after it.
class EngineStatus : public QObject {
    Q_OBJECT
public:
    /// Owned by `window`, whose status bar it writes; follows `thread` when it is not null.
    EngineStatus(TqMainWindow* window, OstrivalThread* thread);

    /// Builds the progress bar for the status bar, idle.
    QProgressBar* buildProgressBar();
    QProgressBar* progressBar() const { return progressBar_; }

public slots:
    void commandStartedSlot(OstrivalCommand* command);
    void commandFinishedSlot(OstrivalCommand* command);
    void commandCancellingSlot(OstrivalCommand* command);
    void commandDiscardedSlot(OstrivalCommand* command);
    void commandProgressSlot(int percent);
    void internalErrorSlot(const QString& cmdDesc, const QString& error);
    void submissionRejectedOnDeadLibSlot(OstrivalCommand* command);

private:
    TqMainWindow* window_;
    QProgressBar* progressBar_ = nullptr;
    bool engineFailureShown_ = false;
    /// A command's progress is shown from its start to its finish; reports outside are late.
    bool commandShown_ = false;
};
