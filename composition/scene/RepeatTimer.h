#pragma once

#include <QElapsedTimer>
#include <QObject>

class QTimer;

/// Reports, on every tick of a fast repeating timer, how much of a run of `durationMs` has
/// passed, then that the run is over. The clock is monotonic, so a change of the wall clock
/// cannot stall or wrap a run.
class RepeatTimer : public QObject {
    Q_OBJECT
public:
    explicit RepeatTimer(QObject* parent = nullptr);

    /// Starts a run of `durationMs` milliseconds from 0, also in the middle of a run.
    void start(int durationMs, int intervalMs = 1);
    bool isActive() const;
    int durationMs() const { return durationMs_; }

signals:
    /// The part of the run that has passed, 0..1.
    void proportionElapsed(qreal proportion);
    /// The run is over; no proportion follows until the next start.
    void expired();

public slots:
    void timeoutSlot();

private:
    QTimer* timer_;
    QElapsedTimer clock_;
    int durationMs_ = 0;
};
