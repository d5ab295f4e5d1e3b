// The generate-mask core: from the statuses, the layers and the forced edges of one session to
// the colours and alpha of the cut-out, in the three pixel formats.

#include "classification/IiClassification.h"

#include "classification/AutoFillForMask.h"
#include "classification/ForcedEdgeRendering.h"
#include "classification/GenerateMaskSteps.h"
#include "classification/MarkDistances.h"
#include "classification/MaskPassLaunchers.h"
#include "classification/MaskStatus.h"
#include "classification/MatteLayer.h"
#include "classification/ResampleAndBlend.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace classification {

namespace {

template <class Format>
using Image = typename Format::Image;

// No marks to separate: keep everything (source colours, full alpha)...
template <class Format>
void keepEverything(Image<Format> output, const Image<Format>& source) {
    output = source;
    for (auto it = output.begin(); it != output.end(); ++it)
        (*it)[3] = static_cast<typename Format::Channel>(Format::maximum);
}

// ...or delete everything; the colours stay as they were, only the alpha goes.
template <class Format>
void deleteEverything(Image<Format> output) {
    for (auto it = output.begin(); it != output.end(); ++it)
        (*it)[3] = 0;
}

// A picture's own transparency stays in its cut-out: whatever the passes made of a pixel, it
// is at most as opaque as the source was there. The passes copy source colours "fully opaque"
// (and keeping everything sets full alpha), so without this a transparent area of a PNG would
// come back as the colours stored under it. A cap rather than a product: pixels the passes
// leave alone keep their earlier value, and a second generation must not fade them further.
// Opaque sources (every photograph) pass unchanged.
template <class Format>
void keepSourceTransparency(Image<Format> output, const Image<Format>& source,
                            const IntBox& box) {
    for (int x = box.lower[0]; x <= box.upper[0]; ++x) {
        for (int y = box.lower[1]; y <= box.upper[1]; ++y) {
            const auto alpha = source(x, y)[3];
            auto& pixel = output(x, y);
            if (alpha < pixel[3])
                pixel[3] = alpha;
        }
    }
}

// A matting layer that could not be matted shows the unmasked source over its own cells (the
// cells its pass had to produce), so other layers keep what they made.
template <class Format>
void restoreLayerCells(Image<Format> output, const Image<Format>& source,
                       const blitz::Array<unsigned char, 2>& status, const IntBox& layerBox,
                       const FloatPoint& scale) {
    const IntBox pixels = outputBoxOf(layerBox, scale, IntBox::domainOf(output));
    if (isBoxEmpty(pixels))
        return;
    auto cellOf = [&](int index, int axis) {
        const int cell = static_cast<int>(
            std::floor((static_cast<float>(index) + 0.5f) / scale[axis]));
        return std::clamp(cell, layerBox.lower[axis], layerBox.upper[axis]);
    };
    for (int x = pixels.lower[0]; x <= pixels.upper[0]; ++x) {
        const int i = cellOf(x, 0);
        for (int y = pixels.lower[1]; y <= pixels.upper[1]; ++y) {
            const unsigned char s = status(i, cellOf(y, 1));
            if ((s & statusPending) && !(s & statusDone))
                output(x, y) = source(x, y);
        }
    }
}

// Everything one generation works with, so the passes can be called by kind.
template <class Format>
struct Generation {
    IiClassification& classification;
    Image<Format> outputCrop;
    Image<Format> sourceCrop;
    const Image<Format>& source;
    blitz::Array<unsigned char, 2> status;
    const FloatPoint& scale;
    AutoFillResult fill;
    blitz::Array<unsigned char, 2> blendMap;
    MarkDistanceArray markDistances;
    // The source has the working image's extent (scale 1): it is its own working image.
    bool sourceIsWorking;

    int blend(const IntBox& box, int mode, const GenerateMaskLayer& layer, ProgressRange range) {
        const float threshold = classification.sourceAlphaThreshold;
        if (sourceIsWorking)
            return resampleAndBlend<Format>(outputCrop, sourceCrop, source, status, box, fill,
                                            scale, blendMap, markDistances, mode, layer, range,
                                            classification.colourImage, threshold);
        return launchBlendPass<Format>(outputCrop, sourceCrop, classification.colourImage,
                                       status, box, fill, scale, blendMap, markDistances, mode,
                                       layer, range, threshold);
    }

    int matte(const IntBox& box, const GenerateMaskLayer& layer, ProgressRange range) {
        const unsigned workers = classification.workerCount;
        if (sourceIsWorking)
            return matteLayer<Format>(sourceCrop, status, outputCrop, box, scale, layer, range,
                                      workers);
        return launchMattingPass<Format>(sourceCrop, status, outputCrop, box, scale, layer, range,
                                         workers);
    }
};

template <class Format>
int generateMask(IiClassification& c, Image<Format> output, const Image<Format>& source,
                 blitz::Array<unsigned char, 2> status, const IntBox* requestedBox,
                 const FloatPoint& scale, std::vector<ForcedEdgeStroke> forcedEdges,
                 float autoFillParameter, float defaultBlend,
                 std::vector<GenerateMaskLayer>& layers, ProgressRange progress) {
    // The statuses the generation may see are those of the session's image.
    const IntBox colourDomain = IntBox::domainOf(c.colourImage);
    IntBox statusDomain = IntBox::domainOf(status);
    IntBox generationBox = colourDomain;
    if (requestedBox)
        intersectBox(generationBox, *requestedBox);
    if (!intersectBox(generationBox, statusDomain))
        return 1;
    intersectBox(statusDomain, colourDomain);
    blitz::Array<unsigned char, 2> statuses = boxEquals(statusDomain, IntBox::domainOf(status))
                                                  ? status
                                                  : cropArrayToBox(status, statusDomain);

    IntBox outputBox = outputBoxOf(generationBox, scale, IntBox::domainOf(output));
    if (!intersectBox(outputBox, IntBox::domainOf(source)))
        return 1;

    // A part-image generation records its auto fill in a history of its own and takes it back
    // at the end; a whole-image one leaves it in the session's history, undoable by the user.
    UndoHistory localHistory(100);
    const bool wholeImage = boxEquals(generationBox, colourDomain);
    UndoHistory& history = wholeImage ? c.undoHistory : localHistory;
    const UndoHistory::Position start = history.position();
    const IntBox fullGenerationBox = generationBox;

    try {
        const IntBox marginBox = marginBoxOf(generationBox, statusDomain);
        const AutoFillResult fill = autoFillForMask(
            statusDomain, generationBox, statuses, marginBox, autoFillParameter, history,
            progress.subRange(0.1f),
            [&c](blitz::Array<unsigned char, 2> area, unsigned char fillStatus, float parameter,
                 UndoHistory& fillHistory, ProgressRange range) {
                c.autoFill(area, nullptr, fillStatus, parameter, &fillHistory, range);
            });

        Generation<Format> g{c,
                             cropArrayToBox(output, outputBox),
                             cropArrayToBox(source, outputBox),
                             source,
                             statuses,
                             scale,
                             fill,
                             {},
                             {},
                             source.extent(0) == c.colourImage.extent(0) &&
                                 source.extent(1) == c.colourImage.extent(1)};

        if (!fill.hasDelete || !fill.hasKeep) {
            if (!fill.hasDelete) {
                keepEverything<Format>(g.outputCrop, g.sourceCrop);
                keepSourceTransparency<Format>(output, source, outputBox);
            } else {
                deleteEverything<Format>(g.outputCrop);
            }
            // Nothing was generated, so nothing of the auto fill's may stay unrecorded.
            if (!wholeImage)
                history.rollBack(start, c);
            return 0;
        }

        const std::set<int> kinds = planMaskPasses(layers, generationBox, statuses);
        if (isBoxEmpty(generationBox)) {
            // The solo layer lies outside the generation: nothing is generated, nothing kept.
            history.rollBack(start, c);
            return 1;
        }
        g.blendMap.reference(buildBlendMap(generationBox, defaultBlend, layers));
        buildMarkDistances(g.markDistances, cropArrayToBox(statuses, generationBox),
                           progress.subRange(0.2f));

        int result = 0;
        const int layerCount = static_cast<int>(layers.size());
        for (const int kind : kinds) {
            if (kind == globalPassKind) {
                markAllCells(statuses, generationBox);
                result |= g.blend(generationBox, 2, GenerateMaskLayer(), progress.subRange(0.9f));
                relabelPendingCells(statuses, generationBox);
                continue;
            }
            for (int index = 0; index < layerCount; ++index) {
                const GenerateMaskLayer& layer = layers[static_cast<std::size_t>(index)];
                if (kind == mattingPassKind ? !layer.mattingLayer : !layer.colourMapLayer)
                    continue;
                const IntBox box = layerPassBox(layer, requestedBox, generationBox);
                if (isBoxEmpty(box))
                    continue;
                markLayerCells(statuses, box, layer);
                if (kind == mattingPassKind) {
                    const float t = mattingProgressFraction(index, layerCount);
                    const int matted = g.matte(box, layer, progress.subRange(t));
                    if (matted != 0)
                        restoreLayerCells<Format>(g.outputCrop, g.sourceCrop, statuses, box, scale);
                    result |= matted;
                } else {
                    result |= g.blend(box, 1, layer, progress.subRange(0.75f));
                }
                relabelPendingCells(statuses, box);
            }
        }

        if (!wholeImage) {
            std::cout << "nUndo " << history.undoGroupCount() << std::endl;
            history.rollBack(start, c);
        }
        clearWorkBits(statuses, fullGenerationBox);

        scaleForcedEdges(forcedEdges, scale);
        const int drawn = renderForcedEdges<Format>(g.outputCrop, g.sourceCrop, statuses, scale,
                                                    forcedEdges, progress.subRange(1.0f),
                                                    c.sourceAlphaThreshold);
        keepSourceTransparency<Format>(output, source, outputBox);
        return drawn & result;
    } catch (...) {
        history.rollBack(start, c);
        clearWorkBits(statuses, fullGenerationBox);
        throw;
    }
}

}  // namespace

#define ZQ_DEFINE_GENERATE_MASK(member, Format)                                                  \
    int IiClassification::member(Format::Image output, const Format::Image& source,              \
                                 ByteImage status, const IntBox* requestedBox,                   \
                                 const FloatPoint& scale,                                        \
                                 std::vector<ForcedEdgeStroke> forcedEdges,                      \
                                 float autoFillParameter, float defaultBlend,                    \
                                 std::vector<GenerateMaskLayer>* layers, ProgressRange progress) { \
        return generateMask<Format>(*this, output, source, status, requestedBox, scale,          \
                                    std::move(forcedEdges), autoFillParameter, defaultBlend,     \
                                    *layers, progress);                                          \
    }
ZQ_DEFINE_GENERATE_MASK(generateMask8, MaskFormat8)
ZQ_DEFINE_GENERATE_MASK(generateMask16, MaskFormat16)
ZQ_DEFINE_GENERATE_MASK(generateMask15, MaskFormat15)
#undef ZQ_DEFINE_GENERATE_MASK

}  // namespace classification
