#pragma once

#include <QObject>

class GmModel;
class JxCmdGenerateMask;

/// Keeps the cut-out current while a session is open: every status or blend-ratio change asks
/// for a whole-image mask generation, and a request that arrives while one is still queued or
/// running cancels that one, so at most one generation is pending at any time.
class AutoCut : public QObject {
    Q_OBJECT
public:
    explicit AutoCut(GmModel* model);

    bool isBusy() const { return busy_; }
    JxCmdGenerateMask* pendingCommand() const { return pending_; }

signals:
    void busyStateChangedTo(bool isBusy);

public slots:
    void cutoutNeededSlot();
    void cutoutCmdFinishedSlot();

private:
    GmModel* model_;
    bool busy_ = false;
    JxCmdGenerateMask* pending_ = nullptr;   // owned by the engine command thread
};
