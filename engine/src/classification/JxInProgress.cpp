#include "classification/JxInProgress.h"

#include "classification/JxExCancel.h"

#include <chrono>

namespace {
constexpr std::chrono::milliseconds deliveryInterval{100};
}  // namespace

JxInProgress::JxInProgress(JxProgressCallback callback, std::int32_t userData, const char* label,
                           bool cancellable)
    : callback_(callback), userData_(userData), cancellable_(cancellable),
      label_(label ? label : "") {
    resetTimes();
}

JxInProgress::~JxInProgress() {
    cancellable_ = false;   // the completion report must not throw JxExCancel
    if (!active_ || lastFraction_ >= 1.0f || cancelled_)
        return;
    try {
        progress(1.0f, "auto-destruct");
    } catch (...) {
        // The callback itself threw. The destructor may run while that very exception unwinds
        // the command, and a second one would end the process; the entry has already seen it.
    }
}

void JxInProgress::progress(float fraction, const std::string&) {
    lastFraction_ = fraction;
    if (callback_) {
        std::int32_t answer = 0;
        // Undelivered reports read the clock and nothing else: stages may report per row.
        if (fraction == 1.0f || JxProgressClock::now() - lastCallbackTime_ > deliveryInterval) {
            answer = callback_(percentOf(fraction), userData_);
            lastCallbackTime_ = JxProgressClock::now();
        }
        if (answer == cancelRequest && cancellable_ && !cancelled_) {
            cancellable_ = false;
            cancelled_ = true;
            throw JxExCancel();
        }
    }
    lastReportTime_ = JxProgressClock::now();
    if (fraction == 0.0f)
        startTime_ = lastReportTime_;
}

void JxInProgress::restart() {
    cancellable_ = false;
    cancelled_ = false;
    lastFraction_ = 0.0f;
    label_ = "";
    resetTimes();
}

void JxInProgress::resetTimes() {
    const TimePoint now = JxProgressClock::now();
    startTime_ = now;
    lastReportTime_ = now;
    stopwatch_ = now;
    lastCallbackTime_ = now;
}

std::uint8_t JxInProgress::percentOf(float fraction) {
    // Sub-ranges may run backwards and stages may overshoot; a percentage outside 0..100 (or
    // one from NaN) would wrap or be undefined in the conversion.
    if (!(fraction > 0.0f))
        return 0;
    if (fraction > 1.0f)
        fraction = 1.0f;
    return static_cast<std::uint8_t>(static_cast<int>(fraction * 100.0f));
}
