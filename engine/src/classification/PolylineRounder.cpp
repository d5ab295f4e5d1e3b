#include "classification/PolylineRounder.h"

#include <algorithm>
#include <cmath>

namespace classification {
namespace {

FloatPoint minus(const FloatPoint& p, const FloatPoint& q) {
    return FloatPoint(p[0] - q[0], p[1] - q[1]);
}

FloatPoint along(const FloatPoint& q, const FloatPoint& v, float factor) {
    return FloatPoint(q[0] + v[0] * factor, q[1] + v[1] * factor);
}

}  // namespace

float lengthOf(const FloatPoint& v) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1]);
}

void PolylineRounder::roundCorners(FloatPolyline& output, const FloatPolyline& input) const {
    // Indices of the distinct points, so that every segment below has a direction.
    std::vector<size_t> distinct;
    distinct.reserve(input.size());
    for (size_t i = 0; i < input.size(); ++i)
        if (distinct.empty() || input[i][0] != input[distinct.back()][0] ||
            input[i][1] != input[distinct.back()][1])
            distinct.push_back(i);
    if (distinct.size() < 3)
        return;

    FloatPoint a = minus(input[distinct[0]], input[distinct[1]]);
    float lengthA = lengthOf(a);
    for (size_t k = 1; k + 1 < distinct.size(); ++k) {
        const FloatPoint& q = input[distinct[k]];
        const FloatPoint b = minus(q, input[distinct[k + 1]]);
        const float lengthB = lengthOf(b);
        roundCorner(output, a, lengthA, b, lengthB, q);
        a = b;
        lengthA = lengthB;
    }
}

void PolylineRounder::roundCorner(FloatPolyline& output, const FloatPoint& a, float lengthA,
                                  const FloatPoint& b, float lengthB, const FloatPoint& q) const {
    if (!(lengthA > 0.0f) || !(lengthB > 0.0f)) {
        output.push_back(q);
        return;
    }
    // 1 + cos of the turn: 2 going straight on, 0 turning straight back.
    const float k = (a[0] * b[0] + a[1] * b[1]) / (lengthA * lengthB) + 1.0f;
    if (k < 1e-6f) {
        output.push_back(q);
        return;
    }
    const float d = radius / std::sqrt(k * 0.5f);
    output.push_back(along(q, a, std::min(d, lengthA * 0.25f) / lengthA));
    output.push_back(along(q, b, -std::min(d, lengthB * 0.25f) / lengthB));
}

}  // namespace classification
