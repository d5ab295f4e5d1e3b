#pragma once

#include "classification/IntBox.h"

#include <algorithm>
#include <cmath>

namespace classification {

/// The pixels a blend disc of radius r around `centre` covers: those of the box
/// centre +- trunc(r), clipped to `area`, whose squared integer distance to the centre is at
/// most r^2. A radius that is negative, undefined or larger than the area itself is made safe
/// before it is truncated.
struct BlendDisc {
    IntPoint centre;
    float radius;
    IntBox box;

    BlendDisc(const IntPoint& at, float r, const IntBox& area) : centre(at), radius(r) {
        const float largest = static_cast<float>(std::max(area.rows(), area.columns()));
        const int reach = r >= 0.0f ? static_cast<int>(std::min(r, largest)) : -1;
        box = IntBox(at[0] - reach, at[1] - reach, at[0] + reach, at[1] + reach);
        intersectBox(box, area);
    }

    bool covers(const IntPoint& q) const {
        const float dy = static_cast<float>(q[0] - centre[0]);
        const float dx = static_cast<float>(q[1] - centre[1]);
        return dy * dy + dx * dx <= radius * radius;
    }

    template <typename Visit>
    void forEachPixel(Visit visit) const {
        for (int y = box.lower[0]; y <= box.upper[0]; ++y)
            for (int x = box.lower[1]; x <= box.upper[1]; ++x)
                if (covers(IntPoint(y, x)))
                    visit(IntPoint(y, x));
    }
};

}  // namespace classification
