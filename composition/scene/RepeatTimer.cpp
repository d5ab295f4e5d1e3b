#include "composition/scene/RepeatTimer.h"

#include <QTimer>

#include <algorithm>

RepeatTimer::RepeatTimer(QObject* parent) : QObject(parent), timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, &RepeatTimer::timeoutSlot);
}

void RepeatTimer::start(int durationMs, int intervalMs) {
    durationMs_ = durationMs;
    clock_.start();
    timer_->start(intervalMs);
}

bool RepeatTimer::isActive() const { return timer_->isActive(); }

void RepeatTimer::timeoutSlot() {
    const double p = durationMs_ > 0 ? double(clock_.elapsed()) / durationMs_ : 2.0;
    if (p <= 1.0) {
        emit proportionElapsed(std::max(0.0, p));
        return;
    }
    timer_->stop();
    emit expired();
}
