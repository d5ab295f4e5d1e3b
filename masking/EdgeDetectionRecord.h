#pragma once

#include <cstdint>

/// The four edge-detection options as the engine exchanges them: it recommends one when a
/// session begins, and every analysis is sent one.
struct EdgeDetectionRecord {
    float tolerance = 0.0f;      // 0.0 to 0.99
    std::int32_t width = 0;
    std::uint8_t contrast = 0;
    std::uint8_t texture = 0;
};

/// The tolerance for a sensitivity (1 gives 0.0, 100 gives 0.99), in single precision.
float toleranceFromSensitivity(int sensitivity);

/// The sensitivity for a tolerance: tolerance x 99 x 1.010101 + 1 in single precision, rounded
/// with halves away from zero and kept to 1..100 (a tolerance of 1.0 would give 101). A
/// tolerance that is not a number gives the default 50.
int sensitivityFromTolerance(float tolerance);
