#pragma once

#include <chrono>

/// The clock of the engine's progress reporters: std::chrono::steady_clock unless another
/// source has been set. Tests set a source they drive by hand, so that the throttling of
/// progress reports can be checked without waiting.
class JxProgressClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Source = TimePoint (*)();

    static TimePoint now();

    /// Makes `source` the clock (null: back to steady_clock) and returns the previous source.
    static Source setSource(Source source);
};
