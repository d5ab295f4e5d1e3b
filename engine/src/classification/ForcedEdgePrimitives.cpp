#include "classification/ForcedEdgePrimitives.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>

namespace classification {

namespace {

constexpr float fieldUnitsPerWidth = 8192.0f;

FloatPoint pixelCentre(int i, int j) {
    return FloatPoint(static_cast<float>(i) + 0.5f, static_cast<float>(j) + 0.5f);
}

// floor(clamp(d / w, -4, 4) * 8192 + 0.5) in int32: the extremes are +-32768, which a 16-bit
// field cannot hold, so the comparison with the stored value happens before any narrowing.
int fieldValue(float distance, float width) {
    const float x = std::clamp(distance / width, -4.0f, 4.0f) * fieldUnitsPerWidth + 0.5f;
    return static_cast<int>(std::floor(x));
}

// The direction of travel from `from` to `to` (unit u), the keep-side normal side x (-u.y, u.x)
// and the length; length 0 for a degenerate shape, which draws nothing.
struct SegmentFrame {
    float length = 0.0f;
    FloatPoint u, n;
};

SegmentFrame segmentFrame(const FloatPoint& from, const FloatPoint& to, int side) {
    SegmentFrame frame;
    frame.length = static_cast<float>(std::sqrt(squaredDistance(to, from)));
    if (frame.length == 0.0f)
        return frame;
    const float inverse = 1.0f / frame.length;
    frame.u = FloatPoint((to[0] - from[0]) * inverse, (to[1] - from[1]) * inverse);
    frame.n = FloatPoint(static_cast<float>(side) * -frame.u[1], static_cast<float>(side) * frame.u[0]);
    return frame;
}

void updateField(EdgeDistanceField& field, TouchedList& touched, int i, int j, int value) {
    short& current = field(i, j);
    if (std::abs(value) >= std::abs(static_cast<int>(current)))
        return;   // equal magnitudes keep the earlier value; the untouched value counts 32768
    if (current == edgeFieldUntouched)
        touched.emplace_back(i, j);
    current = static_cast<short>(value);
}

}  // namespace

double squaredDistance(const FloatPoint& a, const FloatPoint& b) {
    const float dx = a[0] - b[0], dy = a[1] - b[1];
    return static_cast<double>(dx * dx) + static_cast<double>(dy * dy);
}

double squaredLength(const FloatPoint& v) {
    return static_cast<double>(v[0] * v[0]) + static_cast<double>(v[1] * v[1]);
}

bool pointsEqual(const FloatPoint& a, const FloatPoint& b) {
    return a[0] == b[0] && a[1] == b[1];
}

IntBox iterationBox(const FloatPoint& a, const FloatPoint& b, float radius, const IntBox& clip) {
    const double grow = std::ceil(static_cast<double>(radius));
    double lower[2], upper[2];
    for (int axis = 0; axis < 2; ++axis) {
        const double ta = std::trunc(static_cast<double>(a[axis]));
        const double tb = std::trunc(static_cast<double>(b[axis]));
        lower[axis] = std::max(std::min(ta, tb) - grow, static_cast<double>(clip.lower[axis]));
        upper[axis] = std::min(std::max(ta, tb) + grow, static_cast<double>(clip.upper[axis]));
        if (!(lower[axis] <= upper[axis]))
            return IntBox();   // empty (also for NaN)
    }
    return IntBox(static_cast<int>(lower[0]), static_cast<int>(lower[1]),
                  static_cast<int>(upper[0]), static_cast<int>(upper[1]));
}

int rampAlpha(float m, float rampFactor, int maximum) {
    const float alpha = (3.0f - 2.0f * m) * ((m * rampFactor) * m);
    return std::min(static_cast<int>(alpha), maximum);
}

void drawSegmentBand(const FloatPoint& p, const FloatPoint& q, int side, float width, float radius,
                     EdgeDistanceField& field, TouchedList& touched) {
    const IntBox box = iterationBox(p, q, radius, IntBox::domainOf(field));
    if (isBoxEmpty(box))
        return;
    const SegmentFrame frame = segmentFrame(p, q, side);
    if (frame.length == 0.0f)
        return;
    const FloatPoint& u = frame.u;
    const FloatPoint& n = frame.n;
    const float length = frame.length;
    for (int i = box.lower[0]; i <= box.upper[0]; ++i)
        for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
            const FloatPoint c = pixelCentre(i, j);
            const float ex = c[0] - p[0], ey = c[1] - p[1];
            const float along = u[0] * ex + u[1] * ey;
            const float distance = (along < 0.0f || along > length) ? FLT_MAX : n[0] * ex + n[1] * ey;
            if (radius > std::fabs(distance))
                updateField(field, touched, i, j, fieldValue(distance, width));
        }
}

void drawRoundJoin(int side, float width, float radius, const FloatPoint& previous,
                   const FloatPoint& vertex, const FloatPoint& next, EdgeDistanceField& field,
                   TouchedList& touched) {
    const IntBox box = iterationBox(vertex, vertex, radius, IntBox::domainOf(field));
    if (isBoxEmpty(box))
        return;
    const FloatPoint a(vertex[0] - previous[0], vertex[1] - previous[1]);
    const FloatPoint b(next[0] - vertex[0], next[1] - vertex[1]);
    const float cross = a[0] * b[1] - b[0] * a[1];
    if (cross == 0.0f)
        return;
    const int sign = cross > 0.0f ? -side : side;   // the outer side of the turn
    for (int i = box.lower[0]; i <= box.upper[0]; ++i)
        for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
            const float distance = static_cast<float>(std::sqrt(squaredDistance(pixelCentre(i, j), vertex)));
            if (radius > distance)
                updateField(field, touched, i, j, sign * fieldValue(distance, width));
        }
}

template <typename Channel>
Corvel::utility::Colour<Channel> blendColours(const Corvel::utility::Colour<Channel>& a,
                                              float weightA,
                                              const Corvel::utility::Colour<Channel>& b,
                                              float weightB) {
    constexpr float top = static_cast<float>(static_cast<Channel>(-1));
    Corvel::utility::Colour<Channel> mixed;
    for (int c = 0; c < 4; ++c) {
        const float value = static_cast<float>(a[c]) * weightA + static_cast<float>(b[c]) * weightB;
        mixed[c] = static_cast<Channel>(!(value > 0.0f) ? 0.0f : std::min(value, top));
    }
    return mixed;
}

namespace {

// The cap's ramp factor: the ramp's top value plus just under one, so that m = 1 truncates to
// the channel maximum (the 16-bit members overshoot by one and are limited instead).
template <class Format>
constexpr float capRampFactor() {
    return Format::maximum == 255 ? 255.9999f : static_cast<float>(Format::maximum + 1);
}

}  // namespace

template <class Format>
void drawEndCap(int side, const FloatPoint& inner, const FloatPoint& end, float width,
                float radius, const EdgeDistanceField& field,
                blitz::Array<typename Format::Pixel, 2> output,
                const blitz::Array<typename Format::Pixel, 2>& source, float sourceAlphaThreshold) {
    const SegmentFrame frame = segmentFrame(inner, end, side);
    if (frame.length == 0.0f)
        return;
    const FloatPoint& u = frame.u;   // pointing out of the edge
    const FloatPoint& n = frame.n;
    const FloatPoint tip(end[0] + width * u[0], end[1] + width * u[1]);
    const IntBox box = iterationBox(end, tip, radius, IntBox::domainOf(field));
    if (isBoxEmpty(box))
        return;
    const float inverseWidth = 1.0f / width;
    for (int i = box.lower[0]; i <= box.upper[0]; ++i)
        for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
            const FloatPoint c = pixelCentre(i, j);
            const float ex = c[0] - end[0], ey = c[1] - end[1];
            const float t = (u[0] * ex + u[1] * ey) * inverseWidth;   // widths beyond the end
            if (!(t >= 0.0f && t < 1.0f))
                continue;
            const float across = n[0] * ex + n[1] * ey;
            if (!(radius > std::fabs(across)))
                continue;
            typename Format::Pixel s = source(i, j);
            if (!isOpaqueSource<Format>(s, sourceAlphaThreshold))
                continue;
            const float m = std::clamp((across * inverseWidth + 1.0f) * 0.5f, 0.0f, 1.0f);
            s[3] = static_cast<typename Format::Channel>(
                rampAlpha(m, capRampFactor<Format>(), Format::maximum));
            output(i, j) = blendColours(s, 1.0f - t, output(i, j), t);
        }
}

#define ZQ_INSTANTIATE_END_CAP(Format)                                                           \
    template void drawEndCap<Format>(int, const FloatPoint&, const FloatPoint&, float, float,    \
                                     const EdgeDistanceField&,                                   \
                                     blitz::Array<Format::Pixel, 2>,                             \
                                     const blitz::Array<Format::Pixel, 2>&, float);
ZQ_INSTANTIATE_END_CAP(MaskFormat8)
ZQ_INSTANTIATE_END_CAP(MaskFormat16)
ZQ_INSTANTIATE_END_CAP(MaskFormat15)
#undef ZQ_INSTANTIATE_END_CAP

template Corvel::utility::Colour<unsigned char> blendColours(
    const Corvel::utility::Colour<unsigned char>&, float, const Corvel::utility::Colour<unsigned char>&, float);
template Corvel::utility::Colour<unsigned short> blendColours(
    const Corvel::utility::Colour<unsigned short>&, float, const Corvel::utility::Colour<unsigned short>&, float);

}  // namespace classification
