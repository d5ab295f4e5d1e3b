#include "classification/JxProgressClock.h"

#include <atomic>

namespace {
// Atomic: JxScaleImage builds a reporter on the GUI thread while the engine thread runs.
std::atomic<JxProgressClock::Source> clockSource{nullptr};
}  // namespace

JxProgressClock::TimePoint JxProgressClock::now() {
    Source source = clockSource.load(std::memory_order_acquire);
    return source ? source() : std::chrono::steady_clock::now();
}

JxProgressClock::Source JxProgressClock::setSource(Source source) {
    return clockSource.exchange(source, std::memory_order_acq_rel);
}
