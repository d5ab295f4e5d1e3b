#pragma once

#include "Colour.h"

#include <blitz/array.h>

namespace classification {

/// One of the three pixel formats a cut-out is generated in. The two 16-bit formats share the
/// channel type and differ only in the channel maximum, which every mask-generation constant
/// derived from "full" (opaque alpha, colour clamp, ramp factors) follows.
template <typename ChannelType, int Maximum>
struct MaskPixelFormat {
    using Channel = ChannelType;
    using Pixel = Corvel::utility::Colour<Channel>;
    using Image = blitz::Array<Pixel, 2>;
    static constexpr int maximum = Maximum;
};

using MaskFormat8 = MaskPixelFormat<unsigned char, 255>;      // pixel format 1
using MaskFormat16 = MaskPixelFormat<unsigned short, 65535>;  // pixel format 2
using MaskFormat15 = MaskPixelFormat<unsigned short, 32768>;  // pixel format 3

/// Whether a source pixel counts as opaque: its alpha at least the channel maximum times the
/// classification's source-alpha threshold, compared as floats.
template <class Format>
bool isOpaqueSource(const typename Format::Pixel& pixel, float sourceAlphaThreshold) {
    return static_cast<float>(pixel[3]) >= static_cast<float>(Format::maximum) * sourceAlphaThreshold;
}

}  // namespace classification
