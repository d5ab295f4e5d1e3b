#include "classification/JxMaskRequest.h"

#include "classification/JxInImage.h"

#include <algorithm>
#include <cmath>

using classification::IntBox;

namespace {

// The scale window of one axis' ratio.
int scaleWindow(int statusLength, int outputLength) {
    const float r = static_cast<float>(outputLength - 1) / static_cast<float>(statusLength - 1);
    if (r > 0.9f && r < 1.1f)
        return 1;
    if (r > 1.8f && r < 2.2f)
        return 2;
    if (r > 3.6f && r < 4.4f)
        return 4;
    return 8;
}

bool fitsScale(int statusLength, int outputLength, int scale) {
    return (static_cast<long long>(outputLength) + scale - 1) / scale == statusLength;
}

bool forcedEdgesAreReadable(const JxForcedEdge* edges, std::int32_t count) {
    if (count < 0 || (count > 0 && !edges))
        return false;
    for (std::int32_t k = 0; k < count; ++k)
        if (edges[k].count > 0 && !edges[k].points)
            return false;
    return true;
}

bool regionsAreReadable(const JxMaskRegion* regions, std::int32_t count) {
    if (count < 0 || (count > 0 && !regions))
        return false;
    for (std::int32_t k = 0; k < count; ++k) {
        const JxMaskRegion& r = regions[k];
        // The box must be representable; a region outside the image is clipped, not refused.
        const long long right = static_cast<long long>(r.x) + r.width - 1;
        const long long bottom = static_cast<long long>(r.y) + r.height - 1;
        if (right > INT32_MAX || bottom > INT32_MAX || right < INT32_MIN || bottom < INT32_MIN)
            return false;
        if (r.pixels && (r.width < 1 || r.height < 1 || r.bytesPerLine < r.width))
            return false;
        if (!std::isfinite(r.blendRatio) || !std::isfinite(r.firstValue) ||
            !std::isfinite(r.secondValue))
            return false;
    }
    return true;
}

}  // namespace

int chooseMaskScale(int statusWidth, int statusHeight, int outputWidth, int outputHeight) {
    if (statusHeight < 2 || statusWidth < 1 || outputWidth < 1 || outputHeight < 1)
        return 0;
    const int scale = scaleWindow(statusHeight, outputHeight);
    if (statusWidth >= 2 && scaleWindow(statusWidth, outputWidth) != scale)
        return 0;
    if (!fitsScale(statusHeight, outputHeight, scale) || !fitsScale(statusWidth, outputWidth, scale))
        return 0;
    return scale;
}

int JxMaskRequest::make(const JxImage& statusImage, const JxRect* rectangle,
                        const JxImage& output, const JxImage& source, float autoBlendWidth,
                        float blendRatio, const JxForcedEdge* forcedEdges,
                        std::int32_t forcedEdgeCount, const JxMaskRegion* regions,
                        std::int32_t regionCount, JxMaskRequest& request) {
    const int pixelSize = JxInImage::bytesPerPixel(source.format);
    if (source.format == JxFormatStatus || pixelSize == 0 || output.format != source.format ||
        output.width != source.width || output.height != source.height ||
        !JxInImage::isValidBuffer(source, pixelSize) || !JxInImage::isValidBuffer(output, pixelSize))
        return JxRefused;
    if (std::isnan(autoBlendWidth) || std::isnan(blendRatio))
        return JxRefused;
    if (!forcedEdgesAreReadable(forcedEdges, forcedEdgeCount) ||
        !regionsAreReadable(regions, regionCount))
        return JxRefused;

    const int scale = chooseMaskScale(statusImage.width, statusImage.height, output.width,
                                      output.height);
    if (scale == 0)
        return JxRefused;

    IntBox statusBox(0, 0, statusImage.height - 1, statusImage.width - 1);
    if (rectangle) {
        // In 64 bits: a rectangle far outside the image must not wrap round into it.
        const long long top = std::max<long long>(rectangle->y, 0);
        const long long left = std::max<long long>(rectangle->x, 0);
        const long long bottom = std::min<long long>(
            static_cast<long long>(rectangle->y) + rectangle->height - 1, statusBox.upper[0]);
        const long long right = std::min<long long>(
            static_cast<long long>(rectangle->x) + rectangle->width - 1, statusBox.upper[1]);
        if (top > bottom || left > right)
            return JxRefused;
        statusBox = IntBox(static_cast<int>(top), static_cast<int>(left), static_cast<int>(bottom),
                           static_cast<int>(right));
    }

    request.scale = scale;
    request.hasRectangle = rectangle != nullptr;
    request.statusBox = statusBox;
    request.outputBox = IntBox(0, 0, output.height - 1, output.width - 1);
    if (rectangle)
        request.outputBox = classification::scaleBox(statusBox, scale, request.outputBox);
    request.blendRatio = std::clamp(blendRatio, 0.0f, 1.0f);
    return JxOk;
}
