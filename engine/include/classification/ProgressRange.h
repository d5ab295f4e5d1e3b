#pragma once

#include "IiUI.h"

#include <string>

/// A sub-range [from, to] of a reporter's whole scale. Stages report 0 to 1 in their own range
/// and hand narrower sub-ranges to their own stages. Copied by value; with a null reporter
/// (worker threads) nothing is reported.
struct ProgressRange {
    Corvel::utility::IiUI* ui = nullptr;
    float from = 0.0f;
    float to = 1.0f;
    float last = 0.0f;   // the last fraction reported through this range

    ProgressRange() = default;
    /// The whole scale of `ui`; reports 0 at once when `ui` is not null.
    explicit ProgressRange(Corvel::utility::IiUI* reporter);
    ProgressRange(Corvel::utility::IiUI* reporter, float rangeFrom, float rangeTo)
        : ui(reporter), from(rangeFrom), to(rangeTo) {}

    /// Reports the fraction t of this range: (1 - t) * from + t * to of the whole scale.
    void report(float t, const std::string& message = std::string());

    /// The range from the last reported point to t; reports nothing, and sets last := t.
    ProgressRange subRange(float t);

    /// The whole-scale value of the fraction t of this range.
    float at(float t) const { return (1.0f - t) * from + t * to; }
};
