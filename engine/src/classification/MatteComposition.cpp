#include "classification/MatteComposition.h"

#include "ColourVector.h"
#include "classification/MaskStatus.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace classification {

using Corvel::utility::ColourTriple;

namespace {

/// Alpha of a fully kept pixel, plus just under one so that truncation keeps the maximum.
template <class Format>
constexpr float matteAlphaFactor() {
    return Format::maximum == 255 ? 255.99f : Format::maximum == 65535 ? 65535.99f : 32768.99f;
}

// Two blended estimates closer than this (in channel units) are one colour: no un-mixing.
// The un-mixing then fades in linearly over the same distance again.
constexpr float sameColourDistance = 11.312f;
constexpr float unmixRamp = 0.0884017f;

template <class Format>
void storeClampedColour(typename Format::Pixel& pixel, const ColourTriple& colour) {
    if constexpr (Format::maximum == 255)
        Corvel::utility::storeClampedColour8(pixel, colour);
    else if constexpr (Format::maximum == 65535)
        Corvel::utility::storeClampedColour16(pixel, colour);
    else
        Corvel::utility::storeClampedColour15(pixel, colour);
}

template <typename Triple>
ColourTriple toFloats(const Triple& colour) {
    return ColourTriple(static_cast<float>(colour[0]), static_cast<float>(colour[1]),
                        static_cast<float>(colour[2]));
}

}  // namespace

MatteAxisSample sampleMatteAxis(int index, float scale, int first, int last) {
    const float f = (static_cast<float>(index) + 0.5f) / scale;
    MatteAxisSample sample;
    // The clamps to both bounds only matter for indices outside the layer box's image
    // extent, which the driver never passes; they keep every status read inside the box.
    sample.lower = std::clamp(static_cast<int>(std::floor(f - 0.5f)), first, last);
    sample.upper = std::clamp(static_cast<int>(std::floor(f + 0.5f)), first, last);
    sample.centre = sample.lower;
    sample.owner = std::clamp(static_cast<int>(std::floor(f)), first, last);
    if (sample.lower == sample.upper) {
        sample.lowerWeight = 1.0f;
    } else {
        sample.lowerWeight = static_cast<float>(sample.upper) + 0.5f - f;
    }
    sample.upperWeight = 1.0f - sample.lowerWeight;
    return sample;
}

int matteCentreIndex(int index, float scale, int first, int last) {
    const float f = (static_cast<float>(index) + 0.5f) / scale;
    return std::clamp(static_cast<int>(std::floor(f - 0.5f)), first, last);
}

MatteMarkWeights matteMarkWeights(const blitz::Array<unsigned char, 2>& status,
                                  const MatteAxisSample& si, const MatteAxisSample& sj) {
    const auto bit = [](unsigned char s, unsigned char mask) { return (s & mask) ? 1.0f : 0.0f; };
    const unsigned char s10 = status(si.upper, sj.lower);
    const unsigned char s00 = status(si.lower, sj.lower);
    const unsigned char s01 = status(si.lower, sj.upper);
    const unsigned char s11 = status(si.upper, sj.upper);
    const float w10 = sj.lowerWeight * si.upperWeight;
    const float w00 = sj.lowerWeight * si.lowerWeight;
    const float w01 = sj.upperWeight * si.lowerWeight;
    const float w11 = sj.upperWeight * si.upperWeight;
    MatteMarkWeights weights;
    weights.keep = bit(s10, statusKeep) * w10 + bit(s00, statusKeep) * w00
                   + bit(s01, statusKeep) * w01 + bit(s11, statusKeep) * w11;
    weights.drop = bit(s10, statusDelete) * w10 + bit(s00, statusDelete) * w00
                   + bit(s01, statusDelete) * w01 + bit(s11, statusDelete) * w11;
    return weights;
}

template <class Format>
MatteComposer<Format>::MatteComposer(const typename Format::Image& image,
                                     const blitz::Array<unsigned char, 2>& status,
                                     const blitz::Array<unsigned char, 2>& layerStatus,
                                     const IntBox& layerBox, const FloatPoint& scale,
                                     const IntBox& estimateBox,
                                     const EstimateImage<Format>& foregroundEstimate,
                                     const EstimateImage<Format>& backgroundEstimate,
                                     typename Format::Image output)
    : image_(image), status_(status), layerStatus_(layerStatus), layerBox_(layerBox),
      scale_(scale), estimateBox_(estimateBox), foregroundEstimate_(foregroundEstimate),
      backgroundEstimate_(backgroundEstimate), output_(output) {
    // Every row maps its columns alike: the column samples are worked out once.
    for (int j = estimateBox.lower[1]; j <= estimateBox.upper[1]; ++j)
        columnSamples_.push_back(
            sampleMatteAxis(j, scale[1], layerBox.lower[1], layerBox.upper[1]));
}

template <class Format>
void MatteComposer<Format>::composeRow(int i) const {
    using Channel = typename Format::Channel;
    const MatteAxisSample si = sampleMatteAxis(i, scale_[0], layerBox_.lower[0],
                                               layerBox_.upper[0]);
    for (int j = estimateBox_.lower[1]; j <= estimateBox_.upper[1]; ++j) {
        const MatteAxisSample& sj =
            columnSamples_[static_cast<std::size_t>(j - estimateBox_.lower[1])];
        const MatteMarkWeights weights = matteMarkWeights(status_, si, sj);
        const float keep = weights.keep, drop = weights.drop;

        const unsigned char own = layerStatus_(si.owner, sj.owner);
        if ((own & statusPending) == 0 || (own & statusDone) != 0)
            continue;

        const auto& source = image_(i, j);
        auto& target = output_(i, j);
        if (static_cast<double>(keep) > 0.99) {
            for (int c = 0; c < 3; ++c)
                target[c] = source[c];
            target[3] = static_cast<Channel>(Format::maximum);
            continue;
        }
        if (static_cast<double>(drop) > 0.99) {
            for (int c = 0; c < 4; ++c)
                target[c] = 0;
            continue;
        }

        const ColourTriple colour(static_cast<float>(source[0]), static_cast<float>(source[1]),
                                  static_cast<float>(source[2]));
        const ColourTriple fe = toFloats(foregroundEstimate_(i, j));
        const ColourTriple be = toFloats(backgroundEstimate_(i, j));
        ColourTriple f, b;
        for (int c = 0; c < 3; ++c) {
            f[c] = fe[c] * (1.0f - keep) + colour[c] * keep;
            b[c] = be[c] * (1.0f - drop) + colour[c] * drop;
        }
        const ColourTriple d = Corvel::utility::colourDifference(b, f);
        const float l2 = static_cast<float>(Corvel::utility::squaredLength3(d));
        const float w = std::clamp((std::sqrt(l2) - sameColourDistance) * unmixRamp, 0.0f,
                                   1.0f);
        float share = 0.0f;   // how far the colour lies from F' toward B'
        if (w != 0.0f) {
            const float u = Corvel::utility::projectOnDifference(d, colour, f) / l2;
            share = w * std::clamp(u, 0.0f, 1.0f);
        }
        storeClampedColour<Format>(target,
                                   Corvel::utility::subtractScaled(colour, share, d));
        // The mean of the share and its quintic smoothstep.
        const float smooth =
            (share * share * share * (share * (6.0f * share - 15.0f) + 10.0f) + share) * 0.5f;
        target[3] = static_cast<Channel>((1.0f - smooth) * matteAlphaFactor<Format>());
    }
}

template <class Format>
void composeMatte(const typename Format::Image& image, const blitz::Array<unsigned char, 2>& status,
                  const blitz::Array<unsigned char, 2>& layerStatus, const IntBox& layerBox,
                  const FloatPoint& scale, const IntBox& estimateBox,
                  const EstimateImage<Format>& foregroundEstimate,
                  const EstimateImage<Format>& backgroundEstimate,
                  typename Format::Image output, ProgressRange progress) {
    const MatteComposer<Format> composer(image, status, layerStatus, layerBox, scale, estimateBox,
                                         foregroundEstimate, backgroundEstimate, output);
    for (int i = estimateBox.lower[0]; i <= estimateBox.upper[0]; ++i) {
        composer.composeRow(i);
        if (i % 16 == 0)
            progress.report(static_cast<float>(i - estimateBox.lower[0])
                            / static_cast<float>(estimateBox.upper[0] - estimateBox.lower[0] + 1));
    }
}

#define ZQ_INSTANTIATE_COMPOSE_MATTE(Format)                                                    \
    template void composeMatte<Format>(                                                         \
        const Format::Image&, const blitz::Array<unsigned char, 2>&,                            \
        const blitz::Array<unsigned char, 2>&, const IntBox&, const FloatPoint&, const IntBox&, \
        const EstimateImage<Format>&, const EstimateImage<Format>&, Format::Image, ProgressRange);
ZQ_INSTANTIATE_COMPOSE_MATTE(MaskFormat8)
ZQ_INSTANTIATE_COMPOSE_MATTE(MaskFormat16)
ZQ_INSTANTIATE_COMPOSE_MATTE(MaskFormat15)
#undef ZQ_INSTANTIATE_COMPOSE_MATTE

template class MatteComposer<MaskFormat8>;
template class MatteComposer<MaskFormat16>;
template class MatteComposer<MaskFormat15>;

}  // namespace classification
