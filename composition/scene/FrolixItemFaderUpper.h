#pragma once

#include "composition/scene/RepeatTimer.h"

#include <QObject>

class FrolixItem;

/// Fades its item in after a selection: the item paints at its opacity times the proportion
/// of the run that has passed, and at its full opacity once the run is over.
class FrolixItemFaderUpper : public QObject {
    Q_OBJECT
public:
    explicit FrolixItemFaderUpper(FrolixItem* item);

    /// Starts a fade of 500 ms from 0.
    void start();
    const RepeatTimer& timer() const { return timer_; }

public slots:
    void timerProportionElapsed(qreal proportion);
    void timerExpired();

private:
    FrolixItem* item_;
    RepeatTimer timer_;
};
