#include "classification/ResampleAndBlend.h"

#include "classification/BoundaryColourPyramid.h"
#include "classification/MaskStatus.h"
#include "classification/MixedPixelBlend.h"
#include "classification/RegionColourMap.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace classification {

namespace {

// One output row or column mapped onto the working cells: the two cells whose centres bracket
// the output pixel's centre (clamped into the sampling box), the weight of the first, and the
// nearest cell.
struct AxisSample {
    int lower = 0, upper = 0, nearest = 0;
    float weight = 1.0f;
};

AxisSample sampleAxis(int index, float scale, int first, int last) {
    // Clamped a cell beyond the box first: the cells and the weight come out the same, and a
    // very small scale cannot overflow the conversions below.
    const float centre = std::clamp((static_cast<float>(index) + 0.5f) / scale,
                                    static_cast<float>(first) - 1.0f, static_cast<float>(last) + 2.0f);
    AxisSample s;
    s.lower = std::clamp(static_cast<int>(std::floor(centre - 0.5f)), first, last);
    s.upper = std::clamp(static_cast<int>(std::floor(centre + 0.5f)), first, last);
    s.weight = s.lower == s.upper ? 1.0f : static_cast<float>(s.upper) + 0.5f - centre;
    s.nearest = std::clamp(static_cast<int>(std::floor(centre)), first, last);
    return s;
}

// trunc(value) as an int, saturated so that no scale can overflow the conversion.
int truncToInt(float value) {
    return static_cast<int>(std::clamp(static_cast<double>(value), -1e9, 1e9));
}

void completeColumn(blitz::Array<unsigned char, 2>& status, int column, int first, int last) {
    for (int j = first; j <= last; ++j) {
        unsigned char& s = status(column, j);
        if (s & statusPending)
            s = static_cast<unsigned char>((s | statusDone) & ~statusPending);
    }
}

void requireInside(const IntBox& box, const IntBox& domain, const char* what) {
    if (!domain.contains(box))
        throw std::invalid_argument(what);
}

}  // namespace

IntPoint scaleIntPoint(const IntPoint& point, const FloatPoint& scale) {
    return IntPoint(truncToInt(static_cast<float>(point[0]) * scale[0]),
                    truncToInt(static_cast<float>(point[1]) * scale[1]));
}

template <class Format>
int resampleAndBlend(blitz::Array<typename Format::Pixel, 2> output,
                     const blitz::Array<typename Format::Pixel, 2>& source,
                     const blitz::Array<typename Format::Pixel, 2>& working,
                     blitz::Array<unsigned char, 2> status, const IntBox& samplingBox,
                     const AutoFillResult& regionBox, const FloatPoint& scale,
                     const blitz::Array<unsigned char, 2>& blendMap,
                     const MarkDistanceArray& markDistances, int estimateMode,
                     const GenerateMaskLayer& layer, ProgressRange progress,
                     const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>& colourImage,
                     float sourceAlphaThreshold) {
    if (!(scale[0] > 0.0f && scale[1] > 0.0f && std::isfinite(scale[0]) && std::isfinite(scale[1])))
        throw std::invalid_argument("the blend pass needs a positive scale");
    if (estimateMode != 1 && estimateMode != 2)
        throw std::invalid_argument("the blend pass has estimate modes 1 and 2");
    const IntBox& region = regionBox.contextBox;
    if (isBoxEmpty(region))
        throw std::invalid_argument("empty region box");
    requireInside(region, IntBox::domainOf(status), "region box outside the status image");
    if (estimateMode == 1)
        requireInside(region, IntBox::domainOf(colourImage), "region box outside the colour image");
    else
        requireInside(region, IntBox::domainOf(working), "region box outside the working image");

    // Every status sample is clamped into the sampling box; clipping it keeps those samples
    // inside the estimates, the blend map and the mark distances.
    IntBox sampling = samplingBox;
    intersectBox(sampling, region);
    intersectBox(sampling, IntBox::domainOf(blendMap));
    intersectBox(sampling, IntBox::domainOf(markDistances));
    if (isBoxEmpty(sampling))
        return 0;

    IntPoint lower = scaleIntPoint(sampling.lower, scale);
    IntPoint upper(truncToInt(static_cast<float>(sampling.upper[0] + 1) * scale[0] - 1.0f),
                   truncToInt(static_cast<float>(sampling.upper[1] + 1) * scale[1] - 1.0f));
    IntBox outputBox = makeBox(lower, upper);
    intersectBox(outputBox, IntBox::domainOf(output));
    intersectBox(outputBox, IntBox::domainOf(source));

    ColourEstimates estimates;
    estimates.mode = estimateMode;
    if (estimateMode == 2) {
        buildBoundaryColourPyramid(status, region, statusKeep, estimates.keepLevels, working,
                                   progress.subRange(0.3f));
        buildBoundaryColourPyramid(status, region, statusDelete, estimates.deleteLevels, working,
                                   progress.subRange(0.4f));
    } else {
        const blitz::Array<unsigned char, 2> regionStatus = cropArrayToBox(status, region);
        estimates.keepMap.reference(buildRegionColourMap(regionStatus, statusKeep, layer, colourImage));
        estimates.deleteMap.reference(buildRegionColourMap(regionStatus, statusDelete, layer, colourImage));
    }
    ProgressRange scan = progress.subRange(1.0f);

    MixedPixelBlend<Format> mixed(output, source, outputBox, estimates, status, blendMap,
                                        markDistances);
    std::vector<AxisSample> rows;
    for (int y = outputBox.lower[1]; y <= outputBox.upper[1]; ++y)
        rows.push_back(sampleAxis(y, scale[1], sampling.lower[1], sampling.upper[1]));

    const float outputLength = static_cast<float>(output.extent(0));
    const int sourceLower = source.lbound(0);
    int rememberedColumn = sampling.lower[0];
    for (int x = outputBox.lower[0]; x <= outputBox.upper[0]; ++x) {
        const AxisSample column = sampleAxis(x, scale[0], sampling.lower[0], sampling.upper[0]);
        // Columns the scan has moved past are final: no later pixel has them as nearest cell.
        if (column.lower != rememberedColumn) {
            completeColumn(status, rememberedColumn, sampling.lower[1], sampling.upper[1]);
            rememberedColumn = column.lower;
        }
        for (int y = outputBox.lower[1]; y <= outputBox.upper[1]; ++y) {
            const typename Format::Pixel& s = source(x, y);
            if (!isOpaqueSource<Format>(s, sourceAlphaThreshold))
                continue;
            const AxisSample& row = rows[static_cast<std::size_t>(y - outputBox.lower[1])];
            const unsigned char nearest = status(column.nearest, row.nearest);
            if (!(nearest & statusPending) || (nearest & statusDone))
                continue;
            CornerCells corners;
            corners.i0 = column.lower;
            corners.i1 = column.upper;
            corners.j0 = row.lower;
            corners.j1 = row.upper;
            corners.wx = column.weight;
            corners.wy = row.weight;
            float keepWeight = 0.0f, deleteWeight = 0.0f;
            for (int k = 0; k < 4; ++k) {
                const unsigned char cell = status(corners.cell(k));
                const float w = corners.weight(k);
                keepWeight += (cell & statusKeep) ? w : 0.0f;
                deleteWeight += (cell & statusDelete) ? w : 0.0f;
            }
            typename Format::Pixel& o = output(x, y);
            if (static_cast<double>(keepWeight) > 0.99) {
                o = typename Format::Pixel(s[0], s[1], s[2],
                                           static_cast<typename Format::Channel>(Format::maximum));
            } else if (static_cast<double>(deleteWeight) > 0.99) {
                o = typename Format::Pixel(0, 0, 0, 0);
            } else {
                mixed.blend(x, y, corners, IntPoint(column.nearest, row.nearest), keepWeight,
                            deleteWeight);
            }
        }
        if ((x & 15) == 0)
            scan.report(static_cast<float>(x - sourceLower + 1) / outputLength);
    }
    completeColumn(status, rememberedColumn, sampling.lower[1], sampling.upper[1]);
    return 0;
}

#define ZQ_INSTANTIATE_BLEND_PASS(Format)                                                        \
    template int resampleAndBlend<Format>(                                                       \
        blitz::Array<Format::Pixel, 2>, const blitz::Array<Format::Pixel, 2>&,                   \
        const blitz::Array<Format::Pixel, 2>&, blitz::Array<unsigned char, 2>, const IntBox&,    \
        const AutoFillResult&, const FloatPoint&, const blitz::Array<unsigned char, 2>&,         \
        const MarkDistanceArray&, int, const GenerateMaskLayer&, ProgressRange,                  \
        const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>&, float);
ZQ_INSTANTIATE_BLEND_PASS(MaskFormat8)
ZQ_INSTANTIATE_BLEND_PASS(MaskFormat16)
ZQ_INSTANTIATE_BLEND_PASS(MaskFormat15)
#undef ZQ_INSTANTIATE_BLEND_PASS

}  // namespace classification
