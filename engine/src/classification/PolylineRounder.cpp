#include "classification/PolylineRounder.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace classification {

float PolylineRounder::length(const FloatPoint& v) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1]);
}

void PolylineRounder::roundCorners(FloatPolyline& output, const FloatPolyline& input) const {
    if (input.size() < 3)
        return;
    FloatPoint incoming = input[0] - input[1];
    float incomingLength = length(incoming);
    for (std::size_t i = 1; i + 1 < input.size(); ++i) {
        const FloatPoint outgoing = input[i] - input[i + 1];
        const float outgoingLength = length(outgoing);
        roundCorner(output, incoming, incomingLength, outgoing, outgoingLength, input[i]);
        // This corner's outgoing vector (vertex - next) is the next corner's incoming one
        // (previous - vertex).
        incoming = outgoing;
        incomingLength = outgoingLength;
    }
}

void PolylineRounder::roundCorner(FloatPolyline& output, const FloatPoint& incoming,
                                  float incomingLength, const FloatPoint& outgoing,
                                  float outgoingLength, const FloatPoint& vertex) const {
    // Two equal consecutive points have no direction to cut back along.
    if (incomingLength == 0.0f || outgoingLength == 0.0f) {
        output.push_back(vertex);
        return;
    }
    const float dot = incoming[0] * outgoing[0] + incoming[1] * outgoing[1];
    const float k = dot / (incomingLength * outgoingLength) + 1.0f;
    if (k < 1e-6f) {
        output.push_back(vertex);
        return;
    }
    const float d = radius_ / std::sqrt(k * 0.5f);
    const float in = std::min(d, incomingLength * 0.25f) / incomingLength;
    const float out = std::min(d, outgoingLength * 0.25f) / outgoingLength;
    output.push_back(FloatPoint(vertex + incoming * in));
    output.push_back(FloatPoint(vertex - outgoing * out));
}

}  // namespace classification
