#include "classification/ForcedEdgeRendering.h"

#include "classification/ForcedEdgePrimitives.h"
#include "classification/IntBox.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace classification {

namespace {

constexpr unsigned char keepBit = 0x02, deleteBit = 0x04;

// Scales field values (8192 per width, zero on the polyline) to m in [0, 1]: 0 one width on the
// delete side, 1 one width on the keep side.
constexpr float fieldToRamp = 0x1p-14f;

template <class Format>
constexpr float alphaRampFactor() {
    return Format::maximum == 255 ? 255.999f : static_cast<float>(Format::maximum + 1);
}

bool isDrawable(const ForcedEdgeStroke& edge) {
    if (edge.points.size() < 2 || !(edge.width > 0.0f) || !std::isfinite(edge.width))
        return false;
    return std::all_of(edge.points.begin(), edge.points.end(), [](const FloatPoint& p) {
        return std::isfinite(p[0]) && std::isfinite(p[1]);
    });
}

// The status under a probe, when the probe's pixel (its coordinates floored) lies inside the
// status image. Compared in float before any conversion, so a far probe cannot overflow.
bool probeStatus(const FloatPoint& probe, const blitz::Array<unsigned char, 2>& status,
                 unsigned char& value) {
    const IntBox box = IntBox::domainOf(status);
    for (int axis = 0; axis < 2; ++axis)
        if (!(probe[axis] >= static_cast<float>(box.lower[axis]) &&
              probe[axis] < static_cast<float>(box.upper[axis]) + 1.0f))
            return false;
    const int i = std::clamp(static_cast<int>(std::floor(probe[0])), box.lower[0], box.upper[0]);
    const int j = std::clamp(static_cast<int>(std::floor(probe[1])), box.lower[1], box.upper[1]);
    value = status(i, j);
    return true;
}

// The longest segment's index (its end point), the first of equally long ones.
std::size_t longestSegment(const std::vector<FloatPoint>& p) {
    std::size_t best = 1;
    float bestScore = -1.0f;
    for (std::size_t i = 1; i < p.size(); ++i) {
        const float score = static_cast<float>(squaredDistance(p[i], p[i - 1]));
        if (score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

}  // namespace

float forcedEdgeRadius(float width, float scaleX) {
    return std::min(std::max(width, 2.0f * scaleX), 4.0f * width);
}

int decideEdgeSide(const FloatPoint& middle, const FloatPoint& normal,
                   const blitz::Array<unsigned char, 2>& status) {
    // The probes only leave the image if they move: a segment too long for its squared length
    // to fit a float gives a zero normal, and the probes would test the midpoint forever.
    if (!(std::fabs(normal[0]) + std::fabs(normal[1]) >= 0.5f))
        return 0;
    for (float t = 1.5f;; t += 1.0f) {
        unsigned char plus = 0, minus = 0;
        const bool plusUsable = probeStatus(
            FloatPoint(middle[0] + t * normal[0], middle[1] + t * normal[1]), status, plus);
        const bool minusUsable = probeStatus(
            FloatPoint(middle[0] - t * normal[0], middle[1] - t * normal[1]), status, minus);
        const bool plusKeep = plus & keepBit, plusDelete = plus & deleteBit;
        const bool minusKeep = minus & keepBit, minusDelete = minus & deleteBit;
        if (plusUsable && minusUsable) {
            if (plusKeep && !minusKeep)
                return 1;
            if (plusDelete && !minusDelete)
                return -1;
            if (!plusKeep && minusKeep)
                return -1;
            if (!plusDelete && minusDelete)
                return 1;
        } else if (plusUsable) {
            if (plusKeep)
                return 1;
            if (plusDelete)
                return -1;
        } else if (minusUsable) {
            if (minusKeep)
                return -1;
            if (minusDelete)
                return 1;
        } else {
            return 0;
        }
    }
}

template <class Format>
int renderForcedEdges(blitz::Array<typename Format::Pixel, 2> output,
                      const blitz::Array<typename Format::Pixel, 2>& source,
                      const blitz::Array<unsigned char, 2>& status, const FloatPoint& scale,
                      const std::vector<ForcedEdgeStroke>& edges, ProgressRange /*progress*/,
                      float sourceAlphaThreshold) {
    if (!(scale[0] > 0.0f && scale[1] > 0.0f && std::isfinite(scale[0]) && std::isfinite(scale[1])))
        throw std::invalid_argument("forced edges need a positive scale");
    // The source is read wherever the output is written; a source smaller than the output
    // only narrows what can be drawn.
    IntBox outputBox = IntBox::domainOf(output);
    intersectBox(outputBox, IntBox::domainOf(source));
    if (isBoxEmpty(outputBox))
        return 1;

    EdgeDistanceField field(blitz::TinyVector<int, 2>(outputBox.lower),
                            blitz::TinyVector<int, 2>(outputBox.rows(), outputBox.columns()));
    field = edgeFieldUntouched;
    TouchedList touched;
    std::vector<int> edgeSide(edges.size(), 0);
    int result = 1;

    for (std::size_t k = 0; k < edges.size(); ++k) {
        const ForcedEdgeStroke& edge = edges[k];
        if (!isDrawable(edge))
            continue;
        const std::vector<FloatPoint>& p = edge.points;
        const std::size_t n = p.size();
        const float w = edge.width;
        const float r = forcedEdgeRadius(w, scale[0]);
        const std::size_t best = longestSegment(p);
        const FloatPoint a(p[best - 1][0] / scale[0], p[best - 1][1] / scale[1]);
        const FloatPoint b(p[best][0] / scale[0], p[best][1] / scale[1]);
        if (pointsEqual(a, b))
            continue;
        const FloatPoint middle((a[0] + b[0]) * 0.5f, (a[1] + b[1]) * 0.5f);
        const FloatPoint d(b[0] - a[0], b[1] - a[1]);
        const double inverseLength = 1.0 / std::sqrt(squaredLength(d));
        const FloatPoint normal(static_cast<float>(-d[1] * inverseLength),
                                static_cast<float>(d[0] * inverseLength));
        edgeSide[k] = decideEdgeSide(middle, normal, status);
        if (edgeSide[k] == 0)
            continue;

        result = 0;
        for (std::size_t v = 0; v + 1 < n; ++v)
            drawSegmentBand(p[v], p[v + 1], edgeSide[k], w, r, field, touched);
        for (std::size_t v = 1; v + 1 < n; ++v)
            drawRoundJoin(edgeSide[k], w, r, p[v - 1], p[v], p[v + 1], field, touched);
        if (n >= 3 && pointsEqual(p[0], p[n - 1]))
            drawRoundJoin(edgeSide[k], w, r, p[n - 2], p[n - 1], p[1], field, touched);
    }

    for (const IntPoint& q : touched) {
        const typename Format::Pixel& s = source(q);
        if (!isOpaqueSource<Format>(s, sourceAlphaThreshold))
            continue;
        typename Format::Pixel& o = output(q);
        o[0] = s[0];
        o[1] = s[1];
        o[2] = s[2];
        const float m = std::clamp(static_cast<float>(field(q)) * fieldToRamp + 0.5f, 0.0f, 1.0f);
        o[3] = static_cast<typename Format::Channel>(
            rampAlpha(m, alphaRampFactor<Format>(), Format::maximum));
    }

    for (std::size_t k = 0; k < edges.size(); ++k) {
        const std::vector<FloatPoint>& p = edges[k].points;
        if (edgeSide[k] == 0 || pointsEqual(p.front(), p.back()))
            continue;   // undecided, skipped, or closed: no ends to fade
        const float w = edges[k].width;
        const float r = forcedEdgeRadius(w, scale[0]);
        const std::size_t n = p.size();
        drawEndCap<Format>(-edgeSide[k], p[1], p[0], w, r, field, output, source,
                           sourceAlphaThreshold);
        drawEndCap<Format>(edgeSide[k], p[n - 2], p[n - 1], w, r, field, output, source,
                           sourceAlphaThreshold);
    }
    return result;
}

#define ZQ_INSTANTIATE_FORCED_EDGES(Format)                                                      \
    template int renderForcedEdges<Format>(blitz::Array<Format::Pixel, 2>,                       \
                                           const blitz::Array<Format::Pixel, 2>&,                \
                                           const blitz::Array<unsigned char, 2>&,                \
                                           const FloatPoint&,                                    \
                                           const std::vector<ForcedEdgeStroke>&, ProgressRange,  \
                                           float);
ZQ_INSTANTIATE_FORCED_EDGES(MaskFormat8)
ZQ_INSTANTIATE_FORCED_EDGES(MaskFormat16)
ZQ_INSTANTIATE_FORCED_EDGES(MaskFormat15)
#undef ZQ_INSTANTIATE_FORCED_EDGES

}  // namespace classification
