// JxGenerateMask: the flat interface's entry to mask generation.

#include "classification/JxEntryFrame.h"
#include "classification/JxInImage.h"
#include "classification/JxInSession.h"
#include "classification/JxMaskDriver.h"
#include "classification/JxMaskRequest.h"

using classification::FloatPoint;
using classification::IntBox;
using classification::MaskFormat15;
using classification::MaskFormat16;
using classification::MaskFormat8;

namespace {

template <typename Pixel>
blitz::Array<Pixel, 2> viewOf(const JxImage& image);

template <>
blitz::Array<Corvel::utility::Colour<unsigned char>, 2> viewOf(const JxImage& image) {
    return JxInImage::colourView(image);
}

template <>
blitz::Array<Corvel::utility::Colour<unsigned short>, 2> viewOf(const JxImage& image) {
    return JxInImage::colour16View(image);
}

// The generation of one format: the caller's output pixels of the output box go into a
// working copy, which goes back only when the generation succeeds.
template <class Format>
int generateIn(JxInSession& session, const JxMaskRequest& request, const JxImage& output,
               const JxImage& source, JxInImage& statusImage, const JxForcedEdge* forcedEdges,
               std::int32_t forcedEdgeCount, float autoBlendWidth, const JxMaskRegion* regions,
               std::int32_t regionCount, JxInProgress& reporter) {
    using Pixel = typename Format::Pixel;
    blitz::Array<Pixel, 2> target = classification::cropArrayToBox(viewOf<Pixel>(output),
                                                                   request.outputBox);
    blitz::Array<Pixel, 2> working(target.copy());
    const blitz::Array<Pixel, 2> sourcePixels = viewOf<Pixel>(source);
    const FloatPoint scale(static_cast<float>(request.scale), static_cast<float>(request.scale));
    const int result = JxMaskDriver::generate<Format>(
        session, working, sourcePixels, statusImage,
        request.hasRectangle ? &request.statusBox : nullptr, scale, forcedEdges, forcedEdgeCount,
        autoBlendWidth, request.blendRatio, regions, regionCount, reporter);
    if (result == JxOk)
        target = working;
    return result;
}

}  // namespace

int JxGenerateMask(JxSession* session, const JxRect* rectangle, JxImage output, JxImage source,
                   JxImage* statusImage, const JxForcedEdge* forcedEdges,
                   std::int32_t forcedEdgeCount, float autoBlendWidth, float blendRatio,
                   const JxMaskRegion* regions, std::int32_t regionCount,
                   JxProgressCallback progress) noexcept {
    return JxEntryFrame::runWithImage(
        session, statusImage, {"Generate mask", JxFailurePolicy::command, progress, true},
        [&](JxEngine&, JxInProgress& reporter) {
            JxInSession& target = *JxInSession::fromHandle(session);
            JxInImage& image = *JxInImage::fromHandle(statusImage);
            if (!target.coversStatusImage(image))
                return static_cast<int>(JxRefused);
            JxMaskRequest request;
            if (const int code = JxMaskRequest::make(image, rectangle, output, source,
                                                     autoBlendWidth, blendRatio, forcedEdges,
                                                     forcedEdgeCount, regions, regionCount,
                                                     request))
                return code;
            switch (source.format) {
            case JxFormatRgba8:
                return generateIn<MaskFormat8>(target, request, output, source, image, forcedEdges,
                                               forcedEdgeCount, autoBlendWidth, regions,
                                               regionCount, reporter);
            case JxFormatRgba16:
                return generateIn<MaskFormat16>(target, request, output, source, image,
                                                forcedEdges, forcedEdgeCount, autoBlendWidth,
                                                regions, regionCount, reporter);
            default:
                return generateIn<MaskFormat15>(target, request, output, source, image,
                                                forcedEdges, forcedEdgeCount, autoBlendWidth,
                                                regions, regionCount, reporter);
            }
        });
}
