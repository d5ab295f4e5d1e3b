#include "classification/JxMaskDriver.h"

#include "classification/IiClassification.h"
#include "classification/JxInImage.h"
#include "classification/JxInProgress.h"
#include "classification/JxInSession.h"
#include "classification/ProgressRange.h"

using classification::FloatPoint;
using classification::ForcedEdgeStroke;
using classification::GenerateMaskLayer;
using classification::IntBox;

namespace JxMaskDriver {

namespace {

blitz::TinyVector<unsigned char, 3> colourOf(const std::uint8_t (&bytes)[3]) {
    return blitz::TinyVector<unsigned char, 3>(bytes[0], bytes[1], bytes[2]);
}

// The caller's region image in place, addressed in image coordinates; the core only reads it.
blitz::Array<unsigned char, 2> maskOf(const JxMaskRegion& region) {
    if (!region.pixels)
        return blitz::Array<unsigned char, 2>();
    blitz::Array<unsigned char, 2> mask(const_cast<unsigned char*>(region.pixels),
                                        blitz::shape(region.height, region.width),
                                        blitz::shape(region.bytesPerLine, 1),
                                        blitz::neverDeleteData);
    mask.reindexSelf(classification::IntPoint(region.y, region.x));
    return mask;
}

}  // namespace

std::vector<GenerateMaskLayer> layersFromRegions(const JxMaskRegion* regions, std::int32_t count) {
    std::vector<GenerateMaskLayer> layers;
    layers.reserve(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) {
        const JxMaskRegion& r = regions[k];
        GenerateMaskLayer layer;
        layer.mask.reference(maskOf(r));
        layer.box = IntBox::fromRect(r.x, r.y, r.width, r.height);
        layer.firstColourCount = r.foregroundOverride;
        layer.secondColourCount = r.backgroundOverride;
        layer.firstColour = colourOf(r.foregroundColour);
        layer.solo = r.requested != 0;
        layer.secondColour = colourOf(r.backgroundColour);
        layer.blendValue = r.blendRatio;
        layer.backgroundDetailHigh = r.secondValue > 0.5f;
        layer.colourMapLayer = r.mode == 3;
        layer.smoothingAmount = r.firstValue;
        layer.mattingLayer = r.mode == 1;
        layer.foregroundDetail = r.firstValue;
        layer.backgroundDetail = r.secondValue;
        layers.push_back(layer);
    }
    return layers;
}

std::vector<ForcedEdgeStroke> strokesFromForcedEdges(const JxForcedEdge* edges,
                                                     std::int32_t count) {
    std::vector<ForcedEdgeStroke> strokes;
    for (std::int32_t k = 0; k < count; ++k) {
        const JxForcedEdge& edge = edges[k];
        ForcedEdgeStroke stroke;
        stroke.width = edge.width;
        stroke.points.reserve(edge.count);
        for (std::uint32_t n = 0; n < edge.count; ++n) {
            const FloatPoint p(edge.points[2 * n + 1], edge.points[2 * n]);
            if (stroke.points.empty() || p[0] != stroke.points.back()[0] ||
                p[1] != stroke.points.back()[1])
                stroke.points.push_back(p);
        }
        if (stroke.points.size() >= 2)
            strokes.push_back(std::move(stroke));
    }
    return strokes;
}

bool canGenerate(const JxInSession& session) {
    if (session.isAnalysable())
        return session.analysed != 0;
    return session.hasSegmentation();
}

template <class Format>
int generate(JxInSession& session, typename Format::Image output,
             const typename Format::Image& source, JxInImage& statusImage,
             const IntBox* statusBox, const FloatPoint& scale, const JxForcedEdge* forcedEdges,
             std::int32_t forcedEdgeCount, float autoBlendWidth, float blendRatio,
             const JxMaskRegion* regions, std::int32_t regionCount, JxInProgress& reporter) {
    if (!canGenerate(session))
        return JxNotAnalysed;
    ProgressRange range(&reporter);
    classification::IiClassification& c = session.classification();
    try {
        std::vector<GenerateMaskLayer> layers = layersFromRegions(regions, regionCount);
        std::vector<ForcedEdgeStroke> strokes = strokesFromForcedEdges(forcedEdges, forcedEdgeCount);
        classification::ByteImage status = session.statusView(statusImage);
        const Ostrival::Variables& variables = session.variableSet();
        c.bSmooth = variables.intValue("b-smooth");
        c.bCareful = variables.intValue("b-careful");
        c.bGreedy = variables.intValue("b-greedy");

        // The last quarter is the reporter's completion.
        ProgressRange core = range.subRange(0.75f);
        int result;
        if constexpr (Format::maximum == 255)
            result = c.generateMask8(output, source, status, statusBox, scale, std::move(strokes),
                                     autoBlendWidth, blendRatio, &layers, core);
        else if constexpr (Format::maximum == 65535)
            result = c.generateMask16(output, source, status, statusBox, scale, std::move(strokes),
                                      autoBlendWidth, blendRatio, &layers, core);
        else
            result = c.generateMask15(output, source, status, statusBox, scale, std::move(strokes),
                                      autoBlendWidth, blendRatio, &layers, core);
        session.publishChangedBox();
        return result;
    } catch (...) {
        session.publishChangedBox();
        throw;
    }
}

#define ZQ_INSTANTIATE_MASK_DRIVER(Format)                                                       \
    template int generate<Format>(JxInSession&, Format::Image, const Format::Image&, JxInImage&, \
                                  const IntBox*, const FloatPoint&, const JxForcedEdge*,         \
                                  std::int32_t, float, float, const JxMaskRegion*, std::int32_t, \
                                  JxInProgress&);
ZQ_INSTANTIATE_MASK_DRIVER(classification::MaskFormat8)
ZQ_INSTANTIATE_MASK_DRIVER(classification::MaskFormat16)
ZQ_INSTANTIATE_MASK_DRIVER(classification::MaskFormat15)
#undef ZQ_INSTANTIATE_MASK_DRIVER

}  // namespace JxMaskDriver
