#pragma once

#include "classification/JxInterface.h"
#include "classification/JxProgressClock.h"
#include "IiUI.h"

#include <cstdint>
#include <string>

/// The engine's progress reporter: turns the fractions that stages report into calls of the
/// application's callback, at most every 0.1 s and always at completion, and a cancellation
/// request from the callback into JxExCancel. Every command entry builds one on its stack;
/// sessions keep one of their own. Belongs to the thread that runs the command.
class JxInProgress : public Corvel::utility::IiUI {
public:
    /// `callback` may be null: reports then only update the reporter. `label` names the
    /// operation for diagnostics and must outlive the reporter.
    JxInProgress(JxProgressCallback callback, std::int32_t userData, const char* label,
                 bool cancellable);
    /// Reports completion (1.0, "auto-destruct") when the operation ended early, unless it was
    /// cancelled or the reporter deactivated. Never throws.
    ~JxInProgress() override;

    JxInProgress(const JxInProgress&) = delete;
    JxInProgress& operator=(const JxInProgress&) = delete;

    /// Delivers the fraction when more than 0.1 s have passed since the last delivery or the
    /// fraction is exactly 1. Throws JxExCancel once when the callback answers 2 on a
    /// cancellable reporter; an exception of the callback itself passes through.
    void progress(float fraction, const std::string& message) override;

    /// Starts afresh: not cancellable, not cancelled, fraction 0, all times now, no label.
    void restart();

    /// No completion report at destruction.
    void deactivate() { active_ = false; }

    bool cancellable() const { return cancellable_; }
    bool cancelled() const { return cancelled_; }
    float lastFraction() const { return lastFraction_; }
    const char* label() const { return label_; }

    /// The percentage the callback receives for a fraction: clamped to [0, 1] (NaN counts as
    /// 0), times 100 in single precision, truncated toward zero.
    static std::uint8_t percentOf(float fraction);

    static constexpr std::int32_t cancelRequest = 2;

private:
    using TimePoint = JxProgressClock::TimePoint;

    void resetTimes();

    JxProgressCallback callback_;
    std::int32_t userData_;
    float lastFraction_ = 0.0f;
    bool cancellable_;
    bool cancelled_ = false;
    TimePoint startTime_;        // last construction, restart or report of exactly 0
    TimePoint lastReportTime_;
    TimePoint stopwatch_;        // last construction or restart
    TimePoint lastCallbackTime_;
    const char* label_;
    bool active_ = true;
};
