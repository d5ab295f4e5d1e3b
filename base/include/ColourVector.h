#pragma once

#include <blitz/tinyvec2.h>

#include <type_traits>

namespace Corvel {
namespace utility {

/// A colour as three floats in channel order 0, 1, 2 (the alpha channel is never part of it).
/// Un-mixing works on these so that a pixel, an estimate and their difference share one type.
using ColourTriple = blitz::TinyVector<float, 3>;

/// p - q per channel.
inline ColourTriple colourDifference(const ColourTriple& p, const ColourTriple& q) {
    return ColourTriple(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}

/// Each square in float, the sum in double: the thresholds that read it were tuned on exactly
/// this rounding.
inline double squaredLength3(const ColourTriple& v) {
    return static_cast<double>(v[0] * v[0]) + static_cast<double>(v[1] * v[1]) +
           static_cast<double>(v[2] * v[2]);
}

/// (p - q) . d in float: the unnormalised position of p on the line through q along d.
inline float projectOnDifference(const ColourTriple& d, const ColourTriple& p,
                                 const ColourTriple& q) {
    return (p[0] - q[0]) * d[0] + (p[1] - q[1]) * d[1] + (p[2] - q[2]) * d[2];
}

/// k - t * d per channel.
inline ColourTriple subtractScaled(const ColourTriple& k, float t, const ColourTriple& d) {
    return ColourTriple(k[0] - t * d[0], k[1] - t * d[1], k[2] - t * d[2]);
}

/// The channel value trunc(v) clamped to 0 .. maximum. The clamp comes first, in float, so
/// that a huge or NaN value (NaN gives 0) never reaches an int conversion; for every other
/// value this equals truncating first and clamping after.
inline int clampedChannel(float v, int maximum) {
    if (!(v > 0.0f))
        return 0;
    if (v >= static_cast<float>(maximum))
        return maximum;
    return static_cast<int>(v);
}

/// Writes channels 0 to 2 of `destination` (any pixel indexed by channel) from v, each
/// truncated toward zero and clamped to 0 .. Maximum. Alpha is left alone.
template <int Maximum, typename Pixel>
void storeClampedColour(Pixel& destination, const ColourTriple& v) {
    using Channel = typename std::decay<decltype(destination[0])>::type;
    for (int c = 0; c < 3; ++c)
        destination[c] = static_cast<Channel>(clampedChannel(v[c], Maximum));
}

template <typename Pixel>
void storeClampedColour8(Pixel& destination, const ColourTriple& v) {
    storeClampedColour<255>(destination, v);
}

template <typename Pixel>
void storeClampedColour16(Pixel& destination, const ColourTriple& v) {
    storeClampedColour<65535>(destination, v);
}

template <typename Pixel>
void storeClampedColour15(Pixel& destination, const ColourTriple& v) {
    storeClampedColour<32768>(destination, v);
}

}  // namespace utility
}  // namespace Corvel
