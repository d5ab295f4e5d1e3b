#pragma once

#include "classification/AutoFillResult.h"
#include "classification/GenerateMaskLayer.h"
#include "classification/IntBox.h"
#include "classification/MarkDistances.h"
#include "classification/MaskPixelFormat.h"
#include "classification/PolylineRounder.h"   // FloatPoint
#include "classification/ProgressRange.h"
#include "Colour.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

namespace classification {

/// The channels of an 8-bit colour, each times `factor`, as floats in channel order.
blitz::TinyVector<float, 4> scaleColour(const Corvel::utility::Colour<unsigned char>& colour,
                                        float factor);

/// The factor that takes an 8-bit channel to the format's channel range: 257 for the 65535
/// format, the float nearest to 32768 / 255 for the 32768 format (so 255 lands exactly on the
/// maximum), and 1 for the 8-bit format, which needs no conversion.
template <class Format>
constexpr float workingImageFactor() {
    if constexpr (Format::maximum == 65535)
        return 257.0f;
    else if constexpr (Format::maximum == 32768)
        return 0x1.010102p+7f;   // 128.50197
    else
        return 1.0f;
}

/// The 8-bit working image in the format's pixel type (every channel, alpha included, times
/// workingImageFactor and truncated), with the working image's own index bounds: the blend
/// pass addresses it in absolute working coordinates, as it does the statuses.
template <class Format>
typename Format::Image convertWorkingImage(
    const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>& working);

/// The resampling and blend pass for a source whose extent differs from the working image
/// (output scale 2, 4 or 8): the pass gets the classification's 8-bit `colourImage`, converted
/// to the format, as its working image. Arguments and result as resampleAndBlend; allocation
/// failures and every exception of the pass propagate.
template <class Format>
int launchBlendPass(blitz::Array<typename Format::Pixel, 2> output,
                    const blitz::Array<typename Format::Pixel, 2>& source,
                    const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>& colourImage,
                    blitz::Array<unsigned char, 2> status, const IntBox& samplingBox,
                    const AutoFillResult& regionBox, const FloatPoint& scale,
                    const blitz::Array<unsigned char, 2>& blendMap,
                    const MarkDistanceArray& markDistances, int estimateMode,
                    const GenerateMaskLayer& layer, ProgressRange progress,
                    float sourceAlphaThreshold);

/// The matting pass for a source whose extent differs from the working image. The matting
/// pass works on the source itself at any scale, so its arguments and result pass unchanged
/// (see matteLayer).
template <class Format>
int launchMattingPass(const typename Format::Image& image,
                      const blitz::Array<unsigned char, 2>& status, typename Format::Image output,
                      const IntBox& layerBox, const FloatPoint& scale,
                      const GenerateMaskLayer& layer, ProgressRange progress,
                      unsigned workerCount);

}  // namespace classification
