#include "classification/MixedPixelBlend.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace classification {

using Corvel::utility::ColourTriple;

namespace {

// The smallest distance between the estimates at which their projection is trusted at all,
// and how far a blend value of 1/3 or more raises it. Both are in the image's own channel units
// in every format: stored work relies on the 16-bit behaviour they give.
constexpr float thresholdBase = 11.312f;
constexpr float thresholdBlendRange = 33.936f;
constexpr float oneThird = 0.3333333432674408f;

template <class Format>
constexpr float mapEstimateScale() {
    // Converts the 8-bit colour maps to the format's channel range.
    return Format::maximum == 255 ? 1.0f : Format::maximum == 65535 ? 257.0f : 128.50196838378906f;
}

template <class Format>
constexpr float alphaFactor() {
    return Format::maximum == 255 ? 255.99f
           : Format::maximum == 65535 ? 65535.98828125f
                                      : 32768.98828125f;
}

// Four floats as one vector value (a GCC and Clang extension that compiles to the target's
// vector instructions); the arithmetic is lane by lane IEEE, as on plain floats.
using Lanes = float __attribute__((vector_size(16)));
static_assert(sizeof(Lanes) == sizeof(ColourSumCell), "a cell is four packed floats");

Lanes lanesOf(const ColourSumCell& cell) {
    Lanes lanes;
    std::memcpy(&lanes, cell.data(), sizeof lanes);
    return lanes;
}

float clamp01(float value) {
    return value > 0.0f ? std::min(value, 1.0f) : 0.0f;   // NaN gives 0
}

// A fixed exchange network: the same median as a selection, without its general machinery
// (this runs for every channel of every mixed pixel).
float medianOfFive(float (&v)[5]) {
    auto order = [&v](int a, int b) {
        if (v[a] > v[b])
            std::swap(v[a], v[b]);
    };
    order(0, 1);
    order(3, 4);
    order(0, 3);
    order(1, 4);
    order(1, 2);
    order(2, 3);
    order(1, 2);
    return v[2];
}

// std::fmod(a, s) for a power of two s with its exact reciprocal: both are exact, so the
// results agree bit for bit, the sign of a zero remainder included, without the general
// remainder's cost.
float remainderOfPowerOfTwo(float a, float s, float inverse) {
    const float quotient = a * inverse;
    // Beyond 2^23 every float is a whole number, and int would overflow further up.
    const float whole = std::fabs(quotient) < 8388608.0f
                            ? static_cast<float>(static_cast<int>(quotient))
                            : quotient;
    const float remainder = a - s * whole;
    return remainder == 0.0f ? std::copysign(0.0f, a) : remainder;
}

template <typename Pixel>
ColourTriple colourOf(const Pixel& pixel) {
    return ColourTriple(static_cast<float>(pixel[0]), static_cast<float>(pixel[1]),
                        static_cast<float>(pixel[2]));
}

}  // namespace

float smoothShare(const MarkDistanceArray& markDistances,
                  const blitz::Array<unsigned char, 2>& status, int i, int j) {
    const unsigned char s = status(i, j);
    if (s & 0x02)
        return 0.0f;
    if (s & 0x04)
        return 1.0f;
    const MarkDistance& d = markDistances(i, j);
    const float sum = d[0] + d[1];
    if (!(sum > 0.0f))
        return 0.5f;   // equally near both (or neither reached): an even share
    return clamp01(d[0] / sum);
}

ColourSumCell pyramidColourAt(const ColourSumPyramid& levels, const FloatPoint& p) {
    // The four channels side by side: each lane does the same float operations, in the same
    // order, as a channel at a time would.
    Lanes sum = {0.0f, 0.0f, 0.0f, 0.0f};
    float s = 1.0f;
    for (const ColourSumGrid& level : levels) {
        s *= 2.0f;
        // s is a power of two, so multiplying by its reciprocal is exact: the same values as
        // dividing, at a fraction of the cost.
        const float inverse = 1.0f / s;
        const float half = s * 0.5f;
        const float fx = remainderOfPowerOfTwo(p[0] + half, s, inverse) * inverse;
        const float fy = remainderOfPowerOfTwo(p[1] + half, s, inverse) * inverse;
        // The two cells on each axis whose centres bracket p, clipped to the level: a point
        // beyond the level reads nothing rather than past its edge.
        const int lx = std::max(static_cast<int>(p[0] * inverse - 0.5f), level.lbound(0));
        const int ly = std::max(static_cast<int>(p[1] * inverse - 0.5f), level.lbound(1));
        const int hx = std::min(static_cast<int>(p[0] * inverse + 0.5f), level.ubound(0));
        const int hy = std::min(static_cast<int>(p[1] * inverse + 0.5f), level.ubound(1));
        if (hx < lx || hy < ly)
            continue;
        const float inverse4 = 1.0f / (s * s * s * s);   // exact too (0 once s^4 overflows)
        const Lanes mixed = (1.0f - fx) * (1.0f - fy) * lanesOf(level(lx, ly)) +
                            fx * fy * lanesOf(level(hx, hy)) +
                            (1.0f - fx) * fy * lanesOf(level(lx, hy)) +
                            fx * (1.0f - fy) * lanesOf(level(hx, ly));
        sum += mixed * inverse4;
        if (sum[3] * (s * s * s) > 2.0f)
            break;
    }
    return ColourSumCell(sum[0], sum[1], sum[2], sum[3]);
}

template <class Format>
MixedPixelBlend<Format>::MixedPixelBlend(blitz::Array<Pixel, 2> output,
                                         const blitz::Array<Pixel, 2>& source,
                                         const IntBox& outputBox, const ColourEstimates& estimates,
                                         const blitz::Array<unsigned char, 2>& status,
                                         const blitz::Array<unsigned char, 2>& blendMap,
                                         const MarkDistanceArray& markDistances)
    : output_(output), source_(source), outputBox_(outputBox), estimates_(estimates),
      status_(status), blendMap_(blendMap), markDistances_(markDistances) {}

template <class Format>
ColourTriple MixedPixelBlend<Format>::crossMedian(int x, int y) const {
    // At the border of the output box the centre pixel stands in for the missing neighbour.
    const int x0 = std::max(x - 1, outputBox_.lower[0]), x1 = std::min(x + 1, outputBox_.upper[0]);
    const int y0 = std::max(y - 1, outputBox_.lower[1]), y1 = std::min(y + 1, outputBox_.upper[1]);
    const Pixel* cross[5] = {&source_(x, y), &source_(x0, y), &source_(x1, y), &source_(x, y0),
                             &source_(x, y1)};
    ColourTriple median;
    for (int c = 0; c < 3; ++c) {
        float values[5];
        for (int k = 0; k < 5; ++k)
            values[k] = static_cast<float>((*cross[k])[c]);
        median[c] = medianOfFive(values);
    }
    return median;
}

template <class Format>
ColourTriple MixedPixelBlend<Format>::mapEstimate(const RegionColourMap& map,
                                                  const CornerCells& corners) const {
    ColourTriple sum(0.0f);
    for (int k = 0; k < 4; ++k) {
        const ColourBytes& colour = map(corners.cell(k));
        const float w = corners.weight(k);
        for (int c = 0; c < 3; ++c)
            sum[c] += w * static_cast<float>(colour[c]);
    }
    constexpr float scale = mapEstimateScale<Format>();
    return ColourTriple(sum[0] * scale, sum[1] * scale, sum[2] * scale);
}

template <class Format>
ColourTriple MixedPixelBlend<Format>::pyramidEstimate(const ColourSumPyramid& levels,
                                                      const IntPoint& nearest,
                                                      const ColourTriple& own) const {
    const ColourSumCell s = pyramidColourAt(
        levels, FloatPoint(static_cast<float>(nearest[0]), static_cast<float>(nearest[1])));
    if (!(s[3] > 0.0f))
        return own;   // no border pixel of the class to learn from: the pixel's own colour
    const float inverse = 1.0f / s[3];
    return ColourTriple(s[0] * inverse, s[1] * inverse, s[2] * inverse);
}

template <class Format>
void MixedPixelBlend<Format>::blend(int x, int y, const CornerCells& corners,
                                    const IntPoint& nearest, float keepWeight,
                                    float deleteWeight) {
    using namespace Corvel::utility;
    const ColourTriple q = colourOf(source_(x, y));
    const ColourTriple median = crossMedian(x, y);

    ColourTriple f, b;
    if (estimates_.mode == 1) {
        f = mapEstimate(estimates_.keepMap, corners);
        b = mapEstimate(estimates_.deleteMap, corners);
    } else {
        f = pyramidEstimate(estimates_.keepLevels, nearest, q);
        b = pyramidEstimate(estimates_.deleteLevels, nearest, q);
    }

    // Where the marks themselves are near, the estimates are pulled toward the pixel.
    ColourTriple pulledF, pulledB;
    for (int c = 0; c < 3; ++c) {
        pulledF[c] = keepWeight * q[c] + (1.0f - keepWeight) * f[c];
        pulledB[c] = deleteWeight * q[c] + (1.0f - deleteWeight) * b[c];
    }
    const ColourTriple d = colourDifference(pulledB, pulledF);
    const float l2 = static_cast<float>(squaredLength3(d));
    const float distance = std::sqrt(l2);

    float blendSum = 0.0f, shareSum = 0.0f;
    for (int k = 0; k < 4; ++k) {
        const IntPoint cell = corners.cell(k);
        blendSum += corners.weight(k) * static_cast<float>(blendMap_(cell));
        shareSum += corners.weight(k) * smoothShare(markDistances_, status_, cell[0], cell[1]);
    }
    const float sb = clamp01(blendSum * (1.0f / 255.0f));
    const float threshold = std::min(3.0f * sb, 1.0f) * thresholdBlendRange + thresholdBase;
    const float trust = (1.0f - std::max(1.5f * (sb - oneThird), 0.0f)) *
                        clamp01((distance - threshold) / threshold);

    float t = 0.0f;
    if (trust != 1.0f) {
        const float v = clamp01(shareSum);
        t = v * v * v * (v * (6.0f * v - 15.0f) + 10.0f) * (1.0f - trust);
    }
    if (trust != 0.0f) {
        // trust > 0 needs distance > threshold > 0, so l2 is not 0 here.
        const float inverse = 1.0f / l2;
        const float t1 = projectOnDifference(d, median, pulledF) * inverse;
        const float t2 = projectOnDifference(d, q, pulledF) * inverse;
        t += trust * clamp01(t1 * (t2 + 1.0f - t1));
    }
    t = clamp01(t);

    Pixel& out = output_(x, y);
    storeClampedColour<Format::maximum>(out, subtractScaled(q, t, d));
    out[3] = static_cast<typename Format::Channel>((1.0f - t) * alphaFactor<Format>());
}

template class MixedPixelBlend<MaskFormat8>;
template class MixedPixelBlend<MaskFormat16>;
template class MixedPixelBlend<MaskFormat15>;

}  // namespace classification
