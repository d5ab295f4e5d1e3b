#include "composition/scene/FrolixItemFaderUpper.h"

#include "composition/scene/FrolixItem.h"

namespace {
constexpr int fadeDurationMs = 500;
}

FrolixItemFaderUpper::FrolixItemFaderUpper(FrolixItem* item) : item_(item) {
    connect(&timer_, &RepeatTimer::proportionElapsed, this,
            &FrolixItemFaderUpper::timerProportionElapsed);
    connect(&timer_, &RepeatTimer::expired, this, &FrolixItemFaderUpper::timerExpired);
}

void FrolixItemFaderUpper::start() {
    item_->setFadeProportion(0.0);
    timer_.start(fadeDurationMs);
}

void FrolixItemFaderUpper::timerProportionElapsed(qreal proportion) {
    item_->setFadeProportion(proportion);
}

void FrolixItemFaderUpper::timerExpired() { item_->setFadeProportion(1.0); }
