#include "masking/EdgeDetectionRecord.h"

#include <QtGlobal>

#include <cmath>

float toleranceFromSensitivity(int sensitivity) {
    return float(sensitivity - 1) * 0.99f * 0.01010101f;
}

int sensitivityFromTolerance(float tolerance) {
    if (std::isnan(tolerance))
        return 50;
    const float sensitivity = tolerance * 99.0f * 1.010101f + 1.0f;
    if (!(sensitivity < 1000.0f))
        return 100;
    if (!(sensitivity > -1000.0f))
        return 1;
    return qBound(1, int(std::lround(sensitivity)), 100);
}
