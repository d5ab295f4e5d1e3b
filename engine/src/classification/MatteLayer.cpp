#include "classification/MatteLayer.h"

#include "classification/MaskStatus.h"
#include "classification/MatteComposition.h"
#include "matting/PaletteSearch.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace classification {

namespace {

/// The image pixels of a layer box, per axis lower * s to (upper + 1) * s - 1, clipped to the
/// output's domain. May be empty.
IntBox estimateBoxFor(const IntBox& layerBox, const FloatPoint& scale, const IntBox& domain) {
    IntBox box;
    for (int axis = 0; axis < 2; ++axis) {
        int lower = static_cast<int>(static_cast<float>(layerBox.lower[axis]) * scale[axis]);
        int upper = static_cast<int>(static_cast<float>(layerBox.upper[axis] + 1) * scale[axis]
                                     - 1.0f);
        if (lower > upper)
            std::swap(lower, upper);
        box.lower[axis] = lower;
        box.upper[axis] = upper;
    }
    intersectBox(box, domain);
    return box;
}

/// How far apart two colour means must lie (in channel units) for a palette to keep them
/// apart: 220 for a detail of 0, down to 5 for a detail of 1.
float paletteThreshold(float detail, float power) {
    const double shrink = static_cast<double>(std::pow(1.0f - detail, power));
    return static_cast<float>(shrink * 215.0 + 5.0);
}

bool isPending(unsigned char s) { return (s & statusPending) != 0 && (s & statusDone) == 0; }

bool hasPendingPixel(const blitz::Array<unsigned char, 2>& layerStatus) {
    for (auto it = layerStatus.begin(); it != layerStatus.end(); ++it)
        if (isPending(*it))
            return true;
    return false;
}

/// The status pixel that contains the image pixel (the keep fix-up's neighbour mapping).
int containingIndex(int index, float scale, int first, int last) {
    const int n = static_cast<int>((static_cast<float>(index) + 0.5f) / scale);
    return std::clamp(n, first, last);
}

template <class Format>
struct MattingWork {
    using Types = MatteTypes<Format>;
    using Triple = typename Types::Triple;
    using Channel = typename Format::Channel;

    const typename Format::Image& image;
    const blitz::Array<unsigned char, 2>& layerStatus;
    const IntBox& layerBox;
    const FloatPoint& scale;
    IntBox box;   // the estimate box
    EstimateImage<Format> foreground;
    EstimateImage<Format> background;

    int centre(int index, int axis) const {
        return matteCentreIndex(index, scale[axis], layerBox.lower[axis], layerBox.upper[axis]);
    }

    static Channel toChannel(float value) {
        // float -> int -> channel, clamped, so that no out-of-range float reaches the
        // unsigned conversion.
        const int v = static_cast<int>(std::clamp(value, 0.0f, static_cast<float>(Format::maximum)));
        return static_cast<Channel>(v);
    }

    /// Searches both palettes for every pending pixel. False when the search failed (an
    /// empty palette, or anything else it threw): the caller abandons the layer.
    bool searchPendingPixels(const Corvel::matting::QuadrantPyramid<Types>& keepPyramid,
                             const Corvel::matting::QuadrantPyramid<Types>& deletePyramid,
                             ProgressRange range) {
        const float rows = static_cast<float>(box.upper[0] - box.lower[0] + 1);
        for (int i = box.lower[0]; i <= box.upper[0]; ++i) {
            const int ci = centre(i, 0);
            for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
                if (!isPending(layerStatus(ci, centre(j, 1))))
                    continue;
                const auto& pixel = image(i, j);
                const Corvel::matting::FloatColour observed = {static_cast<float>(pixel[0]),
                                                               static_cast<float>(pixel[1]),
                                                               static_cast<float>(pixel[2])};
                std::pair<Corvel::matting::FloatColour, Corvel::matting::FloatColour> found;
                try {
                    found = Corvel::matting::searchPalettes(i, j, keepPyramid, deletePyramid,
                                                            observed, 0, 0, -0.01f);
                } catch (...) {
                    return false;
                }
                // (-1, -1, -1) means no pair explained anything: the estimates keep the
                // pixel's own colour rather than inventing white.
                if (found.first[0] < 0.0f)
                    continue;
                foreground(i, j) = Triple(toChannel(found.first[0]), toChannel(found.first[1]),
                                          toChannel(found.first[2]));
                background(i, j) = Triple(toChannel(found.second[0]), toChannel(found.second[1]),
                                          toChannel(found.second[2]));
            }
            if (i % 2 == 0)
                range.report(static_cast<float>(i - box.lower[0]) / rows);
        }
        return true;
    }

    /// Per-channel median over the 3 x 3 neighbourhood, the box's edge values standing in for
    /// neighbours outside it. With nine members the median is the fifth value exactly, so no
    /// rank interpolation is involved. Reports `firstReport`, + 0.1, + 0.2 after the channels.
    void medianSmooth(EstimateImage<Format>& estimate, ProgressRange& range,
                      float firstReport) const {
        EstimateImage<Format> smoothed(estimate.lbound(), estimate.extent());
        for (int c = 0; c < 3; ++c) {
            for (int i = box.lower[0]; i <= box.upper[0]; ++i) {
                for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
                    Channel window[9];
                    int n = 0;
                    for (int di = -1; di <= 1; ++di) {
                        const int ni = std::clamp(i + di, box.lower[0], box.upper[0]);
                        for (int dj = -1; dj <= 1; ++dj) {
                            const int nj = std::clamp(j + dj, box.lower[1], box.upper[1]);
                            window[n++] = estimate(ni, nj)[c];
                        }
                    }
                    std::nth_element(window, window + 4, window + 9);
                    smoothed(i, j)[c] = window[4];
                }
            }
            range.report(firstReport + 0.1f * static_cast<float>(c));
        }
        estimate = smoothed;   // element copy: `estimate` keeps its own storage
    }

    /// A keep pixel's background estimate comes from its first neighbour (in a fixed order)
    /// that is not keep, so that kept areas do not carry foreground colours into the
    /// background median.
    void fixKeptBackgrounds() {
        static const int offsets[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                          {0, 1},   {1, -1}, {1, 0},  {1, 1}};
        for (int i = box.lower[0]; i <= box.upper[0]; ++i) {
            for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
                if ((layerStatus(centre(i, 0), centre(j, 1)) & statusKeep) == 0)
                    continue;
                for (const auto& offset : offsets) {
                    const int ni = std::clamp(i + offset[0], box.lower[0], box.upper[0]);
                    const int nj = std::clamp(j + offset[1], box.lower[1], box.upper[1]);
                    const int si = containingIndex(ni, scale[0], layerBox.lower[0],
                                                   layerBox.upper[0]);
                    const int sj = containingIndex(nj, scale[1], layerBox.lower[1],
                                                   layerBox.upper[1]);
                    if ((layerStatus(si, sj) & statusKeep) == 0) {
                        background(i, j) = background(ni, nj);
                        break;
                    }
                }
            }
        }
    }
};

}  // namespace

template <class Format>
int matteLayer(const typename Format::Image& image, const blitz::Array<unsigned char, 2>& status,
               typename Format::Image output, const IntBox& layerBox, const FloatPoint& scale,
               const GenerateMaskLayer& layer, ProgressRange progress) {
    using Types = MatteTypes<Format>;
    using Triple = typename Types::Triple;

    if (!boxEquals(IntBox::domainOf(image), IntBox::domainOf(output)))
        throw std::invalid_argument("matting: image and output differ in extent");
    if (isBoxEmpty(layerBox) || !IntBox::domainOf(status).contains(layerBox))
        throw std::out_of_range("matting: layer box outside the statuses");
    const blitz::Array<unsigned char, 2> layerStatus = cropArrayToBox(status, layerBox);

    MattingWork<Format> work{image, layerStatus, layerBox, scale,
                             estimateBoxFor(layerBox, scale, IntBox::domainOf(output)), {}, {}};
    const IntBox& box = work.box;
    if (isBoxEmpty(box))   // the layer lies outside the output: nothing to produce
        return 0;

    work.foreground.resize(blitz::TinyVector<int, 2>(box.rows(), box.columns()));
    work.foreground.reindexSelf(box.lower);
    for (int i = box.lower[0]; i <= box.upper[0]; ++i)
        for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
            const auto& pixel = image(i, j);
            work.foreground(i, j) = Triple(pixel[0], pixel[1], pixel[2]);
        }
    work.background.reference(work.foreground.copy());
    progress.report(0.05f);

    const double foregroundThreshold = paletteThreshold(layer.foregroundDetail, 5.0f);
    const double backgroundThreshold = paletteThreshold(layer.backgroundDetail, 3.0f);
    if (!hasPendingPixel(layerStatus))
        return 0;

    const Corvel::matting::StatusMask keepMask{status, 1.0f / scale[0], 1.0f / scale[1],
                                               statusKeep};
    const Corvel::matting::StatusMask deleteMask{status, 1.0f / scale[0], 1.0f / scale[1],
                                                 statusDelete};
    Corvel::matting::QuadrantPyramid<Types> keepPyramid, deletePyramid;
    Corvel::matting::buildPalettePyramid(keepPyramid, image, keepMask, &foregroundThreshold,
                                         progress.subRange(0.1f));
    Corvel::matting::buildPalettePyramid(deletePyramid, image, deleteMask, &backgroundThreshold,
                                         progress.subRange(0.2f));

    if (!work.searchPendingPixels(keepPyramid, deletePyramid, progress.subRange(0.75f)))
        return 1;

    ProgressRange smoothing = progress.subRange(0.85f);
    work.medianSmooth(work.foreground, smoothing, 0.1f);
    smoothing.report(0.4f);
    work.fixKeptBackgrounds();
    smoothing.report(0.5f);
    work.medianSmooth(work.background, smoothing, 0.6f);
    smoothing.report(0.9f);

    composeMatte<Format>(image, status, layerStatus, layerBox, scale, box, work.foreground,
                         work.background, output, progress.subRange(0.95f));
    progress.report(0.98f);
    return 0;
}

#define ZQ_INSTANTIATE_MATTE_LAYER(Format)                                                      \
    template int matteLayer<Format>(const Format::Image&, const blitz::Array<unsigned char, 2>&, \
                                    Format::Image, const IntBox&, const FloatPoint&,             \
                                    const GenerateMaskLayer&, ProgressRange);
ZQ_INSTANTIATE_MATTE_LAYER(MaskFormat8)
ZQ_INSTANTIATE_MATTE_LAYER(MaskFormat16)
ZQ_INSTANTIATE_MATTE_LAYER(MaskFormat15)
#undef ZQ_INSTANTIATE_MATTE_LAYER

}  // namespace classification
