#include "classification/MaskPassLaunchers.h"

#include "classification/MatteLayer.h"
#include "classification/ResampleAndBlend.h"

namespace classification {

blitz::TinyVector<float, 4> scaleColour(const Corvel::utility::Colour<unsigned char>& colour,
                                        float factor) {
    return blitz::TinyVector<float, 4>(static_cast<float>(colour[0]) * factor,
                                       static_cast<float>(colour[1]) * factor,
                                       static_cast<float>(colour[2]) * factor,
                                       static_cast<float>(colour[3]) * factor);
}

template <class Format>
typename Format::Image convertWorkingImage(
    const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>& working) {
    using Channel = typename Format::Channel;
    typename Format::Image converted(working.lbound(), working.extent());
    constexpr float factor = workingImageFactor<Format>();
    for (int i = working.lbound(0); i <= working.ubound(0); ++i) {
        for (int j = working.lbound(1); j <= working.ubound(1); ++j) {
            const blitz::TinyVector<float, 4> c = scaleColour(working(i, j), factor);
            // Through int: the values are at most the channel maximum, never negative.
            converted(i, j) = typename Format::Pixel(
                static_cast<Channel>(static_cast<int>(c[0])), static_cast<Channel>(static_cast<int>(c[1])),
                static_cast<Channel>(static_cast<int>(c[2])), static_cast<Channel>(static_cast<int>(c[3])));
        }
    }
    return converted;
}

template <class Format>
int launchBlendPass(blitz::Array<typename Format::Pixel, 2> output,
                    const blitz::Array<typename Format::Pixel, 2>& source,
                    const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>& colourImage,
                    blitz::Array<unsigned char, 2> status, const IntBox& samplingBox,
                    const AutoFillResult& regionBox, const FloatPoint& scale,
                    const blitz::Array<unsigned char, 2>& blendMap,
                    const MarkDistanceArray& markDistances, int estimateMode,
                    const GenerateMaskLayer& layer, ProgressRange progress,
                    float sourceAlphaThreshold) {
    if constexpr (Format::maximum == 255) {
        return resampleAndBlend<Format>(output, source, colourImage, status, samplingBox,
                                        regionBox, scale, blendMap, markDistances, estimateMode,
                                        layer, progress, colourImage, sourceAlphaThreshold);
    } else {
        const typename Format::Image working = convertWorkingImage<Format>(colourImage);
        return resampleAndBlend<Format>(output, source, working, status, samplingBox, regionBox,
                                        scale, blendMap, markDistances, estimateMode, layer,
                                        progress, colourImage, sourceAlphaThreshold);
    }
}

template <class Format>
int launchMattingPass(const typename Format::Image& image,
                      const blitz::Array<unsigned char, 2>& status, typename Format::Image output,
                      const IntBox& layerBox, const FloatPoint& scale,
                      const GenerateMaskLayer& layer, ProgressRange progress,
                      unsigned workerCount) {
    return matteLayer<Format>(image, status, output, layerBox, scale, layer, progress,
                              workerCount);
}

#define ZQ_INSTANTIATE_LAUNCHERS(Format)                                                         \
    template Format::Image convertWorkingImage<Format>(                                          \
        const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>&);                         \
    template int launchBlendPass<Format>(                                                        \
        blitz::Array<Format::Pixel, 2>, const blitz::Array<Format::Pixel, 2>&,                   \
        const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>&,                          \
        blitz::Array<unsigned char, 2>, const IntBox&, const AutoFillResult&, const FloatPoint&, \
        const blitz::Array<unsigned char, 2>&, const MarkDistanceArray&, int,                    \
        const GenerateMaskLayer&, ProgressRange, float);                                         \
    template int launchMattingPass<Format>(const Format::Image&,                                 \
                                           const blitz::Array<unsigned char, 2>&, Format::Image, \
                                           const IntBox&, const FloatPoint&,                     \
                                           const GenerateMaskLayer&, ProgressRange, unsigned);
ZQ_INSTANTIATE_LAUNCHERS(MaskFormat8)
ZQ_INSTANTIATE_LAUNCHERS(MaskFormat16)
ZQ_INSTANTIATE_LAUNCHERS(MaskFormat15)
#undef ZQ_INSTANTIATE_LAUNCHERS

}  // namespace classification
